// The calibrator's frame offscreen: it links to a stand-in main program on
// 127.0.0.1:8001, takes the controller list into its form, runs a strain
// calibration through the link against the generator simulator on a
// pseudo-terminal, saves the result, refuses to close during a run, and
// reports a machine without serial ports.
#include "KelvaneFrameFixture.h"
#include "calibrator/DlgCalibrationParam.h"
#include "calibrator/KelvaneFrame.h"
#include "calibrator/KelvaneView.h"
#include "calibrator/dialogs/DlgCalibrateCoef.h"
#include "calibrator/dialogs/DlgCalibrateCorrect.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "widgets/MSFlexGrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>

TEST_F(KelvaneFrameTest, LinksToTheMainProgramAndRunsACalibrationFromTheForm) {
    FakeMainProgram main(m_generator);
    ASSERT_TRUE(main.Listen());
    main.gains[2] = 1.01f;
    {
        CKelvaneFrame frame(m_folder.ProgramFolder());
        frame.show();
        EXPECT_EQ(frame.windowTitle(), "Kelvane - QV7416");
        CreateAndSearch(frame);
        EXPECT_TRUE(frame.IsPortOpen());
        EXPECT_TRUE(frame.IsGeneratorFound());
        CDlgCalibrationParam& form = *frame.Form();
        ASSERT_TRUE(ProcessEventsUntil([&] { return form.Cases()->count() == 2; }));
        EXPECT_EQ(main.codes.front(), CALIBRATE_GREETING);
        EXPECT_EQ(frame.Link().ControllerCount(), 2);
        // The chosen case's modules come from its own record, not its position.
        form.SelectModule(0, 3);
        EXPECT_EQ(form.Modules()->count(), 2);
        EXPECT_EQ(form.Modules()->currentText(), "4");
        EXPECT_EQ(form.Range()->currentText(), "20000");
        EXPECT_EQ(form.Unit()->text(), "με");

        frame.Data().SetChannelList({0, 2});
        // The instrument's coefficients of the 5 and 20 ranges; the run's range is 20.
        CalibrateCoefRecord range20;
        range20.fill(1.0f);
        range20[2] = 2.0f;
        main.coefRecords = {CalibrateCoefRecord{}, range20};
        // The correction offered after the run writes channel 3, over the limit,
        // scaled by the instrument's coefficient.
        std::vector<std::uint8_t> correction;
        bool finishedBeforeCorrection = false;
        WhenModal<CDlgCalibrateCorrect>(&frame, [&](CDlgCalibrateCorrect& dialog) {
            finishedBeforeCorrection = Shown("标定结束！") || !frame.LastResultPath().empty();
            EXPECT_TRUE(dialog.CorrectButton()->isEnabled());
            EXPECT_EQ(dialog.CaseLabel()->text(), "1");
            EXPECT_EQ(dialog.ModuleLabel()->text(), "4");
            const CMSFlexGrid* rows = dialog.Grid();
            ASSERT_OR_CLOSE(dialog, rows->GetRows() == 3);
            EXPECT_EQ(rows->GetTextMatrix(1, 0), "×  1");
            EXPECT_EQ(rows->GetTextMatrix(2, 0), "√  3");
            EXPECT_EQ(rows->GetTextMatrix(2, 1), "0.990099");
            EXPECT_EQ(rows->GetTextMatrix(2, 2), "1.0000%");
            dialog.CorrectButton()->click();
            if (!main.codes.empty() && main.codes.back() == CALIBRATE_WRITE_COEF)
                correction = main.lastPacket;
            dialog.reject();
        });
        main.heldCode = CALIBRATE_READ_SAMPLE;
        EXPECT_EQ(form.StartButton()->text(), "启动标定");
        form.StartButton()->click();
        ASSERT_TRUE(frame.Run().IsCalibrating());
        EXPECT_EQ(form.StartButton()->text(), "暂停标定");
        EXPECT_FALSE(form.Cases()->isEnabled());
        EXPECT_FALSE(frame.Action(ID_SET_COM)->isEnabled());
        EXPECT_TRUE(frame.Action(ID_HAND_SETTING)->isEnabled());
        ASSERT_TRUE(ProcessEventsUntil(
            [&] { return !main.codes.empty() && main.codes.back() == CALIBRATE_READ_SAMPLE; }));

        // Closing during the run is refused.
        EXPECT_FALSE(frame.close());
        EXPECT_TRUE(frame.isVisible());
        ASSERT_FALSE(m_boxes.Records().empty());
        EXPECT_EQ(m_boxes.Records().back().text, "当前处于标定中，请停止后再关闭应用程序!");
        EXPECT_EQ(m_boxes.Records().back().caption, "标定");

        // Held readings answered from here on.
        main.heldCode = -1;
        const auto held = BuildLinkPacket(CALIBRATE_READ_SAMPLE, nullptr, 0);
        main.WindowProc(0, held.size(), reinterpret_cast<platform::LPARAM>(held.data()));
        ASSERT_TRUE(
            ProcessEventsUntil([&] { return frame.IsDone() && !frame.Run().IsCalibrating(); }, 20000));
        ASSERT_TRUE(ProcessEventsUntil([&] { return !frame.LastResultPath().empty(); }));
        EXPECT_EQ(platform::FolderOf(frame.LastResultPath()), m_folder.ProgramFolder());
        EXPECT_EQ(platform::ExtensionOf(frame.LastResultPath()), ".xls");
        ASSERT_TRUE(ProcessEventsUntil([&] { return form.StartButton()->text() == "启动标定"; }));
        EXPECT_TRUE(form.Cases()->isEnabled());

        // Channel 3 reads 1 % high: 200 µε of the 20000 full scale at point 0.
        const auto results = frame.Data().Results(CHAN_TYPE_STRAIN);
        EXPECT_NEAR(results.at(kMaxErrorKey).fValues[2], 1.0f, 1e-3);
        EXPECT_NEAR(results.at(kMaxErrorKey).fValues[0], 0.0f, 1e-4);
        EXPECT_EQ(frame.Data().OverLimit(), std::vector<int>{2});
        const CMSFlexGrid* grid = frame.View()->Grid();
        EXPECT_EQ(grid->GetTextMatrix(3, 1), "20200");
        EXPECT_EQ(grid->GetTextMatrix(3, 22), "1.0000");
        EXPECT_EQ(grid->GetCellBackColor(3, 22), CKelvaneView::kColorOverLimit);
        const auto outputs = m_generator.Outputs();
        ASSERT_FALSE(outputs.empty());
        EXPECT_EQ(outputs.back().value, 20000);
        EXPECT_EQ(outputs.back().modeIndex, 1); // half bridge
        EXPECT_TRUE(Shown("标定结束！"));
        // The correction was offered over the coefficients written to correct.txt,
        // and closed before the run's end was handled.
        EXPECT_TRUE(Shown("是否进行标定系数修正？", "标定误差"));
        EXPECT_FALSE(finishedBeforeCorrection);
        ASSERT_TRUE(ProcessEventsUntil([&] { return !correction.empty(); }));
        EXPECT_TRUE(Shown("设置通道修正系数完成！", "通道修正"));
        ASSERT_EQ(correction.size(), kCalibrateWritePacketSize);
        std::int32_t channels[kCalibrateChannels];
        float coefs[kCalibrateChannels];
        std::memcpy(channels, correction.data() + 56, sizeof channels);
        std::memcpy(coefs, correction.data() + 120, sizeof coefs);
        EXPECT_EQ(channels[0], -1);
        EXPECT_EQ(channels[2], 3 * 16 + 2);
        EXPECT_NEAR(coefs[2], 2.0 / 1.01, 1e-4);
        CorrectFileContent correct;
        ASSERT_TRUE(ReadCorrectFile(m_folder.File(kCorrectFile), correct));
        EXPECT_EQ(correct.nCase, 0);
        EXPECT_EQ(correct.nModule, 3);
        EXPECT_NEAR(correct.coefs[2], 1 / 1.01, 1e-4);
        EXPECT_NEAR(correct.coefs[0], 1.0, 1e-4);
        EXPECT_NEAR(correct.errors[2], 1.0, 1e-3);
        EXPECT_TRUE(frame.close());
    }
    // The form's choices are kept for the next start.
    CalibrateChannelParam saved;
    LoadCalibrateParam(m_folder.File(kCalibrateParamFile), saved);
    EXPECT_EQ(saved.nModule, 0) << "the module is not a stored setting";
    EXPECT_EQ(saved.BridgeType, 1);
    EXPECT_EQ(saved.MeasureRange, 20);
}

