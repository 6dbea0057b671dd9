// Text helpers: GBK <-> UTF-8 by iconv, GBK lengths, printf-style
// formatting and the CRLF text-file writer.
#include "platform/Text.h"

#include <cerrno>
#include <iconv.h>
#include <vector>

namespace platform {

namespace {

// One conversion descriptor per thread and direction: iconv_t keeps shift
// state, so it must not be shared between threads, and opening one per call
// would dominate the cost of converting short texts.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (IsValid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool IsValid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

bool IsAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Bytes of the malformed or unconvertible UTF-8 character at the start of
// text: a whole well-formed sequence becomes one '?', a broken one is
// skipped byte by byte.
std::size_t Utf8SkipLength(std::string_view text) {
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length > text.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i)
        if (!IsContinuation(static_cast<unsigned char>(text[i])))
            return 1;
    return length;
}

// Bytes of the undecodable GBK character at the start of text: a lead byte
// with a trail byte of the GBK range is one unknown character; anything else
// is one stray byte (its successor may be plain ASCII worth keeping).
std::size_t GbkSkipLength(std::string_view text) {
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    if (text.size() < 2 || lead < 0x81 || lead > 0xFE)
        return 1;
    const unsigned char trail = static_cast<unsigned char>(text[1]);
    const bool trailInRange = trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
    return trailInRange ? 2 : 1;
}

using SkipFunction = std::size_t (*)(std::string_view);

std::string Convert(const IconvHandle& handle, std::string_view input, SkipFunction skip) {
    if (IsAscii(input) || !handle.IsValid())
        return std::string(input);
    std::string output(input.size() * 2 + 16, '\0');
    std::size_t used = 0;
    std::size_t pos = 0;
    iconv(handle.Get(), nullptr, nullptr, nullptr, nullptr);
    while (pos < input.size()) {
        char* in = const_cast<char*>(input.data() + pos);
        std::size_t inLeft = input.size() - pos;
        char* out = output.data() + used;
        std::size_t outLeft = output.size() - used;
        const std::size_t result = iconv(handle.Get(), &in, &inLeft, &out, &outLeft);
        const int error = errno;
        pos = input.size() - inLeft;
        used = output.size() - outLeft;
        if (result != static_cast<std::size_t>(-1))
            break;
        if (error == E2BIG) {
            output.resize(output.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL: one unconvertible character.
        if (used == output.size())
            output.resize(output.size() * 2);
        output[used++] = '?';
        pos += skip(input.substr(pos));
        iconv(handle.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    output.resize(used);
    return output;
}

} // namespace

std::string GbkToUtf8(std::string_view gbk) {
    thread_local IconvHandle handle("UTF-8", "GBK");
    return Convert(handle, gbk, GbkSkipLength);
}

std::string Utf8ToGbk(std::string_view utf8) {
    thread_local IconvHandle handle("GBK", "UTF-8");
    return Convert(handle, utf8, Utf8SkipLength);
}

std::size_t GbkLength(std::string_view utf8) {
    if (IsAscii(utf8))
        return utf8.size();
    return Utf8ToGbk(utf8).size();
}

std::string CutToGbkLength(std::string_view utf8, std::size_t bytes) {
    std::size_t used = 0, end = 0;
    while (end < utf8.size()) {
        std::size_t next = end + 1;
        while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80)
            ++next;
        used += GbkLength(utf8.substr(end, next - end));
        if (used > bytes)
            break;
        end = next;
    }
    return std::string(utf8.substr(0, end));
}

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string text = FormatV(fmt, args);
    va_end(args);
    return text;
}

std::string FormatV(const char* fmt, va_list args) {
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (length < 0)
        return std::string();
    if (static_cast<std::size_t>(length) < sizeof small)
        return std::string(small, static_cast<std::size_t>(length));
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), fmt, args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

TextFileWriter::~TextFileWriter() {
    Close();
}

bool TextFileWriter::Open(const std::string& path, bool append, Encoding encoding) {
    Close();
    m_file = std::fopen(path.c_str(), append ? "ab" : "wb");
    m_encoding = encoding;
    return m_file != nullptr;
}

bool TextFileWriter::WriteLine(std::string_view line) {
    return Write(line) && Write("\r\n");
}

bool TextFileWriter::Write(std::string_view text) {
    if (m_file == nullptr)
        return false;
    const std::string bytes = m_encoding == Encoding::Gbk ? Utf8ToGbk(text) : std::string(text);
    return std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size();
}

bool TextFileWriter::Close() {
    if (m_file == nullptr)
        return true;
    const bool ok = std::ferror(m_file) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    return ok && closed;
}

} // namespace platform
