// The calibrator against the main program run as a process: a simulated case
// whose module plays back the generator simulator's outputs with known gain
// errors, the generator on a pseudo-terminal, and the calibrator's frame
// offscreen. A strain run writes its results (.xls, .docx, correct.txt) with
// the errors and coefficients of those gains; the correction reaches the
// case's channels.
#include "app/ShellTestSupport.h"
#include "calibrator/CalibrateData.h"
#include "calibrator/CalibrateFiles.h"
#include "calibrator/DlgCalibrationParam.h"
#include "calibrator/KelvaneFrame.h"
#include "calibrator/RunClock.h"
#include "calibrator/dialogs/DlgCalibrateCorrect.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SerialPort.h"
#include "platform/Socket.h"
#include "tools/CaseSimulator.h"
#include "tools/GeneratorSimulator.h"

#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <fstream>
#include <memory>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kRemotePort = 2501;
// The calibrated module's channels 1 and 2 read 2 % low and 1 % high.
constexpr double kGains[] = {1.0, 0.98, 1.01};

class KelvaneEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        // The run's pauses a hundredth as long, as a user shortens them.
        setenv("KELVANE_PAUSE_SCALE", "0.01", 1);
        run_clock::ScaleFromEnvironment();
        const fs::path folder = m_folder.ProgramFolder();
        ASSERT_TRUE(StageBuiltPrograms(folder, {"QV74xx"}));
        fs::copy_file(QV_SOURCE_DIR "/data/Template.docx", folder / "Template.docx");
        // One count of the module is one µε with a 20000 µε range at 2 V; the
        // steady wait (500 ms at this scale) lets each new output reach the
        // program's readings.
        m_folder.WriteSettingsFile(
            "[System]\nADBASE=20000\nDigitalUsed=0\nOutControlEnable=1\nProgrammedStrain=1\n"
            "[SampleChanParams]\nFullValueCount=2\nFullValue0=5,mV\nFullValue1=20,ue\n"
            "[BridgeVoltage]\nBridgeVoltageCount=2\nBridgeVoltage0=2,V\nBridgeVoltage1=5,V\n"
            "[Calibration]\nSteadySleep=50000\nCalibrateType=0\nErrorCorrect=1\n");
        std::ofstream(folder / "MapCfg.ini", std::ios::binary)
            << "[127.0.0.2]\r\nMapID=0\r\n[127.0.0.3]\r\nMapID=1\r\n";
        std::ofstream(folder / kCalibrateParamFile, std::ios::binary)
            << "[CalibrateParam]\r\nBridgeType=2\r\nMeasureRange=20\r\nBridgeVoltage=2\r\n"
               "[StrainCalibrateParam]\r\nStrainCalibrateCount=2\r\n"
               "StrainCalibrateIndex0=5\r\nStrainCalibrateValue0=1000\r\n"
               "StrainCalibrateIndex1=0\r\nStrainCalibrateValue1=20000\r\n";

        m_generator.SetOutputsFile((folder / "outputs.txt").string());
        ASSERT_TRUE(m_generator.Start());
        platform::SetSerialDevicePath(1, m_generator.SlavePath());

        CaseSimulatorOptions other;
        other.localIp = "127.0.0.2";
        other.caseNo = 0;
        other.modules = 1;
        // The calibrated module is the second case's own first module.
        CaseSimulatorOptions followed;
        followed.localIp = "127.0.0.3";
        followed.caseNo = 1;
        followed.modules = 1;
        followed.follow.outputsFile = (folder / "outputs.txt").string();
        followed.follow.slot = 0;
        followed.follow.offset = 1500;
        for (std::size_t ch = 0; ch < std::size(kGains); ++ch)
            followed.follow.gains[ch] = kGains[ch];
        for (const CaseSimulatorOptions& options : {other, followed}) {
            m_cases.push_back(std::make_unique<CCaseSimulator>(options));
            m_cases.back()->Start();
        }
        StartProgram();
    }
    void TearDown() override {
        if (m_program > 0) {
            kill(m_program, SIGTERM);
            if (!WaitExited(std::chrono::seconds(15)))
                kill(m_program, SIGKILL);
            int status = 0;
            waitpid(m_program, &status, 0);
        }
        m_cases.clear();
        platform::SetSerialDevicePath(1, "");
        unsetenv("KELVANE_PAUSE_SCALE");
        run_clock::SetScale(1);
    }

    // The program as a process of its own, which ends with the test program
    // even when that dies (it holds the fixed ports).
    void StartProgram() {
        const std::string program = m_folder.File("QV74xx");
        const std::string log = m_folder.File("QV74xx.log");
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const pid_t parent = getpid();
        m_program = fork();
        ASSERT_GE(m_program, 0);
        if (m_program == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(1);
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out >= 0) {
                dup2(out, STDOUT_FILENO);
                dup2(out, STDERR_FILENO);
            }
            execv(program.c_str(), argv);
            _exit(127);
        }
    }
    bool WaitExited(std::chrono::seconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (waitpid(m_program, &status, WNOHANG) == m_program) {
                m_program = -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // The program's case search, asked as a remote client would, until the
    // calibrator holds the controller list it announces.
    bool FindCases(CKelvaneFrame& frame) {
        platform::TcpStream remote;
        return ProcessEventsUntil(
            [&] {
                if (frame.Form()->Cases()->count() == 2)
                    return true;
                if (!remote.IsOpen() && !remote.Connect("127.0.0.1", kRemotePort, 1000))
                    return false;
                const std::string command = "QVDAS_FINDCASE";
                remote.SendAll(command.data(), command.size(), 3000);
                ProcessEventsUntil([&] { return frame.Form()->Cases()->count() == 2; }, 3000);
                return frame.Form()->Cases()->count() == 2;
            },
            90000);
    }

    // The coefficient commands a case got: (module, channel, value bits).
    static std::vector<std::tuple<int, int, std::uint32_t>> CoefficientCommands(CCaseSimulator& simulator) {
        std::vector<std::tuple<int, int, std::uint32_t>> found;
        for (const auto& payload : simulator.GetCommands())
            if (payload.size() >= 11 && payload[0] == 2 && payload[1] == 2)
                found.emplace_back(payload[2], payload[3],
                                   std::uint32_t(payload[7]) << 24 | std::uint32_t(payload[8]) << 16 |
                                       std::uint32_t(payload[9]) << 8 | payload[10]);
        return found;
    }

    ShellScratch m_folder;
    CGeneratorSimulator m_generator;
    std::vector<std::unique_ptr<CCaseSimulator>> m_cases;
    platform::MessageBoxRecorder m_boxes;
    pid_t m_program = -1;
};

} // namespace

