// The database writer's thread and its per-message rules.
#include "acquisition/DatabaseWriter.h"

#include "libs/database/Dovrin.h"
#include "model/ValueConversion.h"
#include "platform/Profile.h"
#include "platform/Time.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <utility>

namespace {

constexpr const char* kInsert =
    "insert into 应变监测数据记录表(桥梁编号,测点编号,采集时间,工程单位,测量值) values (?,?,?,?,?)";
constexpr std::size_t kValueLength = 128;

std::string Setting(const char* section, const std::string& key, const char* fallback,
                    const std::string& path) {
    char value[kValueLength];
    platform::GetPrivateProfileString(section, key, fallback, value, sizeof value, path);
    return value;
}

// A fixed text field of a record, up to its terminator or its end.
std::string FieldText(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

// The time rounded to the second, as the row's "%Y-%m-%d %H:%M:%S" text
// holds it; a time that is not valid goes in as NULL.
DbVariant RowTime(const MeasureValueRecord& record) {
    platform::LocalDateTime t;
    if (record.nTimeStatus != 0 || !platform::LocalFromOleDate(record.dtTime, t)) {
        return DbVariant::Null();
    }
    const bool roundUp = t.millisecond >= 500;
    t.millisecond = 0;
    double date = 0;
    platform::OleDateFromLocal(t, date);
    return DbVariant::Date(roundUp ? date + 1.0 / 86400.0 : date);
}

// The value with three decimals. A stored-value marker (unbalanced, no
// value, the third marker, an overflow) is no measurement: the row gets NULL.
DbVariant RowValue(float value) {
    if (!std::isfinite(value) || std::fabs(value) > kMarkerThreshold) {
        return DbVariant::Null();
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(value));
    return DbVariant::Real8(std::strtod(text, nullptr));
}

} // namespace

CDatabaseWriter::CDatabaseWriter(std::string programFolder, std::function<void()> notify)
    : m_strProgramFolder(std::move(programFolder)), m_notify(std::move(notify)) {
    m_thread = std::thread([this] { Run(); });
}

CDatabaseWriter::~CDatabaseWriter() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
        m_queue.clear();
    }
    m_changed.notify_all();
    m_thread.join();
    if (m_bDBConnected.load() != 0) {
        DisConncetDb();
    }
}

std::string CDatabaseWriter::SettingsPath(const std::string& programFolder) {
    return programFolder + "/PositionInfo.ini";
}

platform::LRESULT CDatabaseWriter::OnWriteDatabase(const MeasureValueRecord* records, int count) {
    const std::string path = SettingsPath(m_strProgramFolder);
    if (std::atoi(Setting("DataBase", "WriteDB", "0", path).c_str()) != 1) {
        return 0;
    }
    std::vector<MeasureValueRecord> copy;
    if (records != nullptr && count > 0) {
        copy.assign(records, records + count);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(copy));
    }
    m_changed.notify_all();
    return 0;
}

std::string CDatabaseWriter::TakeReport() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::exchange(m_strReport, std::string());
}

bool CDatabaseWriter::WaitIdle(int milliseconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                              [this] { return m_queue.empty() && !m_bBusy; });
}

void CDatabaseWriter::SetTimeouts(int loginSeconds, int querySeconds) {
    m_nLoginTimeout = loginSeconds;
    m_nQueryTimeout = querySeconds;
}

void CDatabaseWriter::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
        if (m_bStop) {
            return;
        }
        std::vector<MeasureValueRecord> records = std::move(m_queue.front());
        m_queue.pop_front();
        m_bBusy = true;
        lock.unlock();
        try {
            Write(records);
        } catch (const std::exception&) {
            Report("Err!");
            DisConncetDb();
            m_bDBConnected = 0;
        }
        lock.lock();
        m_bBusy = false;
        m_changed.notify_all();
    }
}

void CDatabaseWriter::Report(const std::string& text) {
    if (m_bReported) {
        return;
    }
    m_bReported = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strReport = text;
    }
    if (m_notify) {
        m_notify();
    }
}

bool CDatabaseWriter::Connect(const std::string& path) {
    const std::string server = Setting("DataBase", "IP", "127.0.0.1", path);
    const std::string database = Setting("DataBase", "DB", "qv7411", path);
    const std::string user = Setting("DataBase", "User", "kq", path);
    const std::string password = Setting("DataBase", "Pwd", "kq", path);
    const int port = std::atoi(Setting("DataBase", "Port", "1433", path).c_str());
    const int type = std::atoi(Setting("DataBase", "Type", "0", path).c_str());
    const std::string driver = Setting("DataBase", "Driver", "FreeTDS", path);
    SetDbTimeouts(m_nLoginTimeout.load(), m_nQueryTimeout.load());
    if (InitAndConnectDB2005(server, database, user, password, type == 1 ? "sqlexpress" : "", port, driver) ==
        0) {
        Report("连接数据库" + database + "失败。");
        return false;
    }
    m_bDBConnected = 1;
    return true;
}

void CDatabaseWriter::Write(const std::vector<MeasureValueRecord>& records) {
    const std::string path = SettingsPath(m_strProgramFolder);
    const std::string project = Setting("PositionInfo", "ProjectNum", "001", path);
    if (m_bDBConnected.load() == 0 && !Connect(path)) {
        return;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (Setting("PositionInfo", "MeasurePoint" + std::to_string(i), "", path).empty()) {
            continue;
        }
        const MeasureValueRecord& record = records[i];
        // The values are bound, never spliced into the statement.
        CSQLParam params[] = {
            {"ProjectNum", adVarChar, adParamInput, kValueLength, DbVariant::Text(project)},
            {"PointNumber", adVarChar, adParamInput, 20,
             DbVariant::Text(FieldText(record.szPointNumber, sizeof record.szPointNumber))},
            {"Time", adDBTimeStamp, adParamInput, 8, RowTime(record)},
            {"Unit", adVarChar, adParamInput, 16,
             DbVariant::Text(FieldText(record.szUnit, sizeof record.szUnit))},
            {"Value", adDouble, adParamInput, 8, RowValue(record.fValue)},
        };
        if (ExecuteSQL(kInsert, adCmdText, 5, params) == 0) {
            Report("数据库Marbeck写入数据失败。");
            DisConncetDb();
            m_bDBConnected = 0;
            return;
        }
    }
    m_bReported = false; // the message went through: the failure streak ends
}
