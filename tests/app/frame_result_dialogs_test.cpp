// The rosette and residual-stress group dialogs run from the frame on a
// stored run: 应变花设置 from the settings menu computes the run's result
// files from its dialog and keeps its groups in the project's ".sfc" and in
// the frame, and a curve window showing rosette results offers the groups and
// reads their results again after it; the residual-stress command, kept out
// of the menus, keeps its groups in the project's ".rsc".
// The channel tables' header comes before any Qt header: the online layout
// has a member named like one of Qt's keywords.
#include "datafiles/AppTables.h"

#include "FrameRunFixture.h"

#include "app/ChildFrame.h"
#include "app/CommandStates.h"
#include "datafiles/GroupSettingsFile.h"
#include "datafiles/ResultFiles.h"
#include "model/ChannelNaming.h"
#include "panels/data/DlgResidualStress.h"
#include "panels/data/DlgSaveDataOption.h"
#include "panels/data/DlgStrainRosette.h"
#include "project/OpenViewCounters.h"
#include "views/curve/CurveViewWidget.h"
#include "views/curve/DlgPlotSignalSelect.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr int kStored = 3;

class FrameResultDialogsTest : public FrameRunTest {
protected:
    // A stored run whose first four channels are strain gauges.
    void StoreRunWithGauges() {
        FindCasesAndPrepareProject();
        StoreTimedRun(kStored);
        for (int i = 0; i < 4; ++i)
            g_ChannelParams[g_ChannelList[i]].nMeasureType = 0;
    }
    static void Choose(QWidget& dialog, int id, int channel) {
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("id%1").arg(id));
        ASSERT_NE(combo, nullptr) << id;
        combo->setCurrentIndex(combo->findText(QString::fromStdString(FormatChannelName(channel))));
        ASSERT_GE(combo->currentIndex(), 0) << "channel " << channel << " is offered";
    }
    static void Press(QWidget& dialog, const QString& name) {
        auto* button = dialog.findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name.toStdString();
        button->click();
    }
    std::string ProjectFile(const char* name) { return m_scratch.File(std::string("Projects/Run/") + name); }

    struct NewGroup {
        int kind;
        std::vector<int> gauges; // places in the channel list
    };
    // 应变花设置 from its menu item: the groups are added, the run's results
    // computed and the dialog closed with OK; true when the computation ended.
    bool DefineRosettes(const std::vector<NewGroup>& groups) {
        QAction* settings = MenuItem("设置", ID_ROSETTE_SETTINGS);
        if (settings == nullptr || !settings->isEnabled())
            return false;
        bool computed = false;
        WhenModal<CDlgStrainRosette>(m_frame, [&](CDlgStrainRosette& dialog) {
            for (const NewGroup& group : groups) {
                dialog.findChild<QComboBox*>("id1098")->setCurrentIndex(group.kind);
                for (std::size_t g = 0; g < group.gauges.size(); ++g)
                    Choose(dialog, 1102 + int(g), g_ChannelList[group.gauges[g]]);
                Press(dialog, "id1099");
            }
            Press(dialog, "id1380");
            computed = ProcessEventsUntil([&] { return !dialog.IsComputing(); }, 20000);
            Press(dialog, "ok");
        });
        settings->trigger();
        return computed;
    }

    // The rosette groups the curve window's signal selection offers under
    // "应变花"; with choose the first is taken and the dialog closed with OK.
    static QStringList OfferedRosettes(CCurveViewWidget& view, bool choose) {
        QStringList offered;
        view.runSignalDialog = [&offered, choose](CDlgPlotSignalSelect& dialog) {
            dialog.KindButton(2)->click();
            for (int row = 0; row < dialog.Available()->count(); ++row)
                offered << dialog.Available()->item(row)->text();
            if (!choose || offered.isEmpty())
                return int(QDialog::Rejected);
            dialog.Available()->item(0)->setSelected(true);
            dialog.AddSelected();
            dialog.TryAccept();
            return dialog.result();
        };
        EXPECT_TRUE(TriggerContextItem(view, ID_SELECT_SIGNALS));
        return offered;
    }

    // A new curve window showing the results of rosette group 1, the only group.
    CCurveViewWidget& OpenRosetteWindow() {
        EXPECT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
        CCurveViewWidget& view = *CCurveViewWidget::CurveViews().back();
        EXPECT_EQ(OfferedRosettes(view, true), QStringList{"应变花组_1:1"});
        EXPECT_EQ(view.Model().m_nLineType, 2);
        EXPECT_EQ(view.Model().GetChannelIDs(), std::vector<int>{1});
        return view;
    }

    void ExpectRosetteResults(const CCurveViewModel& m, int group) {
        const std::vector<float> results = RosetteColumn(group);
        ASSERT_GE(m.PointCount(), kStored);
        for (int i = 0; i < kStored; ++i)
            EXPECT_FLOAT_EQ(m.PointValue(0, i), results[std::size_t(i)]) << "sample " << i;
    }

    // The stored results of a rosette group that a curve shows: value 0 over the run.
    std::vector<float> RosetteColumn(int group) {
        std::vector<float> values(kStored);
        EXPECT_TRUE(
            ReadResultColumn(RosetteResults(), ProjectFile("Run.dat"), group, 0, kStored, 0, values.data()));
        return values;
    }
};

