// Offscreen tests of the mark-text dialog (what it sends the frame on each
// button) and of the computing-wait box.
#include "panels/PanelsTestApp.h"
#include "panels/run/DlgComputingWait.h"
#include "panels/run/DlgSampleLabel.h"

#include "model/AppSettings.h"
#include "views/shared/RoundButton.h"

#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Keeps the texts of the label messages while they are valid.
class LabelTarget : public platform::MessageTarget {
public:
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam, platform::LPARAM) override {
        if (message == WM_SAMPLE_LABEL_TEXT)
            texts.push_back(*reinterpret_cast<const std::string*>(wParam));
        return 0;
    }
    std::vector<std::string> texts;
};

class SampleLabelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }
    SampleLabelTest() { dialog.SetTarget(target.GetSafeHwnd()); }
    void Type(const QString& text) { dialog.findChild<QPlainTextEdit*>("label")->setPlainText(text); }
    CRoundButton* Button(const char* name) { return dialog.findChild<CRoundButton*>(name); }

    LabelTarget target;
    CDlgSampleLabel dialog;
};

TEST_F(SampleLabelTest, OkSendsTheTextOnOneLineAndCancelAnEmptyText) {
    ASSERT_NE(Button("ok"), nullptr) << "the buttons are round";
    ASSERT_NE(Button("cancel"), nullptr);
    dialog.show();
    Type("A\nB");
    Button("ok")->click();
    EXPECT_FALSE(dialog.isVisible());
    dialog.show();
    Type("C");
    Button("cancel")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(target.texts, (std::vector<std::string>{"A||B", ""}));
}

TEST(ComputingWaitTest, ShowsItsTextUnderTheApplicationTitle) {
    EnsurePanelsTestApp();
    CDlgComputingWait box;
    box.show();
    EXPECT_EQ(box.windowTitle().toStdString(), g_strAppTitle);
    EXPECT_EQ(box.findChild<QLabel*>("text")->text(), "正在进行计算，请稍候......");
}

} // namespace
