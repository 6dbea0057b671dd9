// Rosette and residual-stress results as tab-separated ".xls" tables: all
// chosen groups in one table, or one table per group.
#include "datafiles/ExportFormat.h"
#include "datafiles/ExportPaths.h"
#include "datafiles/ExportRunReader.h"
#include "datafiles/ExportTextWriter.h"
#include "datafiles/ResultExport.h"
#include "datafiles/ResultRangeReader.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

class CResultXlsExport {
public:
    CResultXlsExport(const ExportContext& context, const ResultKind& kind, const SaveDataOptions& options,
                     int first, int count, int decimals)
        : m_context(context), m_kind(kind), m_options(options), m_first(std::max(first, 0)),
          m_count(std::max(count, 0)), m_decimals(decimals) {
        const float frequency = context.fSamplingFrequency;
        m_periodMs = frequency > 0.0f ? 1.0 / frequency * 1000.0 : 0.0;
    }

    int Run();

private:
    int OneFile(const std::string& title);
    int PerGroup();
    // Writes the heading lines, then one row per sample; false on a read or write failure.
    bool WriteTable(const std::string& path, const std::vector<std::string>& heading,
                    const std::vector<std::string>& paths);
    void AppendLeadingCells(std::string& row, int i, const SampleStatusRecord& record) const;
    void AppendValues(std::string& row, const float* record) const;
    // Captions of the leading columns that are switched on, in their order.
    std::vector<const char*> LeadingCaptions() const {
        std::vector<const char*> captions;
        if (m_options.bRelativeTime)
            captions.push_back("相对时间");
        if (m_options.bAbsoluteTime)
            captions.push_back("绝对时间");
        if (m_options.bSampleStatus)
            captions.push_back("采样状态");
        return captions;
    }
    void Fail() const {
        platform::MessageBox("另存为Excel文件失败", m_context.strAppTitle, platform::MB_ICONEXCLAMATION);
    }
    std::string GroupHeading(int group) const {
        return platform::Format("组%d(%s)", group + 1, m_kind.GroupText(m_context, group).c_str());
    }

    const ExportContext& m_context;
    const ResultKind& m_kind;
    const SaveDataOptions& m_options;
    int m_first;
    int m_count;
    int m_decimals;
    double m_periodMs;
    std::string m_folder;
    CExportTextWriter m_writer;
};

int CResultXlsExport::Run() {
    std::string title;
    std::string extension;
    if (!m_context.askExportFileName || !m_context.askExportFileName(1, m_folder, title, extension))
        return 0;
    if (!PrepareExportFolder(m_options, m_folder, title))
        return 0;
    if (m_options.ChannelCount() < 1)
        return 0;
    if (!platform::FileExists(m_context.dataPath)) {
        platform::MessageBox("数据文件 " + m_context.dataPath + " 不存在，无法继续完成该操作",
                             m_context.strAppTitle, platform::MB_OK);
        return 0;
    }
    if (m_options.nFileLayout == 1)
        return OneFile(title);
    if (m_options.nFileLayout == 0)
        return PerGroup();
    return 1;
}

void CResultXlsExport::AppendLeadingCells(std::string& row, int i, const SampleStatusRecord& record) const {
    if (m_options.bRelativeTime)
        row += platform::Format("%-20s", FixedText(i * m_periodMs * 0.001, 1).c_str()) + "\t";
    if (m_options.bAbsoluteTime) {
        const std::string time = RecordTimeText(record);
        row += platform::Format("%-20s", time.c_str()) + "\t";
    }
    if (m_options.bSampleStatus)
        row += RecordLabelText(record) + "\t";
}

void CResultXlsExport::AppendValues(std::string& row, const float* record) const {
    for (int j = 0; j < m_kind.valueCount; ++j) {
        AppendFixed(row, record[j], m_decimals);
        row += '\t';
    }
}

