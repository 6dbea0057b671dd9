// The parsed form of one INI profile file: its lines as they are (so that a
// write keeps comments, order and unknown lines) and an index from
// lower-cased section and key names to the first occurrence of each.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class ProfileDocument {
public:
    ProfileDocument() = default;
    // Lines are UTF-8 text without their line ends.
    explicit ProfileDocument(std::vector<std::string> lines);
    // Splits text at LF, dropping the CR of CRLF line ends.
    static ProfileDocument FromText(std::string_view text);
    // The lines joined with CRLF, the last one ended too.
    std::string ToText() const;

    // The text after '=' of the first matching key of the first matching
    // section, blanks around it removed (quotes kept); null when missing.
    const std::string* FindValue(std::string_view section, std::string_view key) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;
    std::vector<std::string> SectionLines(std::string_view section) const;

    // Edits; each returns false when nothing had to change.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

private:
    struct KeyEntry {
        std::string name;
        std::string value;
        std::size_t line;
    };
    struct Section {
        std::string name;
        std::size_t header = 0;                           // line of "[name]"
        std::size_t end = 0;                              // one past its last line
        std::vector<KeyEntry> keys;                       // first occurrences, in file order
        std::unordered_map<std::string, std::size_t> map; // lower-cased name -> index in keys
    };

    void BuildIndex();
    const Section* FindSection(std::string_view section) const;
    Section* FindSection(std::string_view section);
    std::size_t InsertionLine(const Section& section) const;

    std::vector<std::string> m_lines;
    std::vector<Section> m_sections; // first occurrences, in file order
    std::unordered_map<std::string, std::size_t> m_sectionMap;
};

// ASCII case folding: Chinese and other non-ASCII text compares as is.
std::string ProfileLower(std::string_view text);
// Blanks (spaces and tabs) removed from both ends.
std::string_view ProfileTrim(std::string_view text);

} // namespace platform
