// Offscreen tests of the bar view's channel choice and the distribution
// view's batch choice: what they offer, the moves, the limits and OK.
#include "model/ChannelModelTestSupport.h"
#include "panels/PanelsTestApp.h"
#include "panels/channels/DlgSignalSelect.h"
#include "panels/run/DlgDistributionBatch.h"

#include "datafiles/SampleFileFormat.h"
#include "model/AppSettings.h"
#include "model/ChannelNaming.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

QStringList Texts(QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

class SignalSelectTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }
    SignalSelectTest() {
        ResetCaseTables();
        ClearChannelRecords();
        // Online order: unit 1 before unit 0. Channel 2 is not shown, 3 not present.
        const int online[] = {16, 17, 0, 1, 2, 3};
        for (const int channel : online) {
            g_ChannelList[g_nChannelCount++] = channel;
            g_ChannelParams[channel].bShown = channel == 2 ? 0 : 1;
            g_ChannelState[channel].bPresent = channel == 3 ? 0 : 1;
        }
    }
    ~SignalSelectTest() override {
        ResetCaseTables();
        ClearChannelRecords();
    }
    QListWidget* List(const char* name) { return dialog.findChild<QListWidget*>(name); }
    QPushButton* Button(const char* name) { return dialog.findChild<QPushButton*>(name); }
    void Select(QListWidget* list, const QStringList& texts) {
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setSelected(texts.contains(list->item(i)->text()));
    }

    CDlgSignalSelect dialog;
};

TEST_F(SignalSelectTest, OffersShownPresentUnchosenChannelsInOnlineOrder) {
    const std::int32_t chosen[] = {17, -1, 4096};
    dialog.SetSelection(3, chosen);
    dialog.OnInitDialog();
    EXPECT_EQ(Texts(List("chosen")), QStringList{"01-02-02"});
    EXPECT_EQ(Texts(List("available")), (QStringList{"01-02-01", "01-01-01", "01-01-02"}));
}

TEST_F(SignalSelectTest, ButtonsMoveTheSelectedEntriesInListOrderAndDoubleClickMovesOne) {
    dialog.SetSelection(0, nullptr);
    dialog.OnInitDialog();
    QListWidget* available = List("available");
    QListWidget* chosen = List("chosen");
    Select(available, {"01-01-02", "01-02-01"});
    Button("add")->click();
    EXPECT_EQ(Texts(chosen), (QStringList{"01-02-01", "01-01-02"}));
    EXPECT_EQ(Texts(available), (QStringList{"01-02-02", "01-01-01"}));
    emit available->itemDoubleClicked(available->item(0));
    Select(chosen, {"01-02-01"});
    Button("remove")->click();
    EXPECT_EQ(Texts(chosen), (QStringList{"01-01-02", "01-02-02"}));
    EXPECT_EQ(Texts(available), (QStringList{"01-01-01", "01-02-01"}));
}

TEST_F(SignalSelectTest, OkReturnsTheChosenChannelsAscendingAndAtMost128) {
    dialog.SetSelection(0, nullptr);
    dialog.OnInitDialog();
    Button("ok")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << "an empty choice keeps the dialog open";

    QListWidget* chosen = List("chosen");
    // 130 channels from the top down, a name that does not parse, one
    // outside the channels and a duplicate.
    for (int channel = 129; channel >= 0; --channel)
        chosen->addItem(QString::fromStdString(FormatChannelName(channel)));
    chosen->addItem("abc");
    chosen->addItem("33-01-01");
    chosen->addItem("01-01-05");
    Button("ok")->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.GetCount(), 128);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(dialog.GetChannels()[i], i);
}

// A status file of n records, sample k stamped on 2024-3-(k+1) 08:30:05.
void WriteStatusFile(const std::string& path, int count) {
    std::ofstream file(path, std::ios::binary);
    for (int k = 0; k < count; ++k) {
        SampleStatusRecord record{};
        record.dtTime = 45352.0 + k + (8 * 3600 + 30 * 60 + 5) / 86400.0; // 2024-03-01 + k
        file.write(reinterpret_cast<const char*>(&record), sizeof record);
    }
}

class DistributionBatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }
    QTreeWidget* List(CDlgDistributionBatch& dialog, const char* name) {
        return dialog.findChild<QTreeWidget*>(name);
    }
    static QStringList Rows(QTreeWidget* list) {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0) + " " + list->topLevelItem(i)->text(1);
        return rows;
    }
    void DoubleClick(QTreeWidget* list, int row) { emit list->itemDoubleClicked(list->topLevelItem(row), 0); }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& record : boxes.Records())
            texts.push_back(record.text + "|" + record.caption);
        return texts;
    }

    ScratchFolder folder;
    platform::MessageBoxRecorder boxes;
};

TEST_F(DistributionBatchTest, ListsTheStoredSamplesFromACopyOfTheStatusFile) {
    const std::string path = folder.File("Run_0.stu");
    WriteStatusFile(path, 7);
    CDlgDistributionBatch dialog(path, 6, nullptr);
    dialog.OnInitDialog();
    const QStringList rows = Rows(List(dialog, "batches"));
    ASSERT_EQ(rows.size(), 6) << "the stored count, not the file's records";
    EXPECT_EQ(rows[0], "1 2024-3-1 08:30:05");
    EXPECT_EQ(rows[5], "6 2024-3-6 08:30:05");
    EXPECT_FALSE(std::filesystem::exists(folder.File("Run_0.~~u"))) << "the copy is removed";
    EXPECT_EQ(platform::FileSize(path), 7 * 32);

    CDlgDistributionBatch missing(folder.File("none.stu"), 6, nullptr);
    missing.OnInitDialog();
    EXPECT_EQ(List(missing, "batches")->topLevelItemCount(), 0);
}

TEST_F(DistributionBatchTest, ChoosesUpToFourBatchesInChoiceOrder) {
    const std::string path = folder.File("Run_0.stu");
    WriteStatusFile(path, 6);
    CDlgDistributionBatch dialog(path, 6, nullptr);
    dialog.OnInitDialog();
    QTreeWidget* batches = List(dialog, "batches");
    QTreeWidget* chosen = List(dialog, "chosenBatches");

    dialog.findChild<QPushButton*>("ok")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Messages(), std::vector<std::string>{std::string("请至少选一个批次! |") + g_strAppTitle});

    for (const int row : {4, 0, 2, 5, 1})
        DoubleClick(batches, row);
    EXPECT_EQ(Messages().back(), std::string("选择的批次不能>4个!|") + g_strAppTitle);
    ASSERT_EQ(dialog.GetBatchCount(), 4);
    EXPECT_EQ(Rows(chosen), (QStringList{"5 2024-3-5 08:30:05", "1 2024-3-1 08:30:05", "3 2024-3-3 08:30:05",
                                         "6 2024-3-6 08:30:05"}));

    DoubleClick(chosen, 1); // removing closes up the indices
    EXPECT_EQ(dialog.GetBatchCount(), 3);
    EXPECT_EQ(dialog.GetBatchIndices(), (std::array<std::int32_t, 4>{4, 2, 5, 0}));
    EXPECT_EQ(Rows(chosen).size(), 3);
    dialog.findChild<QPushButton*>("ok")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

} // namespace