bool CResultXlsExport::WriteTable(const std::string& path, const std::vector<std::string>& heading,
                                  const std::vector<std::string>& paths) {
    PrepareOutputFile(path);
    if (!m_writer.Open(path, m_context.strAppTitle))
        return false;
    for (const std::string& line : heading)
        m_writer.WriteLine(line);
    CResultRangeReader reader(m_context, m_kind, paths, m_context.statusPath);
    std::string row;
    bool read = true;
    for (int done = 0; done < m_count && read; done += reader.ChunkSize()) {
        const int n = std::min(reader.ChunkSize(), m_count - done);
        read = reader.Read(std::int64_t(m_first) + done, n);
        for (int k = 0; k < n && read; ++k) {
            row.clear();
            AppendLeadingCells(row, done + k, reader.Status(k));
            for (std::size_t g = 0; g < paths.size(); ++g)
                AppendValues(row, reader.Record(g, k));
            m_writer.WriteLine(row);
        }
    }
    return m_writer.Close() && read;
}

int CResultXlsExport::OneFile(const std::string& title) {
    std::vector<std::string> paths;
    for (int i = 0; i < m_options.ChannelCount(); ++i)
        paths.push_back(ResultFileName(m_kind, m_context.dataPath, m_options.nChannels[i] + 1));
    // A result file that is missing or short is an error before anything is written.
    for (const std::string& path : paths) {
        if (!ResultFileCovers(m_kind, path, std::int64_t(m_first) + m_count)) {
            Fail();
            return 0;
        }
    }
    const bool marks = m_options.bChannelMark != 0;
    const bool descriptions = m_options.bDescription != 0;
    const int depth = marks && descriptions ? 4 : 3;
    std::vector<std::string> heading(static_cast<std::size_t>(depth));
    for (const char* caption : LeadingCaptions()) {
        heading[0] += "\t";
        heading[1] += "\t";
        heading[2] += std::string(caption) + "\t";
        if (depth == 4)
            heading[3] += "\t";
    }
    for (int i = 0; i < m_options.ChannelCount(); ++i) {
        for (int j = 0; j < m_kind.valueCount; ++j) {
            heading[0] += (j == 0 ? GroupHeading(m_options.nChannels[i]) : "") + "\t";
            heading[1] += "\t";
            std::size_t line = 2;
            if (marks)
                heading[line++] += m_kind.shortName(j) + "\t";
            if (descriptions)
                heading[line++] += m_kind.longName(j) + "\t";
            if (!marks && !descriptions)
                heading[line++] += "\t";
        }
    }
    if (!WriteTable(m_folder + "/" + title + ".xls", heading, paths)) {
        Fail();
        return 0;
    }
    return 1;
}

int CResultXlsExport::PerGroup() {
    int result = 1;
    for (int i = 0; i < m_options.ChannelCount(); ++i) {
        const int group = m_options.nChannels[i];
        const std::string path = ResultFileName(m_kind, m_context.dataPath, group + 1);
        if (!platform::FileExists(path)) {
            result = 0; // no file for this group; the others are still written
            continue;
        }
        if (!ResultFileCovers(m_kind, path, std::int64_t(m_first) + m_count)) {
            Fail();
            return 0;
        }
        std::vector<std::string> heading(2);
        for (const char* caption : LeadingCaptions()) {
            heading[0] += std::string(caption) + "\t";
            // The time columns have eight blanks under their captions.
            heading[1] += std::string(caption) == "采样状态" ? "\t" : "        \t";
        }
        for (int j = 0; j < m_kind.valueCount; ++j) {
            heading[0] += (m_options.bChannelMark ? m_kind.shortName(j) : "") + "\t";
            heading[1] += (m_options.bDescription ? m_kind.longName(j) : "") + "\t";
        }
        const std::string output = m_folder + "/" + SafeFileNamePart(GroupHeading(group)) + ".xls";
        if (!WriteTable(output, heading, {path})) {
            Fail();
            return 0;
        }
    }
    return result;
}

} // namespace

int SaveResidualStressResults(const ExportContext& context, const SaveDataOptions& options, int first,
                              int count, int decimals) {
    return CResultXlsExport(context, ResidualStressResults(), options, first, count, decimals).Run();
}

int SaveRosetteResults(const ExportContext& context, const SaveDataOptions& options, int first, int count,
                       int decimals) {
    return CResultXlsExport(context, RosetteResults(), options, first, count, decimals).Run();
}
