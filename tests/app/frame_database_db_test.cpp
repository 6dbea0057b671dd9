// The frame's database writer end to end against the test cluster: a sender
// on another thread hands measured values to the running program with
// WM_USER+10 and the rows appear, nothing with "WriteDB" off; a database
// that never answers leaves the frame responsive and shows one box.
#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "acquisition/DatabaseWriter.h"
#include "app/MainFrame.h"
#include "app/QV7411N_NewFrameApp.h"
#include "libs/database/TestDatabase.h"
#include "model/AppSettings.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"

#include <QApplication>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

MeasureValueRecord Record(const char* point, float value) {
    MeasureValueRecord record{};
    std::strncpy(record.szPointNumber, point, sizeof record.szPointNumber);
    std::strncpy(record.szUnit, "με", sizeof record.szUnit);
    record.fValue = value;
    record.dtTime = 46001.5; // 2025-12-10 12:00:00
    return record;
}

class FrameDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        testdb::CreateMeasureTable();
    }

    void Start() {
        m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
        ASSERT_TRUE(m_app->InitInstance());
        m_frame = m_app->GetMainFrame();
    }
    void Stop() {
        if (m_app) {
            m_frame->close();
            m_app->ExitInstance();
            m_app.reset();
        }
    }
    void TearDown() override { Stop(); }

    // Sends WM_USER+10 from a thread of its own, as an outside component
    // does, while the user-interface thread runs; true when the send came
    // back within the time.
    bool SendFromAnotherThread(std::vector<MeasureValueRecord> records, int milliseconds) {
        std::atomic<bool> done{false};
        std::thread sender([&] {
            platform::SendMessage(m_frame->GetSafeHwnd(), WM_WRITE_DATABASE,
                                  reinterpret_cast<platform::WPARAM>(records.data()),
                                  static_cast<platform::LPARAM>(records.size()));
            // The records are the sender's: gone once the message returns.
            std::memset(records.data(), 0, records.size() * sizeof(MeasureValueRecord));
            done = true;
        });
        const bool inTime = ProcessEventsUntil([&] { return done.load(); }, milliseconds);
        ProcessEventsUntil([&] { return done.load(); });
        sender.join();
        return inTime;
    }

    ShellScratch m_scratch;
    std::unique_ptr<CQV7411N_NewFrameApp> m_app;
    CMainFrame* m_frame = nullptr;
};

TEST_F(FrameDatabaseTest, MeasuredValuesBecomeRows) {
    platform::MessageBoxRecorder boxes;
    testdb::WriteWriterSettings(m_scratch.ProgramFolder(), "1", {"A", "B"});
    Start();
    ASSERT_TRUE(SendFromAnotherThread({Record("S-1", 12.34567f), Record("S-2", 2.5f)}, 10000));
    ASSERT_TRUE(SendFromAnotherThread({Record("S-3", 3)}, 10000));
    ASSERT_TRUE(m_frame->GetDatabaseWriter().WaitIdle(30000));
    Stop();
    const std::vector<std::vector<std::string>> expected = {
        {"QL-07", "S-1", "2025-12-10 12:00:00", "με", "12.346"},
        {"QL-07", "S-2", "2025-12-10 12:00:00", "με", "2.5"},
        {"QL-07", "S-3", "2025-12-10 12:00:00", "με", "3"},
    };
    EXPECT_EQ(testdb::MeasureRows(), expected);
    for (const auto& box : boxes.Records()) {
        EXPECT_EQ(box.text.find("数据库"), std::string::npos) << box.text;
    }
}

TEST_F(FrameDatabaseTest, WriteDbOffWritesNothing) {
    testdb::WriteWriterSettings(m_scratch.ProgramFolder(), "0", {"A"});
    platform::MessageBoxRecorder boxes;
    Start();
    ASSERT_TRUE(SendFromAnotherThread({Record("S-1", 1)}, 10000));
    ASSERT_TRUE(m_frame->GetDatabaseWriter().WaitIdle(30000));
    EXPECT_EQ(m_frame->GetDatabaseWriter().IsConnected(), 0);
    Stop();
    EXPECT_TRUE(testdb::MeasureRows().empty());
}

// A server that accepts and never answers: each send returns at once, the
// user-interface thread keeps running, and the failure shows one box under
// the program's title however many messages fail in a row.
TEST_F(FrameDatabaseTest, ASilentServerLeavesTheFrameResponsiveAndShowsOneBox) {
    const testdb::SilentServer silent;
    testdb::WriteWriterSettings(m_scratch.ProgramFolder(), "1", {"A"});
    ASSERT_TRUE(
        platform::WritePrivateProfileString("DataBase", "Port", std::to_string(silent.Port()),
                                            CDatabaseWriter::SettingsPath(m_scratch.ProgramFolder())));
    platform::MessageBoxRecorder boxes;
    Start();
    const size_t startBoxes = boxes.Records().size();
    m_frame->GetDatabaseWriter().SetTimeouts(1, 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(SendFromAnotherThread({Record("S-1", 1)}, 500));
    }
    ASSERT_TRUE(ProcessEventsUntil([&] { return boxes.Records().size() > startBoxes; }, 20000));
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetDatabaseWriter().WaitIdle(0); }, 20000));
    QApplication::processEvents();
    const auto records = boxes.Records();
    ASSERT_EQ(records.size(), startBoxes + 1);
    EXPECT_EQ(records.back().text, "连接数据库qv7411失败。");
    EXPECT_EQ(records.back().caption, g_strAppTitle);
}

} // namespace
