// The extended grid's in-place editors: opening by column kind, whole-column
// edits from the heading, commit texts, notices to the parent, scrolling.
#include "panels/channels/MsExternGrid.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "model/GridEditRules.h"
#include "panels/PanelsTestApp.h"

namespace {

class ExternGridTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }

    ExternGridTest() {
        grid.resize(400, 120);
        grid.SetFormatString("^No|^Name|^Count|^Value");
        grid.SetRows(41);
        for (int r = 1; r <= 40; ++r) {
            grid.SetTextMatrix(r, 0, std::to_string(r));
            grid.SetTextMatrix(r, 1, "n" + std::to_string(r));
        }
        grid.show();
    }

    void Click(int row, int col) {
        grid.SelectRange(row, col, row, col);
        grid.OpenEditor();
    }

    void Notices(std::vector<std::pair<int, int>>& out) {
        QObject::connect(&grid, &CMsExternGrid::CellChanged,
                         [&out](int r, int c) { out.emplace_back(r, c); });
    }

    CMsExternGrid grid;
};

TEST_F(ExternGridTest, WithoutColumnKindsNothingOpens) {
    Click(2, 1);
    EXPECT_FALSE(grid.GetEdit()->isVisible());
    EXPECT_FALSE(grid.GetCombo()->isVisible());
    grid.SetColumnCount(4);
    Click(2, 1); // every column starts read-only
    EXPECT_FALSE(grid.GetEdit()->isVisible());
}

TEST_F(ExternGridTest, HeadingEditsTheWholeColumnAndNotifiesRowZero) {
    grid.SetColumnCount(4);
    grid.SetColumnEditKind(1, GRID_KIND_TEXT);
    std::vector<std::pair<int, int>> notices;
    Notices(notices);
    grid.SelectRange(1, 1, grid.GetRows() - 1, 1); // what a heading click selects
    grid.OpenEditor();
    ASSERT_TRUE(grid.GetEdit()->isVisible());
    EXPECT_EQ(grid.GetEdit()->text(), "n1");
    grid.GetEdit()->setText("beam");
    grid.CloseEditor();
    for (int r = 1; r <= 40; ++r) {
        EXPECT_EQ(grid.GetTextMatrix(r, 1), "beam") << r;
    }
    EXPECT_EQ(notices, (std::vector<std::pair<int, int>>{{0, 1}}));
}

TEST_F(ExternGridTest, NumberColumnsReformatWithoutNotice) {
    grid.SetColumnCount(4);
    grid.SetColumnEditKind(2, GRID_KIND_INTEGER);
    grid.SetColumnEditKind(3, GRID_KIND_DECIMAL);
    std::vector<std::pair<int, int>> notices;
    Notices(notices);
    Click(3, 2);
    grid.GetEdit()->setText("12abc");
    grid.CloseEditor();
    Click(3, 3);
    grid.GetEdit()->setText("1.50000");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(grid.GetEdit(), &enter);
    EXPECT_EQ(grid.GetTextMatrix(3, 2), "12");
    EXPECT_EQ(grid.GetTextMatrix(3, 3), "1.5");
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(grid.GetEdit()->maxLength(), GRID_EDIT_MAX_CHARS);
}

TEST_F(ExternGridTest, EscapeLeavesTheCellAndScrollingCommits) {
    grid.SetColumnCount(4);
    grid.SetColumnEditKind(1, GRID_KIND_TEXT);
    Click(2, 1);
    grid.GetEdit()->setText("gone");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(grid.GetEdit(), &esc);
    EXPECT_EQ(grid.GetTextMatrix(2, 1), "n2");

    Click(2, 1);
    grid.GetEdit()->setText("kept");
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    EXPECT_FALSE(grid.GetEdit()->isVisible());
    EXPECT_EQ(grid.GetTextMatrix(2, 1), "kept");
}

TEST_F(ExternGridTest, WheelNotchMovesTheTopRowByOne) {
    const auto wheel = [this](int delta) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &event);
    };
    ASSERT_EQ(grid.GetTopRow(), 1);
    wheel(-120);
    EXPECT_EQ(grid.GetTopRow(), 2);
    wheel(-240);
    EXPECT_EQ(grid.GetTopRow(), 4);
    wheel(120 * 10);
    EXPECT_EQ(grid.GetTopRow(), 1);
}

TEST_F(ExternGridTest, ListColumnsOfferTheirChoices) {
    grid.SetColumnCount(4);
    grid.SetColumnEditKind(1, GRID_KIND_LIST);
    grid.SetColumnChoices(1, {"n1", "n5", "n5"});
    std::vector<std::pair<int, int>> notices;
    Notices(notices);
    Click(5, 1);
    ASSERT_TRUE(grid.GetCombo()->isVisible());
    EXPECT_EQ(grid.GetCombo()->currentIndex(), 2); // the last equal choice
    Click(6, 1);
    EXPECT_EQ(grid.GetCombo()->currentIndex(), -1);
    grid.GetCombo()->setCurrentIndex(0);
    emit grid.GetCombo()->activated(0);
    EXPECT_EQ(grid.GetTextMatrix(6, 1), "n1");
    // Opening the second list ended the first one unchanged.
    EXPECT_EQ(notices, (std::vector<std::pair<int, int>>{{5, 1}, {6, 1}}));
}

} // namespace
