// The group tables of the rosette and residual-stress dialogs: the channel
// checks, the table limit, window alarm limits, names cut on a character
// boundary, imports checked against the channel range, and the list texts.
#include "datafiles/ResidualGroupEdit.h"
#include "datafiles/ResidualStressCalc.h"
#include "datafiles/RosetteGroupEdit.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

std::vector<int> Channels(const RosetteGroupRecord& group) {
    return std::vector<int>(group.Channel, group.Channel + 4);
}

ResidualGroupInput Gauges(int a, int b, int c) {
    ResidualGroupInput input;
    input.Channel[0] = a, input.Channel[1] = b, input.Channel[2] = c;
    return input;
}

} // namespace

TEST(RosetteGroupEdit, AddReadsOnlyTheGaugesOfTheKindAndRefusesOneChannelTwice) {
    struct Case {
        int kind;
        std::vector<int> gauges;
        GroupEditResult result;
        std::vector<int> stored;
    } cases[] = {
        {0, {1, 2, 1, 1}, GroupEditResult::Done, {1, 2, -1, -1}},
        {0, {1, 1, 2, 3}, GroupEditResult::SameChannel, {}},
        {1, {1, 2, 1, 9}, GroupEditResult::SameChannel, {}},
        {2, {1, 2, 3, 3}, GroupEditResult::Done, {1, 2, 3, -1}},
        {3, {1, 2, 3, 1}, GroupEditResult::SameChannel, {}},
        {4, {1, 2, 3, 4}, GroupEditResult::Done, {1, 2, 3, 4}},
        {5, {1, 2, 3, 4}, GroupEditResult::SameChannel, {}},
    };
    for (const Case& c : cases) {
        CRosetteGroupEdit edit;
        EXPECT_EQ(edit.Add(c.kind, c.gauges), c.result) << "kind " << c.kind;
        if (c.stored.empty()) {
            EXPECT_EQ(edit.Count(), 0);
            continue;
        }
        ASSERT_EQ(edit.Count(), 1);
        EXPECT_EQ(Channels(edit.Groups()[0]), c.stored);
        EXPECT_STREQ(edit.Groups()[0].Name, "1");
        EXPECT_EQ(edit.Groups()[0].bAlarm, 0);
    }
}

TEST(RosetteGroupEdit, AChannelOfTwoGroupsIsReportedAndTheGroupStays) {
    CRosetteGroupEdit edit;
    ASSERT_EQ(edit.Add(0, {1, 2, 3, 4}), GroupEditResult::Done);
    EXPECT_EQ(edit.Add(1, {3, 4, 5, 0}), GroupEditResult::Done)
        << "the first group's unused slots do not count";
    EXPECT_EQ(edit.Add(0, {6, 5, 0, 0}), GroupEditResult::RepeatedAcross);
    EXPECT_EQ(edit.Count(), 3);
    EXPECT_STREQ(edit.Groups()[2].Name, "3");

    EXPECT_EQ(edit.Modify(2, 0, {7, 7, 0, 0}), GroupEditResult::SameChannel);
    EXPECT_EQ(Channels(edit.Groups()[2]), (std::vector<int>{6, 5, -1, -1}))
        << "a refused change changes nothing";
    EXPECT_EQ(edit.Modify(2, 3, {6, 7, 8, 9}), GroupEditResult::Done);
    EXPECT_EQ(Channels(edit.Groups()[2]), (std::vector<int>{6, 7, 8, 9}));
    EXPECT_EQ(edit.Modify(3, 0, {10, 11}), GroupEditResult::NoSelection);

    edit.Delete(0);
    ASSERT_EQ(edit.Count(), 2);
    EXPECT_EQ(edit.Groups()[0].type, 1) << "later groups move up";
}

TEST(RosetteGroupEdit, TheTableHoldsAtMost128Groups) {
    CRosetteGroupEdit edit;
    for (int i = 0; i < kMaxResultGroups; ++i)
        ASSERT_EQ(edit.Add(0, {2 * i, 2 * i + 1}), GroupEditResult::Done) << i;
    EXPECT_TRUE(edit.IsFull());
    EXPECT_EQ(edit.Add(0, {1000, 1001}), GroupEditResult::Full);
    EXPECT_EQ(edit.Count(), kMaxResultGroups);
}

