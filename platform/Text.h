// Text helpers: GBK <-> UTF-8 conversion at the file boundary, GBK byte
// lengths, printf-style formatting into a std::string, and a text-file writer
// that ends lines with CRLF.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Conversions never fail: bytes that cannot be converted become '?'.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

// Length in bytes of the text once encoded in GBK (a CJK character counts 2).
std::size_t GbkLength(std::string_view utf8);
// The longest start of the text whose GBK form takes at most `bytes` bytes,
// never ending inside a character: what a fixed GBK field of the size holds.
std::string CutToGbkLength(std::string_view utf8, std::size_t bytes);

// printf-style formatting into a string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* fmt, va_list args);

// Writes text lines to a file; the text is UTF-8 in memory and written as GBK
// (or as UTF-8 when asked), each line ended with CRLF.
class TextFileWriter {
public:
    enum class Encoding { Gbk, Utf8 };
    TextFileWriter() = default;
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    bool Open(const std::string& path, bool append = false, Encoding encoding = Encoding::Gbk);
    bool IsOpen() const { return m_file != nullptr; }
    bool WriteLine(std::string_view line); // appends "\r\n"
    bool Write(std::string_view text);     // text as is (its "\n" are not changed)
    bool Close();

private:
    std::FILE* m_file = nullptr;
    Encoding m_encoding = Encoding::Gbk;
};

} // namespace platform
