// One QApplication for every test of the program, made before the first test.
#include "QtTestApp.h"

#include "platform/qt/QtTranslations.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class QtAppEnvironment : public testing::Environment {
public:
    void SetUp() override {
        // As on an English desktop: the programs' dates must still read Chinese.
        qputenv("LC_ALL", "C");
        platform::PrepareChineseDates();
        m_app = new QApplication(m_argc, m_argv);
    }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

private:
    int m_argc = 1;
    char m_name[16] = "platform_qt";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};

[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new QtAppEnvironment);

} // namespace

bool ProcessEventsUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
    }
    return done();
}
