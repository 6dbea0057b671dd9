// Offscreen tests of the rosette and residual-stress dialogs: groups added,
// changed, renamed and deleted through the controls and kept in the
// parameter file, export and import, and the computation started from the
// dialog with its controls coming back, stopped or cut short by closing.
#include "datafiles/GroupSettingsFile.h"
#include "datafiles/ResultWorker.h"
#include "datafiles/RunWriter.h"

#include "app/ModalDialogSupport.h"
#include "model/ChannelNaming.h"
#include "panels/PanelsTestApp.h"
#include "panels/data/DlgEccentricity.h"
#include "panels/data/DlgResidualStress.h"
#include "panels/data/DlgStrainRosette.h"
#include "panels/data/GaugePicture.h"
#include "platform/MessageBox.h"
#include "platform/Sync.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>

using namespace testrun;

namespace {

constexpr int kSamples = 40;
constexpr int kThermocouple = 7;

class ResultGroupDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }

    ResultGroupDialogTest() {
        channels.params[kThermocouple] = ChannelParamView{2, 1, 0, 0.3f, 200.0f};
        RunWriter(RunSpec(dir.Path(), "run", {0}, kSamples)).Write();
    }

    // The project "run" in state 3 with its stored samples, channels 0-7 shown and measured.
    void Prepare(CResultGroupDialog& dialog, const std::string& paramFile, int samples = kSamples) {
        dialog.SetProjectInfo(dir.Path(), "run", dir.Path(), 3);
        dialog.SetChannelRange(0, 7);
        dialog.SetRunChannels(&channels, {0, 1, 2, 3, 4, 5, 6, 7}, OnlineLayout::FromUnits({0}, false));
        dialog.SetSampleCount(samples);
        dialog.SetParamFilePath(paramFile);
        dialog.SetFileChooser([this](bool save, const std::string& title, const std::string&,
                                     const std::string& folder, std::string& path) {
            chooserCalls.push_back({save ? "save" : "open", title, folder});
            path = chosenPath;
            return !path.empty();
        });
        dialog.OnInitDialog();
    }

    static void Choose(QComboBox* combo, int channel) {
        combo->setCurrentIndex(combo->findText(QString::fromStdString(FormatChannelName(channel))));
    }
    static void ClickCell(CMSFlexGrid* grid, int row, int col) {
        grid->SelectRange(row, col, row, col);
        emit grid->Click();
    }
    static void Type(QLineEdit* edit, const char* text) {
        edit->setText(QString::fromUtf8(text));
        emit edit->editingFinished();
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& record : boxes.Records())
            texts.push_back(record.text);
        return texts;
    }
    static bool WaitIdle(const CResultGroupDialog& dialog) {
        platform::PumpMessagesFor(20000, [&] { return !dialog.IsComputing(); });
        return !dialog.IsComputing();
    }
    std::uintmax_t FileSize(const std::string& name) const {
        std::error_code ec;
        const auto size = std::filesystem::file_size(dir.Path() + "/" + name, ec);
        return ec ? 0 : size;
    }

    TempDir dir;
    HalfChannelTable channels;
    platform::MessageBoxRecorder boxes;
    std::string chosenPath;
    std::vector<std::vector<std::string>> chooserCalls;
};

class RosetteDialogTest : public ResultGroupDialogTest {
protected:
    CMSFlexGrid* List() { return Control<CMSFlexGrid>(dialog, 1096); }
    CMSFlexGrid* Alarms() { return Control<CMSFlexGrid>(dialog, 1379); }
    QComboBox* Gauge(int g) { return Control<QComboBox>(dialog, 1102 + g); }
    void Add(int kind, std::vector<int> gauges) {
        Control<QComboBox>(dialog, 1098)->setCurrentIndex(kind);
        for (std::size_t g = 0; g < gauges.size(); ++g)
            Choose(Gauge(int(g)), gauges[g]);
        Click(dialog, 1099);
    }
    std::vector<RosetteGroupRecord> Stored(const std::string& path) const {
        return ReadRosetteGroups(path, channels);
    }

    CDlgStrainRosette dialog;
};

