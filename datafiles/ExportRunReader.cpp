// Chunked readers of the sampled-data exports.
#include "datafiles/ExportRunReader.h"

#include "datafiles/ExportFormat.h"
#include "datafiles/RawFile.h"
#include "datafiles/VirtualChannels.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

constexpr unsigned kReadFlags = CRawFile::kRead | CRawFile::kShareDenyNone;
// Floats the decimation window holds for all channels together.
constexpr std::int64_t kWindowFloats = 4 << 20;

std::array<float, 8> NoValueRecord() {
    std::array<float, 8> record;
    record.fill(kNoValue);
    return record;
}

} // namespace

std::string VirtualChannelBase(const std::string& dataPath) {
    const std::string first = VirtualChannelFileName(dataPath, 1);
    return first.substr(0, first.size() - 5); // without "1.vit"
}

std::string RecordLabelText(const SampleStatusRecord& record) {
    const std::string label = StatusLabel(record);
    const bool ascii =
        std::all_of(label.begin(), label.end(), [](char c) { return (unsigned char)c < 0x80; });
    return ascii ? label : platform::GbkToUtf8(label);
}

CExportChunkReader::CExportChunkReader(const ExportContext& context, std::vector<int> units,
                                       std::vector<int> virtualChannels, bool digital)
    : m_context(context), m_units(std::move(units)), m_virtual(std::move(virtualChannels)),
      m_bDigital(digital), m_virtualBase(VirtualChannelBase(context.dataPath)) {
    for (int channel : m_virtual) {
        const std::int64_t size = platform::FileSize(m_virtualBase + std::to_string(channel - 4095) + ".vit");
        m_virtualHeld.push_back(size > 0 ? size / 4 : 0);
    }
}

CExportChunkReader::~CExportChunkReader() {
    if (m_dataFile)
        m_dataFile->Close();
    delete m_dataFile;
}

bool CExportChunkReader::Open() {
    if (m_context.layout.bPerCaseFiles || m_units.empty())
        return true;
    m_dataFile = new CRawFile;
    return m_dataFile->Open(m_context.dataPath.c_str(), kReadFlags) != 0;
}

void CExportChunkReader::ReadBlocks(ExportChunk& chunk) {
    chunk.blocks.resize(m_units.size());
    if (m_units.empty())
        return;
    if (m_context.layout.bPerCaseFiles) {
        m_byUnit.resize(kMaxUnits);
        for (int unit : m_units)
            if (unit >= 0 && unit < kMaxUnits)
                m_byUnit[std::size_t(unit)].clear();
        ReadCaseBlocks(m_context.dataPath, m_units, int(chunk.first), chunk.count, m_byUnit.data());
        for (std::size_t u = 0; u < m_units.size(); ++u) {
            const int unit = m_units[u];
            if (unit >= 0 && unit < kMaxUnits &&
                m_byUnit[std::size_t(unit)].size() == std::size_t(chunk.count))
                chunk.blocks[u].swap(m_byUnit[std::size_t(unit)]);
            else
                chunk.blocks[u].assign(std::size_t(chunk.count), MakeNoValueBlock(unit));
        }
        return;
    }
    const int cases = m_context.layout.nCaseCount;
    const std::int64_t frameSize = m_context.layout.FrameSize();
    std::int64_t frames = 0;
    if (cases > 0 && m_dataFile && m_dataFile->IsOpen()) {
        m_frames.resize(std::size_t(cases) * std::size_t(chunk.count));
        const std::int64_t got =
            m_dataFile->ReadAt(chunk.first * frameSize, m_frames.data(), chunk.count * frameSize);
        frames = got > 0 ? got / frameSize : 0;
    }
    for (std::size_t u = 0; u < m_units.size(); ++u) {
        const int unit = m_units[u];
        const int slot = unit >= 0 && unit < kMaxUnits ? m_context.layout.caseSlot[std::size_t(unit)] : -1;
        std::vector<CaseSampleBlock>& blocks = chunk.blocks[u];
        blocks.assign(std::size_t(chunk.count), MakeNoValueBlock(unit));
        if (slot < 0 || slot >= cases)
            continue;
        for (std::int64_t k = 0; k < frames; ++k)
            blocks[std::size_t(k)] = m_frames[std::size_t(k * cases + slot)];
    }
}

void CExportChunkReader::ReadDigital(ExportChunk& chunk) {
    chunk.digital.assign(std::size_t(chunk.count), NoValueRecord());
    chunk.digitalHeld = 0;
    if (!m_bDigital)
        return;
    CRawFile file;
    if (!file.Open(m_context.digitalPath.c_str(), kReadFlags))
        return;
    const std::int64_t got =
        file.ReadAt(chunk.first * 32, chunk.digital.data(), std::int64_t(chunk.count) * 32);
    file.Close();
    chunk.digitalHeld = got > 0 ? int(got / 32) : 0;
    std::fill(chunk.digital.begin() + chunk.digitalHeld, chunk.digital.end(), NoValueRecord());
}

