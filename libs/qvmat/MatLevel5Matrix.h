// A double matrix streamed in pieces of rows into a MATLAB level-5 file whose
// header and earlier variables are already written. libmatio writes a whole
// variable of this format but cannot grow one; the matrix's size is known
// before its first value, so its element is laid out at once and every
// piece goes straight to its columns' places in the file.
#pragma once

#include <cstddef>
#include <cstdint>

class CMatLevel5Matrix {
public:
    CMatLevel5Matrix() = default;
    CMatLevel5Matrix(const CMatLevel5Matrix&) = delete;
    CMatLevel5Matrix& operator=(const CMatLevel5Matrix&) = delete;
    ~CMatLevel5Matrix();

    // Whether a rows x columns matrix named name fits the format: its element
    // sizes are 32-bit, and MATLAB reads no variable over 2^31 - 1 bytes.
    static bool Fits(const char* name, std::size_t rows, std::size_t columns);

    // Adds the matrix element at the end of the file at path; false when it
    // does not fit or cannot be written.
    bool Begin(const char* path, const char* name, std::size_t rows, std::size_t columns);
    // Writes the next count rows: values hold column after column, count
    // values each. False past the matrix's rows or when the file refuses them.
    bool WriteRows(const double* values, std::size_t count);
    // Closes the file: true when every row reached it.
    bool End();

private:
    int m_file = -1;
    std::uint64_t m_valuesOffset = 0;
    std::size_t m_rows = 0;
    std::size_t m_columns = 0;
    std::size_t m_written = 0;
    bool m_failed = false;
};
