// 10,000 measured values through the database writer (the frame's message,
// the writer's thread, one bound insert a record) against a plain loop of
// one prepared insert executed 10,000 times on the same connection kind,
// the two in turn (wall time; "ratio" is the median of the pairs' ratios).
// Starts a throwaway PostgreSQL cluster of its own for the run.
#include <benchmark/benchmark.h>

#include "acquisition/DatabaseWriter.h"
#include "libs/database/Dovrin.h"
#include "platform/Profile.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 10000;
constexpr const char* kDriver = "PostgreSQL ANSI";

struct Cluster {
    std::string folder;
    std::string info;
    int port = 0;

    Cluster() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_bench_db_XXXXXX").string();
        folder = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        info = folder + "/cluster.info";
        if (std::system((std::string(QV_PG_CLUSTER) + " start " + info).c_str()) == 0) {
            std::ifstream file(info);
            std::string data;
            file >> data >> port;
        }
    }
    ~Cluster() {
        std::system((std::string(QV_PG_CLUSTER) + " stop " + info).c_str());
        std::filesystem::remove_all(folder);
    }
};

Cluster& TheCluster() {
    static Cluster cluster;
    return cluster;
}

void ResetTable() {
    InitAndConnectDB2005("127.0.0.1", "qv7411", "qvtest", "qvtest", "", TheCluster().port, kDriver);
    ExecuteSQL("drop table if exists 应变监测数据记录表", adCmdText, 0, nullptr);
    ExecuteSQL(
        "create table 应变监测数据记录表(桥梁编号 varchar(128), 测点编号 varchar(20), 采集时间 timestamp, "
        "工程单位 varchar(16), 测量值 double precision)",
        adCmdText, 0, nullptr);
    DisConncetDb();
}

std::vector<MeasureValueRecord> Records() {
    std::vector<MeasureValueRecord> records(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        std::snprintf(records[i].szPointNumber, sizeof records[i].szPointNumber, "P%05d", i);
        std::strcpy(records[i].szUnit, "με");
        records[i].fValue = static_cast<float>(i) * 0.001f;
        records[i].dtTime = 46001.5 + i / 86400.0;
    }
    return records;
}

double NowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The writer's settings file in the cluster's folder: the cluster's database
// and a measure point for every record.
void WriteWriterSettings(const Cluster& cluster) {
    const std::string path = CDatabaseWriter::SettingsPath(cluster.folder);
    const std::pair<const char*, std::string> keys[] = {{"WriteDB", "1"},
                                                        {"DB", "qv7411"},
                                                        {"User", "qvtest"},
                                                        {"Pwd", "qvtest"},
                                                        {"Port", std::to_string(cluster.port)},
                                                        {"Driver", kDriver}};
    for (const auto& [key, value] : keys) {
        platform::WritePrivateProfileString("DataBase", key, value, path);
    }
    for (int i = 0; i < kRecords; ++i) {
        platform::WritePrivateProfileString("PositionInfo", "MeasurePoint" + std::to_string(i), "P", path);
    }
}

// Wall seconds of the records through the database writer: its message, its
// thread, one bound insert a record. The table is made anew before.
double TimeWriter(const Cluster& cluster, const std::vector<MeasureValueRecord>& records) {
    ResetTable();
    CDatabaseWriter writer(cluster.folder, nullptr);
    const double start = NowSeconds();
    writer.OnWriteDatabase(records.data(), kRecords);
    writer.WaitIdle(600000);
    return NowSeconds() - start;
}

// Wall seconds of a plain ODBC loop: connect, prepare one insert, execute it
// for every record; a negative value when an insert failed.
double TimePreparedLoop(const Cluster& cluster, const std::vector<MeasureValueRecord>& records) {
    ResetTable();
    const double start = NowSeconds();
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT stmt;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string connect = "Driver=" + std::string(kDriver) +
                          ";Server=127.0.0.1;Port=" + std::to_string(cluster.port) +
                          ";Database=qv7411;UID=qvtest;PWD=qvtest;";
    SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(connect.data()), SQL_NTS, nullptr, 0, nullptr,
                     SQL_DRIVER_NOPROMPT);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    std::string insert =
        "insert into 应变监测数据记录表(桥梁编号,测点编号,采集时间,工程单位,测量值) values (?,?,?,?,?)";
    SQLPrepare(stmt, reinterpret_cast<SQLCHAR*>(insert.data()), SQL_NTS);
    char project[] = "001";
    char point[20];
    char unit[16];
    SQL_TIMESTAMP_STRUCT time{2025, 12, 10, 12, 0, 0, 0};
    double value = 0;
    SQLLEN nts = SQL_NTS;
    SQLLEN fixed = 0;
    SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 128, 0, project, 0, &nts);
    SQLBindParameter(stmt, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, point, 0, &nts);
    SQLBindParameter(stmt, 3, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3, &time, 0,
                     &fixed);
    SQLBindParameter(stmt, 4, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 16, 0, unit, 0, &nts);
    SQLBindParameter(stmt, 5, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 8, 0, &value, 0, &fixed);
    bool failed = false;
    for (const MeasureValueRecord& record : records) {
        std::memcpy(point, record.szPointNumber, sizeof point);
        std::memcpy(unit, record.szUnit, sizeof unit);
        value = record.fValue;
        if (!SQL_SUCCEEDED(SQLExecute(stmt))) {
            failed = true;
            break;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return failed ? -1.0 : NowSeconds() - start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The writer and the plain loop in turn, a pair an iteration, after one
// unmeasured pair that warms the server, the driver and the caches: the
// medians of each and of the pairs' ratios, and the ratios' spread. Pairs
// taken in turn see the same load, which a loaded machine changes from
// one second to the next.
void BM_WriterAgainstPreparedLoop(benchmark::State& state) {
    Cluster& cluster = TheCluster();
    WriteWriterSettings(cluster);
    const std::vector<MeasureValueRecord> records = Records();
    TimeWriter(cluster, records);
    TimePreparedLoop(cluster, records);
    std::vector<double> writer, plain, ratios;
    for (auto _ : state) {
        const double w = TimeWriter(cluster, records);
        const double p = TimePreparedLoop(cluster, records);
        if (p <= 0) {
            state.SkipWithError("insert failed");
            break;
        }
        writer.push_back(w);
        plain.push_back(p);
        ratios.push_back(w / p);
        state.SetIterationTime(w + p);
    }
    if (ratios.empty())
        return;
    state.counters["writer_ms"] = Median(writer) * 1e3;
    state.counters["plain_ms"] = Median(plain) * 1e3;
    state.counters["ratio"] = Median(ratios);
    state.counters["ratio_min"] = *std::min_element(ratios.begin(), ratios.end());
    state.counters["ratio_max"] = *std::max_element(ratios.begin(), ratios.end());
}
BENCHMARK(BM_WriterAgainstPreparedLoop)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

} // namespace

BENCHMARK_MAIN();
