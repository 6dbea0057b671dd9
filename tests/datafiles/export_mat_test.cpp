// MATLAB export through libQVMat32.so, loaded by name from the program
// folder; the files are read back with libmatio and with scipy.
#include "ExportTestSupport.h"
#include "datafiles/MatExport.h"
#include "libs/qvmat/ScipyMat.h"

#include <matio.h>

#include <cmath>

using namespace exporttest;
using namespace testrun;

namespace {

struct MatMatrix {
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::vector<double> values;
};

MatMatrix ReadMatrix(const std::string& path, const char* name) {
    MatMatrix matrix;
    mat_t* file = Mat_Open(path.c_str(), MAT_ACC_RDONLY);
    if (!file)
        return matrix;
    if (matvar_t* variable = Mat_VarRead(file, name)) {
        if (variable->rank == 2 && variable->class_type == MAT_C_DOUBLE) {
            matrix.rows = variable->dims[0];
            matrix.columns = variable->dims[1];
            const double* data = static_cast<const double*>(variable->data);
            matrix.values.assign(data, data + matrix.rows * matrix.columns);
        }
        Mat_VarFree(variable);
    }
    Mat_Close(file);
    return matrix;
}

class MatExport : public ExportFixture {
protected:
    ExportContext& Run() {
        RunSpec spec{dir.Path(), "run", {0, 1}, 120};
        spec.overrides[{0, 7}] = {{1, kNotBalanced}};
        ExportContext& ctx = Context(spec);
        ctx.fSamplingFrequency = 50.0f;
        return ctx;
    }
    // Engineering value of the test run; a stored marker is NaN.
    static double Expected(int channel, int sample) {
        if (channel == 1 && sample == 7)
            return std::nan("");
        return RawValue(channel / 16, channel % 16, sample) * 0.5;
    }
    static bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
};

TEST_F(MatExport, AllChannelsInOneMatrixChannelAfterChannel) {
    ExportContext& ctx = Run();
    ASSERT_EQ(SaveMatFile(ctx, Options({1, 17, 4096, 1, 2}, 1), 5, 100), 1);
    EXPECT_EQ(lastType, 3);
    EXPECT_EQ(Files(OutFolder()), std::vector<std::string>{"exp.mat"});
    const MatMatrix data = ReadMatrix(Out("exp.mat"), "data");
    ASSERT_EQ(data.rows, 100u);
    ASSERT_EQ(data.columns, 3u); // the virtual channel and the repeat are left out
    const int channels[] = {1, 17, 2};
    for (std::size_t k = 0; k < 3; ++k)
        for (int i = 0; i < 100; ++i)
            ASSERT_PRED2(Same, data.values[k * 100 + std::size_t(i)], Expected(channels[k], 5 + i))
                << k << "/" << i;
    EXPECT_EQ(ReadMatrix(Out("exp.mat"), "frequency").values, std::vector<double>{50.0});
}

// Pieces of 7 samples of every channel: the matrix is whole, in order, and
// every marker (stored as a raw reading, not a value) reads back as NaN.
TEST_F(MatExport, ALongRangeIsWrittenInPiecesWithMarkersAsNaN) {
    RunSpec spec{dir.Path(), "run", {0, 1}, 120};
    spec.overrides[{0, 7}] = {{1, kNotBalanced}, {2, kNoValue}, {3, kThirdMarker}};
    spec.overrides[{1, 50}] = {{1, kNotBalanced}};
    ExportContext& ctx = Context(spec);
    ctx.nMatPieceValues = 21;
    ASSERT_EQ(SaveMatFile(ctx, Options({1, 2, 3, 17}, 1), 3, 100), 1);
    const MatMatrix data = ReadMatrix(Out("exp.mat"), "data");
    ASSERT_EQ(data.rows, 100u);
    ASSERT_EQ(data.columns, 4u);
    const int channels[] = {1, 2, 3, 17};
    for (std::size_t k = 0; k < 4; ++k) {
        for (int i = 0; i < 100; ++i) {
            const int sample = 3 + i;
            const bool marker = (sample == 7 && k < 3) || (sample == 50 && channels[k] == 17);
            const double value = data.values[k * 100 + std::size_t(i)];
            if (marker)
                ASSERT_TRUE(std::isnan(value)) << channels[k] << "/" << sample;
            else
                ASSERT_EQ(value, RawValue(channels[k] / 16, channels[k] % 16, sample) * 0.5)
                    << channels[k] << "/" << sample;
        }
    }
    EXPECT_EQ(Files(OutFolder()), std::vector<std::string>{"exp.mat"}) << "no temporary file is left";
}

// Both layouts in pieces of 5 samples of 4 channels or 21 of one, over a
// range that ends inside a piece and past the run's end: scipy reads every
// value, with NaN for a stored marker and for a sample the run does not hold.
TEST_F(MatExport, ScipyReadsEveryValueOfFilesWrittenInPieces) {
    RunSpec spec{dir.Path(), "run", {0, 1}, 120};
    spec.overrides[{0, 94}] = {{1, kNotBalanced}, {2, kNoValue}};
    spec.overrides[{1, 95}] = {{1, kThirdMarker}};
    ExportContext& ctx = Context(spec);
    ctx.fSamplingFrequency = 50.0f;
    ctx.nMatPieceValues = 21;
    constexpr int kFirst = 90;
    constexpr int kCount = 43;
    const auto expected = [](int channel, int sample) {
        const bool marker =
            (sample == 94 && (channel == 1 || channel == 2)) || (sample == 95 && channel == 17);
        return marker || sample >= 120 ? std::nan("") : RawValue(channel / 16, channel % 16, sample) * 0.5;
    };
    ASSERT_EQ(SaveMatFile(ctx, Options({1, 2, 3, 17}, 1), kFirst, kCount), 1);
    ASSERT_EQ(SaveMatFile(ctx, Options({1, 17}, 0), kFirst, kCount), 1);
    const struct {
        const char* file;
        std::vector<int> channels;
    } files[] = {{"exp.mat", {1, 2, 3, 17}}, {"exp_01-01-02.mat", {1}}, {"exp_01-02-02.mat", {17}}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        const scipymat::File file = scipymat::Read(Out(f.file));
        ASSERT_EQ(file.error, "");
        ASSERT_EQ(file.matrices.size(), 2u);
        EXPECT_EQ(file.matrices.at("frequency").values, std::vector<double>{50.0});
        const scipymat::Matrix& data = file.matrices.at("data");
        ASSERT_EQ(data.rows, std::size_t(kCount));
        ASSERT_EQ(data.columns, f.channels.size());
        ASSERT_EQ(data.values.size(), data.rows * data.columns);
        for (std::size_t k = 0; k < f.channels.size(); ++k)
            for (int i = 0; i < kCount; ++i)
                ASSERT_PRED2(Same, data.values[k * kCount + std::size_t(i)],
                             expected(f.channels[k], kFirst + i))
                    << "channel " << f.channels[k] << ", sample " << kFirst + i;
    }
}

// Pieces of several chunks of the reader, not aligned with them, from one
// data file and from per-unit files of which one is shorter: every value
// lands in its place, a marker and a sample a unit's file lacks as NaN.
TEST_F(MatExport, PiecesAcrossChunkEdgesInBothArrangements) {
    constexpr int kFirst = 700;
    constexpr int kCount = 8000;
    const std::vector<int> channels = {1, 2 * 16 + 3, 2 * 16 + 15};
    for (const bool perUnit : {false, true}) {
        SCOPED_TRACE(perUnit ? "per unit" : "one file");
        RunSpec spec{dir.Path(), perUnit ? "units" : "single", {0, 2}, 9000, perUnit};
        spec.overrides[{0, 1500}] = {{1, kNoValue}};
        spec.overrides[{2, 5249}] = {{3, kNotBalanced}};
        if (perUnit)
            spec.unitSamples[2] = 8000;
        ExportContext& ctx = Context(spec);
        ctx.nMatPieceValues = 4500 * channels.size();
        ASSERT_EQ(SaveMatFile(ctx, Options(channels, 1), kFirst, kCount), 1);
        const MatMatrix data = ReadMatrix(Out("exp.mat"), "data");
        ASSERT_EQ(data.rows, std::size_t(kCount));
        ASSERT_EQ(data.columns, channels.size());
        for (std::size_t k = 0; k < channels.size(); ++k) {
            const int channel = channels[k];
            for (int i = 0; i < kCount; ++i) {
                const int sample = kFirst + i;
                const bool none = (channel == 1 && sample == 1500) ||
                                  (channel == 2 * 16 + 3 && sample == 5249) ||
                                  (perUnit && channel / 16 == 2 && sample >= 8000);
                const double expected =
                    none ? std::nan("") : RawValue(channel / 16, channel % 16, sample) * 0.5;
                ASSERT_PRED2(Same, data.values[k * kCount + std::size_t(i)], expected)
                    << "channel " << channel << ", sample " << sample;
            }
        }
    }
}

TEST_F(MatExport, OneFilePerChannelNamedByItsNumberText) {
    ExportContext& ctx = Run();
    chosenTitle = "exp_01-01-03"; // an earlier per-channel file gives its base title
    ASSERT_EQ(SaveMatFile(ctx, Options({1, 17}, 0), 0, 100), 1);
    EXPECT_EQ(Files(OutFolder()), (std::vector<std::string>{"exp_01-01-02.mat", "exp_01-02-02.mat"}));
    const MatMatrix data = ReadMatrix(Out("exp_01-02-02.mat"), "data");
    ASSERT_EQ(data.rows, 100u);
    ASSERT_EQ(data.columns, 1u);
    EXPECT_EQ(data.values[99], Expected(17, 99));
}

TEST_F(MatExport, NothingChosenOrCancelledWritesNothing) {
    ExportContext& ctx = Run();
    EXPECT_EQ(SaveMatFile(ctx, Options({4096, 5000}, 1), 0, 10), 0);
    cancel = true;
    EXPECT_EQ(SaveMatFile(ctx, Options({1}, 1), 0, 10), 0);
    EXPECT_TRUE(Files(OutFolder()).empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MatExport, WithoutTheLibraryTheExportEndsWithTheLoadersMessage) {
    ExportContext& ctx = Run();
    ctx.strMatLibrary = "libQVMat32-absent.so";
    EXPECT_EQ(SaveMatFile(ctx, Options({1}, 1), 0, 10), 0);
    const auto records = boxes.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].text.find("libQVMat32-absent.so"), std::string::npos) << records[0].text;
    EXPECT_EQ(records[0].flags & platform::MB_ICONMASK, platform::MB_ICONINFORMATION);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(Files(OutFolder()).empty());
}

TEST_F(MatExport, ALibraryWithoutTheEntryPointIsRefused) {
    ExportContext& ctx = Run();
    ctx.strMatLibrary = "libqv_platform.so";
    EXPECT_EQ(SaveMatFile(ctx, Options({1}, 1), 0, 10), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"不能加载相应的程序，无法完成该操作"});
    EXPECT_EQ(asked, 0);
}

} // namespace