TEST_F(RosetteDialogTest, GroupsAddedChangedRenamedAndDeletedAreKeptInTheParameterFile) {
    const std::string file = dir.Path() + "/run.sfc";
    Prepare(dialog, file);
    EXPECT_EQ(Gauge(0)->count(), 7) << "the thermocouple is not offered";
    EXPECT_FALSE(Control<QPushButton>(dialog, 1101)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(dialog, 1181)->isEnabled());
    EXPECT_TRUE(Control<QPushButton>(dialog, 1380)->isEnabled()) << "a stored run can be computed";

    Control<QComboBox>(dialog, 1098)->setCurrentIndex(0);
    EXPECT_TRUE(Gauge(2)->isHidden() && Gauge(3)->isHidden()) << "two gauges at right angles";
    EXPECT_EQ(Control<QLabel>(dialog, 1108)->text(), "90°");
    Control<QComboBox>(dialog, 1098)->setCurrentIndex(4);
    EXPECT_EQ(Control<CGaugePicture>(dialog, 1106)->Angles(),
              (std::vector<std::string>{"0°", "60°", "90°", "120°"}))
        << "the picture follows the kind";
    EXPECT_FALSE(Gauge(3)->isHidden());
    Add(0, {1, 1, 2, 3});
    EXPECT_EQ(List()->GetRows(), 1) << "one channel twice is refused";
    Add(0, {0, 1, 1, 1});
    Add(3, {2, 3, 4, 5});
    Add(1, {6, 5, 4});
    EXPECT_EQ(List()->GetRows(), 4) << "a channel of another group is reported, the group stays";
    EXPECT_EQ(Messages(), (std::vector<std::string>{GROUP_SAME_CHANNEL, ROSETTE_CHANNEL_REPEATED}));
    EXPECT_EQ(List()->GetTextMatrix(2, 9), "ε135");
    EXPECT_EQ(List()->GetTextMatrix(1, 7), "") << "kind 0 shows two gauges";

    ClickCell(List(), 3, 1);
    auto* name = Control<QLineEdit>(dialog, 1083);
    ASSERT_FALSE(name->isHidden());
    EXPECT_EQ(Control<QComboBox>(dialog, 1098)->currentIndex(), 1) << "the kind follows the row";
    EXPECT_EQ(Gauge(0)->currentText(), "01-01-07");
    Type(name, "东侧腹板应变花编号甲乙"); // 22 GBK bytes: cut to 18
    EXPECT_EQ(List()->GetTextMatrix(3, 1), "东侧腹板应变花编号");
    EXPECT_EQ(Alarms()->GetTextMatrix(3, 1), "东侧腹板应变花编号");
    ClickCell(List(), 3, 0);
    EXPECT_TRUE(name->isHidden());
    ClickCell(List(), 3, 0);
    Control<QComboBox>(dialog, 1098)->setCurrentIndex(0);
    Choose(Gauge(0), 6);
    Choose(Gauge(1), 5);
    Click(dialog, 1101);
    EXPECT_EQ(List()->GetTextMatrix(3, 2), "两片直角");
    EXPECT_EQ(List()->GetTextMatrix(3, 1), "东侧腹板应变花编号") << "a change keeps the name";
    EXPECT_FALSE(Control<QPushButton>(dialog, 1101)->isEnabled());

    boxes.QueueAnswer(platform::IDNO);
    ClickCell(List(), 1, 0);
    Click(dialog, 1100);
    EXPECT_EQ(List()->GetRows(), 4) << "no keeps the row";
    boxes.QueueAnswer(platform::IDYES);
    ClickCell(List(), 1, 0);
    Click(dialog, 1100);
    EXPECT_EQ(List()->GetRows(), 3);
    EXPECT_EQ(List()->GetTextMatrix(1, 0), "1") << "rows below move up and are numbered again";

    dialog.findChild<QPushButton*>("ok")->click();
    const std::vector<RosetteGroupRecord> stored = Stored(file);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].type, 3);
    EXPECT_EQ(GroupNameText(stored[1].Name), "东侧腹板应变花编号");
    EXPECT_EQ(stored[1].type, 0);
    EXPECT_EQ(stored[1].Channel[0], 6);
    EXPECT_EQ(stored[1].Channel[1], 5);
}

