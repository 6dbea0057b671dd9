// Page setup: the checks against the paper, the preview, and the dialog's
// messages while the user types.
#include "views/ViewsTestSupport.h"

#include "platform/MessageBox.h"
#include "views/shared/DlgPageSetup.h"

#include <QLineEdit>

namespace {

const PaperInfo kA4{true, false, 21.0, 29.7};

TEST(PageSetup, ChecksAgainstThePaper) {
    const struct {
        float left, right, top, bottom, header, footer;
        PaperInfo paper;
        const char* message;
    } cases[] = {
        {10.5f, 10.5f, 1, 1, 1, 1, kA4, ""},
        {10.5f, 10.6f, 1, 1, 1, 1, kA4, "左右页边距设置超出页宽!"},
        {1, 1, 10, 10, 5, 4.7f, kA4, ""},
        {1, 1, 10, 10, 5, 5, kA4, "上下页边距加上页眉页脚高度之和超出页面高度!"},
        {10, 10, 10, 10, 10, 10, PaperInfo{}, ""},
    };
    for (const auto& c : cases) {
        PageSetupValues v;
        v.fLeftMargin = c.left;
        v.fRightMargin = c.right;
        v.fTopMargin = c.top;
        v.fBottomMargin = c.bottom;
        v.fHeaderHeight = c.header;
        v.fFooterHeight = c.footer;
        EXPECT_EQ(CheckPageSetup(v, c.paper), c.message) << c.left << " " << c.right << " " << c.header;
    }
    EXPECT_TRUE(IsPageLengthInRange(10.0f));
    EXPECT_FALSE(IsPageLengthInRange(10.01f));
    EXPECT_FALSE(IsPageLengthInRange(-0.1f));
    EXPECT_TRUE(IsPageTextInRange(std::string(50 * 3, 'a').substr(0, 50)));
    std::string fifty;
    for (int i = 0; i < 50; ++i)
        fifty += "页";
    EXPECT_TRUE(IsPageTextInRange(fifty));
    EXPECT_FALSE(IsPageTextInRange(fifty + "a"));
}

TEST(PageSetup, PreviewScalesThePageAndDropsAnEmptyHeaderBand) {
    PageSetupValues v;
    PagePreview withPrinter = ComputePagePreview(v, kA4, 240, 330);
    ASSERT_TRUE(withPrinter.bDrawn);
    EXPECT_DOUBLE_EQ(withPrinter.page.left, 50);
    EXPECT_DOUBLE_EQ(withPrinter.page.right, 190);
    EXPECT_NEAR(withPrinter.textArea.left, 50 + 2.0 * 140 / 21.0, 1e-9);
    EXPECT_TRUE(withPrinter.bHeader);
    v.fHeaderHeight = 0;
    EXPECT_FALSE(ComputePagePreview(v, kA4, 240, 330).bHeader);
    // Without a printer: 15 pixels a centimetre across, 5 down.
    const PagePreview fixed = ComputePagePreview(v, PaperInfo{}, 240, 330);
    EXPECT_DOUBLE_EQ(fixed.textArea.left, 20 + 2.0 * 15);
    EXPECT_DOUBLE_EQ(fixed.textArea.top, 10 + 1.0 * 5 + 10);
    v.fLeftMargin = v.fRightMargin = 10; // 300 pixels of margins on a 200-pixel page
    EXPECT_FALSE(ComputePagePreview(v, PaperInfo{}, 240, 330).bDrawn);
}

TEST(PageSetup, DialogWarnsAtEveryChangeWhileMarginsPassThePageWidth) {
    EnsureViewsTestApp();
    platform::MessageBoxRecorder boxes;
    CDlgPageSetup dialog;
    dialog.SetPaper(PaperInfo{true, false, 15.0, 20.0});
    dialog.SetValues(PageSetupValues{});
    QLineEdit* left = dialog.FieldEdit(CDlgPageSetup::Left);
    left->setText("");
    left->textEdited("");
    EXPECT_TRUE(boxes.Records().empty()) << "an emptied field is not read";
    left->setText("20.5");
    left->textEdited("20.5");
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, "请输入一个介于 0 和 10 之间的数。");
    left->setText("10");
    left->textEdited("10");
    QLineEdit* right = dialog.FieldEdit(CDlgPageSetup::Right);
    right->setText("5");
    right->textEdited("5"); // a sum equal to the width is accepted
    right->setText("5.5");
    right->textEdited("5.5");
    right->setText("6");
    right->textEdited("6");
    ASSERT_EQ(boxes.Records().size(), 3u);
    EXPECT_EQ(boxes.Records()[1].text, "左右页边距设置超出页宽!");
    EXPECT_EQ(boxes.Records()[2].text, "左右页边距设置超出页宽!");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << "OK leaves the dialog open";
    right->setText("4");
    right->textEdited("4");
    dialog.FieldEdit(CDlgPageSetup::HeaderText)->setText("页眉");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FLOAT_EQ(dialog.GetValues().fLeftMargin, 10.0f);
    EXPECT_FLOAT_EQ(dialog.GetValues().fRightMargin, 4.0f);
    EXPECT_EQ(dialog.GetValues().strHeader, "页眉");
}

} // namespace
