// The rosette and residual-stress group dialogs run from the frame on a
// stored run: 应变花设置 from the settings menu computes the run's result
// files from its dialog and keeps its groups in the project's ".sfc" and in
// the frame; the residual-stress command, kept out of the menus, keeps its
// groups in the project's ".rsc".
// The channel tables' header comes before any Qt header: the online layout
// has a member named like one of Qt's keywords.
#include "datafiles/AppTables.h"

#include "FrameRunFixture.h"

#include "app/ChannelNaming.h"
#include "app/CommandStates.h"
#include "datafiles/GroupSettingsFile.h"
#include "datafiles/ui/DlgResidualStress.h"
#include "datafiles/ui/DlgStrainRosette.h"

#include <QComboBox>
#include <QPushButton>

#include <cstring>
#include <filesystem>

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
};

TEST_F(FrameResultDialogsTest, RosetteSettingsComputeTheRunAndKeepTheGroupsInTheProject) {
    StoreRunWithGauges();
    QAction* settings = MenuItem("设置", ID_ROSETTE_SETTINGS);
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(settings->isEnabled());
    bool computed = false;
    WhenModal<CDlgStrainRosette>(m_frame, [&computed](CDlgStrainRosette& dialog) {
        dialog.findChild<QComboBox*>("id1098")->setCurrentIndex(0);
        Choose(dialog, 1102, g_ChannelList[0]);
        Choose(dialog, 1103, g_ChannelList[1]);
        Press(dialog, "id1099");
        dialog.findChild<QComboBox*>("id1098")->setCurrentIndex(1);
        Choose(dialog, 1102, g_ChannelList[2]);
        Choose(dialog, 1103, g_ChannelList[3]);
        Choose(dialog, 1104, g_ChannelList[0]);
        Press(dialog, "id1099");
        Press(dialog, "id1380");
        computed = ProcessEventsUntil([&] { return !dialog.IsComputing(); }, 20000);
        Press(dialog, "ok");
    });
    settings->trigger();
    EXPECT_TRUE(computed) << "the computation's end restores the controls";

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
    settings->trigger();
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
