// Rosette and residual-stress results as a text file of blank-padded
// columns: one line per sample (or decimation step) and group.
#include "datafiles/ExportFormat.h"
#include "datafiles/ExportPaths.h"
#include "datafiles/ExportRelativeTime.h"
#include "datafiles/ExportRunReader.h"
#include "datafiles/ExportTextWriter.h"
#include "datafiles/ResultExport.h"
#include "datafiles/ResultRangeReader.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWidth = 20;

// A "%-20s" column; a text that fills it keeps one blank after it, so that
// it never runs into the next column.
void AppendColumn(std::string& line, const std::string& text) {
    const std::size_t start = line.size();
    AppendPadded(line, text, kWidth);
    if (line.size() - start == text.size())
        line += ' ';
}

class CResultTextExport {
public:
    CResultTextExport(const ExportContext& context, const ResultKind& kind, const SaveDataOptions& options,
                      int decimals, int count, int first)
        : m_context(context), m_kind(kind), m_options(options), m_decimals(decimals),
          m_count(std::max(count, 0)), m_first(std::max(first, 0)), m_clock(context) {}

    int Run(std::string outputPath);

private:
    bool WriteRows();
    bool WriteDecimatedRows();
    bool ReadStepRecord(const std::string& path, std::int64_t start, std::vector<float>& record) const;
    SampleStatusRecord StatusOf(std::int64_t sample) const;
    double Seconds(std::int64_t sample, const SampleStatusRecord& record) const {
        return m_clock.Milliseconds(sample, record) * 0.001;
    }

    const ExportContext& m_context;
    const ResultKind& m_kind;
    const SaveDataOptions& m_options;
    int m_decimals;
    int m_count;
    int m_first;
    CExportRelativeTime m_clock;
    std::vector<std::string> m_paths;
    CExportTextWriter m_writer;
};

SampleStatusRecord CResultTextExport::StatusOf(std::int64_t sample) const {
    std::vector<SampleStatusRecord> records;
    if (!ReadStatusRecordsTo(m_context.layout, m_context.statusPath, int(sample), 1, records) ||
        records.empty())
        return SampleStatusRecord{};
    return records[0];
}

int CResultTextExport::Run(std::string outputPath) {
    if (m_options.bMakeFolder) {
        const std::string file = platform::FileNameOf(outputPath);
        const std::string title = file.substr(0, std::min(file.rfind('.'), file.size()));
        std::string folder = platform::FolderOf(outputPath);
        const std::string made = platform::JoinPath(folder, SafeFileNamePart(title));
        if (PrepareExportFolder(m_options, folder, title))
            outputPath = folder + "/" + title + ".txt";
        else
            platform::MessageBox("创建目录" + made + "失败!", m_context.strAppTitle, platform::MB_OK);
    }
    if (m_options.nFileLayout != 1)
        return 1;
    const bool decimating = m_options.IsDecimating();
    const std::int64_t end =
        decimating ? m_first + std::int64_t(m_count / m_options.nStep) * m_options.nStep : m_first + m_count;
    for (int i = 0; i < m_options.ChannelCount(); ++i) {
        m_paths.push_back(ResultFileName(m_kind, m_context.dataPath, m_options.nChannels[i] + 1));
        // A group whose results do not cover the range would print nothing true.
        if (end > m_first && !ResultFileCovers(m_kind, m_paths.back(), end))
            return 0;
    }
    m_clock.SetReference(StatusOf(0));
    PrepareOutputFile(outputPath);
    if (!m_writer.Open(outputPath, m_context.strAppTitle))
        return 0;
    m_writer.WriteLine(FormatResultTextHeader(m_kind, m_options));
    const bool rows = decimating ? WriteDecimatedRows() : WriteRows();
    return m_writer.Close() && rows ? 1 : 0;
}

bool CResultTextExport::WriteRows() {
    CResultRangeReader reader(m_context, m_kind, m_paths, m_context.statusPath);
    for (int done = 0; done < m_count; done += reader.ChunkSize()) {
        const int n = std::min(reader.ChunkSize(), m_count - done);
        if (!reader.Read(std::int64_t(m_first) + done, n))
            return false;
        for (int k = 0; k < n; ++k) {
            const SampleStatusRecord& record = reader.Status(k);
            const double seconds = Seconds(std::int64_t(m_first) + done + k, record);
            const std::string time = RecordTimeText(record);
            const std::string label = RecordLabelText(record);
            for (std::size_t g = 0; g < m_paths.size(); ++g)
                m_writer.WriteLine(FormatResultTextRow(m_kind, m_options, m_decimals, seconds, time, label,
                                                       reader.Record(g, k)));
        }
    }
    return true;
}

