// Heading lines and the time and status columns of the sampled-data exports.
#pragma once

#include "datafiles/ExportContext.h"
#include "datafiles/SampleFileFormat.h"
#include "datafiles/SaveDataOptions.h"

#include <string>

// The first heading line; fills the description line. Mode 0 serves one
// channel (name is "_" and its number text), mode 1 all channels of the
// options, with the digital list's names in the description line when asked.
std::string FormatExportHeader(const ExportContext& context, const SaveDataOptions& options, int mode,
                               const std::string& name, std::string& description, bool withDigital);
// Mode 0 with the description text given.
std::string FormatSingleExportHeader(const SaveDataOptions& options, const std::string& name,
                                     const std::string& descriptionText, std::string& description);

// The time and status columns of a row from a status record; a relative
// time that is not a number, or a record without a date, leaves its column blank.
void AppendRowPrefix(std::string& out, const SaveDataOptions& options, double milliseconds,
                     const SampleStatusRecord& record);
std::string FormatRowPrefix(const SaveDataOptions& options, double milliseconds,
                            const SampleStatusRecord& record);
// The same columns of a decimated row from a time text, split after its seconds.
std::string FormatDecimatedRowPrefix(const SaveDataOptions& options, double milliseconds,
                                     const std::string& timeText);

// "%d-%d-%d %02d:%02d:%02d" of the record; empty for a record without a date.
std::string RecordTimeText(const SampleStatusRecord& record);

// Measured (0..4095) and virtual (4096..4223) channels are exported; other numbers are not.
inline bool IsExportedMeasureChannel(int channel) {
    return channel >= 0 && channel < 4096;
}
inline bool IsExportedVirtualChannel(int channel) {
    return channel >= 4096 && channel < 4096 + 128;
}
