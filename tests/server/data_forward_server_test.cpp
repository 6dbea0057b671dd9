// The forwarding server over loopback: commands reaching the frame, data
// blocks in both value formats, the block-queue bound, blocks too large to
// send, and a stop while a command waits for the frame.
#include "RemoteTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <numeric>
#include <random>
#include <thread>

namespace {

constexpr std::uint32_t kMarkerType = 99;

class DataForwardServerTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetUiThread(); }

    void StartServer(int floatData = 1) {
        server = std::make_unique<CDataForwardServer>(0, floatData);
        server->SetOwner(target.GetSafeHwnd());
        ASSERT_EQ(1, server->StartListenThread());
        ASSERT_NE(0, server->GetListenPort());
    }

    // Connects and waits until the server lists the client.
    void Connect(RemoteTestClient& client) {
        const int before = server->GetClientCount();
        ASSERT_TRUE(client.Connect(server->GetListenPort()));
        if (server->IsFloatData()) {
            ASSERT_TRUE(client.ReadGreeting());
        }
        ASSERT_TRUE(WaitFor([&] { return server->GetClientCount() == before + 1; }));
    }

    // The next packet is the marker sent now: nothing else came before it.
    void ExpectNothingBeforeMarker(RemoteTestClient& client) {
        server->BroadcastPacket(kMarkerType, 0, nullptr);
        ReceivedPacket packet;
        ASSERT_TRUE(client.ReadPacket(packet));
        EXPECT_EQ(kMarkerType, packet.header.dwType);
    }

    RemoteFrameTarget target;
    std::unique_ptr<CDataForwardServer> server;
};

TEST_F(DataForwardServerTest, EachCommandReachesTheFrameWithItsCode) {
    StartServer();
    RemoteTestClient client;
    Connect(client);
    const std::pair<const char*, int> commands[] = {{"QVDAS_FINDCASE", 2},
                                                    {"QVDAS_BALANCE", 3},
                                                    {"QVDAS_STARTSAMPLE", 4},
                                                    {"QVDAS_STOPSAMPLE", 5},
                                                    {"QVDAS_CURRENT", 10}};
    std::vector<int> expected;
    for (const auto& [text, code] : commands) {
        ASSERT_TRUE(client.Send(text));
        expected.push_back(code);
        ASSERT_TRUE(target.PumpUntilHandled(expected.size())) << text;
    }
    EXPECT_EQ(expected, target.codes);
}

