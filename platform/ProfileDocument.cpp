// Parsing, lookup and line-preserving edits of one INI profile file.
#include "platform/ProfileDocument.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct ParsedLine {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::string_view name;
    std::string_view value;
};

// A ';' line is a comment; a '[' line without ']' and a line without '=' are
// unknown lines: all three are kept on writes and never match a lookup.
ParsedLine ClassifyLine(std::string_view line) {
    ParsedLine parsed;
    const std::string_view text = ProfileTrim(line);
    if (text.empty() || text.front() == ';')
        return parsed;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close != std::string_view::npos) {
            parsed.kind = ParsedLine::Kind::Section;
            parsed.name = ProfileTrim(text.substr(1, close - 1));
        }
        return parsed;
    }
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
        parsed.kind = ParsedLine::Kind::Key;
        parsed.name = ProfileTrim(text.substr(0, equals));
        parsed.value = ProfileTrim(text.substr(equals + 1));
    }
    return parsed;
}

bool IsSectionLine(const std::string& line, std::string_view lowerName) {
    const ParsedLine parsed = ClassifyLine(line);
    return parsed.kind == ParsedLine::Kind::Section && ProfileLower(parsed.name) == lowerName;
}

bool IsKeyLine(const std::string& line, std::string_view lowerName) {
    const ParsedLine parsed = ClassifyLine(line);
    return parsed.kind == ParsedLine::Kind::Key && ProfileLower(parsed.name) == lowerName;
}

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + value.size() + 1);
    line.append(key).append("=").append(value);
    return line;
}

} // namespace

std::string ProfileLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string_view ProfileTrim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

ProfileDocument::ProfileDocument(std::vector<std::string> lines) : m_lines(std::move(lines)) {
    BuildIndex();
}

ProfileDocument ProfileDocument::FromText(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return ProfileDocument(std::move(lines));
}

std::string ProfileDocument::ToText() const {
    std::size_t size = 0;
    for (const std::string& line : m_lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : m_lines)
        text.append(line).append("\r\n");
    return text;
}

void ProfileDocument::BuildIndex() {
    m_sections.clear();
    m_sectionMap.clear();
    std::size_t current = kNone; // index in m_sections of the section being read
    bool inFirstOccurrence = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const ParsedLine parsed = ClassifyLine(m_lines[i]);
        if (parsed.kind == ParsedLine::Kind::Section) {
            if (inFirstOccurrence)
                m_sections[current].end = i;
            const auto [it, inserted] = m_sectionMap.emplace(ProfileLower(parsed.name), m_sections.size());
            inFirstOccurrence = inserted;
            if (inserted) {
                current = it->second;
                m_sections.push_back(Section{std::string(parsed.name), i, m_lines.size(), {}, {}});
            }
        } else if (parsed.kind == ParsedLine::Kind::Key && inFirstOccurrence) {
            Section& section = m_sections[current];
            const auto [it, inserted] = section.map.emplace(ProfileLower(parsed.name), section.keys.size());
            if (inserted)
                section.keys.push_back(KeyEntry{std::string(parsed.name), std::string(parsed.value), i});
        }
    }
    if (inFirstOccurrence)
        m_sections[current].end = m_lines.size();
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view section) const {
    const auto it = m_sectionMap.find(ProfileLower(ProfileTrim(section)));
    return it == m_sectionMap.end() ? nullptr : &m_sections[it->second];
}

ProfileDocument::Section* ProfileDocument::FindSection(std::string_view section) {
    return const_cast<Section*>(std::as_const(*this).FindSection(section));
}

const std::string* ProfileDocument::FindValue(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr)
        return nullptr;
    const auto it = found->map.find(ProfileLower(ProfileTrim(key)));
    return it == found->map.end() ? nullptr : &found->keys[it->second].value;
}

std::vector<std::string> ProfileDocument::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(m_sections.size());
    for (const Section& section : m_sections)
        names.push_back(section.name);
    return names;
}

std::vector<std::string> ProfileDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    if (const Section* found = FindSection(section))
        for (const KeyEntry& entry : found->keys)
            names.push_back(entry.name);
    return names;
}

