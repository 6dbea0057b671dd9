// The calibrator's frame offscreen: it links to a stand-in main program on
// 127.0.0.1:8001, takes the controller list into its form, runs a strain
// calibration through the link against the generator simulator on a
// pseudo-terminal, saves the result, refuses to close during a run, and
// reports a machine without serial ports.
#include "CalibratorTestSupport.h"
#include "app/ui/ShellTestSupport.h"
#include "calibrator/CalibrateFiles.h"
#include "calibrator/DlgCalibrationParam.h"
#include "calibrator/KelvaneFrame.h"
#include "calibrator/KelvaneView.h"
#include "calibrator/RunClock.h"
#include "libs/transfer/ProgrammedLink.h"
#include "panels/MSFlexGrid.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SerialPort.h"
#include "platform/Text.h"
#include "tools/GeneratorSimulator.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>

namespace {

// The main program's side: answers each command at once; a reading
// follows the generator's outputs through the module's gains.
class FakeMainProgram : public platform::MessageTarget {
public:
    explicit FakeMainProgram(CGeneratorSimulator& generator) : m_generator(generator) {
        gains.fill(1.0f);
        m_server.AttachWnd(this);
        m_server.AttachMsg(platform::RegisterWindowMessage("{95C1BBB1-B11A-4E56-AC44-D5305CB41E20}"));
    }
    ~FakeMainProgram() override {
        m_server.CloseServer();
        UnregisterTarget();
    }
    bool Listen() { return m_server.CreateServer(8001, 5) && m_server.StartServer(); }

    platform::LRESULT WindowProc(platform::UINT, platform::WPARAM wParam, platform::LPARAM lParam) override {
        const auto* data = reinterpret_cast<const std::uint8_t*>(lParam);
        std::int32_t code;
        std::memcpy(&code, data + 4, 4);
        codes.push_back(code);
        lastPacket.assign(data, data + wParam);
        if (code == heldCode)
            return 0;
        std::vector<std::uint8_t> payload;
        if (code == CALIBRATE_GREETING) {
            // Out of order: the case of number 1 first.
            CalibrateControllerRecord records[2];
            records[0].nCase = 1;
            records[0].nModules = 1;
            records[1].nCase = 0;
            records[1].nModules = 2;
            records[1].nModuleNo[1] = 3;
            const std::int32_t count = 2;
            payload.resize(4 + sizeof records);
            std::memcpy(payload.data(), &count, 4);
            std::memcpy(payload.data() + 4, records, sizeof records);
            code = CALIBRATE_CONTROLLERS;
        } else if (code == CALIBRATE_READ_SAMPLE) {
            CaseSampleBlock block;
            block.nHeader = 3;
            for (const auto& [channel, output] : m_generator.CurrentOutputs())
                if (channel >= 1 && channel <= 16)
                    block.fValues[channel - 1] = static_cast<float>(output.SignedValue()) *
                                                 gains[static_cast<std::size_t>(channel - 1)];
            payload.assign(reinterpret_cast<std::uint8_t*>(&block),
                           reinterpret_cast<std::uint8_t*>(&block + 1));
        } else if (code == CALIBRATE_FETCH_COEF) {
            const std::int32_t count = 0;
            payload.assign(reinterpret_cast<const std::uint8_t*>(&count),
                           reinterpret_cast<const std::uint8_t*>(&count + 1));
        }
        const auto packet = BuildLinkPacket(code, payload.data(), payload.size());
        m_server.SendNetworkCommand(reinterpret_cast<const char*>(packet.data()),
                                    static_cast<int>(packet.size()));
        return 0;
    }