// The default strain points of a first start are written when the frame
// closes, so that the next start measures them too.
TEST_F(KelvaneFrameTest, PointTablesAreKeptAcrossACloseAndAStart) {
    platform::DeleteFile(m_folder.File(kCalibrateParamFile));
    {
        CKelvaneFrame frame(m_folder.ProgramFolder());
        EXPECT_EQ(frame.Data().PointTable(CHAN_TYPE_STRAIN), DefaultStrainPointTable());
        EXPECT_TRUE(frame.close());
    }
    CKelvaneFrame next(m_folder.ProgramFolder());
    EXPECT_EQ(next.Data().PointTable(CHAN_TYPE_STRAIN), DefaultStrainPointTable());
    EXPECT_EQ(next.Data().PointTable(CHAN_TYPE_VOLTAGE), (CalibratePointTable{{10, 0.0f}}));
}

TEST_F(KelvaneFrameTest, WithoutTheMainProgramNoRunStarts) {
    CKelvaneFrame frame(m_folder.ProgramFolder());
    frame.Create();
    EXPECT_EQ(frame.Link().IsConnected(), 0);
    EXPECT_EQ(frame.Form()->Cases()->count(), 0);
    frame.Form()->StartButton()->click();
    EXPECT_FALSE(frame.Run().IsCalibrating());
}

