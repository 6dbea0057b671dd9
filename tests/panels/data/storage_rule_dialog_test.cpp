// Offscreen tests of the storage-rule dialog: the controls it fills, the
// refusals it shows and keys that must not close it.
#include "panels/data/DlgStorageRule.h"

#include "platform/Message.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class StorageRuleDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "datafiles_ui_tests";
            static char* argv[] = {name, nullptr};
            static QApplication* app = new QApplication(argc, argv);
            (void)app;
        }
        platform::SetUiThread();
    }

    void Open(int sampleMode) {
        StorageRuleSettings rule;
        CopyToField(rule.szProjectName, STORAGE_NAME_SIZE, "Test");
        rule.bNumStoring = 1;
        rule.iStartNum = 7;
        rule.iNumDefaultLength = 3;
        rule.nFilePathCount = 1;
        CopyToField(rule.szSavePath[0], STORAGE_PATH_SIZE, "/data");
        SampleSettings settings;
        settings.nSampleMode = sampleMode;
        dialog.SetStorageRule(rule);
        dialog.SetSampleParams(settings);
        dialog.SetTriggerChannels({0, 17});
        dialog.OnInitDialog();
    }

    template <class W> W* Find(const char* name) {
        W* widget = dialog.findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& record : boxes.Records())
            texts.push_back(record.text);
        return texts;
    }

    platform::MessageBoxRecorder boxes;
    CDlgStorageRule dialog;
};

TEST_F(StorageRuleDialogTest, ShowsTheRecordAndLocksTriggerOutsideContinuousMode) {
    Open(SAMPLE_MODE_SINGLE);
    EXPECT_EQ(Find<QLineEdit>("startNumber")->text(), "007");
    EXPECT_EQ(Find<QLabel>("example")->text(), "Test_007");
    EXPECT_EQ(Find<QListWidget>("paths")->count(), 2) << "the path and the empty item";
    EXPECT_EQ(Find<QComboBox>("triggerChannel")->itemText(1), "01-02-02");
    EXPECT_FALSE(Find<QCheckBox>("triggerOn")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>("splitSize")->isEnabled()) << "split is off";
}

TEST_F(StorageRuleDialogTest, RefusalsKeepTheDialogOpenAndOkReturnsTheRule) {
    Open(SAMPLE_MODE_CONTINUOUS);
    auto* size = Find<QLineEdit>("splitSize");
    size->setText("3000");
    emit size->editingFinished();
    EXPECT_EQ(size->text(), "100") << "the previous size is put back";

    Find<QCheckBox>("numberOn")->click();
    EXPECT_TRUE(Find<QCheckBox>("numberOn")->isChecked()) << "the only naming part stays on";
    Find<QCheckBox>("timeOn")->click();
    EXPECT_FALSE(Find<QCheckBox>("numberOn")->isChecked());

    dialog.show();
    Find<QCheckBox>("triggerOn")->setChecked(true);
    Find<QPushButton>("ok")->click();
    EXPECT_TRUE(dialog.isVisible());
    Find<QComboBox>("triggerChannel")->setCurrentIndex(1);
    Find<QLineEdit>("threshold")->setText("2.5");
    Find<QPushButton>("ok")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Messages(), (std::vector<std::string>{STORAGE_SPLIT_TOO_BIG, STORAGE_NO_TRIGGER_CHANNEL}));

    StorageRuleSettings out;
    dialog.GetStorageRule(out);
    EXPECT_EQ(out.StoreValue, 100);
    EXPECT_EQ(out.bTimeStoring, 1);
    EXPECT_EQ(out.bNumStoring, 0);
    EXPECT_EQ(out.bTrigSave, 1);
    EXPECT_EQ(out.nTrigChan, 17);
    EXPECT_FLOAT_EQ(out.fTrigValue, 2.5f);
}

TEST_F(StorageRuleDialogTest, EnterAndEscapeLeaveItOpen) {
    Open(SAMPLE_MODE_SINGLE);
    dialog.show();
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &press);
        EXPECT_TRUE(dialog.isVisible()) << key;
    }
    auto* editor = Find<QLineEdit>("pathEditor");
    Find<QListWidget>("paths")->setCurrentRow(1);
    editor->setText("/more");
    emit editor->textEdited("/more");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(Find<QListWidget>("paths")->count(), 3) << "Enter in the editor commits the item";
}

} // namespace