    std::array<float, 16> gains;
    std::vector<int> codes;
    std::vector<std::uint8_t> lastPacket;
    int heldCode = -1;

private:
    CGeneratorSimulator& m_generator;
    CProgrammedServer m_server;
};

class KelvaneFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        run_clock::SetScale(0);
        ASSERT_TRUE(m_generator.Start());
        platform::SetSerialDevicePath(1, m_generator.SlavePath());
        m_folder.WriteSettingsFile(
            "[SampleChanParams]\nFullValueCount=2\nFullValue0=5,mV\nFullValue1=20,ue\n"
            "[BridgeVoltage]\nBridgeVoltageCount=2\nBridgeVoltage0=2,V\nBridgeVoltage1=5,V\n"
            "[Calibration]\nSteadySleep=0\nCalibrateType=0\nErrorCorrect=1\n");
        std::ofstream points(m_folder.File(kCalibrateParamFile), std::ios::binary);
        points << "[CalibrateParam]\r\nBridgeType=1\r\n[StrainCalibrateParam]\r\nStrainCalibrateCount=2\r\n"
                  "StrainCalibrateIndex0=5\r\nStrainCalibrateValue0=1000\r\n"
                  "StrainCalibrateIndex1=0\r\nStrainCalibrateValue1=20000\r\n";
    }
    void TearDown() override {
        platform::SetSerialDevicePath(1, "");
        run_clock::SetScale(1);
    }

    ShellScratch m_folder;
    CGeneratorSimulator m_generator;
    platform::MessageBoxRecorder m_boxes;
};

} // namespace

TEST_F(KelvaneFrameTest, LinksToTheMainProgramAndRunsACalibrationFromTheForm) {
    FakeMainProgram main(m_generator);
    ASSERT_TRUE(main.Listen());
    main.gains[2] = 1.01f;
    {
        CKelvaneFrame frame(m_folder.ProgramFolder());
        frame.show();
        frame.Create();
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
        EXPECT_EQ(m_boxes.Records().back().text, "标定结束！");
        // The correction was offered over the coefficients written to correct.txt.
        const auto records = m_boxes.Records();
        EXPECT_TRUE(std::any_of(records.begin(), records.end(), [](const auto& r) {
            return r.text == "是否进行标定系数修正？" && r.caption == "标定误差";
        }));
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
    frame.Create();
    platform::SetSerialDevicePath(1, "");
    frame.Action(ID_SET_COM)->trigger();
    ASSERT_FALSE(m_boxes.Records().empty());
    EXPECT_EQ(m_boxes.Records().back().text, "未找到可用串口！");
    platform::SetSerialDevicePrefix("/dev/ttyS");
}

TEST_F(KelvaneFrameTest, CoefficientCommandsFetchAndWriteThroughTheLink) {
    FakeMainProgram main(m_generator);
    ASSERT_TRUE(main.Listen());
    CKelvaneFrame frame(m_folder.ProgramFolder());
    frame.Create();
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame.Form()->Cases()->count() == 2; }));
    frame.Form()->SelectModule(0, 3);

    frame.Action(ID_CHANNEL_COEF)->trigger();
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame.HasCoefReply(); }));
    EXPECT_EQ(main.codes.back(), CALIBRATE_FETCH_COEF);
    EXPECT_EQ(frame.StatusText(), "正在获取通道修正系数......");

    std::array<float, kCalibrateChannels> coefs{};
    coefs[2] = 0.99f;
    ASSERT_TRUE(frame.StartCoefWriting(WriteChannelNumbers(frame.ChannelBlock(), {2}), coefs));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !frame.IsCoefWriting(); }));
    ASSERT_EQ(main.lastPacket.size(), 184u);
    EXPECT_EQ(main.codes.back(), CALIBRATE_WRITE_COEF);
    std::int32_t channel, unused;
    float coef;
    std::memcpy(&channel, main.lastPacket.data() + 56 + 2 * 4, 4);
    std::memcpy(&unused, main.lastPacket.data() + 56, 4);
    std::memcpy(&coef, main.lastPacket.data() + 120 + 2 * 4, 4);
    EXPECT_EQ(channel, (0 * 8 + 3) * 16 + 2);
    EXPECT_EQ(unused, -1);
    EXPECT_FLOAT_EQ(coef, 0.99f);
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