TEST_F(KelvaneEndToEndTest, AStrainRunFindsTheModulesGainsAndTheCorrectionReachesItsChannels) {
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return m_cases[0]->IsConnected() && m_cases[1]->IsConnected(); }, 60000))
        << "the program never took its cases";
    // The program's servers come up with its frame.
    ASSERT_TRUE(ProcessEventsUntil(
        [] {
            platform::TcpStream probe;
            return probe.Connect("127.0.0.1", kRemotePort, 500);
        },
        30000));
    CKelvaneFrame frame(m_folder.ProgramFolder());
    frame.show();
    frame.Create();
    ASSERT_NE(frame.Link().IsConnected(), 0) << "the calibrator did not link to the program";
    ASSERT_TRUE(ProcessEventsUntil([&] { return !frame.IsSearching(); }));
    ASSERT_TRUE(frame.IsGeneratorFound());
    ASSERT_TRUE(FindCases(frame)) << "the calibrator never got the controller list";
    EXPECT_EQ(frame.Link().ControllerCount(), 2);

    CDlgCalibrationParam& form = *frame.Form();
    form.SelectModule(1, 0);
    frame.Data().SetChannelList({0, 1, 2});
    // The run offers the correction of the channels over the limit; the
    // dialog's correct button writes them.
    bool offered = false;
    WhenModal<CDlgCalibrateCorrect>(&frame, [&](CDlgCalibrateCorrect& dialog) {
        offered = true;
        dialog.CorrectButton()->click();
        ProcessEventsUntil([&] { return !frame.IsCoefWriting(); }, 30000);
        dialog.reject();
    });
    form.StartButton()->click();
    ASSERT_TRUE(frame.Run().IsCalibrating());
    ASSERT_TRUE(ProcessEventsUntil([&] { return frame.IsDone() && !frame.Run().IsCalibrating(); }, 120000))
        << "the run did not complete: " << frame.StatusText().toStdString();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !frame.LastResultPath().empty(); }));
    EXPECT_EQ(platform::ExtensionOf(frame.LastResultPath()), ".xls");
    EXPECT_TRUE(fs::exists(frame.LastResultPath()));
    // The same results as a Word document from the program folder's template.
    const std::string sheet = frame.LastResultPath();
    frame.FileOption().SaveType = 1;
    form.SaveButton()->click();
    EXPECT_EQ(platform::ExtensionOf(frame.LastResultPath()), ".docx");
    EXPECT_GT(fs::file_size(frame.LastResultPath()), 0u);
    EXPECT_TRUE(fs::exists(sheet));

    // Errors and coefficients of the gains, in correct.txt.
    CorrectFileContent correct;
    ASSERT_TRUE(ReadCorrectFile(m_folder.File(kCorrectFile), correct));
    EXPECT_EQ(correct.nCase, 1);
    EXPECT_EQ(correct.nModule, 0);
    for (std::size_t ch = 0; ch < std::size(kGains); ++ch) {
        EXPECT_NEAR(correct.errors[ch], std::fabs(kGains[ch] - 1.0) * 100.0, 0.02) << ch;
        EXPECT_NEAR(correct.coefs[ch], 1.0 / kGains[ch], 1e-4) << ch;
    }

    // Channels 1 and 2 were corrected: their case alone got one coefficient
    // command for each, nothing for channel 0.
    ASSERT_TRUE(offered);
    ASSERT_FALSE(frame.IsCoefWriting());
    const auto written = CoefficientCommands(*m_cases[1]);
    ASSERT_EQ(written.size(), 2u);
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto [module, channel, bits] = written[i];
        EXPECT_EQ(module, 0);
        EXPECT_EQ(channel, int(i) + 1);
        EXPECT_FLOAT_EQ(std::bit_cast<float>(bits), correct.coefs[static_cast<std::size_t>(channel)]);
    }
    EXPECT_TRUE(CoefficientCommands(*m_cases[0]).empty());
    EXPECT_TRUE(frame.close());
}
