// The cursor-edit dialog: what each cursor type enables, deletion forcing the
// all-channels scope, and a new value that is no number keeping it open.
#include "views/ViewsTestSupport.h"

#include "platform/MessageBox.h"
#include "views/curve/CursorEditDlg.h"

#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

TEST(CursorEditDialog, CursorTypeDecidesWhatIsEnabled) {
    EnsureViewsTestApp();
    struct Case {
        int type;
        bool value, choices;
    };
    for (const Case& c :
         {Case{1, true, false}, Case{2, false, true}, Case{3, false, false}, Case{0, false, false}}) {
        CCursorEditDlg dialog;
        dialog.m_nCursorType = c.type;
        dialog.InitDialog();
        EXPECT_EQ(dialog.NewValueEdit()->isEnabled(), c.value) << c.type;
        for (QRadioButton* button : {dialog.ZeroButton(), dialog.DeleteButton(), dialog.ActiveScopeButton(),
                                     dialog.AllScopeButton()})
            EXPECT_EQ(button->isEnabled(), c.choices) << c.type;
        EXPECT_TRUE(dialog.ZeroButton()->isChecked());
        EXPECT_TRUE(dialog.ActiveScopeButton()->isChecked());
    }
}

TEST(CursorEditDialog, DeletionCoversAllChannelsUntilTheUserChanges) {
    EnsureViewsTestApp();
    CCursorEditDlg dialog;
    dialog.m_nCursorType = 2;
    dialog.InitDialog();
    dialog.DeleteButton()->click();
    EXPECT_FALSE(dialog.ActiveScopeButton()->isEnabled());
    EXPECT_TRUE(dialog.AllScopeButton()->isChecked());
    dialog.ZeroButton()->click();
    EXPECT_TRUE(dialog.ActiveScopeButton()->isEnabled());
    EXPECT_TRUE(dialog.AllScopeButton()->isChecked());
    ASSERT_TRUE(dialog.TryAccept());
    EXPECT_EQ(dialog.m_nOperation, 0);
    EXPECT_EQ(dialog.m_nScope, 1);
}

TEST(CursorEditDialog, NewValueMustBeANumber) {
    EnsureViewsTestApp();
    platform::MessageBoxRecorder boxes;
    CCursorEditDlg dialog;
    dialog.m_nCursorType = 1;
    dialog.InitDialog();
    dialog.NewValueEdit()->setText("12x");
    EXPECT_FALSE(dialog.TryAccept());
    EXPECT_EQ(boxes.Records().size(), 1u);
    dialog.NewValueEdit()->setText(" -3.5 ");
    ASSERT_TRUE(dialog.TryAccept());
    EXPECT_FLOAT_EQ(dialog.m_fNewValue, -3.5f);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

} // namespace
