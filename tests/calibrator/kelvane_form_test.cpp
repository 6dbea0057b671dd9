// The parameter form and the result view offscreen: the lists the
// instrument's settings give, the voltage setup, the channel marks and the
// point edits that go to the settings file at once.
#include "app/ShellTestSupport.h"
#include "calibrator/CalibrateFiles.h"
#include "calibrator/DlgCalibrationParam.h"
#include "calibrator/KelvaneFrame.h"
#include "calibrator/KelvaneView.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

class KelvaneFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        m_folder.WriteSettingsFile(
            "[SampleChanParams]\nFullValueCount=1\nFullValue0=20,x\n"
            "[BridgeVoltage]\nBridgeVoltageCount=2\nBridgeVoltage0=2,V\nBridgeVoltage1=5,V\n");
    }

    ShellScratch m_folder;
    platform::MessageBoxRecorder m_boxes;
};

} // namespace

TEST_F(KelvaneFormTest, ListsFollowTheInstrumentAndVoltageDisablesTheBridgeControls) {
    CKelvaneFrame frame(m_folder.ProgramFolder());
    CDlgCalibrationParam& form = *frame.Form();
    ASSERT_EQ(form.Range()->count(), 1);
    EXPECT_EQ(form.Range()->itemText(0), "20000");
    EXPECT_EQ(form.Voltage()->count(), 2);
    EXPECT_EQ(form.Voltage()->currentText(), "2");
    EXPECT_TRUE(form.Bridge()->isEnabled());
    form.UserLead()->setChecked(true);
    EXPECT_TRUE(form.LeadR()->isEnabled());

    form.ChanType()->setCurrentIndex(1);
    form.OnChanType(1);
    EXPECT_EQ(form.Range()->count(), 0) << "every full scale but the last";
    EXPECT_EQ(form.Unit()->text(), "mV");
    EXPECT_FALSE(form.Bridge()->isEnabled());
    EXPECT_FALSE(form.Voltage()->isEnabled());
    EXPECT_FALSE(form.UserLead()->isEnabled());
    EXPECT_FALSE(form.LeadR()->isEnabled());
    EXPECT_EQ(frame.View()->Tab(), CHAN_TYPE_VOLTAGE) << "the view follows the channel type";

    // No controller list yet: the form does not read, no run starts.
    EXPECT_FALSE(form.ReadForm());
    frame.Data().SetChannelList({});
    form.StartButton()->setEnabled(true);
    form.StartButton()->click();
    ASSERT_EQ(m_boxes.Records().size(), 1u);
    EXPECT_EQ(m_boxes.Records()[0].text, "未选择需要标定的通道，请重新选择。");
    EXPECT_FALSE(frame.Run().IsCalibrating());
}

TEST_F(KelvaneFormTest, ViewClicksEditTheChannelListAndThePointTables) {
    CKelvaneFrame frame(m_folder.ProgramFolder());
    CKelvaneView& view = *frame.View();
    const CMSFlexGrid& grid = *view.Grid();
    EXPECT_EQ(grid.GetTextMatrix(3, 0), "√ 3");
    view.OnGridClick(3, 0);
    EXPECT_EQ(grid.GetTextMatrix(3, 0), "× 3");
    EXPECT_EQ(frame.Data().ChannelList().size(), 15u);
    view.OnGridClick(0, 0);
    EXPECT_EQ(frame.Data().ChannelList().size(), 16u);
    view.OnGridClick(0, 0);
    EXPECT_TRUE(frame.Data().ChannelList().empty());
    EXPECT_EQ(grid.GetTextMatrix(16, 0), "× 16");

    const std::string settings = m_folder.File(kCalibrateParamFile);
    const struct {
        const char* what;
        int col;
        const char* text;
        bool present;
        float value;
    } edits[] = {
        {"a positive point", 2, "1500", true, 1500.0f},
        {"a negative point takes its sign from the point", 14, "300", true, -300.0f},
        {"a sign against the point is turned", 3, "-700", true, 700.0f},
        {"not a number is dropped", 2, "15-00", true, 1500.0f},
        {"an empty text removes the point", 4, "", false, 0.0f},
    };
    for (const auto& e : edits) {
        view.OnGridClick(0, e.col);
        EXPECT_FALSE(view.PointEditor()->isHidden()) << e.what;
        view.EndPointEdit(e.col, e.text);
        const CalibratePointTable table = frame.Data().PointTable(CHAN_TYPE_STRAIN);
        EXPECT_EQ(table.count(e.col - 1) == 1, e.present) << e.what;
        if (e.present) {
            EXPECT_EQ(table.at(e.col - 1), e.value) << e.what;
        }
        // Written at once.
        CalibrateData reread;
        platform::FlushProfileCache();
        LoadPointTables(settings, reread);
        EXPECT_EQ(reread.PointTable(CHAN_TYPE_STRAIN), table) << e.what;
    }
    EXPECT_EQ(grid.GetTextMatrix(0, 14), "-300");
    view.OnGridClick(0, 11);
    EXPECT_TRUE(view.PointEditor()->isHidden()) << "the zero point is not edited";

    // On the voltage tab a cell click chooses the point of the next voltage run.
    view.SetTab(CHAN_TYPE_VOLTAGE);
    view.OnGridClick(5, 4);
    EXPECT_EQ(frame.Data().VoltagePoint(), 3);
    EXPECT_EQ(grid.GetCellBackColor(1, 4), CKelvaneView::kColorCurrent);

    // Nothing is edited during a run.
    view.SetEditable(false);
    view.OnGridClick(1, 0);
    EXPECT_TRUE(frame.Data().ChannelList().empty());
}
