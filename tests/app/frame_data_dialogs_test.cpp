// The data dialogs reached from the frame's settings menu, driven as a user
// would: the storage rule edited in its dialog and kept in the profile.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>

#include "ShellTestSupport.h"
#include "app/CommandStates.h"
#include "app/MainFrame.h"
#include "app/QV7411N_NewFrameApp.h"
#include "datafiles/VirtualChannelEdit.h"
#include "model/AppSettings.h"
#include "model/RunFlags.h"
#include "model/VirtualChannelFile.h"
#include "panels/channels/MsExternGrid.h"
#include "panels/data/DlgStorageRule.h"
#include "panels/data/DlgVirtualChannel.h"
#include "platform/MessageBox.h"
#include "platform/RegistryProfile.h"
#include "views/curve/DlgZeroSetting.h"

namespace {

class FrameDataDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
        ASSERT_TRUE(m_app->InitInstance());
        m_frame = m_app->GetMainFrame();
    }
    void TearDown() override {
        g_bSampling = 0;
        if (m_frame != nullptr)
            m_frame->close();
        m_app->ExitInstance();
    }

    // The action of a command in the named top-level menu.
    QAction* MenuAction(const QString& menuTitle, int id) {
        for (QAction* top : m_frame->menuBar()->actions()) {
            if (top->menu() == nullptr || top->text() != menuTitle)
                continue;
            for (QAction* item : top->menu()->actions()) {
                if (item->data().toInt() == id)
                    return item;
            }
        }
        return nullptr;
    }

    ShellScratch m_scratch;
    platform::MessageBoxRecorder m_boxes;
    std::unique_ptr<CQV7411N_NewFrameApp> m_app;
    CMainFrame* m_frame = nullptr;
};

TEST_F(FrameDataDialogsTest, StorageRuleFromTheSettingsMenuIsSavedOnOk) {
    QAction* action = MenuAction(QString::fromUtf8("设置(&S)"), ID_STORAGE_RULE);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), QString::fromUtf8("数据存储规则(&R)"));
    g_bSampling = 1;
    EXPECT_FALSE(m_frame->QueryCommandState(ID_STORAGE_RULE).m_bEnabled) << "not while a run samples";
    g_bSampling = 0;
    ASSERT_TRUE(m_frame->QueryCommandState(ID_STORAGE_RULE).m_bEnabled);

    WhenModal<CDlgStorageRule>(m_frame, [](CDlgStorageRule& dialog) {
        auto* prefix = dialog.findChild<QLineEdit*>("prefix");
        prefix->setText("Bridge");
        emit prefix->textEdited("Bridge");
        dialog.findChild<QCheckBox*>("autoName")->click();
        auto* editor = dialog.findChild<QLineEdit*>("pathEditor");
        editor->setText("/srv/runs");
        emit editor->textEdited("/srv/runs");
        dialog.findChild<QPushButton*>("ok")->click();
    });
    action->trigger();

    platform::CRegistryProfile& profile = AppRegistryProfile();
    EXPECT_EQ(profile.GetProfileString("StorageRule", "ProjectName", ""), "Bridge");
    EXPECT_EQ(profile.GetProfileInt("StorageRule", "bAutoName", 0), 1);
    StorageRuleSettings saved;
    LoadStorageRule(profile, saved);
    EXPECT_EQ(StoragePath(saved, 0), "/srv/runs");

    WhenModal<CDlgStorageRule>(m_frame, [](CDlgStorageRule& dialog) {
        auto* prefix = dialog.findChild<QLineEdit*>("prefix");
        EXPECT_EQ(prefix->text(), "Bridge") << "the dialog opens on the frame's rule";
        prefix->setText("Other");
        emit prefix->textEdited("Other");
        dialog.findChild<QPushButton*>("cancel")->click();
    });
    action->trigger();
    EXPECT_EQ(profile.GetProfileString("StorageRule", "ProjectName", ""), "Bridge")
        << "cancel writes nothing";
}

