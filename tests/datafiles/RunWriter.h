// Test helper: writes deterministic stored runs in both arrangements (one
// file pair per run or per unit), with markers, empty blocks, labels of the
// full length, per-unit files of different lengths and missing unit files,
// and a channel table whose conversion is easy to check by hand.
#pragma once

#include "datafiles/ChannelTable.h"
#include "datafiles/OnlineLayout.h"
#include "datafiles/SampleFileFormat.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace testrun {

// Raw reading of a channel at a sample: exact in float32, below the markers.
inline float RawValue(int unit, int channel, std::int64_t sample) {
    return float((unit * 16 + channel) * 1000 + int(sample % 1000));
}

// Converts a reading to half its value; parameters per channel.
class HalfChannelTable final : public IChannelTable {
public:
    double ConvertBlockChannelValue(int channel, const CaseSampleBlock& block) const override {
        return ConvertRawToValue(channel, block.fValues[channel % 16]);
    }
    void ConvertBlockReadings(int channel, const CaseSampleBlock* blocks, std::size_t stride, int place,
                              int n, float* out) const override {
        ConvertEachBlockReading(blocks, stride, place, n, out, [&](const CaseSampleBlock& block) {
            return ConvertBlockChannelValue(channel, block);
        });
    }
    double ConvertRawToValue(int, float raw) const override { return double(raw) * 0.5; }
    ChannelParamView GetChannelParam(int channel) const override {
        const auto it = params.find(channel);
        return it == params.end() ? defaultParam : it->second;
    }
    ChannelParamView defaultParam{0, 1, 0, 0.3f, 200.0f};
    std::map<int, ChannelParamView> params;
};

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/qv-datafiles-XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

struct RunSpec {
    RunSpec(std::string folder_, std::string name_, std::vector<int> units_, std::int64_t samples_,
            bool perCase_ = false)
        : folder(std::move(folder_)), name(std::move(name_)), units(std::move(units_)), samples(samples_),
          perCase(perCase_) {}

    std::string folder;
    std::string name = "run";
    std::vector<int> units{0};
    std::int64_t samples = 0;
    bool perCase = false;
    std::map<int, std::int64_t> unitSamples; // per-unit files of other lengths
    std::set<int> missingUnits;              // per-unit files not written
    std::map<std::pair<int, std::int64_t>, std::map<int, float>>
        overrides;                                      // (unit, sample) -> channel -> raw
    std::set<std::pair<int, std::int64_t>> emptyBlocks; // (unit, sample) written as {-1, 0.0...}
    std::map<int, float> constantRaw;                   // channel number -> raw reading of every sample
};

class RunWriter {
public:
    explicit RunWriter(RunSpec spec) : m_spec(std::move(spec)) {}

    std::string DataPath() const { return m_spec.folder + "/" + m_spec.name + ".dat"; }
    std::string StatusPath() const { return m_spec.folder + "/" + m_spec.name + ".stu"; }
    OnlineLayout Layout() const { return OnlineLayout::FromUnits(m_spec.units, m_spec.perCase); }

    static double Time(std::int64_t sample) { return 46000.5 + double(sample) / 86400.0; }
    // Labels fill the whole 19 characters.
    static std::string Label(std::int64_t sample) {
        char text[32];
        std::snprintf(text, sizeof text, "batch-%013lld", static_cast<long long>(sample));
        return text;
    }
    static SampleStatusRecord Status(std::int64_t sample) {
        SampleStatusRecord record{};
        record.dtTime = Time(sample);
        std::memcpy(record.szLabel, Label(sample).c_str(), 19);
        return record;
    }

    CaseSampleBlock Block(int unit, std::int64_t sample) const {
        if (m_spec.emptyBlocks.count({unit, sample}))
            return MakeEmptyBlock();
        CaseSampleBlock block{};
        block.nHeader = unit;
        for (int ch = 0; ch < 16; ++ch)
            block.fValues[ch] = RawValue(unit, ch, sample);
        for (const auto& [channel, raw] : m_spec.constantRaw)
            if (channel / 16 == unit)
                block.fValues[channel % 16] = raw;
        const auto it = m_spec.overrides.find({unit, sample});
        if (it != m_spec.overrides.end())
            for (const auto& [ch, raw] : it->second)
                block.fValues[ch] = raw;
        return block;
    }

    std::int64_t SamplesOf(int unit) const {
        const auto it = m_spec.unitSamples.find(unit);
        return it == m_spec.unitSamples.end() ? m_spec.samples : it->second;
    }

    void Write() const {
        std::filesystem::create_directories(m_spec.folder);
        if (m_spec.perCase)
            WritePerCase();
        else
            WriteSingle();
    }

private:
    void WriteSingle() const { WriteFiles(DataPath(), StatusPath(), m_spec.units, m_spec.samples); }

    void WritePerCase() const {
        for (int unit : m_spec.units) {
            if (m_spec.missingUnits.count(unit))
                continue;
            WriteFiles(MakeCaseDataFileName(DataPath(), unit, 0), MakeCaseDataFileName(DataPath(), unit, 1),
                       {unit}, SamplesOf(unit));
        }
    }

    // Each sample's blocks of the units, then its status record.
    void WriteFiles(const std::string& datPath, const std::string& stuPath, const std::vector<int>& units,
                    std::int64_t samples) const {
        std::FILE* dat = std::fopen(datPath.c_str(), "wb");
        std::FILE* stu = std::fopen(stuPath.c_str(), "wb");
        for (std::int64_t k = 0; k < samples; ++k) {
            for (int unit : units) {
                const CaseSampleBlock block = Block(unit, k);
                std::fwrite(&block, sizeof block, 1, dat);
            }
            const SampleStatusRecord record = Status(k);
            std::fwrite(&record, sizeof record, 1, stu);
        }
        std::fclose(dat);
        std::fclose(stu);
    }

    RunSpec m_spec;
};

inline std::vector<char> ReadBytes(const std::string& path) {
    std::vector<char> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

} // namespace testrun
