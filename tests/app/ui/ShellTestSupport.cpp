// The window tests' QApplication and scratch folders.
#include "ShellTestSupport.h"

#include "platform/Message.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "platform/qt/QtMessageDispatcher.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>

void EnsureQtApplication() {
    static int argc = 1;
    static char name[] = "app_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = nullptr;
    if (application == nullptr) {
        application = new QApplication(argc, argv);
        static platform::QtMessageDispatcher dispatcher;
        platform::SetMessageDispatcher(&dispatcher);
    }
}

bool ProcessEventsUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

ShellScratch::ShellScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qv_shell_XXXXXX").string();
    m_root = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    m_program = m_root + "/bin";
    std::filesystem::create_directories(m_program);
    std::filesystem::create_directories(m_root + "/config");
    std::filesystem::create_directories(m_root + "/run");
    std::filesystem::permissions(m_root + "/run", std::filesystem::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (m_root + "/run").c_str(), 1);
    // The program under test never meets the desktop's own session bus; a
    // test that wants a bus starts one of its own.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    WriteSettingsFile("[System]\nADBASE=20000\nDigitalUsed=0\n");
}

ShellScratch::~ShellScratch() {
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
    platform::FlushProfileCache();
}

void ShellScratch::WriteSettingsFile(const std::string& text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    std::ofstream(File("QV7416.INI"), std::ios::binary) << platform::Utf8ToGbk(crlf);
    platform::FlushProfileCache();
}
