// The main window's layout at the screen sizes of a station (1024×768 and
// 1280×800): the module-information window stays inside the client area,
// moves with the frame and covers no control of the bars; every tool-bar
// command has its own button, none only behind the bar's overflow; the
// sampling-parameter pane comes back from the 查看 menu.
#include "FrameRunFixture.h"

#include "app/ToolBarRows.h"
#include "panels/links/DlgModuleInfo.h"
#include "project/OpenViewCounters.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMdiArea>
#include <QTabBar>
#include <QToolBar>

namespace {

constexpr int ID_SHOW_MODULE_INFO = 32901;
constexpr int ID_SAMPLE_PARAM_PANE = 32776;

const QSize kStationSizes[] = {{1024, 768}, {1280, 800}};

QRect GlobalRect(const QWidget* widget) {
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

class FrameLayoutTest : public FrameRunTest {
protected:
    void ResizeFrame(const QSize& size) {
        m_frame->showNormal();
        m_frame->resize(size);
        ProcessEventsUntil([&] { return m_frame->size() == size; });
        Settle();
    }
    // The bars settle into their rows after a resize, the panes after them:
    // waits until the layout holds still.
    void Settle() {
        QRect last;
        int still = 0;
        ProcessEventsUntil([&] {
            const QRect now = GlobalRect(m_frame->GetMdiArea()->viewport());
            still = now == last ? still + 1 : 0;
            last = now;
            ProcessEventsUntil([] { return false; }, 50);
            return still >= 4;
        });
    }
    // The controls a user works with on the frame's bars and panes.
    std::vector<QWidget*> BarControls() const {
        std::vector<QWidget*> controls;
        for (int i = 0;; ++i) {
            QToolBar* bar = m_frame->GetToolBar(i);
            if (bar == nullptr)
                break;
            for (QWidget* child : bar->findChildren<QWidget*>())
                if (child->isVisible())
                    controls.push_back(child);
        }
        for (QWidget* child : m_frame->GetSampleParamBar()->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(child) || qobject_cast<QComboBox*>(child) ||
                                 qobject_cast<QLineEdit*>(child);
            if (control && child->isVisible())
                controls.push_back(child);
        }
        for (QTabBar* tabs : m_frame->GetMdiArea()->findChildren<QTabBar*>())
            if (tabs->isVisible())
                controls.push_back(tabs);
        return controls;
    }
};

TEST_F(FrameLayoutTest, ModuleWindowStaysInTheClientAreaClearOfEveryControl) {
    Search(); // two cases: two lines of module information
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    CDlgModuleInfo* info = m_shell->GetModuleInfoWindow();
    if (!info->isVisible()) {
        ASSERT_TRUE(m_frame->RunCommand(ID_SHOW_MODULE_INFO));
    }
    ASSERT_TRUE(info->isVisible());
    EXPECT_EQ(m_shell->GetModuleInfoText().count('\n'), 2) << m_shell->GetModuleInfoText().toStdString();
    // A child of the frame, never a window of its own above its dialogs.
    EXPECT_FALSE(info->isWindow());
    EXPECT_EQ(info->window(), m_frame);
    EXPECT_EQ(CDlgModuleInfo::InfoFont().pixelSize(), 32);
    for (const QSize& size : kStationSizes) {
        SCOPED_TRACE(size.width());
        ResizeFrame(size);
        const QRect shown = GlobalRect(info);
        EXPECT_EQ(shown.height(), 98); // three lines
        EXPECT_TRUE(GlobalRect(m_frame->GetMdiArea()->viewport()).contains(shown));
        for (QWidget* control : BarControls())
            EXPECT_FALSE(GlobalRect(control).intersects(shown))
                << control->metaObject()->className() << " " << control->objectName().toStdString();
        // It moves with the frame.
        const QPoint before = info->mapToGlobal(QPoint(0, 0)) - m_frame->mapToGlobal(QPoint(0, 0));
        m_frame->move(m_frame->pos() + QPoint(40, 30));
        Settle();
        EXPECT_EQ(info->mapToGlobal(QPoint(0, 0)) - m_frame->mapToGlobal(QPoint(0, 0)), before);
    }
}

TEST_F(FrameLayoutTest, EveryToolBarCommandHasItsOwnButtonAtStationSizes) {
    for (const QSize& size : kStationSizes) {
        SCOPED_TRACE(size.width());
        ResizeFrame(size);
        for (int i = 0;; ++i) {
            QToolBar* bar = m_frame->GetToolBar(i);
            if (bar == nullptr)
                break;
            for (QAction* action : bar->actions()) {
                if (action->isSeparator() || !action->isVisible())
                    continue;
                QWidget* button = bar->widgetForAction(action);
                ASSERT_NE(button, nullptr);
                EXPECT_TRUE(button->isVisible() && bar->rect().contains(button->geometry()))
                    << bar->windowTitle().toStdString() << ": " << action->text().toStdString();
            }
        }
    }
}

TEST_F(FrameLayoutTest, SampleParameterPaneComesBackFromTheViewMenu) {
    QDockWidget* pane = m_frame->GetPane(IDR_PANE_SAMPLE_PARAM);
    QAction* item = MenuItem("查看", ID_SAMPLE_PARAM_PANE);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text().toStdString(), "采样参数栏(&S)");
    EXPECT_TRUE(item->isChecked());
    pane->close();
    item = MenuItem("查看", ID_SAMPLE_PARAM_PANE);
    EXPECT_FALSE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(pane->isVisible());
    EXPECT_TRUE(MenuItem("查看", ID_SAMPLE_PARAM_PANE)->isChecked());
    item->trigger();
    EXPECT_FALSE(pane->isVisible());
}

} // namespace

namespace {

TEST(ToolBarRowStarts, ABarThatDoesNotFitStartsARow) {
    const struct {
        std::vector<int> widths;
        int row;
        std::vector<bool> starts;
    } cases[] = {
        {{300, 200, 400}, 1000, {false, false, false}},
        {{600, 100, 400}, 1000, {false, false, true}},
        {{600, 0, 500, 500}, 1000, {false, false, true, false}}, // a hidden bar takes no room
        {{1200, 300}, 1000, {false, true}},                      // too wide: a row of its own
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToolBarRowStarts(c.widths, c.row), c.starts);
}

} // namespace