TEST(RosetteGroupEdit, WindowAlarmLimitsStayOrdered) {
    struct Case {
        int type;
        bool upper;
        float value;
        float up, down;
    } cases[] = {
        {2, true, 5, 10, 5},    // an upper limit below the lower one swaps them
        {3, false, 30, 30, 20}, // as does a lower limit above the upper one
        {0, true, 5, 5, 10},    // an over or under limit is stored as entered
        {1, false, 30, 20, 30},
    };
    for (const Case& c : cases) {
        RosetteGroupRecord group{};
        group.AlarmType = c.type;
        group.AlarmValUp = 20;
        group.AlarmValDown = 10;
        CRosetteGroupEdit edit;
        edit.SetGroups({group});
        edit.SetAlarmLimit(0, c.upper, c.value);
        EXPECT_EQ(edit.Groups()[0].AlarmValUp, c.up) << "type " << c.type;
        EXPECT_EQ(edit.Groups()[0].AlarmValDown, c.down) << "type " << c.type;
    }

    CRosetteGroupEdit edit;
    edit.Add(0, {1, 2});
    edit.SetAlarmLimit(0, true, 5);
    edit.SetAlarmLimit(0, false, 10);
    edit.SetAlarmType(0, 3);
    EXPECT_EQ(edit.Groups()[0].AlarmValUp, 10) << "turning to a window type orders the limits";
    EXPECT_EQ(edit.Groups()[0].AlarmValDown, 5);
}

TEST(RosetteGroupEdit, ListRowsShowTheKindsGaugesAndTheAlarm) {
    CRosetteGroupEdit edit;
    edit.Add(3, {0, 17, 34, 130});
    edit.ToggleAlarm(0);
    edit.SetAlarmItem(0, 4);
    edit.SetAlarmType(0, 2);
    edit.SetAlarmLimit(0, true, 12.34567f);
    EXPECT_EQ(edit.RosetteRow(0),
              (std::vector<std::string>{"1", "1", "伞    形", "ε0", "01-01-01", "ε45", "01-02-02", "ε90",
                                        "01-03-03", "ε135", "02-01-03"}));
    EXPECT_EQ(edit.AlarmRow(0), (std::vector<std::string>{"1", "1", "伞    形", "√", "最大剪切力τ_Max",
                                                          "窗内", "12.346", "0.000"}));
    edit.Add(0, {1, 2});
    EXPECT_EQ(edit.RosetteRow(1)[5], "ε90");
    EXPECT_EQ(edit.RosetteRow(1)[7], "") << "kind 0 has no third gauge";
}

TEST(ResultGroupNames, NamesAreCutTo19BytesOnACharacterBoundary) {
    struct Case {
        std::string typed, kept;
    } cases[] = {
        {"abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrs"},
        {"应变花名称测试一二三四", "应变花名称测试一二"}, // 20 GBK bytes: the tenth character goes whole
        {"a应变花名称测试一二三", "a应变花名称测试一二"},
    };
    for (const Case& c : cases) {
        CRosetteGroupEdit rosettes;
        rosettes.Add(0, {1, 2});
        rosettes.SetName(0, c.typed);
        EXPECT_EQ(rosettes.RosetteRow(0)[1], c.kept);
        CResidualGroupEdit residual;
        residual.Add(Gauges(1, 2, 3));
        residual.SetName(0, c.typed);
        EXPECT_EQ(residual.Row(0)[1], c.kept);
    }
}

TEST(ResultGroupImport, AnImportBeyondTheChannelRangeLeavesTheTable) {
    CRosetteGroupEdit rosettes;
    rosettes.Add(0, {1, 2});
    RosetteGroupRecord far{};
    far.type = 0;
    far.Channel[0] = 3, far.Channel[1] = 40, far.Channel[2] = far.Channel[3] = -1;
    EXPECT_FALSE(rosettes.Import({far}, 39));
    EXPECT_EQ(Channels(rosettes.Groups()[0]), (std::vector<int>{1, 2, -1, -1}));
    EXPECT_TRUE(rosettes.Import({far, far}, 40));
    EXPECT_EQ(rosettes.Count(), 2);

    CResidualGroupEdit residual;
    residual.Add(Gauges(1, 2, 3));
    ResidualStressGroupRecord group{};
    group.Channel[0] = 4, group.Channel[1] = 50, group.Channel[2] = 6;
    EXPECT_FALSE(residual.Import({group}, 49));
    EXPECT_EQ(residual.Groups()[0].Channel[1], 2);
    EXPECT_TRUE(residual.Import({group}, 50));
    EXPECT_EQ(residual.Groups()[0].Channel[1], 50);
}

