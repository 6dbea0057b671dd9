// Alarm evaluation of one converted sample set and the tab-separated alarm log.
#include "acquisition/AlarmEvaluation.h"

#include "acquisition/AlarmEvaluationLog.h"
#include "datafiles/SampleFileFormat.h"
#include "model/CaseTables.h"

#include <mutex>

CAlarmEvaluation::CAlarmEvaluation() : m_log(std::make_unique<CAlarmEvaluationLog>()) {}

CAlarmEvaluation::~CAlarmEvaluation() {
    m_log->Close(m_Watched);
}

void CAlarmEvaluation::SetLogTarget(const std::string& folder, const std::string& name, bool append,
                                    platform::CriticalSection* lock) {
    m_log->SetTarget(folder, name, append, lock, m_Watched);
}

int CAlarmEvaluation::BuildAlarmChannelList() {
    // Lines still waiting go out under the header of the list they were made for.
    m_log->WriteOut(m_Watched);
    m_Watched.clear();
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int id = g_ChannelList[i];
        if (IsValidChannelId(id) && g_ChannelState[id].bPresent && g_AlarmTable[id].bEnabled)
            m_Watched.push_back(id);
    }
    return static_cast<int>(m_Watched.size());
}

bool CAlarmEvaluation::EvaluateAlarms(const float* values, std::vector<AlarmEntry>& alarmList) const {
    if (m_Watched.empty() || !values)
        return false;
    alarmList.clear();
    bool result = false;
    for (const std::int32_t id : m_Watched) {
        // Watched ids are valid channel ids: never negative.
        const auto channel = static_cast<std::uint32_t>(id);
        const int slot = g_CaseSlot[channel / 16];
        if (slot < 0 || slot >= MAX_CASE_COUNT)
            continue;
        const int position = slot * 16 + static_cast<int>(channel % 16);
        if (position >= MAX_CHANNEL_COUNT)
            continue;
        const AlarmRecord& record = g_AlarmTable[id];
        const float v = values[position];
        // A channel not balanced or without a value has no level to compare
        // (asked only of a value that would raise an alarm: most do not).
        if (IsAlarm(record, v) && !IsSpecialValue(v)) {
            alarmList.push_back({record, v});
            result = true;
        }
    }
    return result;
}

int CAlarmEvaluation::OnAlarmCheck(const float* values) {
    const int result = CheckBatchSet(values);
    WriteLog();
    return result;
}

int CAlarmEvaluation::CheckBatchSet(const float* values) {
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
    return m_log->AddLine(m_Watched, alarmList) ? 1 : 0;
}

void CAlarmEvaluation::WriteLog() {
    m_log->WriteOut(m_Watched);
}

void CAlarmEvaluation::CloseLog() {
    m_log->Close(m_Watched);
}