TEST_F(KelvaneFrameTest, PortCommandReportsAMachineWithoutSerialPorts) {
    // The scratch's own configuration folder holds no port mapping.
    platform::SetSerialDevicePrefix("/nonexistent/tty");
    CKelvaneFrame frame(m_folder.ProgramFolder());
    CreateAndSearch(frame);
    platform::SetSerialDevicePath(1, "");
    frame.Action(ID_SET_COM)->trigger();
    ASSERT_FALSE(m_boxes.Records().empty());
    EXPECT_EQ(m_boxes.Records().back().text, "未找到可用串口！");
    platform::SetSerialDevicePrefix("/dev/ttyS");
}

TEST_F(KelvaneFrameTest, CoefficientCommandWritesTheMarkedRangeToTheMarkedChannels) {
    FakeMainProgram main(m_generator);
    ASSERT_TRUE(main.Listen());
    CalibrateCoefRecord range5, range20;
    for (std::size_t c = 0; c < range20.size(); ++c) {
        range5[c] = 1.0f;
        range20[c] = 1.0f + static_cast<float>(c) / 100;
    }
    main.coefRecords = {range5, range20};
    CKelvaneFrame frame(m_folder.ProgramFolder());
    frame.Create();
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame.Form()->Cases()->count() == 2; }));
    // The start-up search for the generator ends by showing "就绪": let it end
    // before the command shows its own status.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !frame.IsSearching(); }));
    frame.Form()->SelectModule(0, 3);

    std::vector<std::vector<std::uint8_t>> writes;
    bool shown = false;
    WhenModal<CDlgCalibrateCoef>(&frame, [&](CDlgCalibrateCoef& dialog) {
        shown = true;
        CMSFlexGrid* grid = dialog.Grid();
        EXPECT_EQ(grid->GetTextMatrix(0, 0), "1 / 4");
        EXPECT_EQ(grid->GetTextMatrix(0, 1), "5mV ×");
        EXPECT_EQ(grid->GetTextMatrix(0, 2), "20mV ×");
        EXPECT_EQ(grid->GetTextMatrix(3, 2), "1.020000");
        EXPECT_TRUE(dialog.SetButton()->isEnabled());
        // Lines typed over a cell go down its column.
        dialog.OnGridClick(1, 2);
        ASSERT_OR_CLOSE(dialog, dialog.Editor()->isVisible());
        dialog.Editor()->setPlainText("1.5\n1.6\n");
        dialog.EndEdit();
        EXPECT_EQ(grid->GetTextMatrix(1, 2), "1.5");
        EXPECT_EQ(grid->GetTextMatrix(2, 2), "1.6");
        EXPECT_EQ(grid->GetTextMatrix(3, 2), "1.020000");
        dialog.OnGridClick(0, 2);
        dialog.OnGridClick(2, 0);
        EXPECT_EQ(grid->GetTextMatrix(0, 2), "20mV √");
        EXPECT_EQ(grid->GetTextMatrix(2, 0), "×  2");
        grid->SetTextMatrix(4, 2, "x"); // not a number: channel 4 is not written

        m_boxes.QueueAnswer(platform::IDNO);
        dialog.SetButton()->click();
        EXPECT_EQ(std::count(main.codes.begin(), main.codes.end(), CALIBRATE_WRITE_COEF), 0);
        dialog.SetButton()->click();
        if (!main.codes.empty() && main.codes.back() == CALIBRATE_WRITE_COEF)
            writes.push_back(main.lastPacket);
        dialog.reject();
    });
    frame.Action(ID_CHANNEL_COEF)->trigger();
    ASSERT_TRUE(ProcessEventsUntil([&] { return shown; }));
    EXPECT_EQ(frame.StatusText(), "正在获取通道修正系数......");
    EXPECT_TRUE(Shown("设置通道修正系数完成！", "通道修正"));
    EXPECT_EQ(std::count(main.codes.begin(), main.codes.end(), CALIBRATE_WRITE_COEF), 1);
    ASSERT_EQ(writes.size(), 1u);
    ASSERT_EQ(writes[0].size(), kCalibrateWritePacketSize);
    std::int32_t range, channels[kCalibrateChannels];
    float coefs[kCalibrateChannels];
    std::memcpy(&range, writes[0].data() + 20 + 16, 4);
    std::memcpy(channels, writes[0].data() + 56, sizeof channels);
    std::memcpy(coefs, writes[0].data() + 120, sizeof coefs);
    EXPECT_EQ(range, 20);
    EXPECT_EQ(frame.ChannelBlock().MeasureRange, 20);
    const int base = (0 * 8 + 3) * 16;
    EXPECT_EQ(channels[0], base);
    EXPECT_FLOAT_EQ(coefs[0], 1.5f);
    EXPECT_EQ(channels[1], -1);
    EXPECT_EQ(channels[2], base + 2);
    EXPECT_FLOAT_EQ(coefs[2], 1.02f);
    EXPECT_EQ(channels[3], -1);
    EXPECT_EQ(channels[15], base + 15);
}

