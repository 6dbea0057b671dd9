// The project's alarm log (<project>.xls): a header of the watched channels,
// then a tab-separated line for each sample set in alarm. The file stays open
// for a run and takes its lines through a buffer, so that a set in alarm
// costs the formatting of its line, not an open, a write and a close.
#pragma once

#include "acquisition/AlarmEvaluation.h"

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

class CAlarmEvaluationLog {
public:
    CAlarmEvaluationLog();
    ~CAlarmEvaluationLog();
    CAlarmEvaluationLog(const CAlarmEvaluationLog&) = delete;
    CAlarmEvaluationLog& operator=(const CAlarmEvaluationLog&) = delete;

    // A run's log: writes out (under watched's header) and closes the
    // previous one. append false starts the file anew, with its header, at
    // the run's first line.
    void SetTarget(const std::string& folder, const std::string& name, bool append,
                   platform::CriticalSection* lock, const std::vector<std::int32_t>& watched);
    // Adds the line of one set's alarm list; false (nothing kept) without a
    // project or a watched channel. Lines wait in the buffer until WriteOut.
    bool AddLine(const std::vector<std::int32_t>& watched, const std::vector<AlarmEntry>& alarmList);
    // Puts the waiting lines in the file (opening it, with the header when it
    // is new); lines the file cannot take are dropped, as no one is told.
    // False when lines were dropped.
    bool WriteOut(const std::vector<std::int32_t>& watched);
    // Writes out and closes the file; a later line opens it again to append.
    void Close(const std::vector<std::int32_t>& watched);

private:
    // The local time text of a line, as "%d-%d-%d %02d:%02d:%02d".
    const std::string& NowText();
    bool WriteOutLocked(const std::vector<std::int32_t>& watched);
    bool Open(const std::vector<std::int32_t>& watched);
    void CloseFile();
    std::string Path() const { return m_strFolder + "/" + m_strName + ".xls"; }

    // Guards everything below: the evaluating thread adds lines and writes
    // them out, the window thread starts and closes a run's log.
    std::mutex m_mutex;
    std::string m_strFolder;
    std::string m_strName;
    bool m_bAppend = false;
    platform::CriticalSection* m_pLock = nullptr;
    std::FILE* m_pFile = nullptr;
    std::vector<char> m_Lines; // lines not yet written, m_nLineBytes of them used
    std::size_t m_nLineBytes = 0;
    // The alarm value of a channel in the line being formatted: valid where
    // the stamp is the line's own, so that nothing is cleared per line.
    std::vector<std::uint32_t> m_ValueStamp;
    std::vector<float> m_Value;
    std::uint32_t m_nStamp = 0;
    std::int64_t m_nTextSecond = -1;
    std::string m_strTimeText;
};
