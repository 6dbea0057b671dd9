// The document's readers of stored data: the sample frame and result
// record of the window's first sample, and sample time texts.
#include "project/ProjectDocument.h"

#include "datafiles/AppTables.h"
#include "datafiles/DataFileAccess.h"
#include "datafiles/ResultFiles.h"
#include "datafiles/VirtualChannels.h"
#include "model/CaseSampleBlock.h"
#include "model/CaseTables.h"
#include "model/ValueConversion.h"
#include "platform/Files.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

constexpr std::size_t kResultRecordSize = 32;
constexpr int kFirstVirtualChannelId = 4096;

bool ReadFrameAsValues(const std::string& dataPath, int sample, CaseSampleBlock* out) {
    const OnlineLayout layout = OnlineLayoutFromCaseTables();
    const CAppChannelTable channels;
    const CDataFileAccess access(layout, channels);
    std::vector<CaseSampleBlock> frame(static_cast<std::size_t>(std::max(layout.nCaseCount, 0)));
    if (frame.empty() || access.ReadFrame(dataPath, sample, frame.data()) == 0) {
        return false;
    }
    std::fill(out, out + MAX_CASE_COUNT, CaseSampleBlock{});
    for (int slot = 0; slot < layout.nCaseCount; ++slot) {
        const int unit = layout.caseList[static_cast<std::size_t>(slot)];
        if (unit < 0 || unit >= MAX_CASE_COUNT) {
            continue;
        }
        CaseSampleBlock& block = out[unit];
        block.nHeader = unit;
        for (int i = 0; i < CHANNELS_PER_MODULE; ++i) {
            block.fValues[i] = static_cast<float>(ConvertBlockChannelValue(
                unit * CHANNELS_PER_MODULE + i, frame[static_cast<std::size_t>(slot)]));
        }
    }
    return true;
}

bool ReadResultRecord(const std::string& path, int index, void* buffer) {
    const std::int64_t size = platform::FileSize(path);
    const std::int64_t offset = static_cast<std::int64_t>(index) * kResultRecordSize;
    if (index < 0 || size < offset + static_cast<std::int64_t>(kResultRecordSize)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    in.seekg(offset);
    return static_cast<bool>(in.read(static_cast<char*>(buffer), kResultRecordSize));
}

bool ReadResultRecord(const ResultKind& kind, const std::string& dataPath, int group, int index,
                      float* record) {
    return record != nullptr &&
           ReadResultRange(kind, ResultFileName(kind, dataPath, group), index, index + 1, record) != 0;
}

} // namespace

bool CQV7411N_NewFrameDoc::ReadCurrentRecord(int kind, void* buffer) const {
    if (!m_bStoredData || buffer == nullptr || m_nScreenDataLeft < 0 || m_nScreenDataLeft >= m_nTotal) {
        return false;
    }
    if (kind == 1) {
        return ReadFrameAsValues(m_pHost->GetProjectFilePath(".dat"), m_nScreenDataLeft,
                                 static_cast<CaseSampleBlock*>(buffer));
    }
    if (kind == 2) {
        return ReadResultRecord(m_pHost->GetProjectFilePath(".dst"), m_nScreenDataLeft, buffer);
    }
    return false;
}

std::string CQV7411N_NewFrameDoc::GetSampleTimeText(const std::string& statusPath, int index) {
    if (statusPath.empty()) {
        return "";
    }
    const OnlineLayout layout = OnlineLayoutFromCaseTables();
    const CAppChannelTable channels;
    const CDataFileAccess access(layout, channels);
    std::string text;
    if (access.ReadSampleTimeText(statusPath, index, text) == 0) {
        return "";
    }
    // The label follows the time after two blanks.
    return text.substr(0, text.find("  "));
}

std::string CQV7411N_NewFrameDoc::GetCurrentSampleTime() const {
    return m_bStoredData ? GetSampleTimeText(m_pHost->GetProjectFilePath(".stu"), m_nScreenDataLeft) : "";
}

std::string CQV7411N_NewFrameDoc::GetClampedSampleTime() const {
    if (!m_bStoredData) {
        return "";
    }
    const int index = std::max(0, std::min(m_nScreenDataLeft, m_nTotal - 1));
    return GetSampleTimeText(m_pHost->GetProjectFilePath(".stu"), index);
}

int DeleteStoredSampleSet(const std::string& dataPath, int index, int& count) {
    const OnlineLayout layout = OnlineLayoutFromCaseTables();
    const CAppChannelTable channels;
    const CDataFileAccess access(layout, channels);
    return access.DeleteRunRange(dataPath, index, index, count);
}

bool CQV7411N_NewFrameDoc::ReadRosetteRecord(int group, float* record) const {
    return ReadResultRecord(RosetteResults(), m_pHost->GetProjectFilePath(".dat"), group, m_nScreenDataLeft,
                            record);
}

bool CQV7411N_NewFrameDoc::ReadResidualStressRecord(int group, float* record) const {
    return ReadResultRecord(ResidualStressResults(), m_pHost->GetProjectFilePath(".dat"), group,
                            m_nScreenDataLeft, record);
}

bool CQV7411N_NewFrameDoc::ReadRosetteColumn(int group, int first, int count, int column, float* out) const {
    return ReadResultColumn(RosetteResults(), m_pHost->GetProjectFilePath(".dat"), group, first, count,
                            column, out);
}

bool CQV7411N_NewFrameDoc::ReadResidualStressColumn(int group, int first, int count, int column,
                                                    float* out) const {
    return ReadResultColumn(ResidualStressResults(), m_pHost->GetProjectFilePath(".dat"), group, first, count,
                            column, out);
}

bool CQV7411N_NewFrameDoc::ReadVirtualChannelData(int channel, int first, int last, float* out) const {
    if (channel < kFirstVirtualChannelId || first < 0 || last < first || out == nullptr) {
        return false;
    }
    const std::string path =
        VirtualChannelFileName(m_pHost->GetProjectFilePath(".dat"), channel - (kFirstVirtualChannelId - 1));
    const std::int64_t count = static_cast<std::int64_t>(last) - first + 1;
    if (platform::FileSize(path) < (first + count) * static_cast<std::int64_t>(sizeof(float))) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(first) * static_cast<std::streamoff>(sizeof(float)));
    return static_cast<bool>(
        in.read(reinterpret_cast<char*>(out), count * static_cast<std::streamsize>(sizeof(float))));
}