TEST_F(KelvaneFrameTest, SaveButtonWritesNumberedResultsAndCountsOn) {
    {
        std::ofstream options(m_folder.File(kCalibrateParamFile), std::ios::app | std::ios::binary);
        options << "[DataFileOption]\r\nFileName=kal\r\nMultifile=1\r\nNumStoring=1\r\nStartNum=7\r\n";
    }
    CKelvaneFrame frame(m_folder.ProgramFolder());
    EXPECT_TRUE(frame.Form()->SaveButton()->isEnabled());
    frame.Form()->SaveButton()->click();
    EXPECT_EQ(frame.LastResultPath(), m_folder.File("kal_0007.xls"));
    frame.Form()->SaveButton()->click();
    EXPECT_EQ(frame.LastResultPath(), m_folder.File("kal_0008.xls"));
    DataFileOption stored;
    LoadDataFileOption(m_folder.File(kCalibrateParamFile), stored);
    EXPECT_EQ(stored.StartNum, 9);

    // A result folder that does not exist: nothing written, the number stays.
    frame.Form()->FilePath()->setText(QString::fromStdString(m_folder.File("missing")));
    frame.Form()->SaveButton()->click();
    EXPECT_EQ(frame.FileOption().StartNum, 9);
    EXPECT_EQ(frame.StatusText(), "标定结果文件保存失败！");
}