TEST_F(FrameResultDialogsTest, RosetteSettingsComputeTheRunAndKeepTheGroupsInTheProject) {
    StoreRunWithGauges();
    EXPECT_TRUE(DefineRosettes({{0, {0, 1}}, {1, {2, 3, 0}}}))
        << "the computation's end restores the controls";

    const std::uintmax_t size = sizeof(RosetteGroupRecord) + kStored * sizeof(RosetteResultRecord);
    EXPECT_EQ(std::filesystem::file_size(ProjectFile("Run1.sfd")), size);
    EXPECT_EQ(std::filesystem::file_size(ProjectFile("Run2.sfd")), size);
    const std::vector<RosetteGroupRecord>& groups = m_frame->GetProjectState().m_RosetteGroups;
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[1].type, 1);
    EXPECT_EQ(groups[1].Channel[2], g_ChannelList[0]);
    const std::vector<RosetteGroupRecord> stored =
        ReadRosetteGroups(ProjectFile("Run.sfc"), CAppChannelTable());
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(std::memcmp(stored.data(), groups.data(), 2 * sizeof(RosetteGroupRecord)), 0);

    WhenModal<CDlgStrainRosette>(m_frame, [](CDlgStrainRosette& dialog) {
        EXPECT_EQ(dialog.GetGroups().size(), 2u) << "the dialog opens on the project's groups";
        Press(dialog, "cancel");
    });
    MenuItem("设置", ID_ROSETTE_SETTINGS)->trigger();
}

TEST_F(FrameResultDialogsTest, ARosetteCurveWindowOffersTheGroupsAndReadsThemAgainAfterTheSettings) {
    StoreRunWithGauges();
    ASSERT_TRUE(DefineRosettes({{0, {0, 1}}}));
    CCurveViewWidget& view = OpenRosetteWindow();
    CChildFrame* child = m_frame->GetActiveChildFrame();
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->windowTitle().contains("应变花组_1:1")) << child->windowTitle().toStdString();
    ExpectRosetteResults(view.Model(), 1);

    // What the curve holds is overwritten: after the settings' OK the window
    // holds the group's results again and offers the new group.
    std::fill_n(view.Model().m_Curves.front().m_Values.begin(), kStored, 12345.0f);
    ASSERT_TRUE(DefineRosettes({{1, {2, 3, 0}}}));
    ExpectRosetteResults(view.Model(), 1);
    EXPECT_EQ(OfferedRosettes(view, false), (QStringList{"应变花组_1:1", "应变花组_2:2"}));
}

