// The calibrator's frame offscreen against a stand-in main program on
// 127.0.0.1:8001 (answering each command at once, a reading following the
// generator's outputs through the module's gains) and the generator
// simulator on a pseudo-terminal as COM1.
#pragma once

#include "CalibratorTestSupport.h"
#include "app/ShellTestSupport.h"
#include "calibrator/CalibrateFiles.h"
#include "calibrator/KelvaneFrame.h"
#include "calibrator/RunClock.h"
#include "libs/transfer/ProgrammedLink.h"
#include "platform/MessageBox.h"
#include "platform/SerialPort.h"
#include "tools/GeneratorSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

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
            const auto count = static_cast<std::int32_t>(coefRecords.size());
            payload.resize(4 + coefRecords.size() * sizeof(CalibrateCoefRecord));
            std::memcpy(payload.data(), &count, 4);
            if (count > 0)
                std::memcpy(payload.data() + 4, coefRecords.data(),
                            coefRecords.size() * sizeof(CalibrateCoefRecord));
        }
        const auto packet = BuildLinkPacket(code, payload.data(), payload.size());
        m_server.SendNetworkCommand(reinterpret_cast<const char*>(packet.data()),
                                    static_cast<int>(packet.size()));
        return 0;
    }

    std::array<float, 16> gains;
    std::vector<int> codes;
    std::vector<std::uint8_t> lastPacket;
    std::vector<CalibrateCoefRecord> coefRecords; // reply 9
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
    // Whether a message box showed the text (under the caption, when given).
    bool Shown(const std::string& text, const std::string& caption = {}) const {
        const auto records = m_boxes.Records();
        return std::any_of(records.begin(), records.end(), [&](const auto& r) {
            return r.text == text && (caption.empty() || r.caption == caption);
        });
    }
    // Creates the frame and waits until it has looked for the generator.
    static void CreateAndSearch(CKelvaneFrame& frame) {
        frame.Create();
        ASSERT_TRUE(ProcessEventsUntil([&] { return !frame.IsSearching(); }));
    }
    // Appends settings to CalibrateParam.ini.
    void AddCalibrateParam(const std::string& text) {
        std::ofstream(m_folder.File(kCalibrateParamFile), std::ios::app | std::ios::binary) << text;
    }

    ShellScratch m_folder;
    CGeneratorSimulator m_generator;
    platform::MessageBoxRecorder m_boxes;
};
