// The frame's command-state rules, its styles and the pruning of its popups.
#include "app/CommandStates.h"
#include "app/MenuPruning.h"

#include "ShellQtApp.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Row {
    const char* what;
    int id;
    std::function<void(FrameCommandState&)> set;
    bool enabled;
    bool checked = false;
    bool removed = false;
    bool touchesEnabled = true;
};

const Row kRows[] = {
    {"balance shown without results", 32822, [](auto&) {}, false},
    {"balance results in use", 32823, [](auto& s) { s.bBalanceResultsInUse = true; }, true},
    {"correction needs data", 32844, [](auto& s) { s.nMeasuredChannels = 3; }, false},
    {"correction needs a measured channel", 32844, [](auto& s) { s.nProjectState = 2; }, false},
    {"correction with both", 32844,
     [](auto& s) {
         s.nProjectState = 3;
         s.nMeasuredChannels = 1;
     },
     true},
    {"measured data from the live counter", 32824, [](auto& s) { s.nRelatedDataCount = 1; }, true},
    {"measured data without any", 32824, [](auto&) {}, false},
    {"rosettes need a group", 32825, [](auto& s) { s.nStoredDataCount = 5; }, false},
    {"rosettes with data and a group", 32825,
     [](auto& s) {
         s.nStoredDataCount = 5;
         s.nRosetteGroups = 1;
     },
     true},
    {"history needs stored data", 32826, [](auto& s) { s.nRelatedDataCount = 9; }, false},
    {"sync with stored data", 32833, [](auto& s) { s.nStoredDataCount = 1; }, true},
    {"save-as while sampling", 32846,
     [](auto& s) {
         s.nProjectState = 2;
         s.bSampling = true;
     },
     false},
    {"save-as with data", 32887, [](auto& s) { s.nProjectState = 2; }, true},
    {"save-as of a new project", 32830, [](auto& s) { s.nProjectState = 1; }, false},
    {"locate while its window shows", 32799, [](auto& s) { s.bDataLocateVisible = true; }, false},
    {"locate while paused", 32799, [](auto& s) { s.bPaused = true; }, false},
    {"locate", 32799, [](auto&) {}, true},
    {"new project while paused", 57600, [](auto& s) { s.bPaused = true; }, false},
    {"open project", 57601, [](auto&) {}, true},
    {"page setup while sampling", 32819, [](auto& s) { s.bSampling = true; }, false},
    {"saving on in a single run", 32866,
     [](auto& s) {
         s.bSampling = true;
         s.nSampleMode = 1;
     },
     false},
    {"saving off in a continuous run", 32868,
     [](auto& s) {
         s.bSampling = true;
         s.nSampleMode = 2;
         s.bSaveRealtimeData = 0;
     },
     true, true},
    {"saving outside a run", 32866, [](auto&) {}, true, false, false, false},
    {"theory values go", 32934, [](auto&) {}, false, false, true},
    {"spectrum window without the option", 32938, [](auto& s) { s.nSpectrumFlag = 1; }, false},
    {"spectrum window with 8 open", 32938,
     [](auto& s) {
         s.bSoftwareSpectrum = true;
         s.nSpectrumFlag = 1;
         s.nSpectrumWindows = 8;
     },
     false},
    {"spectrum windows and data windows make 16", 32938,
     [](auto& s) {
         s.bSoftwareSpectrum = true;
         s.nSpectrumFlag = 1;
         s.nSpectrumWindows = 7;
         s.nDataWindows = 9;
     },
     false},
    {"spectrum window", 32938,
     [](auto& s) {
         s.bSoftwareSpectrum = true;
         s.nSpectrumFlag = 1;
         s.nSpectrumWindows = 7;
         s.nDataWindows = 8;
     },
     true},
    {"spectrum analysis without the option", 32945, [](auto&) {}, false, false, true},
    {"spectrum analysis on while sampling", 32945,
     [](auto& s) {
         s.bSoftwareSpectrum = true;
         s.nSpectrumFlag = 1;
         s.bSampling = true;
     },
     false, true},
    {"search while a run is paused", 32794, [](auto& s) { s.bPaused = true; }, false},
    {"search before the listener is ready", 32794, [](auto& s) { s.bListenerReady = false; }, false},
    {"search", 32794, [](auto&) {}, true},
    {"module window shown", 32901, [](auto& s) { s.bModuleInfoVisible = true; }, true, true},
    {"coefficients without debug", 32903, [](auto& s) { s.bCasesFound = true; }, false},
    {"coefficients during a run", 32903,
     [](auto& s) {
         s.bSoftwareDebug = true;
         s.bCasesFound = true;
         s.bSampling = true;
     },
     false},
    {"coefficients", 32903,
     [](auto& s) {
         s.bSoftwareDebug = true;
         s.bCasesFound = true;
     },
     true},
    {"mapping without a connection", 32929, [](auto&) {}, false},
    {"network settings with one", 32896, [](auto& s) { s.nConnectionCount = 1; }, true},
    {"graph bar hidden", 32812, [](auto& s) { s.bGraphBarVisible = false; }, true, false},
    {"channel pane open", 32828, [](auto&) {}, true, true},
    {"Office 2003 at start", 32908, [](auto&) {}, true, true},
    {"Office XP at start", 32909, [](auto&) {}, true, false},
    {"Office 2000 with docking theme 0", 32907, [](auto& s) { s.nDockingTheme = 0; }, true, true},
};