TEST_F(DataForwardServerTest, OtherBytesReachNothing) {
    StartServer();
    RemoteTestClient probe;
    Connect(probe);
    std::mt19937 random(7);
    std::string noise(20000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const std::string inputs[] = {"QVDAS_START", "qvdas_current", "QVDAS_CURRENTQVDAS_CURRENT",
                                  std::string(64 * 1024, 'Q'), noise};
    std::size_t handled = 0;
    for (const std::string& input : inputs) {
        RemoteTestClient other;
        Connect(other);
        ASSERT_TRUE(other.Send(input));
        other.Close();
        // The server has read everything before it sees the close.
        ASSERT_TRUE(WaitFor([&] { return server->GetClientCount() == 1; }));
        // Commands reach the frame in order: once the probe's is handled,
        // anything from the other client would have been too.
        ASSERT_TRUE(probe.Send("QVDAS_CURRENT"));
        ASSERT_TRUE(target.PumpUntilHandled(++handled));
    }
    EXPECT_EQ(std::vector<int>(handled, kRemoteCurrent), target.codes);
}

class DataFormatTest : public DataForwardServerTest, public ::testing::WithParamInterface<int> {};

TEST_P(DataFormatTest, BlocksGoOutPerModuleInTheChosenFormat) {
    const int floatData = GetParam();
    StartServer(floatData);
    RemoteTestClient client;
    Connect(client);
    std::vector<float> values(48);
    std::iota(values.begin(), values.end(), 0.0f);
    values[0] = 12.9f;
    values[17] = -3.7f;
    const std::int32_t modules[] = {0, 9};

    EXPECT_EQ(0, server->QueueDataBlocks(2, modules, 1, values.data())); // no sender yet
    ASSERT_EQ(1, server->StartSendThread());
    ASSERT_EQ(1, server->QueueDataBlocks(2, modules, 1, values.data()));
    ASSERT_EQ(1, server->QueueDataBlocks(1, modules + 1, 2, values.data() + 16));

    const std::size_t valueSize = floatData ? 4 : 2;
    const struct {
        std::int32_t firstChannel;
        std::int32_t samples;
        std::size_t firstValue;
    } expected[] = {{0, 1, 0}, {144, 1, 16}, {144, 2, 16}};
    for (const auto& e : expected) {
        ReceivedPacket packet;
        ASSERT_TRUE(client.ReadPacket(packet));
        EXPECT_EQ(kRemotePacketData, packet.header.dwType);
        EXPECT_EQ(1, packet.header.wData);
        EXPECT_EQ(1, packet.header.wReply);
        const std::size_t count = 16u * static_cast<std::size_t>(e.samples);
        ASSERT_EQ(12 + count * valueSize, packet.header.dwLength);
        EXPECT_EQ(e.firstChannel, packet.IntAt(0));
        EXPECT_EQ(16, packet.IntAt(1));
        EXPECT_EQ(e.samples, packet.IntAt(2));
        for (std::size_t i = 0; i < count; ++i) {
            const float sent = values[e.firstValue + i];
            if (floatData) {
                EXPECT_EQ(sent, packet.FloatAt(12 + 4 * i));
            } else {
                std::int16_t wire = 0;
                std::memcpy(&wire, packet.payload.data() + 12 + 2 * i, 2);
                EXPECT_EQ(static_cast<std::int16_t>(sent), wire);
            }
        }
    }
    server->StopSendThread();
    EXPECT_EQ(0, server->QueueDataBlocks(2, modules, 1, values.data()));
    ExpectNothingBeforeMarker(client);
}

INSTANTIATE_TEST_SUITE_P(FloatAndShort, DataFormatTest, ::testing::Values(1, 0));

TEST_F(DataForwardServerTest, MoreThanThreeHundredWaitingBlocksRefuseTheNext) {
    StartServer();
    RemoteTestClient client;
    Connect(client);
    ASSERT_EQ(1, server->StartSendThread());
    std::vector<std::int32_t> modules(300);
    std::iota(modules.begin(), modules.end(), 0);
    const std::vector<float> values(300 * 16, 1.0f);

    std::size_t sent = 0;
    {
        // The sender takes the first block, then waits for the lock.
        std::lock_guard<platform::CriticalSection> stall(DataForwardServerProbe::ClientListLock(*server));
        ASSERT_EQ(1, server->QueueDataBlocks(1, modules.data(), 1, values.data()));
        ASSERT_TRUE(WaitFor([&] { return server->GetQueuedBlockCount() == 0; }));
        EXPECT_EQ(1, server->QueueDataBlocks(300, modules.data(), 1, values.data()));
        EXPECT_EQ(1, server->QueueDataBlocks(1, modules.data(), 1, values.data())); // 300 wait: still taken
        EXPECT_EQ(301, server->GetQueuedBlockCount());
        EXPECT_EQ(0, server->QueueDataBlocks(1, modules.data(), 1, values.data()));
        EXPECT_EQ(301, server->GetQueuedBlockCount());
        sent = 302;
    }
    for (std::size_t i = 0; i < sent; ++i) {
        ReceivedPacket packet;
        ASSERT_TRUE(client.ReadPacket(packet)) << i;
        ASSERT_EQ(kRemotePacketData, packet.header.dwType);
    }
    ExpectNothingBeforeMarker(client);
}

// With nobody to send to, a set is taken and dropped at once; a client
// that connects then gets the sets from its arrival on.
TEST_F(DataForwardServerTest, WithoutAClientNothingIsQueued) {
    StartServer();
    ASSERT_EQ(1, server->StartSendThread());
    std::vector<std::int32_t> modules(256);
    std::iota(modules.begin(), modules.end(), 0);
    std::vector<float> values(256 * 16, 1.0f);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(1, server->QueueDataBlocks(256, modules.data(), 1, values.data()));
    EXPECT_EQ(0, server->GetQueuedBlockCount());

    RemoteTestClient client;
    Connect(client);
    values[16] = 7.5f;
    ASSERT_EQ(1, server->QueueDataBlocks(2, modules.data(), 1, values.data()));
    ReceivedPacket packet;
    ASSERT_TRUE(client.ReadPacket(packet));
    EXPECT_EQ(0, packet.IntAt(0));
    ASSERT_TRUE(client.ReadPacket(packet));
    EXPECT_EQ(16, packet.IntAt(0));
    EXPECT_EQ(7.5f, packet.FloatAt(12));
    ExpectNothingBeforeMarker(client);
}

TEST_F(DataForwardServerTest, BlockOfMoreThan4096ValuesIsNotSent) {
    StartServer();
    RemoteTestClient client;
    Connect(client);
    ASSERT_EQ(1, server->StartSendThread());
    const std::int32_t module = 3;
    const std::vector<float> values(300 * 16, 2.5f);
    EXPECT_EQ(1, server->QueueDataBlocks(1, &module, 300, values.data())); // 4,800 values
    EXPECT_EQ(1, server->QueueDataBlocks(1, &module, 256, values.data())); // 4,096 values
    ReceivedPacket packet;
    ASSERT_TRUE(client.ReadPacket(packet));
    EXPECT_EQ(256, packet.IntAt(2));
    EXPECT_EQ(12u + 4096u * 4u, packet.header.dwLength);
    EXPECT_EQ(2.5f, packet.FloatAt(packet.payload.size() - 4));
    ExpectNothingBeforeMarker(client);
}

TEST_F(DataForwardServerTest, StopOnTheFrameThreadWhileACommandWaitsForIt) {
    StartServer();
    RemoteTestClient client;
    Connect(client);
    ASSERT_TRUE(client.Send("QVDAS_BALANCE"));
    // Give the command time to reach the frame's queue; this thread does
    // not pump, so the command thread is left waiting for it.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server->Stop();
    EXPECT_TRUE(client.ClosedByServer());
    EXPECT_EQ(0, server->GetClientCount());
    platform::PumpMessages();
    EXPECT_LE(target.codes.size(), 1u);
}

} // namespace
