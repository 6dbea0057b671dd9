// Fuzz target: any bytes as a project file (".dap") or a channel-parameter
// file (".chn"), read the way opening a project reads them. Both stay in
// memory: the project file is handed to the profile cache as a deferred
// document of a path in no folder, the channel file is a memory file.
#include "model/CaseTables.h"
#include "model/ProjectState.h"
#include "platform/Profile.h"
#include "platform/ProfileFileCache.h"
#include "platform/Text.h"
#include "project/ChannelParamFile.h"
#include "project/ProjectFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr const char* kProjectFile = "/nonexistent-qv-fuzz-folder/Run.dap";

void ReadAsProjectFile(const std::uint8_t* data, std::size_t size) {
    platform::ProfileWriteDeferral inMemory;
    platform::ProfileFileCache::Instance().Store(
        kProjectFile, platform::ProfileDocument::FromText(
                          platform::GbkToUtf8(std::string_view(reinterpret_cast<const char*>(data), size))));
    CProjectState state;
    IsProjectFileComplete(kProjectFile);
    ReadDeviceType(kProjectFile);
    ReadProjectFile(state, kProjectFile);
    ReadProjectFile(state, "");
    ResetCaseTables();
    inMemory.End(); // goes nowhere: the folder does not exist
}

// The bytes from the start of the file, or (atHeader) from its header on,
// behind zeroed parameter records.
void ReadAsChannelFile(const std::uint8_t* data, std::size_t size, bool atHeader) {
    static const int fd = ::memfd_create("fuzz_chn", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const off_t at = atHeader ? static_cast<off_t>(CHN_HEADER_OFFSET) : 0;
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::ftruncate(fd, at) != 0 ||
        ::pwrite(fd, data, size, at) != static_cast<ssize_t>(size))
        return;
    CheckChannelParamFile(path);
    LoadChannelParamFile(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    if (data[0] & 1)
        ReadAsProjectFile(data + 1, size - 1);
    else
        ReadAsChannelFile(data + 1, size - 1, (data[0] & 2) != 0);
    return 0;
}