TEST_F(RosetteDialogTest, AlarmCellsAreEditedInPlaceWithOrderedWindowLimits) {
    Prepare(dialog, dir.Path() + "/run.sfc");
    Add(0, {0, 1});
    Alarms()->SelectRange(1, 3, 1, 3);
    emit Alarms()->DblClick();
    EXPECT_EQ(Alarms()->GetTextMatrix(1, 3), "√");

    auto* chooser = Control<QComboBox>(dialog, 1097);
    ClickCell(Alarms(), 1, 5);
    ASSERT_FALSE(chooser->isHidden());
    ASSERT_EQ(chooser->count(), 4);
    emit chooser->activated(2);
    EXPECT_EQ(Alarms()->GetTextMatrix(1, 5), "窗内");
    ClickCell(Alarms(), 1, 4);
    ASSERT_EQ(chooser->count(), 6);
    emit chooser->activated(5);
    EXPECT_EQ(Alarms()->GetTextMatrix(1, 4), "方向角ψ");

    auto* limit = Control<QLineEdit>(dialog, 1045);
    ClickCell(Alarms(), 1, 7);
    EXPECT_EQ(limit->text(), "0.000");
    ClickCell(Alarms(), 1, 6);
    Type(limit, "20");
    ClickCell(Alarms(), 1, 7);
    Type(limit, "10");
    ClickCell(Alarms(), 1, 6);
    Type(limit, "5");
    EXPECT_EQ(Alarms()->GetTextMatrix(1, 6), "10.000") << "an upper limit below the lower one swaps them";
    EXPECT_EQ(Alarms()->GetTextMatrix(1, 7), "5.000");
    ClickCell(Alarms(), 1, 6);
    Type(limit, "");
    EXPECT_EQ(Alarms()->GetTextMatrix(1, 6), "10.000") << "an empty text changes nothing";
    EXPECT_FLOAT_EQ(dialog.GetGroups()[0].AlarmValUp, 10.0f);
    EXPECT_EQ(dialog.GetGroups()[0].AlarmItem, 5);
}

TEST_F(RosetteDialogTest, ExportAndImportOfParameterFiles) {
    Prepare(dialog, dir.Path() + "/run.sfc");
    Add(0, {0, 1});
    chosenPath = dir.Path() + "/copy";
    Click(dialog, 1111);
    ASSERT_EQ(chooserCalls.size(), 1u);
    EXPECT_EQ(chooserCalls[0], (std::vector<std::string>{"save", "导出参数文件", dir.Path()}));
    EXPECT_EQ(Stored(dir.Path() + "/copy.sfc").size(), 1u) << "the extension is added";

    RosetteGroupRecord far{};
    far.type = 0;
    far.Channel[0] = 2, far.Channel[1] = 20, far.Channel[2] = far.Channel[3] = -1;
    SaveStrainFlowerParam(dir.Path() + "/far.sfc", 1, &far);
    chosenPath = dir.Path() + "/far.sfc";
    Click(dialog, 1112);
    EXPECT_EQ(Messages(), (std::vector<std::string>{GROUP_CHANNEL_OUT_OF_RANGE}));
    EXPECT_EQ(dialog.GetGroups()[0].Channel[1], 1) << "the table is left as it was";

    RosetteGroupRecord near = far;
    near.Channel[1] = 3;
    SaveStrainFlowerParam(dir.Path() + "/near.sfc", 1, &near);
    chosenPath = dir.Path() + "/near.sfc";
    Click(dialog, 1112);
    EXPECT_EQ(List()->GetTextMatrix(1, 6), "01-01-04");
    chosenPath.clear();
    Click(dialog, 1112);
    EXPECT_EQ(dialog.GetGroups().size(), 1u) << "a cancelled file dialog changes nothing";
}

