// The main frame's menus, tool bars and status bar, and the command states
// they show: menu items follow their states when a menu opens, tool-bar
// buttons on a short timer, as the framework does on idle.
#include "app/MainFrame.h"

#include "app/CommandStates.h"
#include "app/FrameCommands.h"
#include "app/ToolBarRows.h"
#include "project/ProjectDocument.h"
#include "project/RecentProjectList.h"
#include "tooltip/TipPictureStore.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr int kSeparator = 0;
constexpr int kIdleUpdateMs = 250;
constexpr int kStatusPaneWidth = 200;

} // namespace

QAction* CMainFrame::MakeAction(int id, const QString& text) {
    if (QAction* existing = GetAction(id)) {
        return existing;
    }
    const QString menuText = text.isEmpty() ? FrameCommandMenuText(id) : text;
    auto* action = new QAction(menuText, this);
    action->setData(id);
    // Buttons show the command without its mnemonic and accelerator.
    QString buttonText = menuText.section('\t', 0, 0);
    buttonText = buttonText.left(buttonText.indexOf("(")).remove("...");
    action->setIconText(buttonText.isEmpty() ? menuText : buttonText);
    const QString accelerator = menuText.section('\t', 1);
    if (!accelerator.isEmpty()) {
        action->setShortcut(QKeySequence(accelerator));
    }
    // A command string of the string table: line 0 the status-bar prompt, line 1 the button's tip.
    const CTipPictureStore& strings = CTipPictureStore::Instance();
    const std::string prompt = strings.GetResourceStringLine(id, 0);
    const std::string tip = strings.GetResourceStringLine(id, 1);
    if (!prompt.empty())
        action->setStatusTip(QString::fromStdString(prompt));
    if (!tip.empty())
        action->setToolTip(QString::fromStdString(tip));
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    m_actions[id] = action;
    return action;
}

void CMainFrame::AddItems(QMenu* menu, const std::vector<int>& ids) {
    for (int id : ids) {
        if (id == kSeparator) {
            menu->addSeparator();
        } else {
            menu->addAction(MakeAction(id, QString()));
        }
    }
}

void CMainFrame::UpdateMenu(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        bool ok = false;
        const int id = action->data().toInt(&ok);
        if (ok && id != 0 && GetAction(id) == action) {
            ApplyCommandState(action, QueryCommandState(id));
        }
    }
}

void CMainFrame::CreateMenus() {
    const auto addMenu = [this](const char* title, const std::vector<int>& ids) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
        AddItems(menu, ids);
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
        return menu;
    };
    QMenu* file =
        addMenu("文件(&F)", {57600, 57601, kSeparator, 32829, kSeparator, 32877, 32878, kSeparator});
    // The active table view's exports.
    QMenu* saveAs = file->addMenu("另存为(&A)");
    AddItems(saveAs, {32830, 32847, 32887, 32846});
    connect(saveAs, &QMenu::aboutToShow, this, [this, saveAs] { UpdateMenu(saveAs); });
    AddItems(file, {kSeparator, 32819, 57607, 57609, kSeparator});
    for (int n = 0; n < RECENT_PROJECT_COUNT; ++n) {
        MakeAction(ID_FILE_MRU_FIRST + n, QString())->setVisible(false);
        file->addAction(GetAction(ID_FILE_MRU_FIRST + n));
    }
    AddItems(file, {kSeparator, ID_APP_EXIT});
    addMenu("查看(&V)",
            {59392,      59393, 32776, 32812, 32814, 32828, kSeparator, 32885, 32930,      32886, 32931,
             kSeparator, 32822, 32823, 32824, 32825, 32826, 32933,      32821, kSeparator, 32874, 32901});
    addMenu("数据(&D)",
            {32800, 32801, 32802, 32803, kSeparator, 32809, 32810,      kSeparator, 32799, 32804, 32805,
             32806, 32807, 32818, 32859, 32861,      32854, kSeparator, 32853,      32844, 32837, 32839});
    addMenu("控制(&C)", {32794, kSeparator, 32792, 32841, 32842,      32949, 32950, kSeparator,
                         32788, 32789,      32791, 32920, kSeparator, 32866, 32868, kSeparator,
                         32905, 32906,      32915, 32916, kSeparator, 32948});
    QMenu* settings = addMenu(
        "设置(&S)", {32862, 32929, 32896, kSeparator, 32831, 32834, 32945, 32903, 32889, kSeparator, 32959});
    QMenu* digital = settings->addMenu("数字传感器通道");
    AddItems(digital, {ID_DIGITAL_CHANNEL_SETTINGS});
    connect(digital, &QMenu::aboutToShow, this, [this, digital] { UpdateMenu(digital); });
    QMenu* window = addMenu("窗口(&W)", {32773, 32774, 32775, 32881, kSeparator, 32790, kSeparator});
    QMenu* style = window->addMenu("风格");
    AddItems(style, {32907, 32908, 32909, 32910, 32911});
    connect(style, &QMenu::aboutToShow, this, [this, style] { UpdateMenu(style); });
    addMenu("帮助(&H)", {32869, 57664});
}

