// Alarm evaluation of one converted sample set and the tab-separated alarm log.
#include "acquisition/AlarmEvaluation.h"

#include "app/CaseTables.h"
#include "app/ChannelNaming.h"
#include "app/TimeTexts.h"
#include "datafiles/SampleFileFormat.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Time.h"

#include <cstdio>
#include <map>
#include <mutex>

int CAlarmEvaluation::BuildAlarmChannelList() {
    m_Watched.clear();
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int id = g_ChannelList[i];
        if (IsValidChannelId(id) && g_ChannelState[id].bPresent && g_AlarmTable[id].bEnabled)
            m_Watched.push_back(id);
    }
    return static_cast<int>(m_Watched.size());
}

bool CAlarmEvaluation::IsAlarm(const AlarmRecord& record, float v) {
    const float upper = record.fUpper;
    const float lower = record.fLower;
    switch (record.nAlarmType) {
    case 0:
        return v >= upper;
    case 1:
        return v < lower;
    case 2:
        return lower <= v && v < upper;
    case 3:
        return v < lower || v >= upper;
    default:
        return false;
    }
}

bool CAlarmEvaluation::EvaluateAlarms(const float* values, std::vector<AlarmEntry>& alarmList) const {
    if (m_Watched.empty() || !values)
        return false;
    alarmList.clear();
    bool result = false;
    for (const std::int32_t id : m_Watched) {
        const int unit = id / 16;
        const int slot = g_CaseSlot[unit];
        if (slot < 0 || slot >= MAX_CASE_COUNT)
            continue;
        const int position = slot * 16 + id % 16;
        if (position >= MAX_CHANNEL_COUNT)
            continue;
        const AlarmRecord record = g_AlarmTable[id];
        const float v = values[position];
        // A channel not balanced or without a value has no level to compare.
        if (IsSpecialValue(v))
            continue;
        if (IsAlarm(record, v)) {
            alarmList.push_back({record, v});
            result = true;
        }
    }
    return result;
}

int CAlarmEvaluation::OnAlarmCheck(const float* values) {
    if (!values)
        return 0;
    bool result = false;
    {
        std::lock_guard<std::mutex> lock(m_resultMutex);
        result = EvaluateAlarms(values, m_AlarmList);
        m_bAlarmState = result;
    }
    // Only the evaluating thread changes the list: it is read here unlocked.
    if (result)
        ExportAlarmList(m_AlarmList);
    return 1;
}

int CAlarmEvaluation::ExportAlarmList(const std::vector<AlarmEntry>& alarmList) {
    if (m_strFolder.empty() || m_strName.empty() || m_Watched.empty())
        return 0;
    const std::string path = m_strFolder + "/" + m_strName + ".xls";
    platform::CriticalSection none;
    std::lock_guard<platform::CriticalSection> lock(m_pLock ? *m_pLock : none);
    std::map<std::int32_t, float> alarmValue;
    for (const AlarmEntry& entry : alarmList)
        alarmValue[entry.record.nChannelId] = entry.fValue;

    std::string text;
    const bool fresh = !m_bAppend || !platform::FileExists(path);
    if (fresh) {
        text = "报警时间\t";
        for (const std::int32_t id : m_Watched)
            text += " " + FormatChannelName(id) + "\t";
        text += "\r\n";
    }
    text += FormatOleDateTime(platform::NowOleDate()) + "\t";
    char cell[64];
    for (const std::int32_t id : m_Watched) {
        const auto it = alarmValue.find(id);
        if (it != alarmValue.end()) {
            std::snprintf(cell, sizeof cell, "%.3f\t", static_cast<double>(it->second));
            text += cell;
        } else {
            text += "\t";
        }
    }
    text += "\r\n";
    std::FILE* file = std::fopen(path.c_str(), fresh ? "wb" : "ab");
    if (!file)
        return 0;
    const std::string bytes = platform::Utf8ToGbk(text);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    // Later sets of the same run add their lines under this header.
    m_bAppend = true;
    return written ? 1 : 0;
}
