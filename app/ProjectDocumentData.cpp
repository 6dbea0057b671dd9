// The document's readers of stored data: the sample frame and result
// record of the window's first sample, and sample time texts.
#include "app/ProjectDocument.h"

#include "acquisition/CaseSampleBlock.h"
#include "app/CaseTables.h"
#include "app/ValueConversion.h"
#include "datafiles/AppTables.h"
#include "datafiles/DataFileAccess.h"
#include "platform/Files.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

constexpr std::size_t kResultRecordSize = 32;

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