void CMainFrame::CreateToolBars() {
    const auto addBar = [this](const char* title, const char* name, const std::vector<int>& ids) {
        QToolBar* bar = addToolBar(QString::fromUtf8(title));
        bar->setObjectName(name);
        bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
        for (int id : ids) {
            if (id == kSeparator) {
                bar->addSeparator();
            } else {
                bar->addAction(MakeAction(id, QString()));
            }
        }
        m_toolBars.push_back(bar);
        return bar;
    };
    addBar("工具栏", "MainToolBar",
           {57600, 57601, kSeparator, 32794, 32792, 32949, 32950, kSeparator, 32773, 32774, 32775, 32881,
            32938, 32941, 32943, 32944});
    QToolBar* graph = addBar("图形属性栏", "GraphAttributeBar", {});
    auto* graphButton = new QToolButton(graph);
    graphButton->setDefaultAction(MakeAction(ID_GRAPH_PROPERTIES, QString()));
    graphButton->setPopupMode(QToolButton::MenuButtonPopup);
    graph->addWidget(graphButton);
    InstallGraphBarPopup();
    addBar("采样控制栏", "SampleControlBar", {32788, 32789, 32791, kSeparator, 32866, 32868, 32920});
    addBar("数据浏览栏", "DataBrowseBar",
           {32800, 32801, 32802, 32803, kSeparator, 32804, 32805, 32806, 32807, 32818, kSeparator, 32848});
    // These buttons are never shown.
    for (int id : {32941, 32943, 32944}) {
        GetAction(id)->setVisible(false);
    }
    // As many rows as the window's width needs: every button stays in reach.
    new CToolBarRows(*this, m_toolBars);
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, [this] { UpdateCommandStates(); });
    idle->start(kIdleUpdateMs);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar");
    bar->setWindowTitle("状态栏");
    m_pStatusText = new QLabel(bar);
    bar->addWidget(m_pStatusText, 1);
    for (int id : {900, 901}) {
        // A pane keeps its size while its counts change, so that the status
        // bar is not laid out again at every count (see SetPaneText).
        auto* pane = new QLabel(bar);
        pane->setFixedSize(kStatusPaneWidth, pane->sizeHint().height());
        bar->addPermanentWidget(pane);
        m_statusPanes[id] = pane;
    }
}

void CMainFrame::RegisterShellCommands() {
    for (int id : AlwaysDisabledCommands()) {
        OnCommand(
            id, [] {}, [](CCmdUI& ui) { ui.Enable(false); });
    }
    OnCommand(ID_APP_EXIT, [this] { close(); });
    OnCommand(
        ID_VIEW_TOOLBAR, [this] { GetToolBar(0)->setVisible(!GetToolBar(0)->isVisible()); },
        [this](CCmdUI& ui) { ui.SetCheck(GetToolBar(0)->isVisible()); });
    OnCommand(
        ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(!statusBar()->isVisible()); },
        [this](CCmdUI& ui) { ui.SetCheck(statusBar()->isVisible()); });
}
