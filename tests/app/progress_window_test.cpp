// The start-up progress window driven from a worker thread: it repaints from
// posted changes while the user-interface thread stays free, it cannot be
// closed from the keyboard, and a position update brings it back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>

#include <cstdlib>

#include "ShellTestSupport.h"
#include "app/ShowDetailWinThread.h"
#include "app/StartupWork.h"
#include "platform/Sync.h"

namespace {

class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        ASSERT_TRUE(m_thread.InitInstance());
        m_dialog = m_thread.GetWindow();
    }

    CShowDetailWinThread m_thread;
    CDlgShowStartDetail* m_dialog = nullptr;
};

TEST_F(ProgressWindowTest, WorkerDrivesTheWindowThroughPostedChanges) {
    platform::Event release(true, false);
    CStartupWork work;
    ASSERT_TRUE(work.Start(
        [&release](IStartProgress* progress) {
            progress->Begin();
            progress->SetText1("正在查找机箱...");
            progress->SetRange1(0, 70000);
            progress->SetPos1(3);
            // Stays busy until the test has seen the window.
            release.Wait(10000);
            progress->End();
            return 2;
        },
        m_thread.GetSharedProgressSink(), m_dialog->GetSafeHwnd()));

    ASSERT_TRUE(ProcessEventsUntil([&] { return m_dialog->isVisible() && m_dialog->Bar1()->value() == 3; }));
    EXPECT_EQ(m_dialog->windowTitle(), "进度提示");
    EXPECT_EQ(m_dialog->Text1(), "正在查找机箱...");
    EXPECT_EQ(m_dialog->Bar1()->maximum(), 70000 - 65536); // the range keeps the low 16 bits
    EXPECT_FALSE(work.IsDone());
    if (const char* folder = std::getenv("QV_SHELL_GRAB_DIR")) {
        ASSERT_TRUE(m_dialog->grab().save(QString::fromUtf8(folder) + "/progress_window.png"));
    }

    release.Set();
    ASSERT_TRUE(work.Wait(10000));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !m_dialog->isVisible(); }));
}

TEST_F(ProgressWindowTest, KeyboardCannotCloseItAndAPositionShowsItAgain) {
    IStartProgress* sink = m_thread.GetProgressSink();
    ASSERT_NE(sink, nullptr);
    sink->Begin();
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_dialog->isVisible(); }));
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(m_dialog, &press);
        QApplication::processEvents();
        EXPECT_TRUE(m_dialog->isVisible()) << key;
    }
    sink->End();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !m_dialog->isVisible(); }));
    sink->SetText2("二");
    sink->SetPos2(5);
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_dialog->isVisible(); }));
    EXPECT_EQ(m_dialog->Text2(), "二");
    sink->Reset2();
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_dialog->Text2().isEmpty(); }));
    EXPECT_EQ(m_dialog->Bar2()->value(), 0);
}

TEST_F(ProgressWindowTest, QuitDestroysTheWindowAndTheSinkOutlivesIt) {
    std::shared_ptr<IStartProgress> sink = m_thread.GetSharedProgressSink();
    m_thread.PostThreadMessage(platform::WM_QUIT);
    EXPECT_EQ(m_thread.GetWindow(), nullptr);
    EXPECT_EQ(m_thread.GetProgressSink(), nullptr);
    sink->SetPos1(1); // a late worker reaches no window
    QApplication::processEvents();
}

} // namespace
