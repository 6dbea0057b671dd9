// MATLAB file writer on libmatio. Channel after channel is MATLAB's own
// column order, so the values become the matrix without a copy.
#include "libs/qvmat/QVMat32.h"

#include <matio.h>

namespace {

// Adds a double matrix to the file; false when matio refuses it.
bool WriteDoubles(mat_t* file, const char* name, const double* values, std::size_t rows,
                  std::size_t columns) {
    std::size_t dims[2] = {rows, columns};
    matvar_t* variable = Mat_VarCreate(name, MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, const_cast<double*>(values),
                                       MAT_F_DONT_COPY_DATA);
    if (!variable)
        return false;
    const bool written = Mat_VarWrite(file, variable, MAT_COMPRESSION_NONE) == 0;
    Mat_VarFree(variable);
    return written;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int
CreateMatFileEx(const char* path, double frequency, const double* values, int count, int channels) {
    if (!path || count < 0 || channels < 0 || (!values && count > 0 && channels > 0))
        return 0;
    mat_t* file = Mat_CreateVer(path, nullptr, MAT_FT_MAT5);
    if (!file)
        return 0;
    static const double kEmpty = 0.0;
    const bool written =
        WriteDoubles(file, "data", values ? values : &kEmpty, std::size_t(count), std::size_t(channels)) &&
        WriteDoubles(file, "frequency", &frequency, 1, 1);
    return Mat_Close(file) == 0 && written ? 1 : 0;
}
