// The server under abuse, over loopback and bounded in count and time: a
// flood of connections, and clients that send noise or never read while a
// run forwards data; a well-behaved client keeps getting every block and
// its answers.
#include "RemoteTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <thread>

namespace {

using ServerRobustnessTest = RemoteServerTest;

TEST_F(ServerRobustnessTest, ConnectionsBeyondTheBoundAreClosedAtOnce) {
    constexpr int kClients = 200;
    std::vector<std::unique_ptr<RemoteTestClient>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<RemoteTestClient>());
        ASSERT_TRUE(clients.back()->Connect(server.GetListenPort())) << i;
    }
    int greeted = 0;
    for (auto& client : clients) {
        ReceivedPacket packet;
        if (client->ReadPacket(packet))
            greeted += packet.header.dwType == kRemotePacketGreeting ? 1 : 0;
        else
            EXPECT_TRUE(client->ClosedByServer(0));
    }
    EXPECT_EQ(CDataForwardServer::kMaxClients, greeted);
    EXPECT_EQ(CDataForwardServer::kMaxClients, server.GetClientCount());

    clients.clear();
    ASSERT_TRUE(WaitFor([&] { return server.GetClientCount() == 0; }));
    // Room again for a new client, which is served.
    RemoteTestClient late;
    ASSERT_TRUE(late.Connect(server.GetListenPort()));
    ASSERT_TRUE(late.ReadGreeting());
}

// Every place taken by clients that never said anything: a new client still
// gets its greeting, in the place of the longest idle one; a client that has
// sent a command keeps its place.
TEST_F(ServerRobustnessTest, IdleClientsGiveWayToANewClient) {
    std::vector<std::unique_ptr<RemoteTestClient>> clients;
    for (int i = 0; i < CDataForwardServer::kMaxClients; ++i) {
        clients.push_back(std::make_unique<RemoteTestClient>());
        ASSERT_TRUE(clients.back()->Connect(server.GetListenPort())) << i;
        ASSERT_TRUE(clients.back()->ReadGreeting()) << i;
    }
    ASSERT_TRUE(clients[0]->Send("QVDAS_CURRENT"));
    ASSERT_TRUE(target.PumpUntilHandled(1));

    // Too new to count as idle: the flood protection closes the newcomer.
    RemoteTestClient early;
    ASSERT_TRUE(early.Connect(server.GetListenPort()));
    EXPECT_TRUE(early.ClosedByServer());

    std::this_thread::sleep_for(std::chrono::milliseconds(CDataForwardServer::kIdleGraceMs + 200));
    std::vector<std::unique_ptr<RemoteTestClient>> newcomers;
    for (int round = 0; round < 2; ++round) {
        newcomers.push_back(std::make_unique<RemoteTestClient>());
        RemoteTestClient& late = *newcomers.back();
        ASSERT_TRUE(late.Connect(server.GetListenPort())) << round;
        ASSERT_TRUE(late.ReadGreeting()) << round;
        EXPECT_TRUE(clients[1 + round]->ClosedByServer()) << "the longest idle client gave way";
        ASSERT_TRUE(WaitFor([&] { return server.GetClientCount() == CDataForwardServer::kMaxClients; }));
    }
    // The client that spoke is still served.
    ASSERT_TRUE(clients[0]->Send("QVDAS_CURRENT"));
    ASSERT_TRUE(target.PumpUntilHandled(2));
}

// Every place taken by clients that each asked once and then fell idle: a
// command long ago buys no place for ever, and a new client is served.
TEST_F(ServerRobustnessTest, ClientsIdleSinceTheirLastCommandGiveWay) {
    std::vector<std::unique_ptr<RemoteTestClient>> clients;
    for (int i = 0; i < CDataForwardServer::kMaxClients; ++i) {
        clients.push_back(std::make_unique<RemoteTestClient>());
        ASSERT_TRUE(clients.back()->Connect(server.GetListenPort())) << i;
        ASSERT_TRUE(clients.back()->ReadGreeting()) << i;
        ASSERT_TRUE(clients.back()->Send("QVDAS_CURRENT")) << i;
        ASSERT_TRUE(target.PumpUntilHandled(static_cast<std::size_t>(i) + 1)) << i;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(CDataForwardServer::kIdleGraceMs + 200));
    RemoteTestClient late;
    ASSERT_TRUE(late.Connect(server.GetListenPort()));
    ASSERT_TRUE(late.ReadGreeting());
    // The first to fall idle gave way, after the answers it was sent.
    for (ReceivedPacket packet; clients[0]->ReadPacket(packet, 3000);) {
    }
    EXPECT_TRUE(clients[0]->ClosedByServer(0));
    ASSERT_TRUE(WaitFor([&] { return server.GetClientCount() == CDataForwardServer::kMaxClients; }));
}

