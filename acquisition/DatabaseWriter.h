// The database writer: measured values handed to the frame with WM_USER+10
// become rows of the table 应变监测数据记录表, as the settings file
// "PositionInfo.ini" of the program folder says. The handler copies the
// records and returns at once; the database work runs on the writer's own
// thread, one message after another, with login and query time-outs.
// Failures are reported through a callback, once per streak of failures.
#pragma once

#include "platform/Message.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

constexpr platform::UINT WM_WRITE_DATABASE = platform::WM_USER + 10;

// A measured value as the sender hands it over (wParam: the first record,
// lParam: their count); the records are valid only during the message.
struct MeasureValueRecord {
    int32_t nReserved;      // not read
    char szUnit[16];        // engineering unit, zero-terminated
    char szPointNumber[20]; // measuring-point number, zero-terminated
    float fValue;
    double dtTime;       // acquisition time, days since 1899-12-30
    int32_t nTimeStatus; // 0 valid; otherwise the time is not known
};
static_assert(sizeof(MeasureValueRecord) == 64);

class CDatabaseWriter {
public:
    // notify runs on the writer's thread when a report is waiting for
    // TakeReport; it must only post (never wait on the user-interface thread).
    CDatabaseWriter(std::string programFolder, std::function<void()> notify);
    // Ends the thread after the message it is writing (bounded by the
    // time-outs); messages still queued are dropped.
    ~CDatabaseWriter();
    CDatabaseWriter(const CDatabaseWriter&) = delete;
    CDatabaseWriter& operator=(const CDatabaseWriter&) = delete;

    // The WM_USER+10 handler: unless "WriteDB" is 1 does nothing; else
    // copies the records and queues them. Returns 0.
    platform::LRESULT OnWriteDatabase(const MeasureValueRecord* records, int count);
    // The failure text to show ("连接数据库…失败。", "数据库Marbeck写入数据失败。",
    // "Err!"), empty when none is waiting.
    std::string TakeReport();
    // True once every queued message has been written (or given up).
    bool WaitIdle(int milliseconds);
    int IsConnected() const { return m_bDBConnected.load(); }
    // Seconds for connecting and for one insert (defaults 5 and 10).
    void SetTimeouts(int loginSeconds, int querySeconds);

    static std::string SettingsPath(const std::string& programFolder);

private:
    void Run();
    void Write(const std::vector<MeasureValueRecord>& records);
    bool Connect(const std::string& path);
    void Report(const std::string& text);

    const std::string m_strProgramFolder;
    const std::function<void()> m_notify;
    std::atomic<int> m_bDBConnected{0};
    std::atomic<int> m_nLoginTimeout{5};
    std::atomic<int> m_nQueryTimeout{10};
    bool m_bReported = false; // writer thread only: a report was made in this failure streak

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<MeasureValueRecord>> m_queue;
    bool m_bBusy = false;
    bool m_bStop = false;
    std::string m_strReport;
    std::thread m_thread;
};
