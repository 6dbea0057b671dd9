// Offscreen tests of the save-as options dialog: list filling, the control
// rules and the checks on OK.
#include "panels/PanelsTestApp.h"
#include "panels/data/DlgSaveDataOption.h"

#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class SaveDataOptionDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }

    SaveDataOptionDialogTest() {
        sources.measureChannels = {0, 1, 2, 17};
        sources.allChannels = {0, 1, 2, 3, 16, 17};
        sources.virtualChannels = {{1, "平均"}, {2, "差"}};
        sources.digitalChannels = {{5, "压力"}, {7, "位移"}};
        sources.rosetteGroups = {{"A", 0}, {"B", 2}, {"C", 4}};
        sources.residualGroups = {"焊缝1", "焊缝2"};
        sources.nStoredDataCount = 100;
        sources.strAppTitle = "QV";
        sources.isChannelBalanced = [](int channel) { return channel != 2; };
    }

    std::unique_ptr<CDlgSaveDataOption> Open(int exportKind, int itemKind,
                                             const SaveDataOptions& options = {}) {
        auto dialog = std::make_unique<CDlgSaveDataOption>(sources);
        dialog->SetExportKind(exportKind);
        dialog->SetItemKind(itemKind);
        dialog->SetDisplayedPoints(displayed);
        dialog->SetCursorMode(cursorMode);
        dialog->SetPreselectedGroups(preselected);
        dialog->SetOptions(options);
        dialog->OnInitDialog();
        return dialog;
    }

    template <class W> static W* Find(CDlgSaveDataOption& dialog, const char* name) {
        W* widget = dialog.findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static QStringList Texts(QListWidget* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    // Selects the available entries with these texts and presses ">".
    static void Choose(CDlgSaveDataOption& dialog, const QStringList& texts) {
        auto* available = Find<QListWidget>(dialog, "available");
        for (int i = 0; i < available->count(); ++i)
            available->item(i)->setSelected(texts.contains(available->item(i)->text()));
        Find<QPushButton>(dialog, "add")->click();
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& record : boxes.Records())
            texts.push_back(record.text);
        return texts;
    }

    SaveOptionSources sources;
    std::vector<int> displayed{0, 1, 2, 4096};
    std::vector<int> preselected;
    int cursorMode = 2;
    platform::MessageBoxRecorder boxes;
};

TEST_F(SaveDataOptionDialogTest, PointListsFollowTheSourceAndLeaveOutUnbalancedChannels) {
    auto dialog = Open(CDlgSaveDataOption::kText, CDlgSaveDataOption::kPoints);
    auto* available = Find<QListWidget>(*dialog, "available");
    // Displayed points limited to the measured count, channel 2 unbalanced.
    EXPECT_EQ(Texts(available), (QStringList{"01-01-01", "01-01-02", "虚拟1:平均", "压力", "位移"}));

    Find<QRadioButton>(*dialog, "pointSource2")->click();
    EXPECT_EQ(Texts(available), (QStringList{"01-01-01", "01-01-02", "01-01-04", "01-02-01", "01-02-02",
                                             "虚拟1:平均", "虚拟2:差", "压力", "位移"}));
    EXPECT_EQ(Find<QListWidget>(*dialog, "chosen")->count(), 0);
}

TEST_F(SaveDataOptionDialogTest, NoDisplayedPointsWarnsAndOkRefusesAnEmptyChoice) {
    displayed.clear();
    auto dialog = Open(CDlgSaveDataOption::kText, CDlgSaveDataOption::kPoints);
    EXPECT_EQ(Find<QListWidget>(*dialog, "available")->count(), 0);
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"当前显示的测点个数为零!", "您没有选择要保存的测点，无法进行保存"}));
}

TEST_F(SaveDataOptionDialogTest, ChosenPointsFillTheChannelAndDigitalLists) {
    auto dialog = Open(CDlgSaveDataOption::kText, CDlgSaveDataOption::kPoints);
    Choose(*dialog, {"01-01-02", "虚拟1:平均", "压力", "01-01-01"});
    dialog->accept();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    const SaveDataOptions& options = dialog->GetOptions();
    ASSERT_EQ(options.nChannelCount, 3);
    EXPECT_EQ(options.nChannels[0], 0);
    EXPECT_EQ(options.nChannels[1], 1);
    EXPECT_EQ(options.nChannels[2], 4096);
    ASSERT_EQ(options.nDigitalCount, 1);
    EXPECT_EQ(options.nDigitalChannels[0], 5);
    EXPECT_EQ(options.nFileLayout, 1);
}

