// Applying a batch of profile writes.
#include "app/ProfileWriteBatch.h"

#include <mutex>

#include "platform/ProfileFileCache.h"
#include "platform/Text.h"

void CProfileWriteBatch::WriteString(const std::string& section, const std::string& key,
                                     const std::string& value) {
    // A line break would end the value early: such a value is refused, as
    // the single-key write refuses it.
    if (value.find_first_of("\r\n") == std::string::npos) {
        m_writes.emplace_back(section, key, value);
    }
}

void CProfileWriteBatch::WriteInt(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, platform::Format("%d", value));
}

bool CProfileWriteBatch::Commit() {
    platform::ProfileFileCache& cache = platform::ProfileFileCache::Instance();
    std::lock_guard<std::mutex> lock(cache.WriteMutex());
    const platform::ProfileFileCache::Result loaded = cache.Load(m_path);
    if (loaded.status == platform::ProfileFileCache::Status::Error) {
        return false;
    }
    platform::ProfileDocument document = loaded.document ? *loaded.document : platform::ProfileDocument();
    for (const auto& [section, key, value] : m_writes) {
        document.SetValue(section, key, value);
    }
    m_writes.clear();
    return cache.Store(m_path, std::move(document));
}
