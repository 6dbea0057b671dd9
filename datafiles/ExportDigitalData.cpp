// Export of the digital channels alone, from the run's digital data file.
#include "datafiles/ExportFormat.h"
#include "datafiles/ExportPaths.h"
#include "datafiles/ExportRelativeTime.h"
#include "datafiles/ExportRunReader.h"
#include "datafiles/ExportSampleData.h"
#include "datafiles/ExportTextWriter.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <algorithm>

namespace {

class CDigitalDataExport {
public:
    CDigitalDataExport(const ExportContext& context, const SaveDataOptions& options, int decimals, int count,
                       int first)
        : m_context(context), m_options(options), m_decimals(decimals), m_count(std::max(count, 0)),
          m_first(std::max(first, 0)) {}

    int PerChannel(const std::string& folder, const std::string& title);
    int OneFile(const std::string& path);

private:
    // Table positions of the digital list's entries (-1 for one not in the table).
    std::vector<int> Positions() const;
    bool WriteRows(const std::vector<int>& positions, bool perChannel);
    bool WriteDecimatedRows(const std::vector<int>& positions, bool remainder);

    const ExportContext& m_context;
    const SaveDataOptions& m_options;
    int m_decimals;
    int m_count;
    int m_first;
    CExportTextWriter m_writer;
    std::string m_row;
};

std::vector<int> CDigitalDataExport::Positions() const {
    std::vector<int> positions;
    for (int i = 0; i < m_options.DigitalCount(); ++i)
        positions.push_back(m_context.DigitalPosition(m_options.nDigitalChannels[i]));
    return positions;
}

bool CDigitalDataExport::WriteRows(const std::vector<int>& positions, bool perChannel) {
    CExportChunkReader reader(m_context, {}, {}, true);
    CExportRelativeTime clock(m_context);
    ExportChunk chunk;
    for (int done = 0; done < m_count; done += chunk.count) {
        reader.Read(std::int64_t(m_first) + done, std::min(CExportChunkReader::kChunk, m_count - done),
                    chunk);
        if (done == 0)
            clock.SetReference(chunk.records[0]);
        // A sample whose digital record is not stored gets no row.
        for (int k = 0; k < chunk.digitalHeld; ++k) {
            const SampleStatusRecord& record = chunk.records[std::size_t(k)];
            m_row.clear();
            AppendRowPrefix(m_row, m_options, clock.Milliseconds(chunk.first + k, record), record);
            for (int position : positions)
                if (position >= 0)
                    AppendValueCell(m_row, chunk.digital[std::size_t(k)][std::size_t(position)], m_decimals);
            if (!perChannel || positions[0] >= 0)
                m_writer.WriteLine(m_row);
        }
    }
    return true;
}

bool CDigitalDataExport::WriteDecimatedRows(const std::vector<int>& positions, bool remainder) {
    const std::vector<DecimationGroup> groups =
        ExportDecimationGroups(m_context, m_first, m_count, m_options.nStep, remainder);
    if (groups.empty())
        return false;
    CExportChunkReader reader(m_context, {}, {}, true);
    CExportRelativeTime clock(m_context);
    ExportChunk chunk;
    std::vector<double> sums(positions.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const int needed = m_options.bAverage ? groups[g].length : 1;
        std::fill(sums.begin(), sums.end(), 0.0);
        SampleStatusRecord record{};
        for (int done = 0; done < needed; done += chunk.count) {
            reader.Read(groups[g].start + done, std::min(CExportChunkReader::kChunk, needed - done), chunk);
            if (done == 0)
                record = chunk.records[0];
            for (std::size_t p = 0; p < positions.size(); ++p)
                for (int k = 0; k < chunk.count && positions[p] >= 0; ++k)
                    sums[p] += chunk.digital[std::size_t(k)][std::size_t(positions[p])];
        }
        if (g == 0)
            clock.SetReference(record);
        m_row = FormatDecimatedRowPrefix(m_options, clock.Milliseconds(groups[g].start, record),
                                         RecordTimeText(record));
        for (std::size_t p = 0; p < positions.size(); ++p)
            if (positions[p] >= 0)
                AppendValueCell(m_row, sums[p] / needed, m_decimals);
        m_writer.WriteLine(m_row);
    }
    return true;
}

int CDigitalDataExport::PerChannel(const std::string& folder, const std::string& title) {
    for (int position : Positions()) {
        const std::string name =
            position >= 0 ? SafeFileNamePart(m_context.digitalChannels[std::size_t(position)].strName) : "";
        const std::string path = folder + "/" + title + name + ".txt";
        PrepareOutputFile(path);
        if (!m_writer.Open(path, m_context.strAppTitle))
            return 0;
        std::string description;
        m_writer.WriteLine(FormatSingleExportHeader(m_options, name, "", description));
        m_writer.WriteLine(m_options.bDescription ? description : "");
        const bool rows =
            m_options.IsDecimating() ? WriteDecimatedRows({position}, false) : WriteRows({position}, true);
        if (!m_writer.Close() || !rows)
            return 0;
    }
    return 1;
}

int CDigitalDataExport::OneFile(const std::string& path) {
    PrepareOutputFile(path);
    if (!m_writer.Open(path, m_context.strAppTitle))
        return 0;
    std::string description;
    m_writer.WriteLine(FormatExportHeader(m_context, m_options, 1, "", description, true));
    m_writer.WriteLine(m_options.bDescription ? description : "");
    const std::vector<int> positions = Positions();
    const bool rows =
        m_options.IsDecimating() ? WriteDecimatedRows(positions, true) : WriteRows(positions, false);
    return m_writer.Close() && rows ? 1 : 0;
}

} // namespace

int ExportDigitalData(const ExportContext& context, const SaveDataOptions& options,
                      const std::string& digitalPath, const std::string& statusPath, int decimals, int count,
                      int first, const std::string& outputPath) {
    if (digitalPath.empty() || statusPath.empty())
        return 0;
    if (!platform::FileExists(digitalPath)) {
        platform::MessageBox("数据文件 " + digitalPath + " 不存在，无法继续完成该操作", context.strAppTitle,
                             platform::MB_OK);
        return 0;
    }
    ExportContext run = context;
    run.digitalPath = digitalPath;
    run.statusPath = statusPath;
    std::string folder = platform::FolderOf(outputPath);
    const std::string file = platform::FileNameOf(outputPath);
    const std::string title = file.substr(0, std::min(file.rfind('.'), file.size()));
    if (!PrepareExportFolder(options, folder, title))
        return 0;
    CDigitalDataExport export_(run, options, decimals, count, first);
    if (options.nFileLayout == 0)
        return export_.PerChannel(folder, title);
    if (options.nFileLayout == 1)
        return export_.OneFile(folder + "/" + title + ".txt");
    return 1;
}