TEST_F(SaveDataOptionDialogTest, AVirtualChannelForcesOneFileWithoutDecimationUntilRemoved) {
    SaveDataOptions options;
    options.nFileLayout = 0;
    options.bDecimate = 1;
    options.nStep = 4;
    auto dialog = Open(CDlgSaveDataOption::kText, CDlgSaveDataOption::kPoints, options);
    auto* perFile = Find<QRadioButton>(*dialog, "perFile");
    auto* decimate = Find<QCheckBox>(*dialog, "decimate");
    EXPECT_TRUE(perFile->isChecked());
    EXPECT_TRUE(decimate->isChecked());
    EXPECT_TRUE(Find<QLineEdit>(*dialog, "step")->isEnabled());

    Choose(*dialog, {"虚拟1:平均"});
    EXPECT_TRUE(Find<QRadioButton>(*dialog, "oneFile")->isChecked());
    EXPECT_FALSE(perFile->isEnabled());
    EXPECT_FALSE(decimate->isEnabled());
    EXPECT_FALSE(decimate->isChecked());
    EXPECT_FALSE(Find<QLineEdit>(*dialog, "step")->isEnabled());

    Find<QPushButton>(*dialog, "removeAll")->click();
    EXPECT_TRUE(perFile->isEnabled());
    EXPECT_TRUE(decimate->isEnabled());
}

TEST_F(SaveDataOptionDialogTest, StepIsCheckedAgainstTheStoredCount) {
    struct Case {
        const char* step;
        bool accepted;
        int stored;
        const char* message;
    };
    const Case cases[] = {
        {"100", true, 100, nullptr},
        {"0100", true, 100, nullptr},
        {"101", false, 0, "输入间隔点数大于总数据量!"},
        {"99999999999999999999", false, 0, "输入间隔点数大于总数据量!"},
        {"1a", false, 0, "请确认输入间隔点数的正确性!"},
        {"", false, 0, "请确认输入间隔点数的正确性!"},
        {"00", false, 0, "请确认输入间隔点数的正确性!"},
    };
    for (const Case& c : cases) {
        platform::MessageBoxRecorder recorder;
        SaveDataOptions options;
        options.bDecimate = 1;
        options.nFileLayout = 0;
        auto dialog = Open(CDlgSaveDataOption::kText, CDlgSaveDataOption::kPoints, options);
        Choose(*dialog, {"01-01-01"});
        Find<QLineEdit>(*dialog, "step")->setText(c.step);
        dialog->accept();
        EXPECT_EQ(dialog->result() == QDialog::Accepted, c.accepted) << c.step;
        if (c.accepted) {
            EXPECT_EQ(dialog->GetOptions().nStep, c.stored) << c.step;
        }
        const auto records = recorder.Records();
        ASSERT_EQ(records.size(), c.message ? 1u : 0u) << c.step;
        if (c.message) {
            EXPECT_EQ(records[0].text, c.message);
        }
    }
}

TEST_F(SaveDataOptionDialogTest, DigitalChannelsRefusePerChannelFilesAndDecimation) {
    struct Case {
        int layout;
        int decimate;
        const char* message;
    };
    for (const Case& c : {Case{0, 0, "数字量通道数据不支持分别保存，请重新设置。"},
                          Case{1, 1, "数字量通道数据不支持抽点输出，请重新设置。"}}) {
        platform::MessageBoxRecorder recorder;
        SaveDataOptions options;
        options.nFileLayout = c.layout;
        options.bDecimate = c.decimate;
        auto dialog = Open(CDlgSaveDataOption::kText, CDlgSaveDataOption::kPoints, options);
        Choose(*dialog, {"位移"});
        dialog->accept();
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        ASSERT_EQ(recorder.Records().size(), 1u);
        EXPECT_EQ(recorder.Records()[0].text, c.message);
    }
}