TEST_F(FrameDataDialogsTest, StorageRuleOfAFreshProfileOpensWithTheRecordDefaults) {
    QAction* action = MenuAction(QString::fromUtf8("设置(&S)"), ID_STORAGE_RULE);
    ASSERT_NE(action, nullptr);
    WhenModal<CDlgStorageRule>(m_frame, [](CDlgStorageRule& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>("prefix")->text(), "Test");
        EXPECT_FALSE(dialog.findChild<QCheckBox*>("dateOn")->isChecked());
        EXPECT_FALSE(dialog.findChild<QCheckBox*>("timeOn")->isChecked());
        EXPECT_TRUE(dialog.findChild<QCheckBox*>("numberOn")->isChecked());
        EXPECT_EQ(dialog.findChild<QLineEdit*>("startNumber")->text(), "0");
        // The example shows only the parts that are ticked: no date.
        EXPECT_EQ(dialog.findChild<QLabel*>("example")->text(), "Test_0");
        dialog.findChild<QPushButton*>("cancel")->click();
    });
    action->trigger();
}

TEST_F(FrameDataDialogsTest, VirtualChannelsFromTheSettingsMenuAreKeptInTheDefaultFile) {
    QAction* action = MenuAction(QString::fromUtf8("设置(&S)"), ID_VIRTUAL_CHANNEL_SETTINGS);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(m_frame->QueryCommandState(ID_VIRTUAL_CHANNEL_SETTINGS).m_bEnabled);
    bool refused = false;
    WhenModal<CDlgVirtualChannel>(m_frame, [&refused](CDlgVirtualChannel& dialog) {
        auto* formula = dialog.findChild<QLineEdit*>("formula");
        formula->setText("1");
        dialog.PressKey("×");
        dialog.PressKey("π");
        dialog.findChild<QPushButton*>("add")->click();
        dialog.findChild<QPushButton*>("apply")->click();
        refused = dialog.isVisible();
        auto* grid = dialog.findChild<CMsExternGrid*>("virtualChannels");
        grid->SetTextMatrix(1, 2, "area");
        emit grid->CellChanged(1, 2);
        dialog.findChild<QPushButton*>("apply")->click();
    });
    action->trigger();
    EXPECT_TRUE(refused) << "a channel without a tag is refused";
    std::vector<std::string> texts;
    for (const auto& record : m_boxes.Records())
        texts.push_back(record.text);
    EXPECT_EQ(texts.back(), VIRTUAL_TAG_EMPTY) << "the only box the dialog shows";

    std::vector<VirtualChannelRecord> records;
    ASSERT_NE(
        ReadVirtualChannelFile(m_frame->GetProjectState().GetProgramFilePath("_VirChannel.PamNew"), records),
        0);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(RowOfRecord(records[0]).strFormula, "1*3.1415926");
    EXPECT_EQ(RowOfRecord(records[0]).strTag, "area");
    EXPECT_TRUE(m_frame->GetStatusText().endsWith("_VirChannel.PamNew"))
        << m_frame->GetStatusText().toStdString();
}

// "设置零点值" stays disabled in the menus; the frame's dialog opens on its
// zero table and gives the table back on OK only.
TEST_F(FrameDataDialogsTest, ZeroSettingCopiesTheFramesZeroTableInAndBackOnOk) {
    constexpr int ID_ZERO_SETTING = 32882;
    EXPECT_FALSE(m_frame->QueryCommandState(ID_ZERO_SETTING).m_bEnabled);
    EXPECT_FALSE(m_frame->RunCommand(ID_ZERO_SETTING));
    g_nCaseCount = 1;
    g_CaseList[0] = 2;
    g_nChannelCount = 16;
    for (int i = 0; i < 16; ++i)
        g_ChannelList[i] = 32 + i;
    m_frame->GetZeroTable()[35] = 1.5f;

    const auto edit = [this](const char* text, bool ok) {
        WhenModal<CDlgZeroSetting>(m_frame, [text, ok](CDlgZeroSetting& dialog) {
            EXPECT_EQ(dialog.Grid()->item(1, 4)->text(), "1.500") << "the frame's value is shown";
            emit dialog.Grid()->cellClicked(1, 4);
            dialog.Editor()->setText(text);
            emit dialog.Editor()->editingFinished();
            dialog.findChild<QPushButton*>(ok ? "ok" : "cancel")->click();
        });
        m_frame->OnZeroSetting();
    };
    edit("-2.25", false);
    EXPECT_FLOAT_EQ(m_frame->GetZeroTable()[35], 1.5f) << "cancel keeps the table";
    m_frame->GetZeroTable()[35] = 1.5f;
    edit("-2.25", true);
    EXPECT_FLOAT_EQ(m_frame->GetZeroTable()[35], -2.25f);
    EXPECT_FLOAT_EQ(m_frame->GetZeroTable()[34], 0.0f);
}

} // namespace
