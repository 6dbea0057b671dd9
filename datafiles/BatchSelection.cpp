// Sample times of the stored run and the choice of distribution batches.
#include "datafiles/BatchSelection.h"

#include "datafiles/DataFileAccess.h"
#include "model/GlobalDataLock.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace {

std::string CopyNameOf(const std::string& statusPath) {
    const std::string suffix = ".stu";
    if (statusPath.size() >= suffix.size() &&
        statusPath.compare(statusPath.size() - suffix.size(), suffix.size(), suffix) == 0)
        return statusPath.substr(0, statusPath.size() - suffix.size()) + ".~~u";
    return statusPath + ".~~u";
}

} // namespace

std::vector<std::string> ReadBatchTimeTexts(const std::string& statusPath, int count) {
    std::vector<std::string> texts;
    const std::string copy = CopyNameOf(statusPath);
    int fd = -1;
    {
        std::lock_guard<platform::CriticalSection> lock(g_csData);
        fd = CDataFileAccess::CopyAndOpenFile(copy, statusPath);
    }
    if (fd < 0) {
        std::remove(copy.c_str());
        return texts;
    }
    for (int i = 0; i < count; ++i) {
        SampleStatusRecord record{};
        if (::read(fd, &record, sizeof record) != static_cast<ssize_t>(sizeof record))
            break;
        texts.push_back(FormatStatusTime(record.dtTime, record.nStatus));
    }
    ::close(fd);
    std::remove(copy.c_str());
    return texts;
}

bool CBatchChoice::Add(int sampleIndex) {
    if (m_nCount >= kMaxDistributionBatches)
        return false;
    m_indices[m_nCount++] = sampleIndex;
    return true;
}

void CBatchChoice::RemoveAt(int place) {
    if (place < 0 || place >= m_nCount)
        return;
    std::copy(m_indices.begin() + place + 1, m_indices.begin() + m_nCount, m_indices.begin() + place);
    m_indices[--m_nCount] = 0;
}