TEST_F(SaveDataOptionDialogTest, CursorRangeNeedsTwoCursors) {
    cursorMode = 0;
    SaveDataOptions options;
    options.nDataRange = 2;
    auto dialog = Open(CDlgSaveDataOption::kText, CDlgSaveDataOption::kPoints, options);
    EXPECT_FALSE(Find<QRadioButton>(*dialog, "range2")->isEnabled());
    EXPECT_TRUE(Find<QRadioButton>(*dialog, "range1")->isChecked());
    Choose(*dialog, {"01-01-01"});
    dialog->accept();
    EXPECT_EQ(dialog->GetOptions().nDataRange, 1);
}

TEST_F(SaveDataOptionDialogTest, MatlabAndSpreadsheetExportsOfferNoColumnsOrDecimation) {
    SaveDataOptions options;
    options.bRelativeTime = options.bAbsoluteTime = options.bSampleStatus = 1;
    options.bChannelMark = options.bDescription = options.bDecimate = 1;
    options.bStandardExcel = 1;
    options.nStep = 2;
    auto matlab = Open(CDlgSaveDataOption::kMatlab, CDlgSaveDataOption::kPoints, options);
    for (const char* name : {"relativeTime", "absoluteTime", "sampleStatus", "channelMark", "description"}) {
        EXPECT_FALSE(Find<QCheckBox>(*matlab, name)->isEnabled()) << name;
        EXPECT_FALSE(Find<QCheckBox>(*matlab, name)->isChecked()) << name;
    }
    EXPECT_FALSE(Find<QCheckBox>(*matlab, "decimate")->isEnabled());
    Choose(*matlab, {"01-01-01"});
    matlab->accept();
    ASSERT_EQ(matlab->result(), QDialog::Accepted);
    EXPECT_EQ(matlab->GetOptions().bRelativeTime, 0);
    EXPECT_EQ(matlab->GetOptions().bDecimate, 0);
    EXPECT_EQ(matlab->GetOptions().bStandardExcel, 1);

    auto sheet = Open(CDlgSaveDataOption::kSpreadsheet, CDlgSaveDataOption::kPoints, options);
    EXPECT_TRUE(Find<QCheckBox>(*sheet, "relativeTime")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(*sheet, "decimate")->isEnabled());
    Choose(*sheet, {"01-01-01"});
    sheet->accept();
    ASSERT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(sheet->GetOptions().bStandardExcel, 0);
}

TEST_F(SaveDataOptionDialogTest, GroupListsPreselectAndReturnZeroBasedIndexes) {
    preselected = {1, 3};
    SaveDataOptions options;
    options.nFileLayout = 0;
    auto rosette = Open(CDlgSaveDataOption::kText, CDlgSaveDataOption::kRosetteGroups, options);
    EXPECT_EQ(Texts(Find<QListWidget>(*rosette, "chosen")),
              (QStringList{"组01:A(两片直角)", "组03:C(扇    形)"}));
    EXPECT_EQ(Texts(Find<QListWidget>(*rosette, "available")), (QStringList{"组02:B(等    角)"}));
    EXPECT_FALSE(Find<QRadioButton>(*rosette, "perFile")->isEnabled());
    EXPECT_FALSE(Find<QRadioButton>(*rosette, "pointSource1")->isEnabled());
    rosette->accept();
    ASSERT_EQ(rosette->result(), QDialog::Accepted);
    EXPECT_EQ(rosette->GetOptions().nFileLayout, 1);
    ASSERT_EQ(rosette->GetOptions().nChannelCount, 2);
    EXPECT_EQ(rosette->GetOptions().nChannels[0], 0);
    EXPECT_EQ(rosette->GetOptions().nChannels[1], 2);

    preselected.clear();
    auto residual = Open(CDlgSaveDataOption::kText, CDlgSaveDataOption::kResidualGroups);
    EXPECT_EQ(Texts(Find<QListWidget>(*residual, "available")),
              (QStringList{"组01:焊缝1(残余应力)", "组02:焊缝2(残余应力)"}));
    residual->accept();
    EXPECT_EQ(residual->result(), QDialog::Rejected);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"至少要选择一个组号。"}));
}

} // namespace
