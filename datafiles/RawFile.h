// Thin file object for block reads and in-place patches of sample and result
// files. Takes file-style open flags, never throws; offsets are 64-bit.
#pragma once

#include <cstddef>
#include <cstdint>

class CRawFile {
public:
    // Open flags as the callers pass them.
    static constexpr unsigned kRead = 0x0000;
    static constexpr unsigned kWrite = 0x0001;
    static constexpr unsigned kReadWrite = 0x0002;
    static constexpr unsigned kShareDenyNone = 0x0040;
    static constexpr unsigned kCreate = 0x1000;
    static constexpr unsigned kNoTruncate = 0x2000;

    CRawFile() = default;
    virtual ~CRawFile() = default; // callers close explicitly
    CRawFile(const CRawFile&) = delete;
    CRawFile& operator=(const CRawFile&) = delete;

    virtual int Open(const char* path, unsigned flags);
    virtual void Close();
    // Moves the position by the 64-bit offset made of the two halves; method
    // 0 from the start, 1 from the current position, 2 from the end. Returns
    // the low 32 bits of the new position.
    virtual std::uint32_t Seek(std::int32_t offsetLow, std::int32_t offsetHigh, std::uint32_t method);
    virtual void Write(const void* data, unsigned length);
    // Number of bytes read: short at the end of the file and on failure.
    virtual unsigned Read(void* data, unsigned length);

    // 64-bit helpers used by our own readers.
    std::int64_t Seek64(std::int64_t offset); // from the start; -1 on failure
    // Reads at an absolute offset without moving the position.
    std::int64_t ReadAt(std::int64_t offset, void* data, std::int64_t length);
    bool WriteAt(std::int64_t offset, const void* data, std::int64_t length);
    bool WriteAll(const void* data, std::int64_t length);
    // Writes the parts one after the other, in as few writes as the system
    // takes them.
    struct Part {
        const void* data;
        std::size_t length;
    };
    bool WriteAllParts(const Part* parts, int count);
    std::int64_t Length() const; // -1 when closed
    bool SetLength(std::int64_t length);
    bool IsOpen() const { return m_hFile >= 0; }
    int Handle() const { return m_hFile; }

private:
    int m_hFile = -1;
};