// Reads everything the well-behaved client gets until the marker; asks for
// the current values once data flows.
struct WellBehavedReader {
    RemoteTestClient client;
    std::atomic<int> nData{0};
    std::atomic<bool> bAnswered{false};
    std::atomic<bool> bFailed{false};
    std::vector<int> sequence;
    std::vector<std::int32_t> answer;

    void Run() {
        bool asked = false;
        for (;;) {
            ReceivedPacket packet;
            if (!client.ReadPacket(packet, 10000)) {
                bFailed = true;
                return;
            }
            if (packet.header.dwType == kMarkerType)
                return;
            if (packet.header.dwType == kRemoteCurrent) {
                answer = packet.Ints();
                bAnswered = true;
            } else if (packet.header.dwType == kRemotePacketData) {
                sequence.push_back(static_cast<int>(packet.FloatAt(12)));
                if (++nData >= 10 && !asked)
                    asked = client.Send("QVDAS_CURRENT");
            }
        }
    }
};

TEST_F(ServerRobustnessTest, NoiseAndSilentClientsDisturbNeitherTheRunNorOthers) {
    constexpr int kSilent = 8;
    constexpr int kNoisy = 8;
    constexpr int kMaxBlocks = 6000; // 16 KB each
    constexpr int kMaxAhead = 64;    // blocks the producer runs ahead of the reader
    host.bRunning = true;
    host.currentValues = {1.5f, 2.5f, 3.5f};

    WellBehavedReader reader;
    ASSERT_TRUE(reader.client.Connect(server.GetListenPort()));
    ASSERT_TRUE(reader.client.ReadGreeting());
    std::vector<RemoteTestClient> silent(kSilent), noisy(kNoisy);
    for (auto* group : {&silent, &noisy})
        for (auto& client : *group)
            ASSERT_TRUE(client.Connect(server.GetListenPort()));
    ASSERT_TRUE(WaitFor([&] { return server.GetClientCount() == 1 + kSilent + kNoisy; }));
    ASSERT_EQ(1, server.StartSendThread());

    std::thread readerThread([&] { reader.Run(); });
    std::thread noiseThread([&] {
        std::mt19937 random(11);
        for (int round = 0; round < 40; ++round) {
            for (auto& client : noisy) {
                std::string bytes(round % 5 == 0 ? 64 * 1024 : 1 + random() % 4096, '\0');
                for (char& c : bytes)
                    c = static_cast<char>(random());
                client.Stream().SendAll(bytes.data(), bytes.size(), 100); // fails once dropped
            }
        }
    });

    const std::int32_t module = 5;
    std::vector<float> values(256 * 16, 0.5f);
    int queued = 0;
    while (queued < kMaxBlocks && !reader.bFailed && !(reader.bAnswered && server.GetClientCount() == 1)) {
        platform::PumpMessages();
        if (queued - reader.nData.load() >= kMaxAhead) {
            platform::PumpMessagesFor(1);
            continue;
        }
        values[0] = static_cast<float>(queued);
        queued += server.QueueDataBlocks(1, &module, 256, values.data());
    }
    noiseThread.join();
    server.StopSendThread();
    server.BroadcastPacket(kMarkerType, 0, nullptr);
    readerThread.join();

    ASSERT_FALSE(reader.bFailed);
    EXPECT_EQ(1, server.GetClientCount()) << "silent and noisy clients are dropped";
    ASSERT_EQ(static_cast<std::size_t>(queued), reader.sequence.size());
    for (int i = 0; i < queued; ++i)
        ASSERT_EQ(i, reader.sequence[static_cast<std::size_t>(i)]);
    EXPECT_TRUE(reader.bAnswered);
    EXPECT_EQ(3, reader.answer.at(0));
    EXPECT_EQ(std::vector<int>{kRemoteCurrent}, target.codes);
}

} // namespace
