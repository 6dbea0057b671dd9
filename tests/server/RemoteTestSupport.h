// Pieces for the remote-server tests: a client that reads whole packets, a
// frame stand-in that runs the dispatcher on the pumped message, and the
// frame state behind the dispatcher.
#pragma once

#include "acquisition/DataForwardServer.h"
#include "acquisition/RemoteCommandDispatch.h"
#include "acquisition/RemotePacket.h"
#include "platform/Message.h"
#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

struct ReceivedPacket {
    RemotePacketHeader header{};
    std::vector<std::uint8_t> payload;

    std::int32_t IntAt(std::size_t index) const {
        std::int32_t value = 0;
        std::memcpy(&value, payload.data() + 4 * index, 4);
        return value;
    }
    float FloatAt(std::size_t byteOffset) const {
        float value = 0;
        std::memcpy(&value, payload.data() + byteOffset, 4);
        return value;
    }
    // A reply of the given type to a command (not forwarded data).
    bool IsReply(std::uint32_t type) const {
        return header.dwType == type && header.wData == 0 && header.wReply == 1;
    }
    std::vector<std::int32_t> Ints() const {
        std::vector<std::int32_t> values(payload.size() / 4);
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = IntAt(i);
        return values;
    }
};

class RemoteTestClient {
public:
    bool Connect(std::uint16_t port) { return m_stream.Connect("127.0.0.1", port, 3000); }
    void Close() { m_stream.Close(); }
    platform::TcpStream& Stream() { return m_stream; }

    bool Send(const std::string& bytes) { return m_stream.SendAll(bytes.data(), bytes.size(), 3000); }

    // Exactly length bytes within the time.
    bool ReadExact(void* buffer, std::size_t length, int timeoutMs = 5000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        auto* p = static_cast<std::uint8_t*>(buffer);
        while (length > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            const int n = m_stream.Receive(p, length, static_cast<int>(left.count()));
            if (n == platform::kSocketTimeout)
                continue;
            if (n <= 0)
                return false;
            p += n;
            length -= static_cast<std::size_t>(n);
        }
        return true;
    }

    bool ReadPacket(ReceivedPacket& packet, int timeoutMs = 5000) {
        if (!ReadExact(&packet.header, sizeof packet.header, timeoutMs))
            return false;
        packet.payload.resize(packet.header.dwLength);
        return packet.payload.empty() || ReadExact(packet.payload.data(), packet.payload.size(), timeoutMs);
    }

    bool ReadGreeting() {
        ReceivedPacket packet;
        return ReadPacket(packet) && packet.header.dwType == kRemotePacketGreeting;
    }

    // The server closed the connection (nothing came first) within the time.
    bool ClosedByServer(int timeoutMs = 5000) {
        std::uint8_t byte = 0;
        const int n = m_stream.Receive(&byte, 1, timeoutMs);
        return n == 0 || (n == platform::kSocketError);
    }

private:
    platform::TcpStream m_stream;
};

// The frame's state as the dispatcher sees it, with commands that complete
// at once and report the way the frame's commands do.
struct FakeFrameHost : IRemoteCommandHost {
    CRemoteCommandDispatch* dispatch = nullptr;
    bool bRemote = false;
    bool bRunning = false;
    bool bCanStart = true;
    bool bForwarding = true;
    std::vector<std::int32_t> foundUnits{0, 9}; // empty: the search ends without a report
    std::vector<float> currentValues;
    // What the Start command does: a full start, a resume of a paused run
    // (no report), or a start that fails before the thread runs.
    enum class StartOutcome { Starts, Resumes, Fails } startOutcome = StartOutcome::Starts;
    int nDetects = 0, nBalances = 0, nStarts = 0, nStops = 0;
    bool bRemoteSeen = false; // the last command ran as a remote request

    bool IsRemoteRequest() override { return bRemote; }
    void SetRemoteRequest(bool remote) override { bRemote = remote; }
    bool IsRunActive() override { return bRunning; }
    bool CanStartSample() override { return bCanStart; }
    bool IsForwardingOn() override { return bForwarding; }
    void DetectCase() override {
        ++nDetects;
        bRemoteSeen = bRemote;
        if (!foundUnits.empty())
            dispatch->ReportCasesFound(foundUnits);
    }
    void Balance() override {
        ++nBalances;
        bRemoteSeen = bRemote;
        dispatch->ReportBalanceDone();
    }
    void StartSample() override {
        ++nStarts;
        bRemoteSeen = bRemote;
        if (startOutcome == StartOutcome::Fails)
            return;
        bRunning = true;
        bCanStart = false;
        if (startOutcome == StartOutcome::Starts)
            dispatch->ReportSampleStarted();
    }
    void StopSample() override {
        ++nStops;
        bRemoteSeen = bRemote;
        bRunning = false;
        bCanStart = true;
        dispatch->ReportSampleEnded();
    }
    void GetCurrentValues(std::vector<float>& values) override { values = currentValues; }
};

// Stands in for the main frame window: records each command code and hands
// it to the dispatcher, on the pumping thread.
struct RemoteFrameTarget : platform::MessageTarget {
    CRemoteCommandDispatch* dispatch = nullptr;
    std::vector<int> codes;

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam, platform::LPARAM) override {
        if (message != WM_REMOTE_COMMAND)
            return 0;
        codes.push_back(static_cast<int>(wParam));
        return dispatch ? dispatch->OnRemoteCommand(wParam) : 0;
    }

    // Pumps until count commands have been handled; false on time-out.
    bool PumpUntilHandled(std::size_t count, std::uint32_t timeoutMs = 5000) {
        platform::PumpMessagesFor(timeoutMs, [&] { return codes.size() >= count; });
        return codes.size() >= count;
    }
};

// Pumps messages until the condition holds; false on time-out.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        platform::PumpMessagesFor(5);
    }
    return true;
}

// A packet type no reply uses: broadcast after a command, it marks where
// the command's replies end.
constexpr std::uint32_t kMarkerType = 99;

// A listening server whose commands reach the dispatcher through the frame
// stand-in on this thread.
class RemoteServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetUiThread();
        host.dispatch = &dispatch;
        target.dispatch = &dispatch;
        server.SetOwner(target.GetSafeHwnd());
        ASSERT_EQ(1, server.StartListenThread());
    }

    RemoteFrameTarget target;
    FakeFrameHost host;
    CDataForwardServer server{0};
    CRemoteCommandDispatch dispatch{host, &server};
};

// Holds the server's client-list lock, which stalls the sender before it
// can take the next batch of blocks.
struct DataForwardServerProbe {
    static platform::CriticalSection& ClientListLock(CDataForwardServer& server) { return server.m_cs; }
};