TEST_F(FrameResultDialogsTest, TheProjectOpenedAgainBringsItsRosetteWindowBack) {
    StoreRunWithGauges();
    ASSERT_TRUE(DefineRosettes({{0, {0, 1}}}));
    OpenRosetteWindow();
    m_frame->GetProjectHandler().CloseProject();
    ASSERT_TRUE(CCurveViewWidget::CurveViews().empty());

    m_app->GetProjectFileDialog().SetChooser(
        [this](bool, const std::string&, const std::string&) { return ProjectFile("Run.dap"); });
    m_app->OnFileOpenProject();
    ASSERT_EQ(CCurveViewWidget::CurveViews().size(), 1u);
    CCurveViewWidget& view = *CCurveViewWidget::CurveViews().front();
    ASSERT_EQ(view.Model().m_nLineType, 2);
    ExpectRosetteResults(view.Model(), 1);
    EXPECT_TRUE(m_frame->GetActiveChildFrame()->windowTitle().contains("应变花组_1:1"));
    EXPECT_EQ(OfferedRosettes(view, false), QStringList{"应变花组_1:1"});
}

TEST_F(FrameResultDialogsTest, ARosetteWindowSavesItsGroupsResultsAsASpreadsheet) {
    StoreRunWithGauges();
    ASSERT_TRUE(DefineRosettes({{0, {0, 1}}}));
    OpenRosetteWindow();
    const std::string exported = m_scratch.File("rosette.xls");
    m_frame->SetFileChooser(
        [&](bool save, const std::string&, const std::string&, const std::string&, std::string& path) {
            path = exported;
            return save;
        });
    // The options dialog lists the project's group, chosen as the window's.
    QStringList chosen;
    WhenModal<CDlgSaveDataOption>(m_frame, [&chosen](CDlgSaveDataOption& dialog) {
        auto* list = dialog.findChild<QListWidget*>("chosen");
        for (int row = 0; row < list->count(); ++row)
            chosen << list->item(row)->text();
        dialog.findChild<QRadioButton*>("oneFile")->setChecked(true);
        // Nothing to save would keep the dialog open: close it, so that the checks below fail.
        if (chosen.isEmpty())
            dialog.reject();
        else
            dialog.accept();
    });
    QAction* save = MenuItem("文件", ID_SAVE_AS_EXCEL);
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(save->isEnabled());
    save->trigger();
    EXPECT_EQ(chosen, QStringList{"组01:1(两片直角)"});
    std::ifstream in(exported, std::ios::binary);
    const std::string text = platform::GbkToUtf8(std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_NE(text.find("组1(两片直角)"), std::string::npos) << "the group's heading names its kind:\n"
                                                             << text;
}

TEST_F(FrameResultDialogsTest, ResidualStressStaysOutOfTheMenusAndKeepsItsGroupsInTheProject) {
    StoreRunWithGauges();
    for (QAction* top : m_frame->menuBar()->actions())
        if (top->menu() != nullptr)
            for (QAction* item : top->menu()->actions())
                EXPECT_NE(item->data().toInt(), ID_RESIDUAL_STRESS);
    WhenModal<CDlgResidualStress>(m_frame, [](CDlgResidualStress& dialog) {
        Choose(dialog, 1102, g_ChannelList[0]);
        Choose(dialog, 1103, g_ChannelList[1]);
        Choose(dialog, 1104, g_ChannelList[2]);
        Press(dialog, "id1099");
        Press(dialog, "ok");
    });
    ASSERT_TRUE(m_frame->RunCommand(ID_RESIDUAL_STRESS));
    ASSERT_EQ(m_frame->GetProjectState().m_ResidualGroups.size(), 1u);
    const std::vector<ResidualStressGroupRecord> stored =
        ReadResidualGroups(ProjectFile("Run.rsc"), CAppChannelTable());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].Channel[2], g_ChannelList[2]);
}

} // namespace
