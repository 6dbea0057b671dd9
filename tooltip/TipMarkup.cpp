// Scanning the tip markup: chunks, tag names, attributes and end tags.
#include "tooltip/TipMarkup.h"

#include <algorithm>
#include <cstring>

namespace tipmarkup {

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

bool IsWordChar(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '.';
}

int CountChar(const std::string& text, char ch) {
    return static_cast<int>(std::count(text.begin(), text.end(), ch));
}

std::string NextChunk(const std::string& text, std::size_t* pos, std::string* tag) {
    std::string out;
    tag->clear();
    std::size_t p = *pos;
    const std::size_t n = text.size();
    while (p < n) {
        const char ch = text[p];
        if (ch != '<') {
            out += ch;
            ++p;
            continue;
        }
        if (p + 1 >= n) {
            out += '<';
            ++p;
            break;
        }
        if (text[p + 1] == '<') {
            out += '<';
            p += 2;
            continue;
        }
        const std::size_t close = text.find('>', p + 1);
        if (close == std::string::npos) {
            ++p; // a lone "<" is dropped
            continue;
        }
        *tag = text.substr(p + 1, close - p - 1);
        p = close + 1;
        break;
    }
    *pos = p;
    return out;
}

std::string SplitTagName(std::string* tag) {
    const std::size_t cut = tag->find_first_of(" =");
    if (cut == std::string::npos)
        return {};
    std::string rest = tag->substr(cut);
    tag->resize(cut);
    const std::size_t first = rest.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : rest.substr(first);
}

std::string NextAttribute(const std::string& params, std::size_t* pos, std::string* name) {
    name->clear();
    std::size_t p = *pos;
    const std::size_t n = params.size();
    while (p < n && !IsWordChar(params[p]))
        ++p;
    const std::size_t nameStart = p;
    while (p < n && params[p] != ' ' && params[p] != '=')
        ++p;
    *name = params.substr(nameStart, p - nameStart);
    while (p < n && params[p] == ' ')
        ++p;
    std::string value;
    if (p < n && params[p] == '=') {
        ++p;
        while (p < n && params[p] == ' ')
            ++p;
        if (p < n && (params[p] == '\'' || params[p] == '"')) {
            const char quote = params[p++];
            const std::size_t end = params.find(quote, p);
            const std::size_t stop = end == std::string::npos ? n : end;
            value = params.substr(p, stop - p);
            p = end == std::string::npos ? n : end + 1;
        } else {
            const std::size_t start = p;
            while (p < n && params[p] != ' ')
                ++p;
            value = params.substr(start, p - start);
        }
    }
    *pos = p;
    return value;
}

static bool StartsTagAt(const std::string& text, std::size_t i, const char* name) {
    if (text[i] != '<' || (i > 0 && text[i - 1] == '<'))
        return false;
    const std::size_t len = std::strlen(name);
    return text.compare(i + 1, len, name) == 0 && i + 1 + len <= text.size();
}

bool FindTag(const std::string& text, std::size_t* pos, const char* name) {
    for (std::size_t i = text.find('<', *pos); i != std::string::npos; i = text.find('<', i + 1)) {
        if (StartsTagAt(text, i, name)) {
            *pos = i;
            return true;
        }
    }
    return false;
}

// One pass over the text: nested tables raise and lower the depth; the end
// tag counts only at depth 0.
static std::size_t FindLevelEnd(const std::string& text, std::size_t from, const char* endName) {
    const bool endIsTable = std::strcmp(endName, "/table") == 0;
    int depth = 0;
    for (std::size_t i = text.find('<', from); i != std::string::npos; i = text.find('<', i + 1)) {
        if (StartsTagAt(text, i, "table")) {
            ++depth;
        } else if (StartsTagAt(text, i, "/table")) {
            if (depth == 0 && endIsTable)
                return i;
            if (depth > 0)
                --depth;
        } else if (!endIsTable && depth == 0 && StartsTagAt(text, i, endName)) {
            return i;
        }
    }
    return text.size();
}

std::size_t FindTableEnd(const std::string& text, std::size_t from) {
    return FindLevelEnd(text, from, "/table");
}
std::size_t FindRowEnd(const std::string& text, std::size_t from) {
    return FindLevelEnd(text, from, "/tr");
}
std::size_t FindCellEnd(const std::string& text, std::size_t from) {
    return FindLevelEnd(text, from, "/td");
}

std::string TagParams(const std::string& text, std::size_t start, std::size_t* behind) {
    const std::size_t close = text.find('>', start);
    if (close == std::string::npos) {
        *behind = text.size();
        return {};
    }
    *behind = close + 1;
    std::string tag = text.substr(start + 1, close - start - 1);
    return SplitTagName(&tag);
}

} // namespace tipmarkup
