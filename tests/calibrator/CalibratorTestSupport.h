// Helpers of the calibrator tests: a stand-in for the main program and the
// generator behind the run's host, whose module reads what the generator
// outputs through known gain errors.
#pragma once

#include "ScratchFolder.h"
#include "calibrator/CalibratePacket.h"
#include "calibrator/CalibrateRun.h"
#include "platform/Sync.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

// Answers every request at once, unless told to hold a code back. A reading
// request returns, for each channel, the generator's last output on that
// channel (signed, with the bridge's quarter for a full bridge) times the
// channel's gain.
class FakeInstrumentHost : public CalibrateRunHost {
public:
    struct Output {
        int channel, type, mode, value;
    };

    FakeInstrumentHost() { gains.fill(1.0f); }

    int SendRequest(const std::vector<std::uint8_t>& packet) override {
        std::lock_guard lock(m_mutex);
        const int code = packet[4];
        codes.push_back(code);
        if (code == CALIBRATE_READ_SAMPLE) {
            m_sample.nHeader = 7;
            for (int c = 0; c < 16; ++c) {
                const Output* last = nullptr;
                for (const Output& o : outputs)
                    if (o.channel == c + 1)
                        last = &o;
                const float signedValue =
                    last == nullptr ? 0.0f : static_cast<float>(last->mode >= 3 ? -last->value : last->value);
                m_sample.fValues[c] =
                    signedValue * gains[static_cast<std::size_t>(c)] * readingFactor + offset;
            }
        }
        if (code == CALIBRATE_BALANCE_CHANNEL) {
            std::int32_t channel;
            std::memcpy(&channel, packet.data() + 20, 4);
            balanced.push_back(channel);
        }
        m_replied[static_cast<std::size_t>(code)].Reset();
        if (code != heldCode)
            m_replied[static_cast<std::size_t>(code)].Set();
        return sendResult;
    }
    bool WaitReply(int code, std::uint32_t milliseconds) override {
        return m_replied[static_cast<std::size_t>(code)].Wait(milliseconds) == platform::WAIT_OBJECT_0;
    }
    // The reply of a held code arrives.
    void Reply(int code) { m_replied[static_cast<std::size_t>(code)].Set(); }
    void WakeAllWaits() override {
        for (auto& e : m_replied)
            e.Set();
    }
    CaseSampleBlock LastSample() override {
        std::lock_guard lock(m_mutex);
        return m_sample;
    }
    int SetStrainValue(int channel, int type, int mode, int value) override {
        std::lock_guard lock(m_mutex);
        outputs.push_back({channel, type, mode, value});
        return generatorResult;
    }
    void ShowStatus(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        statuses.push_back(text);
    }
    void RefreshResults() override {}
    void ClearResults(bool) override {}
    void WriteCorrectFile(const CalibrateChannelParam&) override { ++correctFiles; }
    void OfferCorrection() override { ++offers; }
    void ShowAbnormal() override { ++abnormal; }
    void RunFinished() override { ++finished; }
    void ScheduleRepeat(std::uint32_t milliseconds) override { repeats.push_back(milliseconds); }
    void RunEnded() override { ++ended; }

    // The points the generator was set to, in order (value signed by mode).
    std::vector<int> SignedOutputs(int channel) const {
        std::vector<int> values;
        for (const Output& o : outputs)
            if (o.channel == channel)
                values.push_back(o.mode >= 3 ? -o.value : o.value);
        return values;
    }

    std::mutex m_mutex; // guards what the run thread and the test share
    std::array<float, 16> gains;
    float readingFactor = 1.0f;
    float offset = 0.0f;
    int heldCode = -1;
    int sendResult = 1;
    int generatorResult = 1;
    std::vector<int> codes;
    std::vector<Output> outputs;
    std::vector<std::int32_t> balanced;
    std::vector<std::string> statuses;
    std::vector<std::uint32_t> repeats;
    int correctFiles = 0, offers = 0, abnormal = 0, finished = 0, ended = 0;

private:
    CaseSampleBlock m_sample;
    std::array<platform::Event, 11> m_replied{
        platform::Event(true), platform::Event(true), platform::Event(true), platform::Event(true),
        platform::Event(true), platform::Event(true), platform::Event(true), platform::Event(true),
        platform::Event(true), platform::Event(true), platform::Event(true)};
};
