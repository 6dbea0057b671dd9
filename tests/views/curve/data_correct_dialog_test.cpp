// The data-correction dialog: the coefficient ranges, the accumulated
// correction's text, and OK that stays open on a refusal.
#include "views/ViewsTestSupport.h"

#include "model/ChannelNaming.h"
#include "platform/MessageBox.h"
#include "views/curve/DataCorrectDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

TEST(DataCorrectDialog, CoefficientRanges) {
    struct Case {
        float a, b;
        int result;
    };
    const Case cases[] = {
        {0.0001f, 0.0f, 0},     {9999.99f, 0.0f, 0}, {-9999.99f, 0.0f, 0}, {0.00009f, 0.0f, 1},
        {-10000.0f, 0.0f, 1},   {10000.0f, 0.0f, 1}, {0.0f, 0.0f, 1},      {1.0f, -9999999.0f, 0},
        {1.0f, 10000000.0f, 2}, {0.0f, 1e8f, 1}, // a is checked first
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckCorrectionCoefficients(c.a, c.b), c.result) << c.a << " " << c.b;
    EXPECT_EQ(AccumulatedCorrectionText(2.0f, -0.0000005f), "Y = 2.000000X + 0.000000");
    EXPECT_EQ(AccumulatedCorrectionText(1.0f, -1.5f), "Y = 1.000000X - 1.500000");
}

TEST(DataCorrectDialog, ChannelChoiceShowsItsCorrectionAndOkChecksTheCoefficients) {
    EnsureViewsTestApp();
    CDataCorrectDlg dialog({3, 17}, [](int channel) { return std::pair{channel == 17 ? 3.0f : 1.0f, 0.5f}; });
    EXPECT_EQ(dialog.GetChannelId(), 3);
    EXPECT_FALSE(dialog.IsChanged());
    dialog.ChannelBox()->setCurrentIndex(1);
    EXPECT_EQ(dialog.GetChannelId(), 17);
    EXPECT_TRUE(dialog.IsChanged());
    EXPECT_EQ(dialog.AccumulatedLabel()->text().toStdString(), "Y = 3.000000X + 0.500000");

    platform::MessageBoxRecorder boxes;
    dialog.AEdit()->setText("20000");
    dialog.TryAccept();
    EXPECT_EQ(dialog.result(), 0) << "stays open";
    dialog.AEdit()->setText("x");
    dialog.TryAccept();
    dialog.AEdit()->setText("2");
    dialog.BEdit()->setText("1e8");
    dialog.TryAccept();
    ASSERT_EQ(boxes.Records().size(), 3u);
    EXPECT_EQ(boxes.Records()[0].text, "系数 a 超出系统允许的范围，请重新设置");
    EXPECT_EQ(boxes.Records()[2].text, "系数 b 超出系统允许的范围，请重新设置");
    dialog.BEdit()->setText("-4");
    dialog.TryAccept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FLOAT_EQ(dialog.GetA(), 2.0f);
    EXPECT_FLOAT_EQ(dialog.GetB(), -4.0f);
}

} // namespace