void CExportChunkReader::Read(std::int64_t first, int count, ExportChunk& chunk) {
    chunk.first = first;
    chunk.count = count;
    ReadBlocks(chunk);
    chunk.records.clear();
    if (!ReadStatusRecordsTo(m_context.layout, m_context.statusPath, int(first), count, chunk.records))
        chunk.records.assign(std::size_t(count), SampleStatusRecord{});
    ReadDigital(chunk);
    chunk.virtualValues.resize(m_virtual.size());
    if (!m_virtual.empty()) {
        std::vector<float> byChannel[128];
        ReadVirtualChannels(m_virtualBase, m_virtual, int(first), count, byChannel);
        for (std::size_t v = 0; v < m_virtual.size(); ++v)
            chunk.virtualValues[v].swap(byChannel[m_virtual[v] - 4096]);
    }
}

CDecimatedValueReader::CDecimatedValueReader(const ExportContext& context, const std::vector<int>& channels,
                                             bool average, std::int64_t end)
    : m_context(context), m_access(context.layout, context.channels), m_channels(channels),
      m_bAverage(average), m_end(end) {
    for (int channel : channels) {
        if (IsExportedMeasureChannel(channel)) {
            m_column.push_back(int(m_real.size()));
            m_real.push_back(channel);
        } else {
            m_column.push_back(-1 - int(m_virtual.size()));
            m_virtual.push_back(channel);
        }
    }
    for (int& column : m_column)
        if (column < 0)
            column = int(m_real.size()) + (-1 - column);
    const std::int64_t width = std::max<std::int64_t>(1, std::int64_t(channels.size()));
    m_nWindow = int(std::clamp<std::int64_t>(kWindowFloats / width, 1, 1 << 20));
    m_values.resize(channels.size());
}

void CDecimatedValueReader::Fill(std::int64_t first, int count) {
    m_windowFirst = first;
    m_windowCount = count;
    std::vector<float*> columns;
    for (std::size_t c = 0; c < m_values.size(); ++c) {
        m_values[c].assign(std::size_t(count), kNoValue);
        if (c < m_real.size())
            columns.push_back(m_values[c].data());
    }
    if (!m_real.empty())
        m_access.ReadChannelColumns(m_context.dataPath, m_real, first, count, columns.data());
    if (!m_virtual.empty()) {
        std::vector<float> byChannel[128];
        ReadVirtualChannels(VirtualChannelBase(m_context.dataPath), m_virtual, int(first), count, byChannel);
        for (std::size_t v = 0; v < m_virtual.size(); ++v) {
            std::vector<float>& values = byChannel[m_virtual[v] - 4096];
            if (values.size() == std::size_t(count))
                m_values[m_real.size() + v].swap(values);
        }
    }
    m_records.clear();
    if (!ReadStatusRecordsTo(m_context.layout, m_context.statusPath, int(first), count, m_records))
        m_records.assign(std::size_t(count), SampleStatusRecord{});
}

float CDecimatedValueReader::Value(std::size_t channel, std::int64_t sample) const {
    return m_values[std::size_t(m_column[channel])][std::size_t(sample - m_windowFirst)];
}

void CDecimatedValueReader::ReadGroup(std::int64_t start, int length, std::vector<double>& values,
                                      SampleStatusRecord& record) {
    values.assign(m_channels.size(), 0.0);
    const int needed = m_bAverage ? length : 1;
    for (int done = 0; done < needed;) {
        const std::int64_t sample = start + done;
        const int part = std::min(needed - done, m_nWindow);
        if (sample < m_windowFirst || sample + part > m_windowFirst + m_windowCount)
            Fill(sample,
                 int(std::max<std::int64_t>(part, std::min<std::int64_t>(m_nWindow, m_end - sample))));
        if (done == 0)
            record = m_records[std::size_t(sample - m_windowFirst)];
        for (std::size_t c = 0; c < m_channels.size(); ++c)
            for (int k = 0; k < part; ++k)
                values[c] += Value(c, sample + k);
        done += part;
    }
    if (m_bAverage && length > 0)
        for (double& value : values)
            value /= length;
}

std::vector<DecimationGroup> DecimationGroups(int first, int count, int step, bool remainder) {
    std::vector<DecimationGroup> groups;
    if (step < 1 || count < 1)
        return groups;
    const int whole = count / step;
    groups.reserve(std::size_t(whole) + 1);
    for (int i = 0; i < whole; ++i)
        groups.push_back({std::int64_t(first) + std::int64_t(step) * i, step});
    if (remainder && count % step > 0)
        groups.push_back({std::int64_t(first) + std::int64_t(step) * whole, count % step});
    return groups;
}

std::vector<DecimationGroup> ExportDecimationGroups(const ExportContext& context, int first, int count,
                                                    int step, bool remainder) {
    std::vector<DecimationGroup> groups = DecimationGroups(first, count, step, remainder);
    if (groups.empty())
        platform::MessageBox("抽点个数为零!", context.strAppTitle, platform::MB_OK);
    return groups;
}
