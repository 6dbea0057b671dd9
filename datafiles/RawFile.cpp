// File object on a POSIX descriptor with the creation rules of the callers'
// open flags. Sharing flags have no meaning here and are accepted as given.
#include "datafiles/RawFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

// The parts one write takes at most (the system's limit).
constexpr int kMaxWriteParts = 1024;

// Repeats a read or write of the bytes not yet done (op(done)) until all
// length bytes are through, an error or end of file; retried on EINTR.
// Returns the bytes done.
template <typename Op> std::int64_t TransferAll(std::int64_t length, Op op) {
    std::int64_t done = 0;
    while (done < length) {
        const ssize_t n = op(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

int AccessFlags(unsigned flags) {
    switch (flags & 3) {
    case 0:
        return O_RDONLY;
    case 1:
        return O_WRONLY;
    case 2:
        return O_RDWR;
    default:
        return -1; // no access right
    }
}

int CreationFlags(unsigned flags) {
    if (!(flags & CRawFile::kCreate))
        return 0;
    return (flags & CRawFile::kNoTruncate) ? O_CREAT : O_CREAT | O_TRUNC;
}

} // namespace

int CRawFile::Open(const char* path, unsigned flags) {
    Close();
    const int access = AccessFlags(flags);
    if (!path || access < 0)
        return 0;
    int fd;
    do {
        fd = ::open(path, access | CreationFlags(flags) | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return 0;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return 0;
    }
    m_hFile = fd;
    return 1;
}

void CRawFile::Close() {
    if (m_hFile >= 0)
        ::close(m_hFile);
    m_hFile = -1;
}

std::uint32_t CRawFile::Seek(std::int32_t offsetLow, std::int32_t offsetHigh, std::uint32_t method) {
    if (m_hFile < 0)
        return 0xFFFFFFFFu;
    const std::int64_t offset =
        std::int64_t((std::uint64_t(std::uint32_t(offsetHigh)) << 32) | std::uint32_t(offsetLow));
    const int whence = method == 1 ? SEEK_CUR : method == 2 ? SEEK_END : SEEK_SET;
    const off_t pos = ::lseek(m_hFile, off_t(offset), whence);
    return pos < 0 ? 0xFFFFFFFFu : std::uint32_t(std::uint64_t(pos) & 0xFFFFFFFFu);
}

void CRawFile::Write(const void* data, unsigned length) {
    if (length > 0)
        WriteAll(data, length);
}

unsigned CRawFile::Read(void* data, unsigned length) {
    if (m_hFile < 0 || length == 0)
        return 0;
    auto* out = static_cast<char*>(data);
    return unsigned(
        TransferAll(length, [&](std::int64_t done) { return ::read(m_hFile, out + done, length - done); }));
}

std::int64_t CRawFile::Seek64(std::int64_t offset) {
    if (m_hFile < 0 || offset < 0)
        return -1;
    return ::lseek(m_hFile, off_t(offset), SEEK_SET);
}

std::int64_t CRawFile::ReadAt(std::int64_t offset, void* data, std::int64_t length) {
    if (m_hFile < 0 || offset < 0 || length <= 0)
        return 0;
    auto* out = static_cast<char*>(data);
    return TransferAll(length, [&](std::int64_t done) {
        return ::pread(m_hFile, out + done, size_t(length - done), off_t(offset + done));
    });
}

bool CRawFile::WriteAt(std::int64_t offset, const void* data, std::int64_t length) {
    if (m_hFile < 0 || offset < 0)
        return false;
    const auto* in = static_cast<const char*>(data);
    return TransferAll(length, [&](std::int64_t done) {
               return ::pwrite(m_hFile, in + done, size_t(length - done), off_t(offset + done));
           }) >= length;
}

bool CRawFile::WriteAll(const void* data, std::int64_t length) {
    if (m_hFile < 0)
        return false;
    const auto* in = static_cast<const char*>(data);
    return TransferAll(length, [&](std::int64_t done) {
               return ::write(m_hFile, in + done, size_t(length - done));
           }) >= length;
}

bool CRawFile::WriteAllParts(const Part* parts, int count) {
    if (m_hFile < 0)
        return false;
    // A part half written goes on from where the write stopped.
    std::size_t done = 0; // bytes of parts[0] written
    while (count > 0) {
        iovec vector[kMaxWriteParts];
        int n = 0;
        for (; n < count && n < kMaxWriteParts; ++n) {
            const std::size_t skip = n == 0 ? done : 0;
            vector[n].iov_base = const_cast<char*>(static_cast<const char*>(parts[n].data) + skip);
            vector[n].iov_len = parts[n].length - skip;
        }
        ssize_t written = ::writev(m_hFile, vector, n);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        auto left = static_cast<std::size_t>(written);
        while (count > 0 && left >= parts[0].length - done) {
            left -= parts[0].length - done;
            done = 0;
            ++parts;
            --count;
        }
        if (written == 0 && count > 0 && parts[0].length > done)
            return false;
        done += left;
    }
    return true;
}

std::int64_t CRawFile::Length() const {
    struct stat st {};
    if (m_hFile < 0 || fstat(m_hFile, &st) != 0)
        return -1;
    return st.st_size;
}

bool CRawFile::SetLength(std::int64_t length) {
    return m_hFile >= 0 && length >= 0 && ::ftruncate(m_hFile, off_t(length)) == 0;
}