TEST(FrameCommandStates, FollowTheFramesState) {
    for (const Row& row : kRows) {
        FrameCommandState state;
        row.set(state);
        const CommandStateResult result = GetFrameCommandState(row.id, state);
        SCOPED_TRACE(row.what);
        EXPECT_TRUE(result.bHandled);
        EXPECT_EQ(result.bSetEnabled, row.touchesEnabled);
        if (row.touchesEnabled) {
            EXPECT_EQ(result.bEnabled, row.enabled);
        }
        EXPECT_EQ(result.bChecked, row.checked);
        EXPECT_EQ(result.bRemoveFromMenu, row.removed);
    }
    EXPECT_FALSE(GetFrameCommandState(32788, FrameCommandState{}).bHandled);
}

TEST(FrameCommandStates, StylesMapToTheirThemes) {
    EXPECT_EQ(FrameStyleOf(2).nDockingTheme, 5);
    EXPECT_EQ(FrameStyleOf(0).nPaintTheme, 0);
    EXPECT_EQ(FrameStyleOf(0).nDockingTheme, 1);
    EXPECT_EQ(FrameStyleOf(17).nCommand, 32911) << "any other value is Visual Studio 2005";
    EXPECT_EQ(FrameStyleOfCommand(32910)->nStyle, 3);
    EXPECT_EQ(FrameStyleOfCommand(1), nullptr);
}

class MenuPruningTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureShellQtApp(); }

    QAction* Add(QMenu& menu, int id) {
        QAction* action = menu.addAction(QString::number(id));
        action->setData(id);
        return action;
    }
    static std::vector<int> Items(const QMenu& menu) {
        std::vector<int> ids;
        for (QAction* action : menu.actions())
            ids.push_back(action->menu() ? -2 : action->isSeparator() ? -1 : action->data().toInt());
        return ids;
    }
};

TEST_F(MenuPruningTest, RemovesTheFirstOwnItemAndItsNeighbour) {
    QMenu menu;
    QMenu* sub = menu.addMenu("sub");
    Add(*sub, 7);
    Add(menu, 1);
    menu.addSeparator();
    Add(menu, 7);
    Add(menu, 7);
    Add(menu, 2);

    RemoveMenuItemById(&menu, 7, true, true); // the first own 7 and the separator before it
    EXPECT_EQ(Items(menu), (std::vector<int>{-2, 1, 7, 2}));
    RemoveMenuItemById(&menu, 7, true, false); // the second 7 and the item after it, whatever it is
    EXPECT_EQ(Items(menu), (std::vector<int>{-2, 1}));
    EXPECT_EQ(sub->actions().size(), 1) << "submenus are not searched";
    RemoveMenuItemById(&menu, 99, true, false);
    RemoveMenuItemById(&menu, -1, false, false);
    RemoveMenuItemById(nullptr, 1, false, false);
    EXPECT_EQ(Items(menu), (std::vector<int>{-2, 1}));
}

TEST_F(MenuPruningTest, TheFramesPopupsLoseTheCommandsThatNeverRun) {
    QMenu menu;
    Add(menu, 32843); // 事件采样设置, with the separator after it
    menu.addSeparator();
    Add(menu, 32831);
    menu.addSeparator();
    Add(menu, 32953); // 联机通讯设置, with the separator before it
    Add(menu, 32889);
    Add(menu, 32903);
    QMenu* digital = menu.addMenu("数字传感器通道");
    Add(*digital, ID_DIGITAL_CHANNEL_SETTINGS);

    MenuPruneOptions debugDigital;
    debugDigital.bSoftwareDebug = true;
    debugDigital.bDigitalUsed = true;
    QMenu copy;
    for (QAction* action : menu.actions())
        copy.addAction(action);
    PruneFrameMenu(&copy, debugDigital);
    EXPECT_EQ(Items(copy), (std::vector<int>{32831, 32889, 32903}))
        << "without the digital library the submenu goes, 数字量设置 stays while digital channels are used";

    MenuPruneOptions loaded = debugDigital;
    loaded.bDigitalLibraryLoaded = true;
    PruneFrameMenu(&menu, loaded);
    EXPECT_EQ(Items(menu), (std::vector<int>{32831, 32903, -2}));
    PruneFrameMenu(&menu, loaded);
    EXPECT_EQ(Items(menu), (std::vector<int>{32831, 32903, -2})) << "a pruned popup loses nothing more";
    PruneFrameMenu(&menu, MenuPruneOptions{});
    EXPECT_EQ(Items(menu), (std::vector<int>{32831}));
}

} // namespace
