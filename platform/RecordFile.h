// A data file written in whole records, straight to the kernel: nothing waits
// in a buffer of ours, so a record whose write returned survives a crash of
// the program; a write that cannot be completed (a full disk) is taken back,
// so the file always ends on a whole record and the caller learns why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class RecordFile {
public:
    RecordFile() = default;
    ~RecordFile();
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // create: a new, empty file (an old one is emptied); otherwise the file
    // is opened for appending (created when missing). False on failure.
    bool Open(const std::string& path, bool create);
    bool IsOpen() const { return m_fd >= 0; }
    // Appends size bytes; on failure the file keeps its former length,
    // Error() tells why and the result is false.
    bool Append(const void* data, std::size_t size);
    // Cuts the file to the given length (never lengthens it).
    bool Truncate(std::int64_t length);
    std::int64_t Size() const { return m_nSize; }
    // False when closing reports an error (the data may not be stored).
    bool Close();
    // errno of the last failure, 0 when none.
    int Error() const { return m_nError; }

private:
    int m_fd = -1;
    std::int64_t m_nSize = 0;
    int m_nError = 0;
};

// A failure that means the file system has no room left.
bool IsDiskFullError(int error);

// Cuts the file down to a whole number of records of recordSize bytes, and
// to at most maxRecords of them. True when the file ends so (also when it is
// missing).
bool TrimToWholeRecords(const std::string& path, std::int64_t recordSize, std::int64_t maxRecords);

} // namespace platform
