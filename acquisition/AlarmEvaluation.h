// The frame's alarm watch: which channels are watched in a run, which of them
// are in alarm for the last sample set, and the project's alarm log.
#pragma once

#include "app/ChannelRecords.h"
#include "platform/Sync.h"

#include <cstdint>
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

class CAlarmEvaluation {
public:
    // Watched channels of the online channel list: present and alarm on.
    int BuildAlarmChannelList();
    // values: frame-ordered converted values. False (list untouched) when
    // nothing is watched.
    bool EvaluateAlarms(const float* values, std::vector<AlarmEntry>& alarmList) const;
    // Handler of the alarm check: evaluates, keeps the state and logs an
    // alarm; 0 for a null value array. One thread at a time evaluates (the
    // thread that processes the run's sets); any thread reads the result.
    int OnAlarmCheck(const float* values);
    // Appends the log line of the current alarm list; 1 when written.
    int ExportAlarmList(const std::vector<AlarmEntry>& alarmList);

    // Whether one value raises an alarm under a record's type and limits.
    static bool IsAlarm(const AlarmRecord& record, float value);

    // Where the log goes: the project's folder and name, whether the run
    // appends to the current project, and the lock the log is written under.
    void SetLogTarget(const std::string& folder, const std::string& name, bool append,
                      platform::CriticalSection* lock) {
        m_strFolder = folder;
        m_strName = name;
        m_bAppend = append;
        m_pLock = lock;
    }

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
    std::string m_strFolder;
    std::string m_strName;
    bool m_bAppend = false;
    platform::CriticalSection* m_pLock = nullptr;
};
