// In-place edits and range deletion of stored runs.
#include "datafiles/DataFileAccess.h"

#include "datafiles/RangeCut.h"
#include "datafiles/RawFile.h"

#include <algorithm>
#include <cstddef>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr unsigned kEditFlags = CRawFile::kReadWrite | CRawFile::kShareDenyNone;
constexpr std::int64_t kBlock = sizeof(CaseSampleBlock);
constexpr std::int64_t kStatus = sizeof(SampleStatusRecord);

// The run's status file beside its sample file: ".dat" becomes ".stu".
std::string StatusPathOf(const std::string& dataPath) {
    const std::size_t dot = dataPath.find_last_of('.');
    const std::size_t slash = dataPath.find_last_of('/');
    const std::string stem = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                                 ? dataPath
                                 : dataPath.substr(0, dot);
    return stem + ".stu";
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

int CDataFileAccess::ClearReadOnly(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return 0;
    if (!(st.st_mode & S_IWUSR))
        chmod(path.c_str(), st.st_mode | S_IWUSR);
    return 1;
}

int CDataFileAccess::CopyAndOpenFile(const std::string& destination, const std::string& source) {
    std::error_code error;
    if (!std::filesystem::copy_file(source, destination, std::filesystem::copy_options::overwrite_existing,
                                    error))
        return -1;
    return ::open(destination.c_str(), O_RDONLY | O_CLOEXEC);
}

int CDataFileAccess::WriteChannelValue(const std::string& path, int first, int last, int caseCount, int slot,
                                       int channel, int value) {
    if (caseCount <= 0 || slot < 0 || slot >= caseCount || channel < 0 || channel >= 16)
        return 0;
    CRawFile file;
    if (!file.Open(path.c_str(), kEditFlags))
        return 0;
    const std::int64_t frameSize = std::int64_t(caseCount) * kBlock;
    std::vector<CaseSampleBlock> frame(static_cast<std::size_t>(caseCount));
    for (std::int64_t k = std::max(first, 0); k <= last; ++k) {
        // A sample that is not wholly in the file is not written: patching
        // it would append a frame of whatever the buffer held.
        if (file.ReadAt(k * frameSize, frame.data(), frameSize) != frameSize)
            break;
        frame[slot].fValues[channel] = float(value);
        file.WriteAt(k * frameSize, frame.data(), frameSize);
    }
    file.Close();
    return 1;
}

int CDataFileAccess::WriteCaseChannelValue(const std::string& path, int channel, int first, int last,
                                           float value) const {
    if (channel < 0 || channel >= kAnalogChannels)
        return 0;
    CRawFile file;
    if (!file.Open(MakeCaseDataFileName(path, channel / 16, 0).c_str(), kEditFlags))
        return 0;
    if (first > last)
        std::swap(first, last);
    const int place = m_layout.channelPos.size() > std::size_t(channel) && m_layout.channelPos[channel] >= 0
                          ? m_layout.channelPos[channel] % 16
                          : channel % 16;
    CaseSampleBlock block;
    for (std::int64_t k = std::max(first, 0); k <= last; ++k) {
        if (file.ReadAt(k * kBlock, &block, kBlock) != kBlock)
            break;
        block.fValues[place] = value;
        file.WriteAt(k * kBlock, &block, kBlock);
    }
    file.Close();
    return 1;
}

int CDataFileAccess::DeleteSampleRange(const std::string& path, int caseCount, int first, int last,
                                       int& sampleCount) {
    const std::int64_t frameSize = std::int64_t(caseCount) * kBlock;
    RangeCut cut;
    if (caseCount <= 0 || !cut.Add(path, frameSize, first, last) || !cut.Apply())
        return 0;
    sampleCount = int(RangeCut::RecordCount(path, frameSize));
    return 1;
}

int CDataFileAccess::DeleteStatusRange(const std::string& path, int first, int last, int& recordCount) {
    RangeCut cut;
    if (!cut.Add(path, kStatus, first, last) || !cut.Apply())
        return 0;
    recordCount = int(RangeCut::RecordCount(path, kStatus));
    return 1;
}

int CDataFileAccess::CollectCaseDeletion(const std::string& path, bool status, int first, int last,
                                         RangeCut& cut) const {
    for (int unit : m_layout.caseList) {
        const std::string name = MakeCaseDataFileName(path, unit, status ? 1 : 0);
        // A unit without a file has nothing to cut.
        if (!FileExists(name))
            continue;
        if (!cut.Add(name, status ? kStatus : kBlock, first, last))
            return 0;
    }
    return 1;
}

int CDataFileAccess::DeleteCaseSampleRange(const std::string& path, int first, int last) const {
    RangeCut cut;
    return CollectCaseDeletion(path, false, first, last, cut) && cut.Apply() ? 1 : 0;
}

int CDataFileAccess::DeleteCaseStatusRange(const std::string& path, int first, int last) const {
    RangeCut cut;
    return CollectCaseDeletion(path, true, first, last, cut) && cut.Apply() ? 1 : 0;
}

int CDataFileAccess::DeleteRunRange(const std::string& dataPath, int first, int last,
                                    int& sampleCount) const {
    RangeCut cut;
    if (m_layout.bPerCaseFiles) {
        if (!CollectCaseDeletion(dataPath, false, first, last, cut) ||
            !CollectCaseDeletion(dataPath, true, first, last, cut) || cut.jobs.empty() || !cut.Apply())
            return 0;
        std::int64_t longest = 0;
        for (int unit : m_layout.caseList)
            longest =
                std::max(longest, RangeCut::RecordCount(MakeCaseDataFileName(dataPath, unit, 0), kBlock));
        sampleCount = int(longest);
        return 1;
    }
    const std::int64_t frameSize = m_layout.FrameSize();
    if (frameSize <= 0 || !cut.Add(dataPath, frameSize, first, last) ||
        !cut.Add(StatusPathOf(dataPath), kStatus, first, last) || !cut.Apply())
        return 0;
    sampleCount = int(RangeCut::RecordCount(dataPath, frameSize));
    return 1;
}

int CDataFileAccess::WriteRunValues(const std::string& dataPath, const std::vector<int>& channels, int first,
                                    int last, float raw) const {
    if (first > last)
        std::swap(first, last);
    if (channels.empty() || first < 0)
        return 0;
    // Byte offsets of the values in a frame (one file) or in a unit's block.
    std::map<std::string, std::vector<std::pair<std::int64_t, float>>> patches;
    const std::int64_t valueOffset = offsetof(CaseSampleBlock, fValues);
    for (int channel : channels) {
        const int slot = m_layout.SlotOfChannel(channel);
        if (channel < 0 || channel >= kAnalogChannels || slot < 0)
            return 0;
        const std::int64_t place = channel % 16;
        if (m_layout.bPerCaseFiles)
            patches[MakeCaseDataFileName(dataPath, channel / 16, 0)].emplace_back(
                valueOffset + place * std::int64_t(sizeof(float)), raw);
        else
            patches[dataPath].emplace_back(slot * kBlock + valueOffset + place * std::int64_t(sizeof(float)),
                                           raw);
    }
    const std::int64_t recordSize = m_layout.bPerCaseFiles ? kBlock : m_layout.FrameSize();
    RangeCut cut;
    for (auto& [path, fields] : patches)
        if (!cut.AddPatch(path, recordSize, first, last, std::move(fields)))
            return 0;
    return cut.Apply() ? 1 : 0;
}
