// The calibrator's dialogs and battery window offscreen, each opened from
// its command in the frame: the port settings, the manual output on the
// generator simulator, the file-name settings, the correction of the last
// run, the battery gauge and the Word result of the save button.
#include "DocxTestSupport.h"
#include "KelvaneFrameFixture.h"
#include "calibrator/DlgCalibrationParam.h"
#include "calibrator/KelvaneFrame.h"
#include "calibrator/dialogs/Battery.h"
#include "calibrator/dialogs/DlgCalibrateCorrect.h"
#include "calibrator/dialogs/DlgHandSetting.h"
#include "calibrator/dialogs/DlgSetCom.h"
#include "calibrator/dialogs/DlgSetSaveFileName.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "widgets/MSFlexGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <filesystem>

namespace {

// The port dialog's validation: the choice missing, then made.
void ChoosePortAndRate(CDlgSetCom& dialog, platform::MessageBoxRecorder& boxes) {
    dialog.Ports()->setCurrentIndex(-1);
    dialog.accept();
    EXPECT_EQ(boxes.Records().back().text, "串口号未选择！");
    EXPECT_TRUE(dialog.isVisible());
    dialog.Ports()->setCurrentIndex(dialog.Ports()->findText("COM1"));
    dialog.Bauds()->setCurrentIndex(-1);
    dialog.accept();
    EXPECT_EQ(boxes.Records().back().text, "通讯波特率未选择！");
    EXPECT_TRUE(dialog.isVisible());
    dialog.Bauds()->setCurrentIndex(dialog.Bauds()->findText("9600"));
    dialog.accept();
}

} // namespace

TEST_F(KelvaneFrameTest, PortDialogInsistsOnAPortAndARateAndReopensThePort) {
    platform::SetSerialDevicePrefix("/nonexistent/tty");
    CKelvaneFrame frame(m_folder.ProgramFolder());
    CreateAndSearch(frame);
    WhenModal<CDlgSetCom>(&frame, [&](CDlgSetCom& dialog) {
        EXPECT_EQ(dialog.Ports()->count(), 1);
        EXPECT_EQ(dialog.Ports()->currentText(), "COM1");
        EXPECT_EQ(dialog.Bauds()->currentText(), "19200");
        ChoosePortAndRate(dialog, m_boxes);
    });
    frame.Action(ID_SET_COM)->trigger();
    platform::SetSerialDevicePrefix("/dev/ttyS");
    int port = 0, baud = 0;
    LoadComParam(m_folder.File(kCalibrateParamFile), port, baud);
    EXPECT_EQ(port, 1);
    EXPECT_EQ(baud, 9600);
    EXPECT_TRUE(frame.IsPortOpen());
}

