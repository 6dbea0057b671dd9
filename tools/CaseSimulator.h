// A simulated network acquisition case: connects to the program's listener
// from its own loopback address, answers the case- and channel-information
// requests, acknowledges parameter, start and stop commands, records every
// command, and streams deterministic sample data in block or frame form.
#pragma once

#include "GeneratorFollower.h"
#include "platform/Socket.h"

#include <array>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A sine on every channel in place of the value rule: raw value
// amplitude · sin(2π n / period) in sample n; off while period is 0.
struct SineWave {
    int period = 0;
    std::int32_t amplitude = 100000;
};

struct CaseSimulatorOptions {
    std::string serverIp = "127.0.0.1";
    std::uint16_t port = 5001;
    std::string localIp = "127.0.0.2"; // a link is known by its peer's address
    int caseNo = 0;                    // put into the values and the case-information entries
    int modules = 8;                   // slots 0..modules-1
    int version = 2;                   // module version; 2 and above stream packet counters
    double rate = 100.0;               // samples a second while streaming
    // Stream at the rate of each start command, as a case does, instead of
    // the fixed rate above; a command that names none keeps the fixed rate.
    bool followCommandedRate = false;
    int reconnectDelayMs = 200; // after a dropped connection
    SineWave sine;              // the waveform of the streamed values
    GeneratorFollow follow;     // a module that plays back the generator's outputs
};

class CCaseSimulator {
public:
    enum class Fault {
        None,
        Silent,      // sends nothing, answers nothing
        Drop,        // closes the connection once, then connects again
        Malformed,   // one sample with a bad slot, a bad sub-command and stray bytes
        Truncated,   // one sample cut short in the middle
        CounterJump, // the packet counter (and sample index) jumps ahead by kCounterJump
    };
    static constexpr std::int64_t kCounterJump = 16000;

    explicit CCaseSimulator(CaseSimulatorOptions options);
    ~CCaseSimulator();
    CCaseSimulator(const CCaseSimulator&) = delete;
    CCaseSimulator& operator=(const CCaseSimulator&) = delete;

    bool Start();
    void Stop();
    void InjectFault(Fault fault);
    void SetSilent(bool silent) { m_bSilent = silent; }

    // The raw value of a channel in sample n, as streamed (24-bit signed).
    static std::int32_t Value(int caseNo, int slot, int channel, std::int64_t n);
    static std::int32_t SineValue(const SineWave& sine, std::int64_t n);
    // The test readings a lead-wire [8,0] or self-test [8,5] request is
    // answered with: reading 0 is 0 on every channel; reading 1 is
    // kHighReading on channel 3, kLowReading on channel 5, else kTestReading.
    static constexpr float kTestReading = 700.0f, kHighReading = 6000.0f, kLowReading = 100.0f;
    static float TestReading(int channel, int which);
    // Sample index that Value encodes in its channel-0 reading of a slot.
    static std::int64_t SampleIndexOf(std::int32_t channel0Value) { return channel0Value / 128 / 8; }

    bool IsConnected() const { return m_bConnected.load(); }
    bool IsStreaming() const { return m_bStreaming.load(); }
    int GetConnectCount() const { return m_nConnects.load(); }
    std::int64_t GetSamplesSent() const { return m_nSamplesSent.load(); }
    // Samples a second of the current (or last) run.
    double GetStreamRate() const { return m_dStreamRate.load(); }
    // The rate a start command's payload asks for (8, 3, 0, 0, P, P, 0, D,
    // K): the case's base rate of 100 Hz divided by the data ratio D; 0 when
    // the payload names none.
    static constexpr double kBaseRate = 100.0;
    static double CommandedRate(const std::vector<std::uint8_t>& startPayload);
    // The payload of every command received, in order of arrival.
    std::vector<std::vector<std::uint8_t>> GetCommands();
    // The controller's network-parameter block (90 bytes): answered to the
    // read command; the two write commands change it and are answered with it.
    static constexpr int kNetParamSize = 90;
    std::vector<std::uint8_t> GetNetParams();
    // How many bytes of the block a reply carries: 0 answers nothing, fewer
    // than 90 a short reply.
    void SetNetParamReplyLength(int length) { m_nNetReplyLength = length; }
    // Payloads whose first two bytes are op0, op1.
    int CountCommands(std::uint8_t op0, std::uint8_t op1);

    // Builders shared with tests.
    static std::vector<std::uint8_t> BuildCaseInfoReply(int caseNo, int modules, int version);
    static std::vector<std::uint8_t> BuildChannelInfoReply(int modules);
    // One 138-byte frame a module: 0x55 0xAA 7 kind, byte 7 the slot, 16
    // readings 0 from byte 10 and 16 readings 1 from byte 74, each a float
    // most significant byte first (kind 3 lead wire, 4 self-test).
    static std::vector<std::uint8_t> BuildTestDataReply(int modules, std::uint8_t kind);
    // values, when given, are the unit's 16 readings in place of the waveform.
    static void AppendUnit(std::vector<std::uint8_t>& out, int caseNo, int slot, std::int64_t n, int version,
                           const SineWave& sine = {}, const std::array<std::int32_t, 16>* values = nullptr);
    static void AppendDataFrame(std::vector<std::uint8_t>& out, int caseNo, int modules,
                                const int* moduleChannel, std::int64_t n, const SineWave& sine = {});

private:
    void Run();
    bool Connect();
    void Serve();
    void HandleCommands();
    void HandleCommand(const std::vector<std::uint8_t>& payload);
    void SendReply(const std::vector<std::uint8_t>& bytes);
    void SendAck(std::uint8_t op0, std::uint8_t op1);
    void StreamDueSamples();
    void SendFaultSample(Fault fault);
    void ServeNetParams(const std::vector<std::uint8_t>& payload);

    CaseSimulatorOptions m_options;
    platform::TcpStream m_stream;
    std::thread m_thread;
    std::atomic<bool> m_bRun{false};
    std::atomic<bool> m_bConnected{false};
    std::atomic<bool> m_bStreaming{false};
    std::atomic<bool> m_bSilent{false};
    std::atomic<int> m_nConnects{0};
    std::atomic<int> m_nPendingFault{0};
    std::atomic<int> m_nNetReplyLength{kNetParamSize};
    std::atomic<std::int64_t> m_nSamplesSent{0};
    std::atomic<double> m_dStreamRate{0.0};

    CGeneratorFollower m_follower;
    std::vector<std::uint8_t> m_inbox; // command bytes not yet framed
    int m_nDataMode = 1;               // 2: data frames, else 56-byte units
    int m_moduleChannel[8] = {};
    std::int64_t m_nNextSample = 0;
    std::int64_t m_nStreamStartUs = 0;

    std::mutex m_commandMutex; // guards m_commands and m_netParams
    std::vector<std::vector<std::uint8_t>> m_commands;
    std::vector<std::uint8_t> m_netParams;
};
