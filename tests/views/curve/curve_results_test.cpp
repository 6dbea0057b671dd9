// Curve views of rosette and residual-strain results over a stored run: a
// view shows the chosen result value of its groups from their result files,
// and a group the program no longer has, or results the file does not hold,
// leave gaps instead of what the curve showed before.
#include "views/ViewsTestSupport.h"

#include "datafiles/ResultFiles.h"
#include "views/curve/CurveResults.h"
#include "views/curve/CurveViewWidget.h"
#include "views/shared/GraphPaintTools.h"

#include <QImage>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kStored = 120;
constexpr int kRecords = 100; // the result files end before the run

// Value k of result record i of a group: distinct for every group, record and value.
float ResultValue(int group, int record, int k) {
    return float(group * 1000 + record * 10 + k);
}

struct ResultCase {
    int kind;  // the view's signal kind
    int group; // the group its one curve shows
    int column;
};

class CurveResultsTest : public ::testing::TestWithParam<ResultCase> {
protected:
    void SetUp() override {
        EnsureViewsTestApp();
        world.rosetteGroupNames = {"东侧", "西侧"};
        world.residualGroupNames = {"焊缝"};
        for (int group : {1, 2})
            WriteResults(RosetteResults(), group);
        WriteResults(ResidualStressResults(), 1);
        view.reset(CCurveViewWidget::Create());
        ASSERT_NE(view, nullptr);
        view->fillWorld = [this](CurveWorld& w) { w = world; };
        view->resize(640, 420);
    }

    void WriteResults(const ResultKind& kind, int group) {
        std::ofstream out(ResultFileName(kind, world.dataPath, group), std::ios::binary);
        out.write(std::string(std::size_t(kind.headerSize), '\0').data(), kind.headerSize);
        for (int i = 0; i < kRecords; ++i)
            for (int k = 0; k < kind.valueCount; ++k) {
                const float value = ResultValue(group, i, k);
                out.write(reinterpret_cast<const char*>(&value), sizeof value);
            }
    }

    // The view shows the case's group over samples first .. first + count - 1.
    bool Show(const ResultCase& c, int first, int count) {
        CCurveViewModel& m = view->Model();
        view->RefreshWorld();
        CurveSignalChoice choice;
        choice.nKind = c.kind;
        choice.ids = {c.group};
        m.ApplySignalChoice(choice, world);
        m.m_Options.m_nYType = c.column;
        m.m_Options.m_nScareType = 0;
        m.m_fltOldCoordYMax = 4000.0f;
        m.m_fltOldCoordYMin = -1000.0f; // a zero left in a buffer would show
        view->SyncWithDocument(first, count, count, true);
        return view->LoadCurveData();
    }

    // Whether the plot holds a pixel of the curve's colour in column x.
    bool CurveInColumn(const QImage& image, int x) const {
        const CCurveViewModel& m = view->Model();
        const QRgb colour = ToQColor(m.m_Options.m_Line[0]).rgb();
        for (int y = m.GetPlotRect().top + 1; y < m.GetPlotRect().bottom; ++y)
            if (image.pixel(x, y) == colour)
                return true;
        return false;
    }

    viewtest::StoredCurveRun run{kStored};
    CurveWorld& world = run.world;
    std::unique_ptr<CCurveViewWidget> view;
};

TEST_P(CurveResultsTest, TheViewDrawsTheGroupsResultValueOverItsWindow) {
    const ResultCase c = GetParam();
    ASSERT_TRUE(Show(c, 20, 64));
    const CCurveViewModel& m = view->Model();
    const QImage image = view->RenderImage();
    const CCurveSeries& curve = m.m_Curves.front();
    const QRgb colour = ToQColor(m.m_Options.m_Line[0]).rgb();
    for (int i : {0, 17, 63}) {
        const float value = ResultValue(c.group, 20 + i, c.column);
        ASSERT_FLOAT_EQ(m.PointValue(0, i), value) << "point " << i;
        EXPECT_EQ(image.pixel(curve.IndexToX(i), curve.YValueToPixel(value)), colour) << "point " << i;
    }
}

TEST_P(CurveResultsTest, AGroupGoneOrResultsMissingLeaveNoCurve) {
    const ResultCase c = GetParam();
    ASSERT_TRUE(Show(c, 20, 64));
    // The groups are defined anew without the shown one: what the curve
    // showed is not shown again.
    (c.kind == 2 ? world.rosetteGroupNames : world.residualGroupNames).resize(std::size_t(c.group - 1));
    EXPECT_FALSE(view->LoadCurveData());
    QImage image = view->RenderImage();
    const CCurveSeries& curve = view->Model().m_Curves.front();
    for (int i : {0, 30, 63})
        EXPECT_FALSE(CurveInColumn(image, curve.IndexToX(i))) << "point " << i;

    // The window reaches past the results the file holds.
    world.rosetteGroupNames = {"东侧", "西侧"};
    world.residualGroupNames = {"焊缝"};
    EXPECT_FALSE(Show(c, 60, 56));
    image = view->RenderImage();
    EXPECT_FALSE(CurveInColumn(image, view->Model().m_Curves.front().IndexToX(10)));
}

INSTANTIATE_TEST_SUITE_P(Kinds, CurveResultsTest,
                         ::testing::Values(ResultCase{2, 2, 3}, ResultCase{2, 1, 5}, ResultCase{4, 1, 8}),
                         [](const ::testing::TestParamInfo<ResultCase>& info) {
                             const ResultCase& c = info.param;
                             return std::string(c.kind == 2 ? "Rosette" : "Residual") + "Group" +
                                    std::to_string(c.group) + "Value" + std::to_string(c.column);
                         });

TEST(CurveResultNames, GroupsAreNumberedFromOneAndResultsNameTheirAxis) {
    CurveWorld world;
    world.rosetteGroupNames = {"东侧", "西侧"};
    world.residualGroupNames = {"焊缝"};
    EXPECT_EQ(ResultGroupName(world, 2, 2), "西侧");
    EXPECT_EQ(ResultGroupName(world, 4, 1), "焊缝");
    for (const auto& [kind, group] : {std::pair{2, 0}, {2, 3}, {4, 2}, {1, 1}})
        EXPECT_EQ(ResultGroupName(world, kind, group), "") << kind << " " << group;
    // The value axis of a result curve is named by the result value.
    EXPECT_EQ(ResultCurveUnit(2, 2), "σ1");
    EXPECT_EQ(ResultCurveUnit(4, 0), "ε1");
    EXPECT_EQ(ResultCurveUnit(1, 0), "");
}

} // namespace
