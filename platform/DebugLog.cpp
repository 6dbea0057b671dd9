// Log lines written through one process-wide lock, so that lines of
// different threads never interleave in a file.
#include "platform/DebugLog.h"

#include "platform/Text.h"

#include <mutex>

namespace platform {

namespace {

std::mutex& LogMutex() {
    static std::mutex mutex; // guards every append to a log file
    return mutex;
}

std::string WithCrlf(std::string_view line) {
    std::string out;
    out.reserve(line.size() + 2);
    for (const char c : line) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    out += "\r\n";
    return out;
}

} // namespace

std::string FormatLogTimeStamp(const LocalDateTime& t) {
    return Format("%d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                  t.millisecond);
}

std::string FormatLogTimeStamp() {
    return FormatLogTimeStamp(NowLocal());
}

bool AppendLogLine(const std::string& path, std::string_view line, bool recreate) {
    const std::string text = WithCrlf(line);
    std::lock_guard<std::mutex> lock(LogMutex());
    TextFileWriter writer;
    if (!writer.Open(path, !recreate))
        return false;
    const bool written = writer.Write(text);
    return writer.Close() && written;
}

} // namespace platform
