// The window tests' QApplication and scratch folders.
#include "ShellTestSupport.h"

#include "platform/Message.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "platform/qt/QtMessageDispatcher.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
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

std::vector<pid_t> ProcessesOf(const std::filesystem::path& path) {
    std::vector<pid_t> pids;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path() / "exe", error) == path)
            pids.push_back(static_cast<pid_t>(std::stoi(name)));
    }
    return pids;
}

bool StageBuiltPrograms(const std::filesystem::path& folder, const std::vector<std::string>& names) {
    namespace fs = std::filesystem;
    const fs::path built = fs::read_symlink("/proc/self/exe").parent_path();
    for (const fs::directory_entry& entry : fs::directory_iterator(built)) {
        const std::string name = entry.path().filename().string();
        if (std::find(names.begin(), names.end(), name) == names.end() && entry.path().extension() != ".so")
            continue;
        std::error_code error;
        fs::create_hard_link(entry.path(), folder / name, error);
        if (error)
            fs::copy_file(entry.path(), folder / name, fs::copy_options::overwrite_existing, error);
    }
    return std::all_of(names.begin(), names.end(),
                       [&](const std::string& name) { return fs::exists(folder / name); });
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
