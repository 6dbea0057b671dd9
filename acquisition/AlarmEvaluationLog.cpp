// The alarm log's buffered lines and the file they go to.
#include "acquisition/AlarmEvaluationLog.h"

#include "model/ChannelNaming.h"
#include "model/TimeTexts.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Time.h"

#include <charconv>
#include <chrono>

namespace {

// More than this waiting and the lines go out before the batch ends.
constexpr std::size_t kWriteOutBytes = 1 << 20;
// The longest "%.3f\t" cell of a float: sign, 39 digits, point, 3 decimals, tab.
constexpr std::size_t kMaxCellBytes = 48;

} // namespace

CAlarmEvaluationLog::CAlarmEvaluationLog() : m_ValueStamp(MAX_CHANNEL_COUNT, 0), m_Value(MAX_CHANNEL_COUNT) {}

CAlarmEvaluationLog::~CAlarmEvaluationLog() {
    std::lock_guard<std::mutex> lock(m_mutex);
    CloseFile();
}

void CAlarmEvaluationLog::SetTarget(const std::string& folder, const std::string& name, bool append,
                                    platform::CriticalSection* lock,
                                    const std::vector<std::int32_t>& watched) {
    std::lock_guard<std::mutex> guard(m_mutex);
    WriteOutLocked(watched);
    CloseFile();
    m_strFolder = folder;
    m_strName = name;
    m_bAppend = append;
    m_pLock = lock;
}

bool CAlarmEvaluationLog::AddLine(const std::vector<std::int32_t>& watched,
                                  const std::vector<AlarmEntry>& alarmList) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_strFolder.empty() || m_strName.empty() || watched.empty())
        return false;
    if (++m_nStamp == 0) { // the stamps wrapped: none may look current
        std::fill(m_ValueStamp.begin(), m_ValueStamp.end(), 0);
        m_nStamp = 1;
    }
    // A channel listed twice shows its last value.
    for (const AlarmEntry& entry : alarmList) {
        const std::int32_t id = entry.record.nChannelId;
        if (IsValidChannelId(id)) {
            m_ValueStamp[static_cast<std::size_t>(id)] = m_nStamp;
            m_Value[static_cast<std::size_t>(id)] = entry.fValue;
        }
    }
    const std::string& time = NowText();
    // A channel watched twice takes its value twice: the bound is a cell a watched channel.
    const std::size_t most = time.size() + 3 + watched.size() * (alarmList.empty() ? 1 : kMaxCellBytes);
    if (m_Lines.size() < m_nLineBytes + most)
        m_Lines.resize(std::max(m_Lines.size() * 2, m_nLineBytes + most));
    char* p = m_Lines.data() + m_nLineBytes;
    char* const end = m_Lines.data() + m_Lines.size();
    p = std::copy(time.begin(), time.end(), p);
    *p++ = '\t';
    for (const std::int32_t id : watched) {
        const auto index = static_cast<std::size_t>(id);
        if (IsValidChannelId(id) && m_ValueStamp[index] == m_nStamp) {
            // The text of "%.3f" for the value as a double, infinities and
            // not-a-number included.
            p = std::to_chars(p, end, static_cast<double>(m_Value[index]), std::chars_format::fixed, 3).ptr;
        }
        *p++ = '\t';
    }
    *p++ = '\r';
    *p++ = '\n';
    m_nLineBytes = static_cast<std::size_t>(p - m_Lines.data());
    if (m_nLineBytes >= kWriteOutBytes)
        WriteOutLocked(watched);
    return true;
}

bool CAlarmEvaluationLog::WriteOut(const std::vector<std::int32_t>& watched) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return WriteOutLocked(watched);
}

void CAlarmEvaluationLog::Close(const std::vector<std::int32_t>& watched) {
    std::lock_guard<std::mutex> lock(m_mutex);
    WriteOutLocked(watched);
    CloseFile();
}

bool CAlarmEvaluationLog::WriteOutLocked(const std::vector<std::int32_t>& watched) {
    if (m_nLineBytes == 0)
        return true;
    platform::CriticalSection none;
    std::lock_guard<platform::CriticalSection> lock(m_pLock ? *m_pLock : none);
    // A log removed while the run goes on starts again with its header.
    if (m_pFile && !platform::FileExists(Path()))
        CloseFile();
    bool written =
        (m_pFile || Open(watched)) && std::fwrite(m_Lines.data(), 1, m_nLineBytes, m_pFile) == m_nLineBytes;
    // Flushed, so that the lines are in the file for whoever opens it (or
    // after a crash) while the run goes on.
    written = m_pFile && std::fflush(m_pFile) == 0 && written;
    m_nLineBytes = 0;
    return written;
}

bool CAlarmEvaluationLog::Open(const std::vector<std::int32_t>& watched) {
    const std::string path = Path();
    const bool fresh = !m_bAppend || !platform::FileExists(path);
    m_pFile = std::fopen(path.c_str(), fresh ? "wb" : "ab");
    if (!m_pFile)
        return false;
    // The lines come in blocks of their own: no second copy through a stdio buffer.
    std::setvbuf(m_pFile, nullptr, _IONBF, 0);
    // Later lines of the same run, and of a run reopening it, add under this header.
    m_bAppend = true;
    if (!fresh)
        return true;
    std::string header = "报警时间\t";
    for (const std::int32_t id : watched)
        header += " " + FormatChannelName(id) + "\t";
    header += "\r\n";
    const std::string bytes = platform::Utf8ToGbk(header);
    return std::fwrite(bytes.data(), 1, bytes.size(), m_pFile) == bytes.size();
}

void CAlarmEvaluationLog::CloseFile() {
    if (m_pFile)
        std::fclose(m_pFile);
    m_pFile = nullptr;
}

const std::string& CAlarmEvaluationLog::NowText() {
    // The text changes once a second: the local time is looked up then only.
    const std::int64_t second =
        std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()).time_since_epoch().count();
    if (second != m_nTextSecond) {
        double date = 0.0;
        platform::OleDateFromLocal(platform::LocalFromTimeT(second), date);
        m_strTimeText = FormatOleDateTime(date);
        m_nTextSecond = second;
    }
    return m_strTimeText;
}