std::vector<std::string> ProfileDocument::SectionLines(std::string_view section) const {
    std::vector<std::string> lines;
    if (const Section* found = FindSection(section))
        for (const KeyEntry& entry : found->keys)
            lines.push_back(KeyLine(entry.name, entry.value));
    return lines;
}

// A new key goes after the last non-blank line of its section, so that the
// blank line separating it from the next section stays where it was.
std::size_t ProfileDocument::InsertionLine(const Section& section) const {
    std::size_t line = section.end;
    while (line > section.header + 1 && ProfileTrim(m_lines[line - 1]).empty())
        --line;
    return line;
}

bool ProfileDocument::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view sectionName = ProfileTrim(section);
    const std::string_view keyName = ProfileTrim(key);
    Section* found = FindSection(sectionName);
    if (found == nullptr) {
        // A new section goes at the end, so the index grows without a rebuild.
        const std::size_t header = m_lines.size();
        m_lines.push_back("[" + std::string(sectionName) + "]");
        m_lines.push_back(KeyLine(keyName, value));
        Section added{std::string(sectionName), header, m_lines.size(), {}, {}};
        added.map.emplace(ProfileLower(keyName), 0);
        added.keys.push_back(KeyEntry{std::string(keyName), std::string(ProfileTrim(value)), header + 1});
        m_sectionMap.emplace(ProfileLower(sectionName), m_sections.size());
        m_sections.push_back(std::move(added));
        return true;
    } else if (const auto it = found->map.find(ProfileLower(keyName)); it != found->map.end()) {
        // Rewriting a key moves no line, so the index is patched, not rebuilt:
        // saving many settings one key at a time stays cheap.
        KeyEntry& entry = found->keys[it->second];
        std::string line = KeyLine(entry.name, value);
        if (line == m_lines[entry.line])
            return false;
        m_lines[entry.line] = std::move(line);
        entry.value = std::string(ProfileTrim(value));
        return true;
    } else {
        const std::size_t at = InsertionLine(*found);
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), KeyLine(keyName, value));
        // One key line came in at `at`, after the section's own keys: the
        // sections after it (the index holds them in file order) move down
        // by one line, so the index is patched, not rebuilt, and a file
        // written key by key into sections that are not the last (channel
        // and amplifier sections in turn) stays cheap to build.
        ++found->end;
        for (auto other = m_sections.begin() + (found - m_sections.data()) + 1; other != m_sections.end();
             ++other) {
            ++other->header;
            ++other->end;
            for (KeyEntry& entry : other->keys)
                ++entry.line;
        }
        found->map.emplace(ProfileLower(keyName), found->keys.size());
        found->keys.push_back(KeyEntry{std::string(keyName), std::string(ProfileTrim(value)), at});
        return true;
    }
}

bool ProfileDocument::DeleteKey(std::string_view section, std::string_view key) {
    const Section* found = FindSection(section);
    const std::string lowerKey = ProfileLower(ProfileTrim(key));
    if (found == nullptr || found->map.count(lowerKey) == 0)
        return false;
    // Every copy of the key in the section goes, so that a duplicate does
    // not surface in its place.
    const auto first = m_lines.begin() + static_cast<std::ptrdiff_t>(found->header + 1);
    const auto last = m_lines.begin() + static_cast<std::ptrdiff_t>(found->end);
    m_lines.erase(
        std::remove_if(first, last, [&](const std::string& line) { return IsKeyLine(line, lowerKey); }),
        last);
    BuildIndex();
    return true;
}

bool ProfileDocument::DeleteSection(std::string_view section) {
    const std::string lowerName = ProfileLower(ProfileTrim(section));
    if (m_sectionMap.count(lowerName) == 0)
        return false;
    // Every occurrence goes, for the same reason as duplicate keys.
    std::vector<std::string> kept;
    kept.reserve(m_lines.size());
    bool deleting = false;
    for (std::string& line : m_lines) {
        if (ClassifyLine(line).kind == ParsedLine::Kind::Section)
            deleting = IsSectionLine(line, lowerName);
        if (!deleting)
            kept.push_back(std::move(line));
    }
    m_lines = std::move(kept);
    BuildIndex();
    return true;
}

} // namespace platform