TEST_F(KelvaneFrameTest, ManualOutputSendsTheSignedValueAndRepeatsIt) {
    CKelvaneFrame frame(m_folder.ProgramFolder());
    frame.Create();
    ASSERT_TRUE(frame.IsPortOpen());
    bool done = false;
    WhenModal<CDlgHandSetting>(&frame, [&](CDlgHandSetting& dialog) {
        struct Case {
            const char* value;
            int bridge;
            bool accepted;
            int mode, magnitude;
        } cases[] = {
            {"-1500", BRIDGE_HALF, true, 4, 1500}, {"1500", BRIDGE_QUARTER, true, 2, 1500},
            {"-0.6", BRIDGE_FULL, true, 3, 1},     {"15-00", BRIDGE_FULL, false, 0, 0},
            {"1e3", BRIDGE_FULL, false, 0, 0},     {"", BRIDGE_FULL, false, 0, 0},
        };
        dialog.Channel()->setCurrentIndex(2);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.value);
            const std::size_t before = m_generator.Outputs().size();
            dialog.Bridge()->setCurrentIndex(c.bridge);
            dialog.Value()->setText(c.value);
            dialog.SendButton()->click();
            ASSERT_OR_CLOSE(dialog, ProcessEventsUntil([&] { return !dialog.IsSending(); }));
            const auto outputs = m_generator.Outputs();
            if (!c.accepted) {
                EXPECT_EQ(outputs.size(), before);
                EXPECT_EQ(m_boxes.Records().back().text, "参数设置错误，请重新设置！");
                EXPECT_EQ(m_boxes.Records().back().caption, "手动设置");
                continue;
            }
            ASSERT_OR_CLOSE(dialog, outputs.size() == before + 1);
            EXPECT_EQ(outputs.back().channel, 3);
            EXPECT_EQ(outputs.back().type, 0);
            EXPECT_EQ(outputs.back().modeIndex, c.mode);
            EXPECT_EQ(outputs.back().value, c.magnitude);
        }
        // A voltage output has neither bridge nor strain value.
        dialog.ChanType()->setCurrentIndex(1);
        EXPECT_FALSE(dialog.Bridge()->isEnabled());
        EXPECT_FALSE(dialog.Value()->isEnabled());
        dialog.ChanType()->setCurrentIndex(0);

        // The repeat resends at its interval (the sign taken off) until a send fails.
        dialog.Value()->setText("700");
        dialog.Repeat()->setChecked(true);
        dialog.Interval()->setText("-30");
        const std::size_t before = m_generator.Outputs().size();
        dialog.SendButton()->click();
        ASSERT_OR_CLOSE(dialog, ProcessEventsUntil([&] { return dialog.RepeatTimer()->isActive(); }));
        EXPECT_EQ(dialog.RepeatTimer()->interval(), 30);
        EXPECT_TRUE(ProcessEventsUntil([&] { return m_generator.Outputs().size() >= before + 3; }));
        m_generator.SetFaults({.refuseValues = true});
        EXPECT_TRUE(
            ProcessEventsUntil([&] { return !dialog.RepeatTimer()->isActive() && !dialog.IsSending(); }));
        EXPECT_EQ(m_boxes.Records().back().text, "参数发送失败，请检查！");
        // A silent generator keeps the window answering while the send waits.
        m_generator.SetFaults({.silent = true});
        dialog.Repeat()->setChecked(false);
        dialog.SendButton()->click();
        EXPECT_TRUE(dialog.IsSending());
        EXPECT_FALSE(dialog.SendButton()->isEnabled());
        EXPECT_TRUE(ProcessEventsUntil([&] { return !dialog.IsSending(); }));
        EXPECT_TRUE(dialog.SendButton()->isEnabled());
        m_generator.SetFaults({});
        // A repeat without a pause is refused.
        dialog.Repeat()->setChecked(true);
        dialog.Interval()->setText("0");
        dialog.SendButton()->click();
        EXPECT_EQ(m_boxes.Records().back().text, "参数设置错误，请重新设置！");
        done = true;
        dialog.reject();
    });
    frame.Action(ID_HAND_SETTING)->trigger();
    EXPECT_TRUE(done);
}

