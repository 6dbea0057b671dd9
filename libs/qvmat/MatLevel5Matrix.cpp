// Level-5 matrix element written by hand: a tag, the array flags, the
// dimensions, the name and the real part's tag, then the values, which
// arrive piece by piece and are placed column by column. Uncompressed, so
// that a piece's place is known without the pieces before it.
#include "libs/qvmat/MatLevel5Matrix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Data types and the array class of the format.
constexpr std::uint32_t miINT8 = 1;
constexpr std::uint32_t miINT32 = 5;
constexpr std::uint32_t miUINT32 = 6;
constexpr std::uint32_t miDOUBLE = 9;
constexpr std::uint32_t miMATRIX = 14;
constexpr std::uint32_t mxDOUBLE_CLASS = 6;

constexpr std::size_t kTagBytes = 8;
constexpr std::uint64_t kLargestElement = std::numeric_limits<std::int32_t>::max();

std::size_t Padded(std::size_t bytes) {
    return (bytes + 7) / 8 * 8;
}

// The matrix element's bytes after its own tag and before the values.
std::size_t HeadBytes(const char* name) {
    const std::size_t flags = kTagBytes + 8;
    const std::size_t dimensions = kTagBytes + 8;
    const std::size_t arrayName = kTagBytes + Padded(std::strlen(name));
    return flags + dimensions + arrayName + kTagBytes;
}

template <typename T> void Put(std::vector<char>& out, T value) {
    const char* bytes = reinterpret_cast<const char*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}

void PutTag(std::vector<char>& out, std::uint32_t type, std::uint32_t bytes) {
    Put(out, type);
    Put(out, bytes);
}

bool WriteAt(int file, const void* data, std::size_t size, std::uint64_t offset) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(file, bytes, size, off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= std::size_t(written);
        offset += std::uint64_t(written);
    }
    return true;
}

} // namespace

CMatLevel5Matrix::~CMatLevel5Matrix() {
    if (m_file >= 0)
        ::close(m_file);
}

bool CMatLevel5Matrix::Fits(const char* name, std::size_t rows, std::size_t columns) {
    constexpr std::size_t kLargestDimension = std::numeric_limits<std::int32_t>::max();
    if (!name || rows > kLargestDimension || columns > kLargestDimension)
        return false;
    const std::uint64_t head = HeadBytes(name);
    return columns == 0 || std::uint64_t(rows) <= (kLargestElement - head) / 8 / columns;
}

bool CMatLevel5Matrix::Begin(const char* path, const char* name, std::size_t rows, std::size_t columns) {
    if (m_file >= 0 || !path || !Fits(name, rows, columns))
        return false;
    m_file = ::open(path, O_WRONLY | O_CLOEXEC);
    if (m_file < 0)
        return false;
    // Elements follow each other on 8-byte bounds; the file's end is one.
    const off_t end = ::lseek(m_file, 0, SEEK_END);
    if (end < 0 || end % 8 != 0)
        return false;
    const std::size_t nameLength = std::strlen(name);
    const std::uint32_t valueBytes = std::uint32_t(rows * columns * sizeof(double));
    std::vector<char> head;
    PutTag(head, miMATRIX, std::uint32_t(HeadBytes(name)) + valueBytes);
    PutTag(head, miUINT32, 8);
    Put(head, mxDOUBLE_CLASS);
    Put(head, std::uint32_t(0));
    PutTag(head, miINT32, 8);
    Put(head, std::int32_t(rows));
    Put(head, std::int32_t(columns));
    PutTag(head, miINT8, std::uint32_t(nameLength));
    head.insert(head.end(), name, name + nameLength);
    head.resize(Padded(head.size()));
    PutTag(head, miDOUBLE, valueBytes);
    if (!WriteAt(m_file, head.data(), head.size(), std::uint64_t(end)))
        return false;
    m_valuesOffset = std::uint64_t(end) + head.size();
    m_rows = rows;
    m_columns = columns;
    return true;
}

bool CMatLevel5Matrix::WriteRows(const double* values, std::size_t count) {
    if (m_file < 0 || m_failed || count > m_rows - m_written || (count > 0 && m_columns > 0 && !values)) {
        m_failed = true;
        return false;
    }
    for (std::size_t column = 0; column < m_columns && count > 0; ++column) {
        const std::uint64_t at =
            m_valuesOffset + (std::uint64_t(column) * m_rows + m_written) * sizeof(double);
        if (!WriteAt(m_file, values + column * count, count * sizeof(double), at)) {
            m_failed = true;
            return false;
        }
    }
    m_written += count;
    return true;
}

bool CMatLevel5Matrix::End() {
    if (m_file < 0)
        return false;
    const bool closed = ::close(m_file) == 0;
    m_file = -1;
    return closed && !m_failed && m_written == m_rows;
}
