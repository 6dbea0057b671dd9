// Reading and writing the channel-parameter file.
#include "project/ChannelParamFile.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

#include "model/ChannelDefaults.h"

namespace {

constexpr std::uint32_t STATE_RECORD_SIZE = sizeof(ChannelStateRecord);

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool WriteAll(std::FILE* f, const void* data, std::size_t size) {
    return std::fwrite(data, 1, size, f) == size;
}

bool WriteTables(std::FILE* f) {
    ChannelParamFileHeader header{};
    header.magic[0] = 'Q';
    header.magic[1] = 'V';
    header.nStateRecordSize = STATE_RECORD_SIZE;
    return WriteAll(f, g_ChannelParams, sizeof(g_ChannelParams)) && WriteAll(f, &header, sizeof(header)) &&
           WriteAll(f, g_ChannelState, sizeof(g_ChannelState)) &&
           WriteAll(f, g_AlarmTable, sizeof(g_AlarmTable));
}

// The bytes of the existing file past the tables written, copied to the
// new file so that a save never cuts what another writer put behind them.
bool CopyTail(const std::string& path, std::FILE* to, long from) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f || std::fseek(f.get(), from, SEEK_SET) != 0)
        return true; // no old file, or nothing behind the tables
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
        if (!WriteAll(to, buffer, n))
            return false;
    }
    return std::ferror(f.get()) == 0;
}

// Reads up to size bytes; false on a read error (a short file is not one).
bool ReadUpTo(std::FILE* f, void* data, std::size_t size) {
    std::fread(data, 1, size, f);
    return std::ferror(f) == 0;
}

bool IsOurHeader(const ChannelParamFileHeader& header) {
    return header.magic[0] == 'Q' && header.magic[1] == 'V' && header.nStateRecordSize == STATE_RECORD_SIZE;
}

// Text fields come from the file: make sure every reader finds their end.
void TerminateTexts() {
    for (ChannelParamRecord& r : g_ChannelParams) {
        r.szUnit[sizeof(r.szUnit) - 1] = '\0';
        r.szDescription[sizeof(r.szDescription) - 1] = '\0';
    }
}

void ClearAlarmsOfHiddenChannels() {
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        if (g_ChannelParams[id].bShown == 0 || g_ChannelState[id].bPresent == 0) {
            g_ChannelParams[id].bAlarmEnabled = 0;
        }
    }
}

} // namespace

int SaveChannelParamFile(const std::string& path) {
    if (path.empty()) {
        return 0;
    }
    const std::string tempPath = path + ".tmp";
    bool ok = false;
    {
        FilePtr f(std::fopen(tempPath.c_str(), "wb"));
        if (!f) {
            return 0;
        }
        ok = WriteTables(f.get());
        const long written = std::ftell(f.get());
        ok = ok && written > 0 && CopyTail(path, f.get(), written) && std::fflush(f.get()) == 0 &&
             fsync(fileno(f.get())) == 0;
        ok = (std::fclose(f.release()) == 0) && ok;
    }
    if (!ok || std::rename(tempPath.c_str(), path.c_str()) != 0) {
        std::remove(tempPath.c_str());
        return 0;
    }
    return 1;
}

ChannelParamFileCheck CheckChannelParamFile(const std::string& path) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? ChannelParamFileCheck::Unreadable
                                                : ChannelParamFileCheck::Missing;
    }
    ChannelParamFileHeader header{};
    if (std::fseek(f.get(), static_cast<long>(CHN_HEADER_OFFSET), SEEK_SET) != 0 ||
        std::fread(&header, 1, sizeof(header), f.get()) != sizeof(header) || !IsOurHeader(header)) {
        return ChannelParamFileCheck::Damaged;
    }
    return ChannelParamFileCheck::Usable;
}

namespace {

// The three tables as they were before a load, put back when it fails.
struct ChannelTables {
    ChannelParamRecord params[MAX_CHANNEL_COUNT];
    ChannelStateRecord state[MAX_CHANNEL_COUNT];
    AlarmRecord alarms[MAX_CHANNEL_COUNT];
};

std::unique_ptr<ChannelTables> TakeTables() {
    auto tables = std::make_unique<ChannelTables>();
    std::memcpy(tables->params, g_ChannelParams, sizeof(g_ChannelParams));
    std::memcpy(tables->state, g_ChannelState, sizeof(g_ChannelState));
    std::memcpy(tables->alarms, g_AlarmTable, sizeof(g_AlarmTable));
    return tables;
}

void RestoreTables(const ChannelTables& tables) {
    std::memcpy(g_ChannelParams, tables.params, sizeof(g_ChannelParams));
    std::memcpy(g_ChannelState, tables.state, sizeof(g_ChannelState));
    std::memcpy(g_AlarmTable, tables.alarms, sizeof(g_AlarmTable));
}

int ReadTables(std::FILE* f) {
    ChannelParamFileHeader header{};
    if (std::fseek(f, static_cast<long>(CHN_HEADER_OFFSET), SEEK_SET) != 0 ||
        !ReadUpTo(f, &header, sizeof(header))) {
        return 0;
    }
    if (!IsOurHeader(header)) {
        ResetChannelRecords();
        return 1;
    }
    std::rewind(f);
    if (!ReadUpTo(f, g_ChannelParams, sizeof(g_ChannelParams))) {
        return 0;
    }
    TerminateTexts();
    std::fseek(f, static_cast<long>(CHN_STATE_OFFSET), SEEK_SET);
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        SetStateRecordDefaults(id);
        SetAlarmRecordDefaults(id);
    }
    if (!ReadUpTo(f, g_ChannelState, sizeof(g_ChannelState)) ||
        !ReadUpTo(f, g_AlarmTable, sizeof(g_AlarmTable))) {
        return 0;
    }
    ClearAlarmsOfHiddenChannels();
    return 1;
}

} // namespace

int LoadChannelParamFile(const std::string& path) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        return 0;
    }
    const std::unique_ptr<ChannelTables> before = TakeTables();
    if (!ReadTables(f.get())) {
        RestoreTables(*before);
        return 0;
    }
    return 1;
}