TEST_F(RosetteDialogTest, AComputationWritesTheResultFilesAndRestoresTheControls) {
    Prepare(dialog, "");
    Add(0, {0, 1});
    Add(1, {2, 3, 4});
    Click(dialog, 1380);
    EXPECT_TRUE(dialog.IsComputing());
    for (int id : {1380, 1099, 1111, 1112})
        EXPECT_FALSE(Control<QPushButton>(dialog, id)->isEnabled()) << id;
    ASSERT_TRUE(WaitIdle(dialog));
    EXPECT_EQ(FileSize("run1.sfd"), sizeof(RosetteGroupRecord) + kSamples * sizeof(RosetteResultRecord));
    EXPECT_EQ(FileSize("run2.sfd"), sizeof(RosetteGroupRecord) + kSamples * sizeof(RosetteResultRecord));
    for (int id : {1380, 1099, 1111, 1112})
        EXPECT_TRUE(Control<QPushButton>(dialog, id)->isEnabled()) << id;
    EXPECT_EQ(Stored(dir.Path() + "/YBH.sfc").size(), 2u)
        << "the program folder's copy without a project file";
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RosetteDialogTest, WithNoStoredSampleTheControlsComeBackAtOnce) {
    Prepare(dialog, "", 0);
    Add(0, {0, 1});
    Click(dialog, 1380);
    EXPECT_FALSE(dialog.IsComputing());
    EXPECT_TRUE(Control<QPushButton>(dialog, 1380)->isEnabled());
    EXPECT_EQ(FileSize("run1.sfd"), 0u);
}

TEST_F(RosetteDialogTest, ABusyWorkerIsReportedAndStopEndsTheComputation) {
    Prepare(dialog, "");
    Add(0, {0, 1});
    platform::Event release(true, false);
    {
        CResultWorker other;
        ASSERT_TRUE(other.Start(dir.Path() + "/run.sfd", 0, [&release](const std::atomic<bool>&) {
            release.Wait(10000);
            return ResultStatus::Done;
        }));
        Click(dialog, 1380);
        EXPECT_EQ(Messages(), (std::vector<std::string>{ResultStatusText(ResultStatus::Busy)}));
        EXPECT_FALSE(dialog.IsComputing());
        release.Set();
    }
    Click(dialog, 1380);
    Click(dialog, 1181);
    EXPECT_FALSE(dialog.IsComputing());
    EXPECT_TRUE(Control<QPushButton>(dialog, 1380)->isEnabled());
    platform::PumpMessagesFor(200);
    EXPECT_EQ(Messages().size(), 1u) << "a stopped computation reports nothing";
}

TEST_F(RosetteDialogTest, EnterMovesTheFocusAndClosingStopsTheWorker) {
    Prepare(dialog, "");
    dialog.show();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &enter);
    EXPECT_TRUE(dialog.isVisible());
    Add(0, {0, 1});
    Click(dialog, 1380);
    dialog.reject();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(RosetteDialogTest, AWorkerOfAClosedDialogReportsToNobody) {
    auto* closing = new CDlgStrainRosette;
    Prepare(*closing, "");
    Choose(Control<QComboBox>(*closing, 1103), 1);
    Click(*closing, 1099);
    Click(*closing, 1380);
    delete closing;
    platform::PumpMessagesFor(200);
    EXPECT_TRUE(Messages().empty());
}

class ResidualDialogTest : public ResultGroupDialogTest {
protected:
    CMSFlexGrid* List() { return Control<CMSFlexGrid>(dialog, 1473); }
    QLineEdit* Edit(int id) { return Control<QLineEdit>(dialog, id); }
    void Add(int a, int b, int c) {
        Choose(Control<QComboBox>(dialog, 1102), a);
        Choose(Control<QComboBox>(dialog, 1103), b);
        Choose(Control<QComboBox>(dialog, 1104), c);
        Click(dialog, 1099);
    }

    CDlgResidualStress dialog;
};

