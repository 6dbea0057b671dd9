// Export of stored samples: the output path, the per-channel and all-in-one
// layouts, with and without decimation.
#include "datafiles/ExportSampleData.h"

#include "datafiles/ExportFormat.h"
#include "datafiles/ExportPaths.h"
#include "datafiles/ExportRelativeTime.h"
#include "datafiles/ExportRunReader.h"
#include "datafiles/ExportTextWriter.h"
#include "model/ChannelNaming.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

constexpr int kValueWidth = 15;

class CSampleDataExport {
public:
    CSampleDataExport(const ExportContext& context, const SaveDataOptions& options, int first, int count,
                      int decimals)
        : m_context(context), m_options(options), m_first(std::max(first, 0)), m_count(std::max(count, 0)),
          m_decimals(decimals) {}

    int Run(int fileType);

private:
    int PerChannel(std::string title);
    int OneFile(const std::string& title);
    int WriteFile(const std::string& path, const std::string& heading, const std::string& description,
                  const std::vector<int>& channels, bool allInOne);
    bool WriteRows(const std::vector<int>& channels, bool digital);
    bool WriteDecimatedRows(const std::vector<int>& channels, bool remainder);
    void AppendRealValue(std::string& row, int channel, const CaseSampleBlock& block) const;

    const ExportContext& m_context;
    const SaveDataOptions& m_options;
    int m_first;
    int m_count;
    int m_decimals;
    std::string m_folder;
    std::string m_extension;
    CExportTextWriter m_writer;
    std::string m_row;
};

int CSampleDataExport::Run(int fileType) {
    std::string title;
    if (!m_context.askExportFileName || !m_context.askExportFileName(fileType, m_folder, title, m_extension))
        return 0;
    // A run stored in one file must have it; per-unit runs read what exists.
    if (!m_context.layout.bPerCaseFiles && !platform::FileExists(m_context.dataPath))
        return 0;
    if (!PrepareExportFolder(m_options, m_folder, title))
        return 0;
    if (m_options.nFileLayout == 0)
        return PerChannel(title);
    if (m_options.nFileLayout == 1)
        return OneFile(title);
    return 1;
}

int CSampleDataExport::WriteFile(const std::string& path, const std::string& heading,
                                 const std::string& description, const std::vector<int>& channels,
                                 bool allInOne) {
    PrepareOutputFile(path);
    if (!m_writer.Open(path, m_context.strAppTitle))
        return 0;
    m_writer.WriteLine(heading);
    m_writer.WriteLine(m_options.bDescription ? description : "");
    const bool rows =
        m_options.IsDecimating() ? WriteDecimatedRows(channels, allInOne) : WriteRows(channels, allInOne);
    return m_writer.Close() && rows ? 1 : 0;
}

int CSampleDataExport::PerChannel(std::string title) {
    title = CleanPerChannelTitle(title);
    for (int i = 0; i < m_options.ChannelCount(); ++i) {
        const int channel = m_options.nChannels[i];
        std::string name;
        std::string descriptionText;
        if (IsExportedMeasureChannel(channel)) {
            name = std::string(1, '_').append(FormatChannelName(channel));
            descriptionText = m_context.Description(channel);
        } else if (IsExportedVirtualChannel(channel)) {
            name = platform::Format("_虚拟%d", channel - 4095);
            descriptionText = m_context.VirtualTag(channel - 4095);
        } else {
            continue;
        }
        std::string description;
        const std::string heading = FormatSingleExportHeader(m_options, name, descriptionText, description);
        const std::string path = m_folder + "/" + title + name + "." + m_extension;
        if (!WriteFile(path, heading, description, {channel}, false))
            return 0;
    }
    return 1;
}

int CSampleDataExport::OneFile(const std::string& title) {
    std::vector<int> channels;
    for (int i = 0; i < m_options.ChannelCount(); ++i)
        if (IsExportedMeasureChannel(m_options.nChannels[i]) ||
            IsExportedVirtualChannel(m_options.nChannels[i]))
            channels.push_back(m_options.nChannels[i]);
    std::string description;
    const std::string heading = FormatExportHeader(m_context, m_options, 1, "", description, true);
    return WriteFile(m_folder + "/" + title + "." + m_extension, heading, description, channels, true);
}

