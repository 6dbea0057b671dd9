// A test's set-up commands driven through the frame's handlers against two
// simulated cases: operator rights, single-point monitoring, strain
// compensation, sensor matching and fouling parameters with their files,
// the key-point window fed by a run, and theory values that reach the
// curve view's read-outs.
#include "FrameRunFixture.h"
#include "ModalDialogSupport.h"

#include "app/MainFrameSettingsDialogs.h"
#include "model/ChannelNaming.h"
#include "model/SensorMatch.h"
#include "panels/channels/DlgChannelSelect.h"
#include "panels/channels/DlgFoulingResistance.h"
#include "panels/channels/DlgKeyPointWatch.h"
#include "panels/channels/DlgMonitorSetting.h"
#include "panels/channels/DlgSensorMatch.h"
#include "panels/channels/DlgStrainCompensate.h"
#include "panels/channels/DlgTheoryValue.h"
#include "panels/run/DlgSecurityRights.h"
#include "platform/Profile.h"
#include "project/FoulingParams.h"
#include "project/OpenViewCounters.h"
#include "views/curve/CurveViewWidget.h"
#include "views/curve/DlgPlotSignalSelect.h"
#include "views/shared/DlgRightsVerify.h"
#include "widgets/MSFlexGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>

namespace {

using Dialogs = CMainFrameSettingsDialogs;

class FrameTestSetupTest : public FrameRunTest {
protected:
    Dialogs& Settings() { return *m_frame->GetSettingsDialogs(); }
    // Chooses the first eight channels, in order, with sensor s's c = s.
    void MatchSensors(int offset) {
        CDlgSensorMatch& dialog = *Settings().GetSensorMatch();
        for (int s = 0; s < SENSOR_MATCH_COUNT; ++s) {
            dialog.Combo(s)->setCurrentIndex(s + offset);
            dialog.CoefficientEdit(s, 2)->setText(QString::number(s + offset));
        }
        Click(dialog, 1460);
    }
};

TEST_F(FrameTestSetupTest, TheCommandsHaveHandlersButStayOutOfTheMenus) {
    for (int id : {Dialogs::ID_SECURITY_RIGHTS, Dialogs::ID_MONITOR_SETTING, Dialogs::ID_STRAIN_COMPENSATE,
                   Dialogs::ID_THEORY_VALUES, Dialogs::ID_SENSOR_MATCH, Dialogs::ID_FOULING_RESISTANCE,
                   Dialogs::ID_KEY_POINT_WATCH})
        EXPECT_TRUE(m_frame->HasCommandHandler(id)) << id;
    // The two heat-exchanger windows keep their always-disabled state.
    EXPECT_FALSE(m_frame->RunCommand(Dialogs::ID_SENSOR_MATCH));
    EXPECT_FALSE(m_frame->RunCommand(Dialogs::ID_FOULING_RESISTANCE));
}

TEST_F(FrameTestSetupTest, SensorMatchAndFoulingFilesFollowTheProject) {
    Search();
    Settings().OnSensorMatch();
    CDlgSensorMatch& match = *Settings().GetSensorMatch();
    ASSERT_TRUE(match.isVisible());
    ASSERT_EQ(match.Combo(0)->count(), g_nMeasChanCount);
    ASSERT_GE(match.Combo(0)->count(), 9);
    EXPECT_EQ(match.Combo(0)->itemText(0).toStdString(), FormatChannelName(g_MeasChanList[0]));
    MatchSensors(0);
    EXPECT_EQ(m_boxes.Records().back().text, "匹配成功!");
    EXPECT_EQ(g_SensorMapId[7], g_MeasChanList[7]);
    const std::string programFile = m_scratch.File("coe.ini");
    platform::FlushProfileCache();
    EXPECT_EQ(LoadSensorMatch(programFile).id, g_SensorMapId) << "no project: the program folder";

    Settings().OnFoulingResistance();
    CDlgFoulingResistance& fouling = *Settings().GetFoulingResistance();
    for (const auto& [id, text] : {std::pair{1462, "3"}, {1454, "1000"}, {1455, "1000"}, {1458, "4186"}})
        fouling.Field(id)->setText(text);
    Click(fouling, 1456);
    Click(fouling, 1459);
    EXPECT_FALSE(fouling.isVisible());
    EXPECT_FLOAT_EQ(g_FoulingValues.fMassFlow, 0.277778f);

    // With a project open both files go into its folder; the program's stay.
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    Settings().OnSensorMatch();
    MatchSensors(1);
    Settings().OnFoulingResistance();
    EXPECT_EQ(fouling.Field(1462)->text(), "3.000000")
        << "a project without its own file reads the program's";
    fouling.Field(1462)->setText("7");
    Click(fouling, 1461);
    platform::FlushProfileCache();
    const std::string projectFolder = m_scratch.File("Projects/Run");
    EXPECT_EQ(LoadSensorMatch(projectFolder + "/coe.ini").sel[0], 1);
    EXPECT_EQ(LoadSensorMatch(programFile).sel[0], 0);
    EXPECT_EQ(LoadFoulingFile(projectFolder + "/rezu.ini").fArea, 7.0f);
    EXPECT_EQ(LoadFoulingFile(m_scratch.File("rezu.ini")).fArea, 3.0f);

    // Closing the project reads the program folder's files again.
    m_frame->GetProjectHandler().CloseProject();
    EXPECT_EQ(g_SensorMapSel[0], 0);
    EXPECT_EQ(g_FoulingValues.fArea, 3.0f);
    EXPECT_EQ(fouling.Field(1462)->text(), "3.000000") << "the visible window shows them";
    SetCurrentSensorMatch(SensorMatchTables{});
    g_FoulingValues = FoulingValues{};
}

TEST_F(FrameTestSetupTest, RightsMonitorAndCompensationGoBackIntoTheFrame) {
    Search();
    COperatorRights& rights = m_frame->GetOperatorRights();
    rights.m_strSettingCode = "k1";
    rights.SetRightCancel(0);
    int asked = 0;
    m_frame->runRightsDialog = [&](CDlgRightsVerify& verify) {
        ++asked;
        if (asked == 1)
            return int(QDialog::Rejected);
        verify.CodeEdit()->setText("k1");
        verify.NoRepeatBox()->setChecked(true);
        verify.OkButton()->click();
        return verify.result();
    };
    ASSERT_TRUE(m_frame->RunCommand(Dialogs::ID_SECURITY_RIGHTS)); // cancelled: no settings
    EXPECT_EQ(rights.m_nRightCancel, 0);
    bool restoreShown = true;
    WhenModal<CDlgSecurityRights>([&](CDlgSecurityRights& dialog) {
        restoreShown = Control<QCheckBox>(dialog, 1387)->isVisible();
        Control<QLineEdit>(dialog, 1046)->setText("stop");
        Control<QCheckBox>(dialog, 1384)->setChecked(true);
        Click(dialog, 1);
    });
    ASSERT_TRUE(m_frame->RunCommand(Dialogs::ID_SECURITY_RIGHTS));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(restoreShown) << "the tick in the verification cancelled the prompts";
    EXPECT_EQ(rights.m_strOperationCode, "stop");
    EXPECT_EQ(rights.m_nStopControlRight, 1);
    EXPECT_EQ(rights.m_nRightCancel, 1);

    WhenModal<CDlgMonitorSetting>([](CDlgMonitorSetting& dialog) {
        auto* cases = Control<QComboBox>(dialog, 1427);
        cases->setCurrentIndex(cases->count() - 1);
        emit cases->activated(cases->count() - 1);
        emit Control<QComboBox>(dialog, 1428)->activated(3);
        Control<QLineEdit>(dialog, 1429)->setText("-2.5");
        Click(dialog, 1);
    });
    ASSERT_TRUE(m_frame->RunCommand(Dialogs::ID_MONITOR_SETTING));
    const StoredWithSampleSettings& stored = m_frame->GetProjectState().m_StoredSettings;
    const int lastCase = g_CaseList[g_nCaseCount - 1];
    EXPECT_EQ(stored.nMonitorCaseId, lastCase);
    EXPECT_EQ(stored.nMonitorChanId, lastCase * 16 + 3);
    EXPECT_EQ(stored.fMonitorLevel, -2.5f);

    const int strain = g_ChannelList[2];
    g_ChannelParams[strain].nMeasureType = MEASURE_STRAIN;
    WhenModal<CDlgStrainCompensate>([](CDlgStrainCompensate& dialog) {
        auto* combo = Control<QComboBox>(dialog, 1022);
        EXPECT_EQ(combo->count(), 1) << "strain channels only";
        Control<QCheckBox>(dialog, 1429)->click();
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        Click(dialog, 1);
    });
    ASSERT_TRUE(m_frame->RunCommand(Dialogs::ID_STRAIN_COMPENSATE));
    EXPECT_EQ(stored.bStrainRefUsed, 1);
    EXPECT_EQ(stored.nStrainRefChan, strain);
}

TEST_F(FrameTestSetupTest, KeyPointWindowShowsTheRunsValues) {
    FindCasesAndPrepareProject();
    ASSERT_TRUE(m_frame->RunCommand(Dialogs::ID_KEY_POINT_WATCH));
    CDlgKeyPointWatch& window = *Settings().GetKeyPointWatch();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(m_frame->QueryCommandState(Dialogs::ID_KEY_POINT_WATCH).m_bChecked);
    const int point = g_ChannelList[1];
    window.runChannelSelect = [](CDlgChannelSelect& dialog) {
        dialog.List()->item(1)->setCheckState(Qt::Checked);
        dialog.accept();
        return int(QDialog::Accepted);
    };
    window.OnChannelSelect();
    ASSERT_EQ(window.GetPoints(), std::vector<int>{point});
    EXPECT_EQ(window.Grid()->GetTextMatrix(1, 1), FormatChannelName(point));
    StoreTimedRun(2);
    const std::string shown = window.Grid()->GetTextMatrix(1, 2);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown.size() - shown.find('.'), 4u) << shown << ": three decimals without a precision entry";
    ASSERT_TRUE(m_frame->RunCommand(Dialogs::ID_KEY_POINT_WATCH));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(FrameTestSetupTest, TheoryValuesReachTheCurveReadouts) {
    FindCasesAndPrepareProject();
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
    ASSERT_EQ(CCurveViewWidget::CurveViews().size(), 1u);
    CCurveViewWidget& view = *CCurveViewWidget::CurveViews().front();
    const int first = g_ChannelList[0], second = g_ChannelList[1];
    view.runSignalDialog = [&](CDlgPlotSignalSelect& dialog) {
        dialog.RemoveAll();
        for (int row = 0; row < dialog.Available()->count(); ++row) {
            const QString text = dialog.Available()->item(row)->text();
            dialog.Available()->item(row)->setSelected(
                text.startsWith(QString::fromStdString(FormatChannelName(first) + "[")) ||
                text.startsWith(QString::fromStdString(FormatChannelName(second) + "[")));
        }
        dialog.AddSelected();
        dialog.TryAccept();
        return dialog.result();
    };
    ASSERT_TRUE(view.OnCommand(ID_SELECT_SIGNALS));
    const std::vector<int> curves = view.Model().GetChannelIDs();
    ASSERT_EQ(curves.size(), 2u);
    ASSERT_EQ(std::count(curves.begin(), curves.end(), first), 1);

    WhenModal<CDlgTheoryValue>([&](CDlgTheoryValue& dialog) {
        // "All" gets two values, the first channel three of its own.
        QListWidget* list = dialog.List();
        list->item(0)->setCheckState(Qt::Checked);
        list->setCurrentRow(0);
        dialog.CountEdit()->setText("2");
        Click(dialog, 1490);
        dialog.ValueGrid()->SetTextMatrix(1, 1, "10");
        dialog.ValueGrid()->SetTextMatrix(2, 1, "20");
        list->item(1)->setCheckState(Qt::Checked);
        list->setCurrentRow(1);
        dialog.CountEdit()->setText("3");
        Click(dialog, 1490);
        for (int row = 1; row <= 3; ++row)
            dialog.ValueGrid()->SetTextMatrix(row, 1, std::to_string(row * 1.5));
        Click(dialog, 1);
    });
    ASSERT_TRUE(m_frame->RunCommand(Dialogs::ID_THEORY_VALUES));
    EXPECT_EQ(Settings().GetTheoryValues(),
              (TheoryValueTable{{-1, {10.0f, 20.0f}}, {first, {1.5f, 3.0f, 4.5f}}}));
    // Each curve its channel's own values, else those of "All".
    std::vector<std::vector<float>> expected;
    std::vector<std::string> expectedLines;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        const bool own = curves[i] == first;
        expected.push_back(own ? std::vector<float>{1.5f, 3.0f, 4.5f} : std::vector<float>{10.0f, 20.0f});
        expectedLines.push_back("T_Y" + std::to_string(i + 1) + (own ? ":1" : ":10"));
    }
    EXPECT_EQ(view.Model().m_TheoryValues, expected);

    ASSERT_TRUE(view.OnCommand(ID_THEORY_VALUES));
    CCurveViewModel& model = view.Model();
    model.m_nShowGraphType = 1;
    model.m_nCursorType = 1;
    model.m_nFirstSample = 0;
    model.m_Cursor0 = 0;
    const std::vector<std::string> lines = model.BuildCursorReadouts(1.0);
    std::vector<std::string> theory;
    for (const std::string& line : lines)
        if (line.rfind("T_Y", 0) == 0)
            theory.push_back(line.substr(0, line.find('.')));
    EXPECT_EQ(theory, expectedLines);
}

} // namespace