// The record of one decimation step: its first record or the mean of all.
bool CResultTextExport::ReadStepRecord(const std::string& path, std::int64_t start,
                                       std::vector<float>& record) const {
    const int step = m_options.nStep;
    const int needed = m_options.bAverage ? step : 1;
    const std::size_t values = std::size_t(m_kind.valueCount);
    std::vector<double> sums(values, 0.0);
    std::vector<float> part;
    for (int done = 0; done < needed;) {
        const int n = std::min(needed - done, 4096);
        part.resize(std::size_t(n) * values);
        if (!ReadResultRange(m_kind, path, int(start + done), int(start + done + n), part.data()))
            return false;
        for (int k = 0; k < n; ++k)
            for (std::size_t j = 0; j < values; ++j)
                sums[j] += part[std::size_t(k) * values + j];
        done += n;
    }
    record.resize(values);
    for (std::size_t j = 0; j < values; ++j)
        record[j] = float(sums[j] / needed);
    return true;
}

bool CResultTextExport::WriteDecimatedRows() {
    const int step = m_options.nStep;
    const int rows = m_count / step;
    std::vector<float> record;
    for (int r = 0; r < rows; ++r) {
        const std::int64_t start = m_first + std::int64_t(step) * r;
        const SampleStatusRecord status = StatusOf(start);
        const double seconds = Seconds(start, status);
        const std::string time = RecordTimeText(status);
        const std::string rest = "  " + RecordLabelText(status);
        for (const std::string& path : m_paths) {
            if (!ReadStepRecord(path, start, record))
                return false;
            m_writer.WriteLine(
                FormatResultTextRow(m_kind, m_options, m_decimals, seconds, time, rest, record.data()));
        }
    }
    return true;
}

} // namespace

std::string FormatResultTextHeader(const ResultKind& kind, const SaveDataOptions& options) {
    std::string line;
    if (options.bRelativeTime)
        AppendPadded(line, "相对时间", kWidth);
    if (options.bAbsoluteTime)
        AppendPadded(line, "绝对时间", kWidth);
    if (options.bSampleStatus)
        AppendPadded(line, "采样状态", kWidth);
    for (int index : kind.textOrder)
        AppendPadded(line, kind.shortName(index), kWidth);
    return line;
}

std::string FormatResidualStressTextHeader(const SaveDataOptions& options) {
    return FormatResultTextHeader(ResidualStressResults(), options);
}

std::string FormatRosetteTextHeader(const SaveDataOptions& options) {
    return FormatResultTextHeader(RosetteResults(), options);
}

std::string FormatResultTextRow(const ResultKind& kind, const SaveDataOptions& options, int decimals,
                                double relativeSeconds, const std::string& timeText,
                                const std::string& statusText, const float* record) {
    std::string line;
    if (options.bRelativeTime)
        AppendColumn(line, std::isfinite(relativeSeconds) ? FixedText(relativeSeconds, 1) : "");
    if (options.bAbsoluteTime)
        AppendColumn(line, timeText);
    if (options.bSampleStatus)
        AppendColumn(line, statusText);
    for (int index : kind.textOrder)
        AppendColumn(line, FixedText(record[index], decimals));
    return line;
}

int ExportResidualStressText(const ExportContext& context, const SaveDataOptions& options,
                             const std::string& dataPath, const std::string& statusPath, int, int decimals,
                             int count, int first, const std::string& outputPath) {
    ExportContext run = context;
    run.dataPath = dataPath;
    run.statusPath = statusPath;
    return CResultTextExport(run, ResidualStressResults(), options, decimals, count, first).Run(outputPath);
}

int ExportRosetteText(const ExportContext& context, const SaveDataOptions& options,
                      const std::string& dataPath, const std::string& statusPath, int, int decimals,
                      int count, int first, const std::string& outputPath) {
    ExportContext run = context;
    run.dataPath = dataPath;
    run.statusPath = statusPath;
    return CResultTextExport(run, RosetteResults(), options, decimals, count, first).Run(outputPath);
}