TEST_F(KelvaneFrameTest, FileNameDialogKeepsTimeAndNumberApartAndShowsTheName) {
    AddCalibrateParam("[DataFileOption]\r\nFileName=kal\r\nMultifile=1\r\nTimeStoring=1\r\nTimeIndex=1\r\n");
    CKelvaneFrame frame(m_folder.ProgramFolder());
    WhenModal<CDlgSetSaveFileName>(&frame, [&](CDlgSetSaveFileName& dialog) {
        EXPECT_EQ(dialog.Name()->text(), "kal");
        EXPECT_TRUE(dialog.TimeCheck()->isChecked());
        EXPECT_TRUE(dialog.TimeFormats()->isEnabled());
        EXPECT_EQ(dialog.TimeFormats()->currentText(), "hh_mm_ss");
        EXPECT_FALSE(dialog.DateFormats()->isEnabled());
        EXPECT_FALSE(dialog.StartNumber()->isEnabled());
        EXPECT_EQ(dialog.StartNumber()->text(), "0000");
        EXPECT_TRUE(dialog.Example()->text().startsWith("kal_"));

        dialog.NumberCheck()->setChecked(true);
        EXPECT_FALSE(dialog.TimeCheck()->isChecked());
        EXPECT_FALSE(dialog.TimeFormats()->isEnabled());
        EXPECT_TRUE(dialog.StartNumber()->isEnabled());
        dialog.StartNumber()->setText("12");
        EXPECT_EQ(dialog.Example()->text(), "kal_0012");
        dialog.DateCheck()->setChecked(true);
        dialog.DateFormats()->setCurrentIndex(1);
        EXPECT_TRUE(dialog.Example()->text().endsWith("_0012"));
        EXPECT_EQ(dialog.Example()->text().size(), QString("kal_yyyymmdd_0012").size());
        dialog.TimeCheck()->setChecked(true);
        EXPECT_FALSE(dialog.NumberCheck()->isChecked());
        dialog.NumberCheck()->setChecked(true);
        dialog.Name()->setText("run");
        dialog.accept();
    });
    frame.Form()->findChild<QPushButton*>("1014")->click();
    const DataFileOption& option = frame.FileOption();
    EXPECT_EQ(option.FileName, "run");
    EXPECT_EQ(frame.Form()->FileName()->text(), "run");
    EXPECT_TRUE(option.NumStoring);
    EXPECT_FALSE(option.TimeStoring);
    EXPECT_TRUE(option.DateStoring);
    EXPECT_EQ(option.DateIndex, 1);
    EXPECT_EQ(option.StartNum, 12);
}

TEST_F(KelvaneFrameTest, CorrectionFromTheMenuShowsTheLastRunAndWritesNothing) {
    // Cut short after three coefficients.
    std::ofstream(m_folder.File(kCorrectFile), std::ios::binary)
        << platform::Utf8ToGbk("机号\r\n2\r\n模块\r\n3\r\n非线性\r\n1.010000\r\n0.000000\r\n0.995000\r\n");
    CKelvaneFrame frame(m_folder.ProgramFolder());
    frame.Data().SetChannelList({0, 1, 2});
    bool shown = false;
    WhenModal<CDlgCalibrateCorrect>(&frame, [&](CDlgCalibrateCorrect& dialog) {
        shown = true;
        EXPECT_FALSE(dialog.CorrectButton()->isEnabled());
        EXPECT_EQ(dialog.CaseLabel()->text(), "2");
        EXPECT_EQ(dialog.ModuleLabel()->text(), "3");
        CMSFlexGrid* grid = dialog.Grid();
        ASSERT_OR_CLOSE(dialog, grid->GetRows() == 4);
        EXPECT_EQ(grid->GetTextMatrix(0, 1), "非线性修正系数");
        EXPECT_EQ(grid->GetTextMatrix(1, 1), "1.010000");
        EXPECT_EQ(grid->GetTextMatrix(3, 1), "0.995000");
        // A channel is marked by a click on its heading; an unfitted one (0) never.
        EXPECT_EQ(grid->GetTextMatrix(1, 0), "×  1");
        EXPECT_EQ(grid->GetTextMatrix(2, 0), "×  2");
        dialog.OnGridClick(1, 0);
        dialog.OnGridClick(2, 0);
        EXPECT_EQ(grid->GetTextMatrix(1, 0), "√  1");
        EXPECT_EQ(grid->GetTextMatrix(2, 0), "×  2");
        dialog.reject();
    });
    frame.Action(ID_RECENT_COEF)->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FLOAT_EQ(frame.Data().Coefficients()[2], 0.995f);
}

