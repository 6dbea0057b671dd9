// MATLAB file writer on libmatio. A file is of MATLAB's level-5 format,
// which every reader of MATLAB files takes: libmatio writes its header and
// the frequency, and the data matrix, whose size is given first, is streamed
// piece by piece into its place. A matrix past the 2 GiB that format holds
// is written as a MATLAB 7.3 file instead, whose matrices grow by appended
// rows. Channel after channel is MATLAB's own column order, so a piece
// becomes its rows without a copy.
#include "libs/qvmat/QVMat32.h"

#include "libs/qvmat/MatLevel5Matrix.h"

#include <hdf5.h>
#include <matio.h>

#include <cstddef>
#include <new>

namespace {

// matio does not look at every result of the HDF5 calls it makes: a piece
// that cannot be flushed to a full disk when its dataset closes goes
// unreported. While a file is written, every failing HDF5 call is noted
// here instead (and not printed), and the file counts as not written.
herr_t NoteHdf5Failure(hid_t, void* failed) {
    *static_cast<bool*>(failed) = true;
    return 0;
}

constexpr const char* kData = "data";

struct MatWriter {
    std::size_t channels = 0;
    std::size_t total = 0;
    std::size_t rows = 0;
    bool failed = false;
    // The level-5 matrix, or the MATLAB 7.3 file when the matrix is too large for it.
    CMatLevel5Matrix level5;
    mat_t* file = nullptr;
    bool hdf5Failed = false;
    H5E_auto2_t previousReport = nullptr;
    void* previousReportData = nullptr;

    void WatchHdf5() {
        H5Eget_auto2(H5E_DEFAULT, &previousReport, &previousReportData);
        H5Eset_auto2(H5E_DEFAULT, NoteHdf5Failure, &hdf5Failed);
    }
    void StopWatchingHdf5() { H5Eset_auto2(H5E_DEFAULT, previousReport, previousReportData); }
};

matvar_t* DoubleMatrix(const char* name, const double* values, std::size_t rows, std::size_t columns) {
    std::size_t dims[2] = {rows, columns};
    return Mat_VarCreate(name, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, const_cast<double*>(values),
                         MAT_F_DONT_COPY_DATA);
}

// Adds a double matrix to the file (dim 0) or appends its rows to the
// matrix of that name (dim 1); false when matio refuses it.
bool WriteDoubles(mat_t* file, const char* name, const double* values, std::size_t rows, std::size_t columns,
                  int appendDim) {
    matvar_t* variable = DoubleMatrix(name, values, rows, columns);
    if (!variable)
        return false;
    const bool written =
        (appendDim == 0 ? Mat_VarWrite(file, variable, MAT_COMPRESSION_NONE)
                        : Mat_VarWriteAppend(file, variable, MAT_COMPRESSION_NONE, appendDim)) == 0;
    Mat_VarFree(variable);
    return written;
}

bool BeginLevel5(MatWriter& writer, const char* path, double frequency) {
    mat_t* file = Mat_CreateVer(path, nullptr, MAT_FT_MAT5);
    if (!file)
        return false;
    const bool written = WriteDoubles(file, "frequency", &frequency, 1, 1, 0);
    return Mat_Close(file) == 0 && written && writer.level5.Begin(path, kData, writer.total, writer.channels);
}

bool BeginMat73(MatWriter& writer, const char* path, double frequency) {
    writer.WatchHdf5();
    writer.file = Mat_CreateVer(path, nullptr, MAT_FT_MAT73);
    if (writer.file && WriteDoubles(writer.file, "frequency", &frequency, 1, 1, 0) && !writer.hdf5Failed)
        return true;
    if (writer.file)
        Mat_Close(writer.file);
    writer.StopWatchingHdf5();
    return false;
}

} // namespace

extern "C" __attribute__((visibility("default"))) void* MatFileCreate(const char* path, double frequency,
                                                                      int count, int channels) {
    if (!path || count < 0 || channels < 0)
        return nullptr;
    auto* writer = new (std::nothrow) MatWriter;
    if (!writer)
        return nullptr;
    writer->channels = std::size_t(channels);
    writer->total = std::size_t(count);
    const bool begun = CMatLevel5Matrix::Fits(kData, writer->total, writer->channels)
                           ? BeginLevel5(*writer, path, frequency)
                           : BeginMat73(*writer, path, frequency);
    if (!begun) {
        delete writer;
        return nullptr;
    }
    return writer;
}

extern "C" __attribute__((visibility("default"))) int MatFileAppendRows(void* file, const double* values,
                                                                        int rows) {
    auto* writer = static_cast<MatWriter*>(file);
    if (!writer)
        return 0;
    // A piece refused leaves a gap or an overflow: the file is not the one meant.
    if (writer->failed || rows < 0 || std::size_t(rows) > writer->total - writer->rows ||
        (rows > 0 && writer->channels > 0 && !values)) {
        writer->failed = true;
        return 0;
    }
    if (rows == 0)
        return 1;
    const bool written =
        writer->file ? WriteDoubles(writer->file, kData, values, std::size_t(rows), writer->channels, 1) &&
                           !writer->hdf5Failed
                     : writer->level5.WriteRows(values, std::size_t(rows));
    if (!written) {
        writer->failed = true;
        return 0;
    }
    writer->rows += std::size_t(rows);
    return 1;
}

extern "C" __attribute__((visibility("default"))) int MatFileEnd(void* file) {
    auto* writer = static_cast<MatWriter*>(file);
    if (!writer)
        return 0;
    bool ok = !writer->failed && writer->rows == writer->total;
    if (writer->file) {
        ok = Mat_Close(writer->file) == 0 && ok && !writer->hdf5Failed;
        writer->StopWatchingHdf5();
    } else {
        ok = writer->level5.End() && ok;
    }
    delete writer;
    return ok ? 1 : 0;
}

extern "C" __attribute__((visibility("default"))) int
CreateMatFileEx(const char* path, double frequency, const double* values, int count, int channels) {
    if (!path || count < 0 || channels < 0 || (!values && count > 0 && channels > 0))
        return 0;
    void* file = MatFileCreate(path, frequency, count, channels);
    if (!file)
        return 0;
    const bool appended = MatFileAppendRows(file, values, count) != 0;
    return MatFileEnd(file) != 0 && appended ? 1 : 0;
}
