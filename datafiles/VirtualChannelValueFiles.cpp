// Opening, appending to and closing the virtual-channel value files.
#include "datafiles/VirtualChannelValueFiles.h"

#include "model/ProjectState.h"
#include "platform/Files.h"
#include "platform/Text.h"

std::string VirtualChannelValueFilePath(const CProjectState& state, int channel) {
    return state.GetFilePath(platform::Format("%d.vit", channel));
}

int CVirtualChannelValueFiles::Open(const CProjectState& state) {
    Close();
    const int count = static_cast<int>(state.m_VirtualChannels.size());
    if (count < 1 || !state.HasProjectPath()) {
        return GetOpenCount();
    }
    for (int n = 1; n <= count; ++n) {
        const std::string path = VirtualChannelValueFilePath(state, n);
        auto file = std::make_unique<CRawFile>();
        bool ok = false;
        if (!platform::FileExists(path) || !state.m_bAppendData) {
            ok = file->Open(path.c_str(), CRawFile::kCreate | CRawFile::kWrite) &&
                 file->Seek64(file->Length()) >= 0;
        } else {
            ok = file->Open(path.c_str(), CRawFile::kWrite) &&
                 file->Seek64(std::int64_t(state.m_nTotalDataCount) * std::int64_t(sizeof(float))) >= 0;
        }
        if (ok) {
            m_files[n - 1] = std::move(file);
        }
    }
    return GetOpenCount();
}

void CVirtualChannelValueFiles::Close() {
    for (auto& [index, file] : m_files) {
        file->Close();
    }
    m_files.clear();
}

int CVirtualChannelValueFiles::Append(int index, float value) {
    const auto it = m_files.find(index);
    if (it == m_files.end()) {
        return 0;
    }
    return it->second->WriteAll(&value, sizeof(value)) ? 1 : 0;
}
