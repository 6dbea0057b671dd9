// Walks every item of the frame's menus and tool bars in five states of the
// program (at start; cases found; sampling; stored data with a history
// window; with a table window): every enabled item runs a command of the
// frame that does something a user can see or find, an item kept inert is
// never enabled, and the commands that must be reachable have an item. The
// items kept inert are listed in one table below with the reason; remove a
// row when its command becomes live.
#include "CommandEffects.h"
#include "FrameRunFixture.h"

#include "acquisition/LeadWireSelfTest.h"
#include "project/OpenViewCounters.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <algorithm>
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

// Enabled items the walk does not run, because they end the state it walks
// (other frame tests drive them and check what they do).
const InertItem kNotRunByTheWalk[] = {
    {ID_APP_EXIT, "退出: ends the program"},
    {ID_CLOSE_ALL_WINDOWS, "关闭所有窗口: closes the windows of the state"},
    {ID_DETECT_CASE, "检测采集箱: finds the cases, the walk's next state"},
    {ID_START_SAMPLE, "开始采样: starts a run (frame_sampling_test)"},
    {ID_STOP_SAMPLE, "停止采样: ends the run (frame_sampling_test)"},
};

// Enabled items that rightly change nothing a user could see in one state of
// the walk (nullptr: in every state), with the reason.
struct QuietItem {
    int id;
    const char* state;
    const char* reason;
};
const QuietItem kQuietItems[] = {
    {32886, nullptr,
     "表格数据分页: pages the table views that show measured values and has no check mark; the walk's "
     "states have none (frame_table_commands_test drives it)"},
    {32931, nullptr, "表格数据IP分页: as 表格数据分页"},
    {32930, "at start", "通道参数栏IP分页: with no controller connected it only keeps paging by IP off"},
    {32885, "sampling",
     "通道参数栏分页: pages the channel bar, whose picture a running walk does not compare"},
    {32930, "sampling", "通道参数栏IP分页: as 通道参数栏分页"},
    {32854, "stored data with a history window",
     "恢复到默认状态: the walk's zoom in and zoom out leave the view at its defaults already"},
    {32844, "with a table window",
     "数据修正: corrects a channel of a history or curve view; a table has none"},
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

    std::unique_ptr<CommandEffects> m_effects;

    static bool Quiet(int id, const char* state) {
        return std::any_of(std::begin(kQuietItems), std::end(kQuietItems), [&](const QuietItem& row) {
            return row.id == id && (row.state == nullptr || std::string(row.state) == state);
        });
    }

    static bool Listed(const InertItem* begin, const InertItem* end, int id) {
        return std::any_of(begin, end, [id](const InertItem& row) { return row.id == id; });
    }

    // Runs the item as a click does and fails when nothing a user could see
    // or find changed; then puts back what the command changed in the
    // frame's windows, so that the next item runs in the same state.
    void RunItem(int id, QAction* action, bool running) {
        QMdiArea* area = m_frame->GetMdiArea();
        const QList<QMdiSubWindow*> windowsBefore = area->subWindowList();
        QMdiSubWindow* activeBefore = area->activeSubWindow();
        const bool canStart = m_frame->GetSampling().m_bCanStartSample.load();
        m_frame->UpdateCommandStates();
        const CommandEffects::Snapshot before = m_effects->Take(running);
        action->trigger();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        m_frame->UpdateCommandStates();
        const CommandEffects::Snapshot after = m_effects->Take(running);
        EXPECT_FALSE(after.ChangedSince(before).empty())
            << id << " \"" << action->text().toStdString() << "\" is enabled but does nothing";
        if (after.checks != before.checks || after.barsShown != before.barsShown)
            action->trigger(); // a switch: back as it was
        // Work the command started (a balance, a measurement) ends first.
        CSamplingControl& sampling = m_frame->GetSampling();
        if (canStart)
            EXPECT_TRUE(ProcessEventsUntil(
                [&] {
                    return sampling.m_bCanStartSample.load() && !sampling.IsBalanceRunning() &&
                           !sampling.IsThreadRunning() && !m_frame->GetLeadWireTest().IsBusy();
                },
                20000))
                << id << " left the frame busy";
        for (QMdiSubWindow* window : area->subWindowList())
            if (!windowsBefore.contains(window))
                window->close();
        if (activeBefore != nullptr && area->subWindowList().contains(activeBefore))
            area->setActiveSubWindow(activeBefore);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    void CheckState(const char* state, bool running = false) {
        SCOPED_TRACE(state);
        if (!m_effects)
            m_effects = std::make_unique<CommandEffects>(*m_frame, m_boxes, m_scratch.ProgramFolder());
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
        for (const auto& [id, action] : items) {
            if (Listed(std::begin(kInertItems), std::end(kInertItems), id) ||
                Listed(std::begin(kNotRunByTheWalk), std::end(kNotRunByTheWalk), id))
                continue;
            m_frame->UpdateCommandStates();
            if (action->isEnabled() && action->isVisible() && !Quiet(id, state))
                RunItem(id, action, running);
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
    CheckState("sampling", true);
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
