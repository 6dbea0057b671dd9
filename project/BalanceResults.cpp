// Reading and writing balance results in both forms.
#include "project/BalanceResults.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "datafiles/RawFile.h"
#include "model/ChannelRecords.h"
#include "platform/Files.h"
#include "platform/Text.h"

namespace {

void CopyZerosOut(std::int32_t* zeros) {
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        zeros[id] = g_ChannelParams[id].nZero;
    }
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// A whole decimal number that fits 32 bits, blanks around it allowed.
bool ParseZeroLine(std::string line, std::int32_t& value) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    const char* begin = line.c_str();
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(begin, &end, 10);
    if (end == begin || errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX) {
        return false;
    }
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    if (*end != '\0') {
        return false;
    }
    value = static_cast<std::int32_t>(parsed);
    return true;
}

std::vector<std::string> SplitLines(const std::string& content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(content.substr(start));
            break;
        }
        lines.push_back(content.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

int SaveProjectZeros(const std::string& path, const std::string& balanceTime) {
    if (platform::FileExists(path)) {
        platform::SetReadOnly(path, false);
    }
    CRawFile file;
    if (!file.Open(path.c_str(), CRawFile::kCreate | CRawFile::kNoTruncate | CRawFile::kWrite)) {
        return 0;
    }
    std::int32_t zeros[MAX_CHANNEL_COUNT];
    CopyZerosOut(zeros);
    const std::string text = platform::Utf8ToGbk(balanceTime);
    const bool ok = file.WriteAt(0, zeros, sizeof(zeros)) &&
                    (text.empty() || file.WriteAt(ZERO_BLOCK_SIZE, text.data(), std::int64_t(text.size()))) &&
                    file.SetLength(std::int64_t(ZERO_BLOCK_SIZE + text.size()));
    file.Close();
    return ok ? 1 : 0;
}

int LoadProjectZeros(const std::string& path, std::string& balanceTime) {
    std::string content;
    if (!platform::FileExists(path) || !ReadWholeFile(path, content) || content.size() < ZERO_BLOCK_SIZE) {
        return 0;
    }
    std::int32_t zeros[MAX_CHANNEL_COUNT];
    std::memcpy(zeros, content.data(), sizeof(zeros));
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        g_ChannelParams[id].nZero = zeros[id];
    }
    balanceTime = platform::GbkToUtf8(std::string_view(content).substr(ZERO_BLOCK_SIZE));
    return 1;
}

int WriteZeroTextFile(const std::string& path, const std::int32_t* values, const std::string& balanceTime) {
    std::int32_t zeros[MAX_CHANNEL_COUNT];
    if (values) {
        std::memcpy(zeros, values, sizeof(zeros));
    } else {
        CopyZerosOut(zeros);
    }
    std::string content = platform::Utf8ToGbk(balanceTime) + "\n";
    for (const std::int32_t zero : zeros) {
        content += platform::Format("%d\n", zero);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return 0;
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    return (std::fclose(file) == 0 && written) ? 1 : 0;
}

int ReadZeroTextFile(const std::string& path, std::int32_t* values, std::string& balanceTime) {
    std::string content;
    if (!platform::FileExists(path) || !ReadWholeFile(path, content)) {
        return 0;
    }
    const std::vector<std::string> lines = SplitLines(content);
    std::vector<std::int32_t> zeros;
    for (std::size_t i = 1; i < lines.size() && zeros.size() < MAX_CHANNEL_COUNT; ++i) {
        std::int32_t zero = 0;
        if (!ParseZeroLine(lines[i], zero)) {
            return 0;
        }
        zeros.push_back(zero);
    }
    std::string time = lines.empty() ? std::string() : lines[0];
    if (!time.empty() && time.back() == '\r') {
        time.pop_back();
    }
    balanceTime = platform::GbkToUtf8(time);
    for (std::size_t id = 0; id < zeros.size(); ++id) {
        if (values) {
            values[id] = zeros[id];
        } else {
            g_ChannelParams[id].nZero = zeros[id];
        }
    }
    return 1;
}
