// The permission-code dialog: OK and "stop asking" only while the whole text
// equals the code, byte for byte (multi-byte codes too).
#include "views/ViewsTestSupport.h"

#include "views/shared/DlgRightsVerify.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

TEST(RightsVerifyDialog, OkOnlyWhileTheTextEqualsTheCode) {
    EnsureViewsTestApp();
    struct Step {
        const char* text;
        bool ok;
    };
    const std::pair<const char*, std::vector<Step>> cases[] = {
        {"码A1",
         {{"码A", false}, {"码A1", true}, {"码A1 ", false}, {"码a1", false}, {"码A1", true}, {"码A", false}}},
        // An empty code: disabled at first, enabled by an edit that leaves the field empty.
        {"", {{"x", false}, {"", true}}},
    };
    for (const auto& [code, steps] : cases) {
        CDlgRightsVerify dialog;
        dialog.SetVerifyCode(code);
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        EXPECT_FALSE(dialog.NoRepeatBox()->isEnabled());
        for (const Step& step : steps) {
            dialog.CodeEdit()->setText(QString::fromUtf8(step.text));
            EXPECT_EQ(dialog.OkButton()->isEnabled(), step.ok) << code << " / " << step.text;
            EXPECT_EQ(dialog.NoRepeatBox()->isEnabled(), step.ok) << code << " / " << step.text;
        }
    }
}

TEST(RightsVerifyDialog, OkTakesTheNoRepeatChoice) {
    EnsureViewsTestApp();
    CDlgRightsVerify dialog;
    dialog.SetVerifyCode("42");
    dialog.CodeEdit()->setText("42");
    dialog.NoRepeatBox()->setChecked(true);
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.GetNoRepeatPrompt());
}

} // namespace
