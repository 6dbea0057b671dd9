// Shared pieces of the project tests: a scratch folder removed afterwards, a
// fixed clock with a settable free-space table, file helpers, and a reset of
// the process-wide tables the project files read and write.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "datafiles/SampleFileFormat.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/ProjectClock.h"
#include "model/ProjectState.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Text.h"

class ProjectScratchFolder {
public:
    ProjectScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_project_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~ProjectScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ProjectScratchFolder(const ProjectScratchFolder&) = delete;
    ProjectScratchFolder& operator=(const ProjectScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

class FixedProjectClock : public IProjectClock {
public:
    platform::LocalDateTime now{2024, 3, 5, 14, 7, 9, 0, 2};
    std::int64_t seconds = 1700000000;
    std::map<std::string, std::int64_t> freeSpace; // path -> bytes; others have plenty
    std::int64_t defaultFree = std::int64_t(1) << 40;

    platform::LocalDateTime NowLocal() const override { return now; }
    std::int64_t NowTimeT() const override { return seconds; }
    std::int64_t FreeDiskSpace(const std::string& path) const override {
        const auto it = freeSpace.find(path);
        return it == freeSpace.end() ? defaultFree : it->second;
    }
};

// Writes UTF-8 text as the GBK the program's files hold.
inline void WriteTextFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << platform::Utf8ToGbk(content);
    platform::FlushProfileCache();
}

inline std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteSizedFile(const std::string& path, std::int64_t size) {
    std::ofstream(path, std::ios::binary).close();
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size));
}

inline std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
        names.push_back(entry.name);
    }
    return names;
}

inline int FileMode(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Program-start state of the tables the project files touch, and the given
// online cases in frame order.
inline void ResetProjectGlobals(const std::vector<int>& cases = {}) {
    ClearChannelRecords();
    ResetCaseTables();
    g_bPerCaseFiles = 0;
    g_nControllerCount = 0;
    g_nCaseCount = static_cast<int>(cases.size());
    for (std::size_t slot = 0; slot < cases.size(); ++slot) {
        g_CaseList[slot] = cases[slot];
        g_CaseSlot[cases[slot]] = static_cast<int>(slot);
    }
    platform::FlushProfileCache();
}

// A stored run of one case in its per-case files: sets blocks carrying the
// unit number and statusSets status records.
inline void WriteCaseRunFiles(const CProjectState& project, int unit, int sets, int statusSets) {
    std::ofstream data(project.GetCaseFilePath(unit, ".dat"), std::ios::binary | std::ios::trunc);
    for (int k = 0; k < sets; ++k) {
        CaseSampleBlock block;
        block.nHeader = unit;
        for (int ch = 0; ch < 16; ++ch)
            block.fValues[ch] = float(k * 16 + ch);
        data.write(reinterpret_cast<const char*>(&block), sizeof block);
    }
    std::ofstream status(project.GetCaseFilePath(unit, ".stu"), std::ios::binary | std::ios::trunc);
    for (int k = 0; k < statusSets; ++k) {
        SampleStatusRecord record{};
        record.dtTime = 45000.5 + k / 86400.0;
        std::snprintf(record.szLabel, sizeof record.szLabel, "run-%d", k);
        status.write(reinterpret_cast<const char*>(&record), sizeof record);
    }
}