TEST_F(ResidualDialogTest, GroupsTakeTheCoefficientsOfTheControls) {
    const std::string file = dir.Path() + "/run.rsc";
    Prepare(dialog, file);
    EXPECT_TRUE(Control<QRadioButton>(dialog, 1442)->isChecked());
    EXPECT_FALSE(Edit(1439)->isEnabled()) << "the geometry waits for the unknown mode";
    Type(Edit(1045), "0");
    EXPECT_EQ(Edit(1045)->text(), "1.000") << "a zero coefficient is shown as 1";
    Type(Edit(1046), "-0.2");
    Type(Edit(1452), "-4");
    EXPECT_EQ(Edit(1452)->text(), "1.000");
    Add(0, 1, 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{GROUP_SAME_CHANNEL}));
    Add(0, 1, 2);
    EXPECT_EQ(List()->GetTextMatrix(1, 6), "-0.200");

    Control<QRadioButton>(dialog, 1443)->setChecked(true);
    EXPECT_TRUE(Edit(1439)->isEnabled());
    EXPECT_FALSE(Edit(1045)->isEnabled());
    Type(Edit(1439), "1"), Type(Edit(1440), "2"), Type(Edit(1441), "4");
    Type(Edit(1450), "1"), Type(Edit(1451), "2");
    Add(3, 4, 2);
    EXPECT_EQ(Messages().back(), RESIDUAL_CHANNEL_REPEATED);
    ASSERT_EQ(dialog.GetGroups().size(), 2u);
    EXPECT_NEAR(dialog.GetGroups()[1].ParamA, -0.08653125, 1e-6) << "from the geometry, Poisson 0.3";

    ClickCell(List(), 1, 0);
    EXPECT_TRUE(Control<QRadioButton>(dialog, 1442)->isChecked()) << "the row's mode";
    EXPECT_EQ(Edit(1046)->text(), "-0.200");
    Choose(Control<QComboBox>(dialog, 1104), 5);
    Type(Edit(1472), "12.5");
    Click(dialog, 1101);
    EXPECT_EQ(List()->GetTextMatrix(1, 4), "01-01-06") << "修改 applies the controls";
    EXPECT_EQ(List()->GetTextMatrix(1, 7), "12.500");

    ClickCell(List(), 2, 1);
    Type(Control<QLineEdit>(dialog, 1083), "weld seam north");
    EXPECT_EQ(List()->GetTextMatrix(2, 1), "weld seam north");

    chosenPath = dir.Path() + "/copy.rsc";
    Click(dialog, 1111);
    EXPECT_EQ(ReadResidualGroups(chosenPath, channels).size(), 2u) << "exported as it stands";

    ResidualStressGroupRecord far = dialog.GetGroups()[0];
    far.Channel[2] = 9;
    SaveRemainStressParam(dir.Path() + "/far.rsc", 1, &far);
    chosenPath = dir.Path() + "/far.rsc";
    Click(dialog, 1112);
    EXPECT_EQ(Messages().back(), GROUP_CHANNEL_OUT_OF_RANGE);
    EXPECT_EQ(dialog.GetGroups().size(), 2u) << "the table is left as it was";

    dialog.findChild<QPushButton*>("ok")->click();
    const std::vector<ResidualStressGroupRecord> stored = ReadResidualGroups(file, channels);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_FLOAT_EQ(stored[0].ParamE0, 12.5f);
    EXPECT_EQ(GroupNameText(stored[1].Name), "weld seam north");
}

TEST_F(ResidualDialogTest, WithoutStrainChannelsNothingCanBeAdded) {
    channels.defaultParam.nMeasureType = 2;
    Prepare(dialog, "");
    EXPECT_EQ(Control<QComboBox>(dialog, 1102)->count(), 0);
    EXPECT_FALSE(Control<QPushButton>(dialog, 1099)->isEnabled());

    CDlgStrainRosette bare; // opened before any channel record was handed in
    bare.OnInitDialog();
    EXPECT_EQ(Control<QComboBox>(bare, 1102)->count(), 0);
    EXPECT_FALSE(Control<QPushButton>(bare, 1099)->isEnabled());
}

