// The frame's alarm watch: which channels are watched in a run, which of them
// are in alarm for the last sample set, and the project's alarm log.
#pragma once

#include "model/AlarmLevels.h"
#include "model/ChannelRecords.h"
#include "platform/Sync.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#pragma pack(push, 1)
// The five words of a channel's alarm record and the value that raised it.
struct AlarmEntry {
    AlarmRecord record;
    float fValue;
};
#pragma pack(pop)
static_assert(sizeof(AlarmEntry) == 24, "an alarm entry is five record words and a float");

class CAlarmEvaluationLog;

class CAlarmEvaluation {
public:
    CAlarmEvaluation();
    // Writes out what the log still holds.
    ~CAlarmEvaluation();

    // Watched channels of the online channel list: present and alarm on.
    int BuildAlarmChannelList();
    // values: frame-ordered converted values. False (list untouched) when
    // nothing is watched.
    bool EvaluateAlarms(const float* values, std::vector<AlarmEntry>& alarmList) const;
    // Handler of the alarm check: evaluates, keeps the state and logs an
    // alarm, whose line is in the file on return; 0 for a null value array.
    // One thread at a time evaluates (the thread that processes the run's
    // sets); any thread reads the result.
    int OnAlarmCheck(const float* values);
    // The same for a set of a batch: the line waits for WriteLog, which the
    // batch's end calls.
    int CheckBatchSet(const float* values);
    // Adds the log line of an alarm list; 1 when the project has a log
    // (a project path and a watched channel).
    int ExportAlarmList(const std::vector<AlarmEntry>& alarmList);
    // Puts the lines that wait in the log file.
    void WriteLog();
    // The run's end: the log is written out and closed.
    void CloseLog();

    // Whether one value raises an alarm under a record's type and limits.
    static bool IsAlarm(const AlarmRecord& record, float value) {
        return IsAlarmLevel(record.nAlarmType, value, record.fUpper, record.fLower);
    }

    // Where the log goes: the project's folder and name, whether the run
    // appends to the current project, and the lock the log is written under.
    void SetLogTarget(const std::string& folder, const std::string& name, bool append,
                      platform::CriticalSection* lock);

    const std::vector<std::int32_t>& GetWatchedChannels() const { return m_Watched; }
    // The channels in alarm and the state of the last evaluated set.
    std::vector<AlarmEntry> GetAlarmList() const {
        std::lock_guard<std::mutex> lock(m_resultMutex);
        return m_AlarmList;
    }
    bool GetAlarmState() const {
        std::lock_guard<std::mutex> lock(m_resultMutex);
        return m_bAlarmState;
    }

private:
    mutable std::mutex m_resultMutex; // guards m_AlarmList and m_bAlarmState against their readers
    std::vector<std::int32_t> m_Watched;
    std::vector<AlarmEntry> m_AlarmList;
    bool m_bAlarmState = false;
    std::unique_ptr<CAlarmEvaluationLog> m_log;
};
