// Scanning the tip markup: text chunks and tag bodies, tag names and
// attributes, tag search and the matching end of a table, row or cell.
#pragma once

#include <cstddef>
#include <string>

namespace tipmarkup {

// The plain text from *pos to the next tag ("<<" is one literal "<", as is
// a "<" that ends the text); the tag body goes to *tag and *pos moves behind
// its ">". A "<" with no ">" after it is dropped. Without a tag *tag is empty.
std::string NextChunk(const std::string& text, std::size_t* pos, std::string* tag);

// Cuts *tag at its first blank or "="; returns the rest, leading blanks removed.
std::string SplitTagName(std::string* tag);

// The next attribute of a tag's parameters: its name in *name (empty when
// none is left) and its value (quotes removed; empty without "=").
std::string NextAttribute(const std::string& params, std::size_t* pos, std::string* name);

// Calls fn(name, value) for each attribute of a tag's parameters.
template <class Fn> void ForEachAttribute(const std::string& params, Fn&& fn) {
    std::size_t pos = 0;
    while (pos < params.size()) {
        std::string name;
        const std::string value = NextAttribute(params, &pos, &name);
        if (name.empty())
            break;
        fn(name, value);
    }
}

// Finds "<" directly followed by name (a prefix match) from *pos, skipping
// the escape "<<"; *pos becomes the index of the "<".
bool FindTag(const std::string& text, std::size_t* pos, const char* name);

// Index of the end tag that closes the level opened before `from`, nested
// tables counted; text.size() when there is none.
std::size_t FindTableEnd(const std::string& text, std::size_t from);
std::size_t FindRowEnd(const std::string& text, std::size_t from);
std::size_t FindCellEnd(const std::string& text, std::size_t from);

// The parameters of the tag that starts at `start` (the "<"), and the index
// behind its ">" (text.size() when it has none).
std::string TagParams(const std::string& text, std::size_t start, std::size_t* behind);

bool IsBlank(char ch);
bool IsWordChar(char ch); // letter, digit or "."
int CountChar(const std::string& text, char ch);

} // namespace tipmarkup
