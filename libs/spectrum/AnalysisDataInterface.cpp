// The analysis record's file work: ".fft" blocks and the layout groups.
#include "libs/spectrum/AnalysisDataInterface.h"

#include "libs/spectrum/Lurrow.h"
#include "libs/spectrum/SpectrumFile.h"
#include "platform/Profile.h"

namespace {

// Reads one group into a copy, so that a bad group leaves the record alone.
template <class Group>
void ReadGroup(const std::string& section, const char* key, Group& group, const std::string& file) {
    Group read = group;
    if (platform::GetPrivateProfileStruct(section, key, &read, sizeof read, file))
        group = read;
}

} // namespace

std::string CAnalysisDataInterface::GetFileName(int channel) const {
    if (m_pOwner == nullptr)
        return {};
    return lurrow::FftFileName(m_pOwner->GetProjectPath(), m_pOwner->GetProjectName(), channel);
}

int CAnalysisDataInterface::GetBlockCount(int channel) const {
    if (m_pOwner == nullptr)
        return 0;
    return lurrow::CountFftBlocks(GetFileName(channel), m_pOwner->GetLineCount());
}

bool CAnalysisDataInterface::ReadBlock(int channel, int block) {
    if (m_pOwner == nullptr)
        return false;
    lurrow::Spectrum values;
    if (!lurrow::ReadFftBlock(GetFileName(channel), m_pOwner->GetLineCount(), block, values))
        return false;
    m_pOwner->SetChannelSpectrum(channel, std::move(values));
    return true;
}

void CAnalysisDataInterface::SaveGroups(const std::string& section, const std::string& file) const {
    platform::WritePrivateProfileStruct(section, "DRAW_COMMON", &m_DrawCommon, sizeof m_DrawCommon, file);
    platform::WritePrivateProfileStruct(section, "GRAPHIC_ATTRI", &m_GraphicAttri, sizeof m_GraphicAttri,
                                        file);
    platform::WritePrivateProfileStruct(section, "VIEW_INFO", &m_ViewInfo, sizeof m_ViewInfo, file);
    platform::WritePrivateProfileStruct(section, "CURSOR_INFO", &m_CursorInfo, sizeof m_CursorInfo, file);
}

void CAnalysisDataInterface::ReadGroups(const std::string& section, const std::string& file) {
    ReadGroup(section, "DRAW_COMMON", m_DrawCommon, file);
    ReadGroup(section, "GRAPHIC_ATTRI", m_GraphicAttri, file);
    ReadGroup(section, "VIEW_INFO", m_ViewInfo, file);
    ReadGroup(section, "CURSOR_INFO", m_CursorInfo, file);
}
