// Heading lines and row prefixes of the sampled-data exports.
#include "datafiles/ExportFormat.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/ExportRunReader.h"
#include "datafiles/ExportTextWriter.h"
#include "model/ChannelNaming.h"
#include "model/TimeTexts.h"
#include "platform/Text.h"

#include <cmath>

namespace {

constexpr int kTimeWidth = 20;
constexpr int kStatusWidth = 25;
constexpr int kChannelWidth = 15;

std::string TimeHeadings(const SaveDataOptions& options) {
    std::string line;
    if (options.bRelativeTime)
        AppendCell(line, "相对时间", kTimeWidth);
    if (options.bAbsoluteTime)
        AppendCell(line, "绝对时间", kTimeWidth);
    if (options.bSampleStatus)
        AppendCell(line, "采样状态", kStatusWidth);
    return line;
}

// Blank cells under the time headings; each switched-on column goes in
// front of the ones before it, so the status blank comes first.
std::string BlankTimeCells(const SaveDataOptions& options) {
    std::string cells;
    if (options.bRelativeTime)
        AppendCell(cells, "", kTimeWidth);
    if (options.bAbsoluteTime)
        cells.insert(0, std::string(kTimeWidth, ' ') + "\t");
    if (options.bSampleStatus)
        cells.insert(0, std::string(kStatusWidth, ' ') + "\t");
    return cells;
}

void AppendRelative(std::string& out, double milliseconds, int decimals) {
    AppendCell(out, std::isfinite(milliseconds) ? FixedText(milliseconds * 0.001, decimals) : "", kTimeWidth);
}

} // namespace

std::string RecordTimeText(const SampleStatusRecord& record) {
    return record.dtTime > 0.0 ? FormatStatusTime(record.dtTime, record.nStatus) : "";
}

std::string FormatSingleExportHeader(const SaveDataOptions& options, const std::string& name,
                                     const std::string& descriptionText, std::string& description) {
    std::string line = TimeHeadings(options);
    if (options.bChannelMark)
        AppendCell(line, name, kTimeWidth);
    description = BlankTimeCells(options);
    AppendCell(description, descriptionText, kTimeWidth);
    return line;
}

std::string FormatExportHeader(const ExportContext& context, const SaveDataOptions& options, int mode,
                               const std::string& name, std::string& description, bool withDigital) {
    if (mode == 0) {
        const int channel = name.empty() ? -1 : ParseChannelName(name.substr(1));
        return FormatSingleExportHeader(options, name,
                                        IsExportedMeasureChannel(channel) ? context.Description(channel) : "",
                                        description);
    }
    std::string line = TimeHeadings(options);
    description = BlankTimeCells(options);
    for (int i = 0; i < options.ChannelCount(); ++i) {
        const int channel = options.nChannels[i];
        if (IsExportedVirtualChannel(channel)) {
            const int n = channel - 4096 + 1;
            if (options.bChannelMark)
                AppendCell(line, platform::Format("虚拟%d", n), kChannelWidth);
            AppendCell(description, context.VirtualTag(n), kChannelWidth);
        } else if (IsExportedMeasureChannel(channel)) {
            if (options.bChannelMark)
                AppendCell(line, FormatChannelNameForFile(channel), kChannelWidth);
            AppendCell(description, context.Description(channel), kChannelWidth);
        }
    }
    if (withDigital) {
        for (int i = 0; i < options.DigitalCount(); ++i) {
            const int position = context.DigitalPosition(options.nDigitalChannels[i]);
            AppendCell(description,
                       position >= 0 ? context.digitalChannels[std::size_t(position)].strName : "",
                       kChannelWidth);
        }
    }
    return line;
}

void AppendRowPrefix(std::string& out, const SaveDataOptions& options, double milliseconds,
                     const SampleStatusRecord& record) {
    if (options.bRelativeTime)
        AppendRelative(out, milliseconds, 2);
    if (options.bAbsoluteTime)
        AppendCell(out, RecordTimeText(record), kTimeWidth);
    if (options.bSampleStatus)
        AppendCell(out, RecordLabelText(record), kStatusWidth);
}

std::string FormatRowPrefix(const SaveDataOptions& options, double milliseconds,
                            const SampleStatusRecord& record) {
    std::string out;
    AppendRowPrefix(out, options, milliseconds, record);
    return out;
}

std::string FormatDecimatedRowPrefix(const SaveDataOptions& options, double milliseconds,
                                     const std::string& timeText) {
    std::string head;
    std::string rest;
    SplitTimeStampFraction(timeText, head, rest);
    std::string out;
    if (options.bRelativeTime)
        AppendRelative(out, milliseconds, 1);
    if (options.bAbsoluteTime)
        AppendCell(out, head, kTimeWidth);
    if (options.bSampleStatus)
        AppendCell(out, rest, kStatusWidth);
    return out;
}
