// Computes virtual-channel files chunk by chunk: every chunk of the run is
// read once for all the channels the formulas use.
#include "datafiles/VirtualChannels.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/RawFile.h"
#include "model/NumberTexts.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr int kChunk = CDataFileAccess::kChunkSamples;

// Reads the union of the channels of a set of consumers, chunk by chunk.
class ChunkColumns {
public:
    ChunkColumns(const VirtualChannelRun& run, std::vector<int> channels)
        : m_run(run), m_channels(std::move(channels)), m_data(m_channels.size() * kChunk),
          m_columns(m_channels.size()) {
        for (std::size_t i = 0; i < m_channels.size(); ++i)
            m_columns[i] = &m_data[i * kChunk];
    }
    bool Read(std::int64_t first, int n) {
        CDataFileAccess access(m_run.layout, m_run.channels);
        return m_channels.empty() ||
               access.ReadChannelColumns(m_run.dataPath, m_channels, first, n, m_columns.data());
    }
    const float* Column(int channel) const {
        const auto it = std::find(m_channels.begin(), m_channels.end(), channel);
        return m_columns[std::size_t(it - m_channels.begin())];
    }

private:
    const VirtualChannelRun& m_run;
    std::vector<int> m_channels;
    std::vector<float> m_data;
    std::vector<float*> m_columns;
};

bool HoldsData(const VirtualChannelRun& run) {
    return run.projectState >= 2 && run.sampleCount > 0;
}

// Opens the files of channels 1..count; stops at the first that fails.
std::vector<std::unique_ptr<CRawFile>> CreateFiles(const std::string& dataPath, int count) {
    std::vector<std::unique_ptr<CRawFile>> files;
    for (int n = 1; n <= count; ++n) {
        auto file = std::make_unique<CRawFile>();
        if (!file->Open(VirtualChannelFileName(dataPath, n).c_str(), CRawFile::kCreate | CRawFile::kWrite))
            break;
        files.push_back(std::move(file));
    }
    return files;
}

void CloseAll(std::vector<std::unique_ptr<CRawFile>>& files) {
    for (auto& file : files)
        file->Close();
}

bool HasSquare(const std::string& text) {
    return text.find('^') != std::string::npos;
}

} // namespace

std::string VirtualChannelFileName(const std::string& dataPath, int n) {
    const std::size_t slash = dataPath.find_last_of('/');
    std::size_t dot = dataPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = dataPath.size();
    return dataPath.substr(0, dot) + std::to_string(n) + ".vit";
}

int ComputeVirtualChannels(const VirtualChannelRun& run, const std::vector<std::string>& formulas, int count,
                           std::vector<FormulaProgram::Status>* statuses) {
    count = std::min({count, int(formulas.size()), kMaxVirtualChannels});
    if (count < 1 || !HoldsData(run))
        return 0;
    // Each formula is parsed and compiled once for the whole run.
    std::vector<FormulaProgram> programs(static_cast<std::size_t>(count));
    std::vector<int> channels;
    for (int i = 0; i < count; ++i) {
        programs[i].Compile(formulas[i].c_str(), run.layout, &run.channels);
        if (statuses)
            statuses->push_back(programs[i].GetStatus());
        for (int channel : programs[i].Channels())
            if (std::find(channels.begin(), channels.end(), channel) == channels.end())
                channels.push_back(channel);
    }
    auto files = CreateFiles(run.dataPath, count);
    ChunkColumns input(run, channels);
    std::vector<float> out(kChunk);
    std::vector<const float*> columns;
    bool ok = true;
    for (std::int64_t first = 0; ok && first < run.sampleCount; first += kChunk) {
        const int n = int(std::min<std::int64_t>(kChunk, run.sampleCount - first));
        ok = input.Read(first, n);
        for (std::size_t i = 0; ok && i < files.size(); ++i) {
            columns.clear();
            for (int channel : programs[i].Channels())
                columns.push_back(input.Column(channel));
            programs[i].Evaluate(columns.data(), n, out.data());
            ok = files[i]->WriteAll(out.data(), std::int64_t(n) * 4);
        }
    }
    const bool complete = int(files.size()) == count;
    CloseAll(files);
    return ok && complete ? 1 : 0;
}

int ComputeOperatorVirtualChannels(const VirtualChannelRun& run,
                                   const std::vector<OperatorVirtualChannel>& defs, int count) {
    count = std::min({count, int(defs.size()), kMaxVirtualChannels});
    if (count < 1 || !HoldsData(run))
        return 0;
    const int listSize = int(run.layout.channelList.size());
    std::vector<int> channels;
    for (int i = 0; i < count; ++i)
        for (int pos : {defs[i].nPosA, defs[i].nPosB})
            if (pos >= 0 && pos < listSize &&
                std::find(channels.begin(), channels.end(), run.layout.channelList[pos]) == channels.end())
                channels.push_back(run.layout.channelList[pos]);
    auto files = CreateFiles(run.dataPath, count);
    ChunkColumns input(run, channels);
    std::vector<float> out(kChunk);
    bool ok = true;
    for (std::int64_t first = 0; ok && first < run.sampleCount; first += kChunk) {
        const int n = int(std::min<std::int64_t>(kChunk, run.sampleCount - first));
        ok = input.Read(first, n);
        for (std::size_t i = 0; ok && i < files.size(); ++i) {
            const OperatorVirtualChannel& def = defs[i];
            const bool valid =
                def.nPosA >= 0 && def.nPosA < listSize && def.nPosB >= 0 && def.nPosB < listSize;
            const float* a = valid ? input.Column(run.layout.channelList[def.nPosA]) : nullptr;
            const float* b = valid ? input.Column(run.layout.channelList[def.nPosB]) : nullptr;
            for (int k = 0; k < n; ++k) {
                if (!valid || IsSpecialValue(a[k]) || IsSpecialValue(b[k])) {
                    out[k] = valid ? kNoValue : 0.0f;
                    continue;
                }
                const bool square = HasSquare(def.strFirst);
                const double va = square ? double(a[k]) * a[k] : double(a[k]) * def.fKA;
                const double vb = square ? double(b[k]) * b[k] : double(b[k]) * def.fKB;
                double r = ApplyArithmeticOp(va, vb, def.nOperation);
                if (HasSquare(def.strSecond))
                    r = std::sqrt(r);
                out[k] = std::isfinite(r) ? float(r) : 0.0f;
            }
            ok = files[i]->WriteAll(out.data(), std::int64_t(n) * 4);
        }
    }
    const bool complete = int(files.size()) == count;
    CloseAll(files);
    return ok && complete ? 1 : 0;
}
