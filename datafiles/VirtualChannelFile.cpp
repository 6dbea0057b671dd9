// Reading and writing virtual-channel definitions.
#include "model/VirtualChannelFile.h"

#include <algorithm>

#include "datafiles/RawFile.h"

int WriteVirtualChannelFile(const std::string& path, const std::vector<VirtualChannelRecord>& records) {
    CRawFile file;
    if (!file.Open(path.c_str(), CRawFile::kCreate | CRawFile::kWrite)) {
        return 0;
    }
    VirtualChannelFileHeader header{};
    header.nCount = static_cast<std::int32_t>(records.size());
    const bool ok =
        file.WriteAll(&header, sizeof(header)) &&
        (records.empty() || file.WriteAll(records.data(), records.size() * sizeof(VirtualChannelRecord)));
    file.Close();
    return ok ? 1 : 0;
}

int ReadVirtualChannelFile(const std::string& path, std::vector<VirtualChannelRecord>& records) {
    records.clear();
    CRawFile file;
    if (!file.Open(path.c_str(), CRawFile::kRead)) {
        return 0;
    }
    VirtualChannelFileHeader header{};
    const std::int64_t length = file.Length();
    if (file.ReadAt(0, &header, sizeof(header)) != sizeof(header)) {
        file.Close();
        return 0;
    }
    if (header.nCount <= 0) {
        file.Close();
        return 1;
    }
    const std::int64_t stored = std::max<std::int64_t>(0, (length - std::int64_t(sizeof(header))) /
                                                              std::int64_t(sizeof(VirtualChannelRecord)));
    const std::int64_t count = std::min<std::int64_t>({header.nCount, MAX_VIRTUAL_CHANNEL_COUNT, stored});
    records.resize(static_cast<std::size_t>(count));
    const std::int64_t bytes = count * std::int64_t(sizeof(VirtualChannelRecord));
    const bool ok = count == 0 || file.ReadAt(sizeof(header), records.data(), bytes) == bytes;
    file.Close();
    if (!ok) {
        records.clear();
        return 0;
    }
    return count == header.nCount ? 1 : 0;
}

bool IsVirtualChannelFileSound(const std::string& path) {
    CRawFile file;
    if (!file.Open(path.c_str(), CRawFile::kRead))
        return true;
    VirtualChannelFileHeader header{};
    const std::int64_t length = file.Length();
    const bool read = file.ReadAt(0, &header, sizeof(header)) == sizeof(header);
    file.Close();
    return read && header.nCount >= 0 && header.nCount <= MAX_VIRTUAL_CHANNEL_COUNT &&
           length == std::int64_t(sizeof(header)) +
                         std::int64_t(header.nCount) * std::int64_t(sizeof(VirtualChannelRecord));
}
