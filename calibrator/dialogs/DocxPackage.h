// A word-processing package (.docx) held in memory: its parts in their
// order, read from a zip file and written back to one.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct DocxPart {
    std::string name;
    std::string bytes;
};

class DocxPackage {
public:
    // Reads every part; false for a missing file, a damaged zip or a part
    // or package beyond the size limits.
    bool Read(const std::string& path);
    // Writes the parts to a new zip at path (replacing a file there); false
    // on any write error.
    bool Write(const std::string& path) const;

    // The part of that name, or nullptr.
    std::string* Find(const std::string& name);
    const std::vector<DocxPart>& Parts() const { return m_parts; }

    // No template or report comes near these.
    static constexpr std::size_t kMaxPartBytes = 64u << 20;
    static constexpr std::size_t kMaxPackageBytes = 256u << 20;

private:
    std::vector<DocxPart> m_parts;
};
