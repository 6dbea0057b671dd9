// The database writer against the test cluster: which records become rows
// and how, the settings that turn it off, connection and insert failures
// reported once per streak, a server outage and the reconnect after it, and
// a peer that accepts and never answers.
#include <gtest/gtest.h>

#include "acquisition/DatabaseWriter.h"
#include "libs/database/Dovrin.h"
#include "libs/database/TestDatabase.h"
#include "platform/Profile.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>

namespace {

MeasureValueRecord Record(const char* point, const char* unit, float value, double time) {
    MeasureValueRecord record{};
    std::strncpy(record.szPointNumber, point, sizeof record.szPointNumber);
    std::strncpy(record.szUnit, unit, sizeof record.szUnit);
    record.fValue = value;
    record.dtTime = time;
    return record;
}

// 2025-12-10 08:09:10 and a little.
constexpr double kTime = 46001.0 + (8 * 3600 + 9 * 60 + 10.2) / 86400.0;

class DatabaseWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_dbwriter_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        testdb::CreateMeasureTable();
    }
    void TearDown() override {
        m_writer.reset();
        DisConncetDb();
        std::filesystem::remove_all(m_folder);
    }

    CDatabaseWriter& Writer() {
        if (!m_writer) {
            m_writer = std::make_unique<CDatabaseWriter>(m_folder, [this] { ++m_notified; });
        }
        return *m_writer;
    }
    // Hands the records over as the message does, then waits for the writer.
    void Send(const std::vector<MeasureValueRecord>& records) {
        std::vector<MeasureValueRecord> transient = records;
        Writer().OnWriteDatabase(transient.data(), static_cast<int>(transient.size()));
        if (!transient.empty()) {
            std::memset(transient.data(), 0xAB, transient.size() * sizeof(MeasureValueRecord));
        }
        ASSERT_TRUE(Writer().WaitIdle(30000));
    }
    // The rows, read once the writer (and its connection) is gone.
    std::vector<std::vector<std::string>> Rows() {
        m_writer.reset();
        return testdb::MeasureRows();
    }

    std::string m_folder;
    std::unique_ptr<CDatabaseWriter> m_writer;
    std::atomic<int> m_notified{0};
};

TEST_F(DatabaseWriterTest, NamedPointsBecomeRowsInOrder) {
    testdb::WriteWriterSettings(m_folder, "1", {"A", "", "C"});
    Send({Record("P'1", "με", 12.34567f, kTime), Record("P2", "kN", 1, kTime),
          Record("P3", "mm", -0.0004f, kTime)});
    EXPECT_EQ(Writer().IsConnected(), 1);
    // The record whose point key is empty is skipped; the next one is written.
    const std::vector<std::vector<std::string>> expected = {
        {"QL-07", "P'1", "2025-12-10 08:09:10", "με", "12.346"},
        {"QL-07", "P3", "2025-12-10 08:09:10", "mm", "-0"},
    };
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(m_notified.load(), 0);
}

// A stored-value marker is no measurement: its row holds NULL, never the
// marker's number; values at the markers' edge stay numbers.
TEST_F(DatabaseWriterTest, MarkersAreWrittenAsNull) {
    const float values[] = {8388609.0f, -8388609.0f, 8388610.0f, 9.0e6f, -1.0e7f, 8388608.0f, -8388608.0f};
    std::vector<MeasureValueRecord> records;
    std::vector<std::string> points;
    for (float value : values) {
        records.push_back(Record("P", "με", value, kTime));
        points.push_back("M");
    }
    testdb::WriteWriterSettings(m_folder, "1", points);
    Send(records);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), std::size(values));
    const char* expected[] = {"NULL", "NULL", "NULL", "NULL", "NULL", "8388608", "-8388608"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][4], expected[i]) << values[i];
        EXPECT_EQ(rows[i][1], "P") << "the row itself is written";
    }
    EXPECT_EQ(m_notified.load(), 0);
}

TEST_F(DatabaseWriterTest, NothingUnlessWriteDbIsOne) {
    for (const char* writeDB : {"", "0", "2"}) {
        testdb::WriteWriterSettings(m_folder, writeDB, {"A"});
        Send({Record("P1", "mm", 1, kTime)});
        EXPECT_EQ(Writer().IsConnected(), 0) << writeDB;
    }
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(m_notified.load(), 0);
}

TEST_F(DatabaseWriterTest, NoRecordsConnectsAndWritesNothing) {
    testdb::WriteWriterSettings(m_folder, "1", {"A"});
    Send({});
    EXPECT_EQ(Writer().IsConnected(), 1);
    EXPECT_TRUE(Rows().empty());
}

TEST_F(DatabaseWriterTest, AFailedConnectIsReportedOnceAndRetriedWithFreshSettings) {
    testdb::WriteWriterSettings(m_folder, "1", {"A"}, "wrong");
    Send({Record("P1", "mm", 1, kTime)});
    Send({Record("P2", "mm", 2, kTime)});
    EXPECT_EQ(Writer().IsConnected(), 0);
    EXPECT_EQ(m_notified.load(), 1);
    EXPECT_EQ(Writer().TakeReport(), "连接数据库qv7411失败。");
    EXPECT_EQ(Writer().TakeReport(), "");
    testdb::WriteWriterSettings(m_folder, "1", {"A"});
    Send({Record("P3", "mm", 3, kTime)});
    EXPECT_EQ(Writer().IsConnected(), 1);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], "P3");
}

// The server goes away between two messages: the insert fails, the rest of
// that message is dropped, and once the server is back the next message
// connects anew. A later failure streak is reported again.
TEST_F(DatabaseWriterTest, AServerOutageFailsOneMessageAndTheNextReconnects) {
    testdb::WriteWriterSettings(m_folder, "1", {"A", "B"});
    Send({Record("P1", "mm", 1, kTime)});
    testdb::Halt();
    Send({Record("P2", "mm", 2, kTime), Record("P3", "mm", 3, kTime)});
    EXPECT_EQ(Writer().IsConnected(), 0);
    EXPECT_EQ(Writer().TakeReport(), "数据库Marbeck写入数据失败。");
    testdb::Resume();
    Send({Record("P4", "mm", 4, kTime)});
    EXPECT_EQ(Writer().IsConnected(), 1);
    EXPECT_EQ(m_notified.load(), 1);
    testdb::Halt();
    Send({Record("P5", "mm", 5, kTime)});
    testdb::Resume();
    EXPECT_EQ(m_notified.load(), 2);
    const auto rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], "P1");
    EXPECT_EQ(rows[1][1], "P4");
}

// A peer that accepts the connection and never says a word: the handler
// returns at once, the connect gives up after the login time-out, and the
// failure is reported once for the whole streak.
TEST_F(DatabaseWriterTest, APeerThatNeverAnswersTimesOut) {
    const testdb::SilentServer silent;
    testdb::WriteWriterSettings(m_folder, "1", {"A"});
    ASSERT_TRUE(platform::WritePrivateProfileString("DataBase", "Port", std::to_string(silent.Port()),
                                                    CDatabaseWriter::SettingsPath(m_folder)));
    Writer().SetTimeouts(1, 1);
    const auto start = std::chrono::steady_clock::now();
    const MeasureValueRecord records[] = {Record("P1", "mm", 1, kTime)};
    Writer().OnWriteDatabase(records, 1);
    Writer().OnWriteDatabase(records, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    ASSERT_TRUE(Writer().WaitIdle(30000));
    EXPECT_EQ(Writer().TakeReport(), "连接数据库qv7411失败。");
    EXPECT_EQ(m_notified.load(), 1);
}

} // namespace
