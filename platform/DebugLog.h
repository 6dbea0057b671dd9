// Debug and trace log lines: the time stamp of a log line and appending one
// line to a named text file (GBK, CRLF line ends), safe from any thread.
#pragma once

#include "platform/Time.h"

#include <string>
#include <string_view>

namespace platform {

// "%d-%02d-%02d %02d:%02d:%02d.%03d" of the given or the current local time.
std::string FormatLogTimeStamp(const LocalDateTime& t);
std::string FormatLogTimeStamp();

// Appends the line and a line end to the file, each "\n" written as CRLF as
// a text-mode file would; with recreate the file is started afresh. False
// when the file cannot be opened or written; callers may ignore that.
bool AppendLogLine(const std::string& path, std::string_view line, bool recreate = false);

} // namespace platform