void CSampleDataExport::AppendRealValue(std::string& row, int channel, const CaseSampleBlock& block) const {
    std::string marker;
    const float raw = block.fValues[channel % 16];
    // Only strain channels (type 0) show an overflow as text.
    if (FormatSpecialValue(m_context.channels.GetChannelParam(channel).nMeasureType, raw, marker))
        AppendCell(row, marker, kValueWidth);
    else
        AppendValueCell(row, m_context.channels.ConvertBlockChannelValue(channel, block), m_decimals);
}

bool CSampleDataExport::WriteRows(const std::vector<int>& channels, bool digital) {
    std::vector<int> units;
    std::vector<int> virtuals;
    std::vector<std::size_t> source; // per channel: its unit's or its virtual channel's position
    for (int channel : channels) {
        std::vector<int>& list = IsExportedMeasureChannel(channel) ? units : virtuals;
        const int key = IsExportedMeasureChannel(channel) ? channel / 16 : channel;
        auto it = std::find(list.begin(), list.end(), key);
        if (it == list.end())
            it = list.insert(list.end(), key);
        source.push_back(std::size_t(it - list.begin()));
    }
    std::vector<int> positions;
    if (digital)
        for (int i = 0; i < m_options.DigitalCount(); ++i)
            if (const int position = m_context.DigitalPosition(m_options.nDigitalChannels[i]); position >= 0)
                positions.push_back(position);

    CExportChunkReader reader(m_context, units, virtuals, !positions.empty());
    if (!reader.Open())
        return false;
    CExportRelativeTime clock(m_context);
    ExportChunk chunk;
    for (int done = 0; done < m_count; done += chunk.count) {
        reader.Read(std::int64_t(m_first) + done, std::min(CExportChunkReader::kChunk, m_count - done),
                    chunk);
        if (done == 0)
            clock.SetReference(chunk.records[0]);
        for (int k = 0; k < chunk.count; ++k) {
            const std::int64_t sample = chunk.first + k;
            const SampleStatusRecord& record = chunk.records[std::size_t(k)];
            m_row.clear();
            // The relative time is worked out only for its column: a
            // record's local time costs a time-zone conversion.
            AppendRowPrefix(m_row, m_options,
                            m_options.bRelativeTime ? clock.Milliseconds(sample, record) : 0.0, record);
            for (std::size_t c = 0; c < channels.size(); ++c) {
                if (IsExportedMeasureChannel(channels[c])) {
                    AppendRealValue(m_row, channels[c], chunk.blocks[source[c]][std::size_t(k)]);
                } else if (sample < reader.VirtualHeld(source[c])) {
                    AppendValueCell(m_row, chunk.virtualValues[source[c]][std::size_t(k)], m_decimals);
                } else {
                    AppendCell(m_row, "", kValueWidth);
                }
            }
            for (int position : positions)
                AppendValueCell(
                    m_row, k < chunk.digitalHeld ? chunk.digital[std::size_t(k)][std::size_t(position)] : 0.0,
                    m_decimals);
            m_writer.WriteLine(m_row);
        }
    }
    return true;
}

bool CSampleDataExport::WriteDecimatedRows(const std::vector<int>& channels, bool remainder) {
    const std::vector<DecimationGroup> groups =
        ExportDecimationGroups(m_context, m_first, m_count, m_options.nStep, remainder);
    if (groups.empty())
        return false;
    CDecimatedValueReader reader(m_context, channels, m_options.bAverage != 0,
                                 std::int64_t(m_first) + m_count);
    CExportRelativeTime clock(m_context);
    std::vector<double> values;
    SampleStatusRecord record{};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        reader.ReadGroup(groups[g].start, groups[g].length, values, record);
        if (g == 0)
            clock.SetReference(record);
        m_row = FormatDecimatedRowPrefix(
            m_options, m_options.bRelativeTime ? clock.Milliseconds(groups[g].start, record) : 0.0,
            m_options.bAbsoluteTime || m_options.bSampleStatus ? RecordTimeText(record) : std::string());
        for (double value : values)
            AppendValueCell(m_row, value, m_decimals);
        m_writer.WriteLine(m_row);
    }
    return true;
}

} // namespace

int ExportSampleData(const ExportContext& context, int fileType, const SaveDataOptions& options, int first,
                     int count, int decimals) {
    return CSampleDataExport(context, options, first, count, decimals).Run(fileType);
}

int SaveSampleDataXls(const ExportContext& context, const SaveDataOptions& options, int first, int count,
                      int decimals) {
    return ExportSampleData(context, 1, options, first, count, decimals);
}
