// Whole-record data files on POSIX descriptors.
#include "platform/RecordFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

RecordFile::~RecordFile() {
    Close();
}

RecordFile::RecordFile(RecordFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_nSize(other.m_nSize), m_nError(other.m_nError) {}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_nSize = other.m_nSize;
        m_nError = other.m_nError;
    }
    return *this;
}

bool RecordFile::Open(const std::string& path, bool create) {
    Close();
    m_nError = 0;
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (create ? O_TRUNC : O_APPEND);
    do {
        m_fd = ::open(path.c_str(), flags, 0644);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        m_nError = errno;
        return false;
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        m_nError = errno;
        Close();
        return false;
    }
    m_nSize = info.st_size;
    if (!create && ::lseek(m_fd, 0, SEEK_END) < 0) {
        m_nError = errno;
        Close();
        return false;
    }
    return true;
}

bool RecordFile::Append(const void* data, std::size_t size) {
    if (m_fd < 0) {
        m_nError = EBADF;
        return false;
    }
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_nError = n < 0 ? errno : ENOSPC;
            // Take back the part that went in: the file ends on a whole record.
            if (done > 0 && ::ftruncate(m_fd, m_nSize) == 0)
                ::lseek(m_fd, m_nSize, SEEK_SET);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    m_nSize += static_cast<std::int64_t>(size);
    return true;
}

bool RecordFile::Truncate(std::int64_t length) {
    if (m_fd < 0 || length < 0 || length > m_nSize)
        return false;
    if (::ftruncate(m_fd, length) != 0 || ::lseek(m_fd, length, SEEK_SET) < 0) {
        m_nError = errno;
        return false;
    }
    m_nSize = length;
    return true;
}

bool RecordFile::Close() {
    if (m_fd < 0)
        return true;
    const int result = ::close(std::exchange(m_fd, -1));
    if (result != 0 && errno != EINTR) {
        m_nError = errno;
        return false;
    }
    return true;
}

bool IsDiskFullError(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

bool TrimToWholeRecords(const std::string& path, std::int64_t recordSize, std::int64_t maxRecords) {
    if (recordSize <= 0)
        return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    std::int64_t records = info.st_size / recordSize;
    if (maxRecords >= 0 && records > maxRecords)
        records = maxRecords;
    const std::int64_t length = records * recordSize;
    return length == info.st_size || ::truncate(path.c_str(), length) == 0;
}

} // namespace platform
