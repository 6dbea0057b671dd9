// The MATLAB file library as the exports call it: matrices written in
// pieces and read back by scipy value for value, pieces that do not add up
// to the announced size, and the largest matrix the level-5 format holds.
#include "ScipyMat.h"
#include "ScratchFolder.h"
#include "libs/qvmat/MatLevel5Matrix.h"
#include "libs/qvmat/QVMat32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

bool Same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// A value of its own for every place, and the values no measurement has.
double Value(std::size_t row, std::size_t column) {
    if ((row + column) % 5 == 3)
        return std::numeric_limits<double>::quiet_NaN();
    if (row == 1 && column == 0)
        return -std::numeric_limits<double>::infinity();
    return double(column) * 1000.0 + double(row) + 0.1;
}

TEST(QVMat32, PiecesOfAnySizeFillTheMatrixColumnByColumn) {
    ScratchFolder folder;
    const struct {
        int rows;
        int channels;
        std::vector<int> pieces;
    } cases[] = {
        {10, 3, {4, 4, 2}}, {10, 3, {10}}, {7, 2, {0, 3, 0, 4}}, {1, 1, {1}}, {0, 3, {}}, {5, 0, {2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows) + " x " + std::to_string(c.channels));
        const std::string path = folder.Path() + "/m.mat";
        void* file = MatFileCreate(path.c_str(), 2.5, c.rows, c.channels);
        ASSERT_NE(file, nullptr);
        std::size_t done = 0;
        for (int piece : c.pieces) {
            std::vector<double> values;
            for (std::size_t k = 0; k < std::size_t(c.channels); ++k)
                for (std::size_t i = 0; i < std::size_t(piece); ++i)
                    values.push_back(Value(done + i, k));
            EXPECT_EQ(MatFileAppendRows(file, values.data(), piece), 1);
            done += std::size_t(piece);
        }
        ASSERT_EQ(MatFileEnd(file), 1);

        const scipymat::File read = scipymat::Read(path);
        ASSERT_EQ(read.error, "");
        EXPECT_EQ(read.matrices.at("frequency").values, std::vector<double>{2.5});
        const scipymat::Matrix& data = read.matrices.at("data");
        ASSERT_EQ(data.rows, std::size_t(c.rows));
        ASSERT_EQ(data.columns, std::size_t(c.channels));
        ASSERT_EQ(data.values.size(), data.rows * data.columns);
        for (std::size_t k = 0; k < data.columns; ++k)
            for (std::size_t i = 0; i < data.rows; ++i)
                ASSERT_PRED2(Same, data.values[k * data.rows + i], Value(i, k)) << i << "/" << k;
    }
}

// A file whose pieces do not make the announced matrix is not written:
// one piece too many is refused, and ending short fails.
TEST(QVMat32, PiecesThatDoNotMakeTheMatrixFail) {
    ScratchFolder folder;
    const std::string path = folder.Path() + "/m.mat";
    const std::vector<double> values(12, 1.0);

    void* file = MatFileCreate(path.c_str(), 1.0, 4, 3);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(MatFileAppendRows(file, values.data(), 3), 1);
    EXPECT_EQ(MatFileAppendRows(file, values.data(), 2), 0);
    EXPECT_EQ(MatFileAppendRows(file, values.data(), 1), 0) << "a refused piece fails the file";
    EXPECT_EQ(MatFileEnd(file), 0);

    file = MatFileCreate(path.c_str(), 1.0, 4, 3);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(MatFileAppendRows(file, values.data(), 3), 1);
    EXPECT_EQ(MatFileEnd(file), 0);

    EXPECT_EQ(MatFileCreate(path.c_str(), 1.0, -1, 3), nullptr);
    EXPECT_EQ(MatFileCreate((folder.Path() + "/none/m.mat").c_str(), 1.0, 4, 3), nullptr);
    EXPECT_EQ(CreateMatFileEx(path.c_str(), 1.0, nullptr, 4, 3), 0);
    EXPECT_EQ(CreateMatFileEx(path.c_str(), 1.0, values.data(), 4, 3), 1);
}

// A level-5 element's size is 32-bit and MATLAB reads no variable over
// 2^31 - 1 bytes: 56 bytes of the matrix named "data" precede its values.
TEST(QVMat32, Level5HoldsAMatrixOfUpTo2GiB) {
    const std::size_t largest = std::numeric_limits<std::int32_t>::max();
    const struct {
        std::size_t rows;
        std::size_t columns;
        bool fits;
    } cases[] = {
        {268435448, 1, true}, {268435449, 1, false},   {4194303, 64, true},     {4194304, 64, false},
        {0, largest, true},   {0, largest + 1, false}, {largest + 1, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMatLevel5Matrix::Fits("data", c.rows, c.columns), c.fits) << c.rows << " x " << c.columns;
    EXPECT_FALSE(CMatLevel5Matrix::Fits("a_much_longer_name", 268435448, 1));
}

} // namespace
