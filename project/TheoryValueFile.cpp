// Reading and writing theory-value files.
#include "project/TheoryValueFile.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

constexpr int kMaxChannel = 4095;

class LineReader {
public:
    explicit LineReader(std::istream& in) : m_in(in) {}
    // False at the end of the file.
    bool Next(std::string& line) {
        if (!std::getline(m_in, line))
            return false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    }
    bool NextCount(int& count) {
        std::string line;
        if (!Next(line))
            return false;
        count = std::clamp(std::atoi(line.c_str()), 0, THEORY_MAX_ITEMS);
        return true;
    }

private:
    std::istream& m_in;
};

} // namespace

bool WriteTheoryFile(const std::string& path, const TheoryValueTable& table,
                     const std::vector<std::string>& descriptions) {
    std::string text = platform::Format("%d\r\n", static_cast<int>(table.size()));
    for (const auto& [channel, values] : table) {
        text += platform::Format("%d\r\n%d\r\n", channel, static_cast<int>(values.size()));
        for (float value : values)
            text += platform::Format("%.3f\r\n", static_cast<double>(value));
    }
    text += platform::Format("%d\r\n", static_cast<int>(descriptions.size()));
    for (const std::string& description : descriptions)
        text += platform::Utf8ToGbk(description) + "\r\n";

    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            out.close();
            ::unlink(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool ReadTheoryFile(const std::string& path, TheoryValueTable& table,
                    std::vector<std::string>& descriptions) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    LineReader reader(in);
    std::string line;
    int groups = 0;
    if (reader.NextCount(groups)) {
        groups = std::min(groups, THEORY_MAX_GROUPS);
        for (int g = 0; g < groups; ++g) {
            int count = 0;
            if (!reader.Next(line) || !reader.NextCount(count))
                return true;
            const int channel = std::atoi(line.c_str());
            std::vector<float> values;
            for (int i = 0; i < count && reader.Next(line); ++i)
                values.push_back(static_cast<float>(std::atof(line.c_str())));
            if (channel >= THEORY_ALL_CHANNELS && channel <= kMaxChannel)
                table[channel] = std::move(values);
        }
    }
    int count = 0;
    if (!reader.NextCount(count))
        return true;
    descriptions.clear();
    for (int i = 0; i < count && reader.Next(line); ++i)
        descriptions.push_back(platform::GbkToUtf8(line));
    return true;
}

const std::vector<float>* TheoryValuesOfChannel(const TheoryValueTable& table, int channel) {
    for (int key : {channel, THEORY_ALL_CHANNELS}) {
        const auto it = table.find(key);
        if (it != table.end() && !it->second.empty())
            return &it->second;
    }
    return nullptr;
}
