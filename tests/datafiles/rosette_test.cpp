// Rosette formula for every kind against values worked out by hand, and the
// rosette result files.
#include "RunWriter.h"
#include "datafiles/RosetteCalc.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

using namespace testrun;

TEST(Rosette, EveryKindAgainstHandValues) {
    struct Case {
        int kind;
        float mu, e;
        float strains[4];
        double expected[6]; // eps1, eps2, sigma1, sigma2, tau, psi
    };
    const Case cases[] = {
        // Two gauges: sigma = E (ea + mu eb) / (1 - mu^2) / 1000.
        {0, 0.0f, 200.0f, {100, -50}, {100, -50, 20, -10, 0, 0}},
        {0, 0.25f, 200.0f, {100, 40}, {100, 40, 23.466667, 13.866667, 0, 0}},
        // All gauges equal: no deviation, direction 0.
        {1, 0.3f, 200.0f, {100, 100, 100}, {100, 100, 28.571429, 28.571429, 0, 0}},
        // C = 0, Y = 100, X replaced by -1e-10: psi -45.
        {1, 0.3f, 200.0f, {0, 100, 0}, {100, -100, 15.384615, -15.384615, 15.384615, -45}},
        // C = 100, X = 200, Y = 0: S = 200 E / 1.3, M = 100 E / 0.7.
        {2, 0.3f, 200.0f, {300, 0, 0}, {300, -100, 59.340659, -2.197802, 30.769231, 0}},
        // C = 40, X = 60, Y = 80 / sqrt 3: R = 75.718777, psi = atan(Y / X) / 2.
        {2,
         0.3f,
         200.0f,
         {100, 50, -30},
         {115.71878, -35.718777, 23.077614, -0.22047101, 11.649043, 18.794545}},
        // C = 0, X = 100, Y = 50: R = 111.80340, psi = atan(0.5) / 2.
        {3,
         0.3f,
         200.0f,
         {100, 50, -100, -50},
         {111.80340, -111.80340, 17.200523, -17.200523, 17.200523, 13.282526}},
        // C = 60, X = 40, Y = 120 / sqrt 3: R = 80, psi 30.
        {4, 0.3f, 200.0f, {100, 60, 20, -60}, {140, -20, 29.450549, 4.835165, 12.307692, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        RosetteInput in{c.kind, c.mu, c.e, {c.strains[0], c.strains[1], c.strains[2], c.strains[3]}};
        float result[6];
        ASSERT_EQ(CalcRosetteResult(in, result), 1);
        for (int i = 0; i < 6; ++i)
            EXPECT_NEAR(result[i], c.expected[i], 2e-5 * std::max(1.0, std::fabs(c.expected[i]))) << i;
    }
}

namespace {

struct RosetteRun {
    explicit RosetteRun(bool perCase, int samples) : spec(dir.Path(), "beam", {0, 1}, samples, perCase) {
        param.strProjectFolder = dir.Path();
        param.strProjectName = "beam";
        param.nSampleCount = samples;
        param.channels = &table;
    }
    void Write() {
        RunWriter run(spec);
        run.Write();
        param.layout = run.Layout();
    }
    std::vector<char> Result(int group) const {
        return ReadBytes(dir.Path() + "/beam" + std::to_string(group) + ".sfd");
    }

    TempDir dir;
    HalfChannelTable table;
    RunSpec spec;
    RosetteCalcParam param;
};

RosetteResultRecord RecordAt(const std::vector<char>& file, int k) {
    RosetteResultRecord record;
    std::memcpy(&record, &file[60 + 24 * std::size_t(k)], 24);
    return record;
}

RosetteGroupRecord Group(int kind, std::initializer_list<int> channels) {
    RosetteGroupRecord group{};
    std::strcpy(group.Name, "g");
    group.type = kind;
    std::fill(std::begin(group.Channel), std::end(group.Channel), -1);
    std::copy(channels.begin(), channels.end(), group.Channel);
    return group;
}

} // namespace

TEST(Rosette, ResultFilesInBothArrangements) {
    for (bool perCase : {false, true}) {
        SCOPED_TRACE(perCase);
        RosetteRun run(perCase, 2500);
        // Gauges 1 (raw 200), 17 (shown as stress: raw 40 MPa), 2 (raw 0).
        run.spec.constantRaw = {{1, 200.0f}, {17, 40.0f}, {2, 0.0f}};
        run.spec.overrides[{1, 1500}] = {{1, kNoValue}};
        run.table.params[17] = ChannelParamView{0, 1, 1, 0.3f, 200.0f};
        run.Write();
        run.param.groups = {Group(1, {1, 17, 2}), Group(0, {1, 2})};
        std::atomic<bool> cancel{false};
        ASSERT_EQ(RosetteCalcThread(run.param, cancel), ResultStatus::Done);
        const std::vector<char> file = run.Result(1);
        ASSERT_EQ(file.size(), 60u + 2500u * 24u);
        EXPECT_EQ(std::memcmp(file.data(), &run.param.groups[0], 60), 0);
        // Strains 100, 40 MPa * 1000 / 200 = 100, 0: kind 1 gives C 50, X 50, Y 50.
        float expected[6];
        CalcRosetteResult(RosetteInput{1, 0.3f, 200.0f, {100, 100, 0, 0}}, expected);
        for (int k : {0, 1023, 1024, 2048, 2499}) {
            const RosetteResultRecord record = RecordAt(file, k);
            EXPECT_EQ(std::memcmp(record.fValue, expected, 24), 0) << k;
        }
        EXPECT_EQ(RecordAt(file, 1500).fValue[0], kNoResult);
        EXPECT_EQ(RecordAt(file, 1500).fValue[5], kNoResult);
        EXPECT_EQ(run.Result(2).size(), 60u + 2500u * 24u);
    }
}

TEST(Rosette, PoissonLimitAndEmptyRuns) {
    struct Case {
        float mu;
        ResultStatus status;
        std::size_t firstSize, secondSize;
    };
    // 0.9 stored as float32 lies below the double 0.9; the next float does not.
    const Case cases[] = {{0.9f, ResultStatus::Done, 60 + 3 * 24, 60 + 3 * 24},
                          {std::nextafter(0.9f, 1.0f), ResultStatus::ParamOutOfRange, 60 + 3 * 24, 0}};
    for (const Case& c : cases) {
        RosetteRun run(true, 3);
        run.Write();
        run.table.params[33].fPoisson = c.mu;
        run.param.groups = {Group(0, {1, 2}), Group(0, {33, 2})};
        std::atomic<bool> cancel{false};
        EXPECT_EQ(RosetteCalcThread(run.param, cancel), c.status);
        EXPECT_EQ(run.Result(1).size(), c.firstSize);
        EXPECT_EQ(run.Result(2).size(), c.secondSize);
    }
    RosetteRun empty(true, 0);
    empty.Write();
    empty.param.groups = {Group(0, {1, 2})};
    std::atomic<bool> cancel{false};
    EXPECT_EQ(RosetteCalcThread(empty.param, cancel), ResultStatus::Done);
    EXPECT_EQ(empty.Result(1).size(), 60u);
}

TEST(Rosette, UnreadableRunKeepsOnlyTheHeader) {
    RosetteRun run(false, 10);
    run.param.layout = OnlineLayout::FromUnits({0, 1}, false); // no data file written
    run.param.groups = {Group(0, {1, 2})};
    std::atomic<bool> cancel{false};
    EXPECT_EQ(RosetteCalcThread(run.param, cancel), ResultStatus::DataFileError);
    EXPECT_EQ(run.Result(1).size(), 60u);
}
