// Shared by the window tests: one QApplication with the Qt message delivery
// for the whole test program, a scratch program folder with its settings
// file, and configuration and runtime folders of the test's own.
#pragma once

#include <QApplication>
#include <QTimer>

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Creates the QApplication and installs the Qt dispatcher on first use.
void EnsureQtApplication();
// Runs the Qt event loop until done() holds or the time is up; returns done().
bool ProcessEventsUntil(const std::function<bool()>& done, int milliseconds = 10000);

// Runs fill on the modal dialog of type D once one is shown; the polling
// timer belongs to owner.
template <class D> void WhenModal(QObject* owner, std::function<void(D&)> fill) {
    auto* timer = new QTimer(owner);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, fill] {
        if (auto* dialog = dynamic_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            fill(*dialog);
        }
    });
    timer->start();
}

// A check inside a modal dialog's callback. A failed ASSERT would leave the
// callback with the dialog still open, and the test would wait in its modal
// loop until the time limit; this closes the dialog first, then fails.
#define ASSERT_OR_CLOSE(dialog, condition)                                                                   \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            (dialog).reject();                                                                               \
            GTEST_FAIL() << "Failed: " #condition;                                                           \
        }                                                                                                    \
    } while (false)

// The processes running the program file at path.
std::vector<pid_t> ProcessesOf(const std::filesystem::path& path);
// Puts the named programs and the shared objects that this build made beside
// the test program into folder; false when a named program is missing.
bool StageBuiltPrograms(const std::filesystem::path& folder, const std::vector<std::string>& names);

class ShellScratch {
public:
    ShellScratch();
    ~ShellScratch();
    ShellScratch(const ShellScratch&) = delete;
    ShellScratch& operator=(const ShellScratch&) = delete;

    // The program folder, holding the main settings file unless removed.
    const std::string& ProgramFolder() const { return m_program; }
    std::string File(const std::string& name) const { return m_program + "/" + name; }
    void WriteSettingsFile(const std::string& text);

private:
    std::string m_root;
    std::string m_program;
};
