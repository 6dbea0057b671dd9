// Walks every item of the frame's menus and tool bars in five states of the
// program (at start; cases found; sampling; stored data with a history
// window; with a table window): every item runs a command of the frame, an
// item kept inert is never enabled, and the commands that must be reachable
// have an item. The items kept inert are listed in one table below with the
// reason; remove a row when its command becomes live.
#include "FrameRunFixture.h"

#include "app/OpenViewCounters.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <map>
#include <set>
#include <string>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;

struct InertItem {
    int id;
    const char* reason;
};

// Items on a menu or tool bar that have no live command yet, or that the
// program keeps disabled on purpose.
const InertItem kInertItems[] = {
    {32862, "端口设置: only the network interface exists; always disabled"},
    {32941, "温度曲线: a hidden button; always disabled"},
    {32943, "污垢热阻曲线: a hidden button; always disabled"},
    {32944, "结垢速率曲线: a hidden button; always disabled"},
};

// Commands that must have an item on a menu or tool bar.
const int kReachableCommands[] = {32949, 32950, 32933, 32830, 32847, 32887, 32846, 57607, 57609, 32822,
                                  32823, 32824, 32825, 32826, 32821, 32792, 32841, 32842, 32905, 32906};

class FrameMenuWalkTest : public FrameRunTest {
protected:
    // Every command item of the menu bar (with submenus) and the tool bars,
    // after their menus have updated their states.
    std::map<int, QAction*> Items() {
        std::map<int, QAction*> items;
        std::function<void(QMenu*)> walk = [&](QMenu* menu) {
            emit menu->aboutToShow();
            for (QAction* action : menu->actions()) {
                if (action->menu() != nullptr)
                    walk(action->menu());
                else if (action->data().toInt() != 0)
                    items[action->data().toInt()] = action;
            }
        };
        for (QAction* top : m_frame->menuBar()->actions())
            if (top->menu() != nullptr)
                walk(top->menu());
        m_frame->UpdateCommandStates();
        for (QToolBar* bar : m_frame->findChildren<QToolBar*>())
            for (QAction* action : bar->actions())
                if (action->data().toInt() != 0)
                    items[action->data().toInt()] = action;
        return items;
    }

    void CheckState(const char* state) {
        SCOPED_TRACE(state);
        std::set<int> inert;
        for (const InertItem& row : kInertItems)
            inert.insert(row.id);
        const std::map<int, QAction*> items = Items();
        for (const auto& [id, action] : items) {
            if (inert.count(id)) {
                EXPECT_FALSE(action->isEnabled() && action->isVisible())
                    << id << " is listed as inert but enabled: remove its row";
                continue;
            }
            EXPECT_TRUE(m_frame->HasCommandHandler(id))
                << id << " \"" << action->text().toStdString() << "\" runs no command of the frame";
        }
        for (const int id : kReachableCommands)
            EXPECT_TRUE(items.count(id)) << id << " has no menu item or button";
        for (const InertItem& row : kInertItems)
            EXPECT_FALSE(m_frame->HasCommandHandler(row.id) && m_frame->QueryCommandState(row.id).m_bEnabled)
                << row.id << ": " << row.reason;
    }
};

TEST_F(FrameMenuWalkTest, EveryItemRunsACommandInFiveStates) {
    CheckState("at start");

    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    ASSERT_EQ(g_nCaseCount, 3);
    UseVoltageConversion();
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    CheckState("cases found");

    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 3; }));
    CheckState("sampling");
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());

    m_frame->CloseAllChildWindows();
    ProcessEventsUntil([] { return false; }, 200);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    CheckState("stored data with a history window");

    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    CheckState("with a table window");
}

} // namespace