TEST_F(KelvaneFrameTest, BatteryGaugeCountsBarsAndStopsWithTheFrame) {
    for (const auto& [level, bars] : std::vector<std::pair<int, int>>{
             {100, 3}, {76, 3}, {75, 2}, {51, 2}, {50, 1}, {26, 1}, {25, 0}, {0, 0}})
        EXPECT_EQ(CBattery::Bars(level), bars) << level;

    // One bar at 26; at 25 an empty gauge that blinks.
    for (const int level : {26, 25}) {
        SCOPED_TRACE(level);
        m_generator.SetBattery(1, level);
        CKelvaneFrame frame(m_folder.ProgramFolder());
        frame.show();
        frame.Create();
        auto* battery = frame.findChild<CBattery*>();
        ASSERT_NE(battery, nullptr);
        EXPECT_FALSE(battery->HasAnswer());
        EXPECT_EQ(battery->Level(), CBattery::kStartLevel);
        EXPECT_GT(battery->x(), frame.width() / 2);
        ASSERT_TRUE(ProcessEventsUntil([&] { return battery->HasAnswer(); }));
        EXPECT_EQ(battery->Level(), level);
        const QImage gauge = battery->grab().toImage();
        int green = 0;
        for (int y = 0; y < gauge.height(); ++y)
            for (int x = 0; x < gauge.width(); ++x)
                green += gauge.pixelColor(x, y) == QColor(Qt::green) ? 1 : 0;
        EXPECT_EQ(green > 0, level == 26);
        EXPECT_EQ(battery->BlinkTimer()->isActive(), level == 25);
        EXPECT_TRUE(frame.close());
        EXPECT_TRUE(battery->IsStopped());
    }
}

TEST_F(KelvaneFrameTest, SaveButtonWritesTheWordResultFromTheTemplate) {
    AddCalibrateParam("[DataFileOption]\r\nFileName=kal\r\nSaveType=1\r\n");
    CKelvaneFrame frame(m_folder.ProgramFolder());
    frame.Form()->SaveButton()->click();
    EXPECT_TRUE(Shown("Couldn't start Word."));
    EXPECT_EQ(frame.StatusText(), "标定结果文件保存失败！");
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("kal.docx"))) << "nothing is left of a failed save";

    std::filesystem::copy_file(std::string(QV_SOURCE_DIR) + "/data/Template.docx",
                               m_folder.File("Template.docx"));
    frame.Data().SetChannelList({1});
    frame.Form()->SaveButton()->click();
    ASSERT_EQ(frame.LastResultPath(), m_folder.File("kal.docx"));
    const Table table = FirstTable(frame.LastResultPath());
    ASSERT_EQ(table.size(), 22u);
    EXPECT_EQ(table[3][1], "1"); // case 1
    EXPECT_EQ(table[5][0], "通道");
    EXPECT_EQ(table[5][6], "1000");
    EXPECT_EQ(table[6][0], "× 1");
    EXPECT_EQ(table[7][0], "√ 2");
}

TEST_F(KelvaneFrameTest, ManualOutputClosedDuringASendLeavesTheFrameAnswering) {
    CKelvaneFrame frame(m_folder.ProgramFolder());
    CreateAndSearch(frame);
    m_generator.SetFaults({.silent = true});
    bool handled = false;
    WhenModal<CDlgHandSetting>(&frame, [&](CDlgHandSetting& dialog) {
        dialog.Repeat()->setChecked(true);
        dialog.Interval()->setText("30");
        dialog.SendButton()->click();
        ASSERT_OR_CLOSE(dialog, dialog.IsSending());
        QTimer::singleShot(0, &frame, [&] { handled = true; });
        dialog.reject();
    });
    const std::size_t shown = m_boxes.Records().size();
    frame.Action(ID_HAND_SETTING)->trigger();
    EXPECT_TRUE(handled) << "the frame handled events while the send ended";
    EXPECT_EQ(m_boxes.Records().size(), shown) << "a closed dialog says nothing of its send";
}