TEST(ResidualGroupEdit, CoefficientsComeFromTheGeometryOrTheEdits) {
    ResidualGroupInput known = Gauges(1, 2, 3);
    known.ParamA = 0.0;
    known.ParamB = -0.25;
    known.HoleS = -3.0;
    known.ParamE0 = 12.5;
    ResidualGroupInput unknown = Gauges(4, 5, 6);
    unknown.bABCalc = 1;
    unknown.HoleRadius = 1.0, unknown.StrainR1 = 2.0, unknown.StrainR2 = 4.0;
    unknown.WidthB = 1.0, unknown.LengthL = 2.0, unknown.Poisson = 0.3;
    ResidualGroupInput clamped = Gauges(7, 8, 9);
    clamped.bABCalc = 1;
    clamped.HoleRadius = -1.0, clamped.StrainR1 = 0.0, clamped.StrainR2 = -2.0;

    CResidualGroupEdit edit;
    ASSERT_EQ(edit.Add(known), GroupEditResult::Done);
    ASSERT_EQ(edit.Add(unknown), GroupEditResult::Done);
    ASSERT_EQ(edit.Add(clamped), GroupEditResult::Done);
    const auto& g = edit.Groups();
    EXPECT_EQ(g[0].type, 1);
    EXPECT_FLOAT_EQ(g[0].ParamA, 1.0f) << "a zero coefficient becomes 1";
    EXPECT_FLOAT_EQ(g[0].ParamB, -0.25f);
    EXPECT_FLOAT_EQ(g[0].HoleS, 1.0f) << "a negative distance becomes 1";
    EXPECT_FLOAT_EQ(g[0].ParamE0, 12.5f);
    EXPECT_EQ(g[1].bABCalc, 1);
    EXPECT_NEAR(g[1].ParamA, -0.08653125, 1e-7);
    EXPECT_NEAR(g[1].ParamB, -0.16209126, 1e-7);
    EXPECT_FLOAT_EQ(g[2].HoleRadius, 0.0f);
    EXPECT_FLOAT_EQ(g[2].StrainR1, 1.0f);
    EXPECT_FLOAT_EQ(g[2].StrainR2, 1.0f);
    EXPECT_FLOAT_EQ(g[2].ParamA, 1.0f) << "no hole: coefficients of 1";
    EXPECT_EQ(edit.Row(0), (std::vector<std::string>{"1", "1", "01-01-02", "01-01-03", "01-01-04", "1.000",
                                                     "-0.250", "12.500", "1.000"}));
}

TEST(ResidualGroupEdit, ChannelChecksOfAddAndModify) {
    CResidualGroupEdit edit;
    EXPECT_EQ(edit.Add(Gauges(1, 2, 1)), GroupEditResult::SameChannel);
    EXPECT_EQ(edit.Count(), 0);
    ASSERT_EQ(edit.Add(Gauges(1, 2, 3)), GroupEditResult::Done);
    EXPECT_EQ(edit.Add(Gauges(4, 5, 2)), GroupEditResult::RepeatedAcross);
    EXPECT_EQ(edit.Count(), 2) << "the repeated group stays";

    edit.SetName(1, "weld");
    ResidualGroupInput changed = Gauges(7, 8, 9);
    changed.ParamA = 0.5;
    EXPECT_EQ(edit.Modify(1, changed), GroupEditResult::Done);
    EXPECT_EQ(edit.Row(1)[1], "weld") << "a change keeps the name";
    EXPECT_EQ(edit.Groups()[1].Channel[2], 9);
    EXPECT_FLOAT_EQ(edit.Groups()[1].ParamA, 0.5f);
    EXPECT_EQ(edit.Modify(1, Gauges(7, 7, 9)), GroupEditResult::SameChannel);
    EXPECT_EQ(edit.Groups()[1].Channel[1], 8);
    for (int i = 0; i < kMaxResultGroups; ++i)
        edit.Add(Gauges(100 + 3 * i, 101 + 3 * i, 102 + 3 * i));
    EXPECT_EQ(edit.Count(), kMaxResultGroups);
    EXPECT_EQ(edit.Add(Gauges(1000, 1001, 1002)), GroupEditResult::Full);
}

TEST(ResidualGroupEdit, EditTextsAndEccentricAngles) {
    EXPECT_EQ(CoefficientText(0.0), "1.000");
    EXPECT_EQ(CoefficientText(-0.1234), "-0.123");
    EXPECT_EQ(HoleDistanceText(-2.0), "1.000");
    EXPECT_EQ(HoleDistanceText(2.5), "2.500");

    // X 0.1, Y 0.2, d 2: atan(0.2 / 2.1), atan((1.414 - 0.2) / (1.414 - 0.1)) - pi / 4, atan(0.1 / 2.2).
    double alpha[3] = {9, 9, 9};
    ASSERT_TRUE(EccentricAngles(0.1, 0.2, 2.0, alpha));
    const double expected[3] = {0.0949517063, -0.0395363491, 0.0454232794};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(alpha[i], expected[i], 1e-9) << i;
    const double refused[][3] = {{0, 0, 0}, {NAN, 0, 2}, {0, INFINITY, 2}};
    for (const auto& r : refused) {
        double kept[3] = {9, 9, 9};
        EXPECT_FALSE(EccentricAngles(r[0], r[1], r[2], kept)) << r[0] << " " << r[1] << " " << r[2];
        EXPECT_EQ(kept[0], 9) << "a refused offset gives no angles";
    }
}