// Record k of a result file against values worked out by hand from the formulas.
void ExpectResidualRecord(const std::string& path, int k, const std::array<double, 9>& expected) {
    const std::vector<char> file = ReadBytes(path);
    const std::size_t at =
        sizeof(ResidualStressGroupRecord) + std::size_t(k) * sizeof(ResidualStressResultRecord);
    ASSERT_GE(file.size(), at + sizeof(ResidualStressResultRecord)) << path;
    ResidualStressResultRecord record;
    std::memcpy(&record, file.data() + at, sizeof record);
    for (int i = 0; i < 9; ++i)
        EXPECT_NEAR(record.fValue[i], expected[std::size_t(i)],
                    1e-4 * std::max(1.0, std::fabs(expected[std::size_t(i)])))
            << path << " value " << i;
}

TEST_F(ResidualDialogTest, PlainAndEccentricComputationsWriteTheResultFiles) {
    Prepare(dialog, "");
    Type(Edit(1045), "-0.1");
    Type(Edit(1046), "-0.2");
    Type(Edit(1472), "0");
    Add(0, 1, 2);
    Add(3, 5, 4);
    Click(dialog, 1340);
    ASSERT_TRUE(WaitIdle(dialog));
    const auto size = sizeof(ResidualStressGroupRecord) + kSamples * sizeof(ResidualStressResultRecord);
    EXPECT_EQ(FileSize("run1.rsd"), size);
    EXPECT_EQ(FileSize("run2.rsd"), size);
    // Sample 10 of gauges 0, 1, 2 (half their readings, E 200, A -0.1, B -0.2):
    // strains 5, 505, 1005; P = 1010 / -0.4, Q = sqrt 2 / -0.8 * sqrt(500^2 + 500^2).
    ExpectResidualRecord(dir.Path() + "/run1.rsd", 10, {5, 505, 1005, 0, -255, -755, -255, -755, 665.22553});
    std::filesystem::remove(dir.Path() + "/run2.rsd");

    WhenModal<CDlgEccentricity>([](CDlgEccentricity& eccentric) {
        Type(Control<QLineEdit>(eccentric, 1453), "0");
        Type(Control<QLineEdit>(eccentric, 1046), "0");
        eccentric.findChild<QPushButton*>("ok")->click();
        EXPECT_TRUE(eccentric.isVisible()) << "no finite angle with d = 0 and no offset";
        eccentric.findChild<QPushButton*>("cancel")->click();
    });
    ClickCell(List(), 2, 0);
    // The group's distance is 1.5 by default: now an offset that works.
    Type(Edit(1452), "0");
    Click(dialog, 1101);
    dialog.OnEccentricity();
    EXPECT_EQ(Messages(), (std::vector<std::string>{RESIDUAL_ECC_BAD_OFFSET}));
    EXPECT_FALSE(dialog.IsComputing()) << "cancelled: nothing starts";

    ClickCell(List(), 2, 0);
    Type(Edit(1452), "1.5");
    Click(dialog, 1101);
    WhenModal<CDlgEccentricity>([](CDlgEccentricity& eccentric) {
        Type(Control<QLineEdit>(eccentric, 1453), "0.1");
        Type(Control<QLineEdit>(eccentric, 1046), "0.2");
        eccentric.findChild<QPushButton*>("ok")->click();
    });
    dialog.OnEccentricity();
    ASSERT_TRUE(WaitIdle(dialog));
    EXPECT_EQ(FileSize("run2.rsd"), size) << "the corrected group's file";
    EXPECT_EQ(FileSize("run1.rsd"), size);
    // Gauges 3, 5, 4 at sample 10 (strains 1505, 2505, 2005, direction 35.78 degrees)
    // corrected for a hole 0.1, 0.2 off a centre 1.5 away.
    ExpectResidualRecord(dir.Path() + "/run2.rsd", 10,
                         {1493.3782, 2501.2314, 2001.5401, 28.657509, -10952.174, -9608.3438, -1620.4188,
                          -1874.4997, 10345.923});

    boxes.QueueAnswer(platform::IDNO);
    Click(dialog, 1340);
    EXPECT_EQ(Messages().back(), RESIDUAL_ECC_QUESTION);
    EXPECT_FALSE(dialog.IsComputing()) << "no keeps the corrected results";
}

} // namespace
