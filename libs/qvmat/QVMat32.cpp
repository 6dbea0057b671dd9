// MATLAB file writer on libmatio. The files are of MATLAB's 7.3 format,
// whose matrices grow by appended rows: a piece of samples of every channel
// is written at a time, and a matrix may pass the 2 GiB that older formats
// hold. Channel after channel is MATLAB's own column order, so a piece
// becomes its rows without a copy.
#include "libs/qvmat/QVMat32.h"

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

struct MatWriter {
    mat_t* file = nullptr;
    std::size_t channels = 0;
    std::size_t rows = 0;
    bool failed = false;
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

} // namespace

extern "C" __attribute__((visibility("default"))) void* MatFileBegin(const char* path, double frequency,
                                                                     int channels) {
    if (!path || channels < 0)
        return nullptr;
    auto* writer = new (std::nothrow) MatWriter;
    if (!writer)
        return nullptr;
    writer->channels = std::size_t(channels);
    writer->WatchHdf5();
    writer->file = Mat_CreateVer(path, nullptr, MAT_FT_MAT73);
    if (!writer->file || !WriteDoubles(writer->file, "frequency", &frequency, 1, 1, 0) ||
        writer->hdf5Failed) {
        if (writer->file)
            Mat_Close(writer->file);
        writer->StopWatchingHdf5();
        delete writer;
        return nullptr;
    }
    return writer;
}

extern "C" __attribute__((visibility("default"))) int MatFileAppendRows(void* file, const double* values,
                                                                        int rows) {
    auto* writer = static_cast<MatWriter*>(file);
    if (!writer || writer->failed || rows < 0 || (rows > 0 && writer->channels > 0 && !values))
        return 0;
    if (rows == 0 || writer->channels == 0)
        return 1;
    if (!WriteDoubles(writer->file, "data", values, std::size_t(rows), writer->channels, 1) ||
        writer->hdf5Failed) {
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
    bool ok = !writer->failed;
    if (ok && (writer->rows == 0 || writer->channels == 0)) {
        // No piece made the matrix: it is written empty, with its width.
        static const double kNone = 0.0;
        ok = WriteDoubles(writer->file, "data", &kNone, writer->rows, writer->channels, 0);
    }
    ok = Mat_Close(writer->file) == 0 && ok && !writer->hdf5Failed;
    writer->StopWatchingHdf5();
    delete writer;
    return ok ? 1 : 0;
}

extern "C" __attribute__((visibility("default"))) int
CreateMatFileEx(const char* path, double frequency, const double* values, int count, int channels) {
    if (!path || count < 0 || channels < 0 || (!values && count > 0 && channels > 0))
        return 0;
    void* file = MatFileBegin(path, frequency, channels);
    if (!file)
        return 0;
    const bool appended = MatFileAppendRows(file, values, count) != 0;
    return MatFileEnd(file) != 0 && appended ? 1 : 0;
}
