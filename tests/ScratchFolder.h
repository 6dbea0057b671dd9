// A fresh folder under the system's temporary folder for one test, removed
// with everything in it at the end.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_scratch_XXXXXX").string();
        m_path = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};
