// The link over loopback: each side's window gets whole packets, whatever
// chunks TCP makes of them; broken streams, stuck sends and new peers drop
// connections; closing never waits on the thread that closes.
#include "libs/transfer/ProgrammedLink.h"
#include "platform/Message.h"
#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr platform::UINT kServerMsg = 0xC100;
constexpr platform::UINT kClientMsg = 0xC101;

class PacketWindow : public platform::MessageTarget {
public:
    explicit PacketWindow(platform::UINT msg) : m_msg(msg) {}
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override {
        if (message != m_msg)
            return 0;
        const auto* p = reinterpret_cast<const std::uint8_t*>(lParam);
        packets.emplace_back(p, p + wParam);
        if (onPacket)
            onPacket();
        return 1;
    }
    std::vector<Bytes> packets;
    std::function<void()> onPacket;

private:
    platform::UINT m_msg;
};

Bytes Packet(std::int32_t code, std::size_t payloadLength) {
    Bytes payload(payloadLength);
    for (std::size_t i = 0; i < payloadLength; ++i)
        payload[i] = static_cast<std::uint8_t>(i * 13 + code);
    return BuildLinkPacket(code, payload.data(), payload.size());
}

bool Pump(const std::function<bool()>& done, std::uint32_t ms = 5000) {
    platform::PumpMessagesFor(ms, done);
    return done();
}

int Send(CProgrammedClient& client, const Bytes& b) {
    return client.SendNetworkCommand(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
}
int Send(CProgrammedServer& server, const Bytes& b) {
    return server.SendNetworkCommand(reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
}

class ProgrammedLink : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetUiThread();
        server.AttachWnd(&serverWindow);
        server.AttachMsg(kServerMsg);
        ASSERT_EQ(server.CreateServer(0, 1), 1);
        ASSERT_EQ(server.StartServer(), 1);
    }

    // A client connected, receiving, and seen by the server.
    void Connect(CProgrammedClient& client, PacketWindow& window) {
        client.AttachWnd(&window);
        client.AttachMsg(kClientMsg);
        ASSERT_EQ(client.StartConnect("127.0.0.1", server.GetPort()), 1);
        ASSERT_EQ(client.StartClient(), 1);
        const Bytes hello = Packet(4, 0);
        const std::size_t before = serverWindow.packets.size();
        ASSERT_EQ(Send(client, hello), 1);
        ASSERT_TRUE(Pump([&] { return serverWindow.packets.size() > before; }));
    }

    PacketWindow serverWindow{kServerMsg};
    CProgrammedServer server;
};

TEST(ProgrammedLinkIdle, CallsOutOfOrderFailWithoutBlocking) {
    CProgrammedClient client;
    CProgrammedServer server;
    EXPECT_EQ(client.StartClient(), 0);
    EXPECT_EQ(client.IsConnectServer(), 0);
    EXPECT_EQ(client.SendNetworkCommand("x", 1), 0);
    client.Close();
    client.Close();
    EXPECT_EQ(server.StartServer(), 0);
    EXPECT_EQ(server.SendNetworkCommand("x", 1), 0);
    server.CloseServer();
    EXPECT_EQ(client.StartConnect("no such host", 8001), 0);
}

// The protected send of both classes, reached through subclasses.
struct SendingClient : CProgrammedClient {
    using CProgrammedClient::SendNetData;
};
struct SendingServer : CProgrammedServer {
    using CProgrammedServer::SendNetData;
};

TEST(ProgrammedLinkIdle, SendNetDataSendsAllAtOnceOrFails) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    unsigned mine = static_cast<unsigned>(fds[0]);
    EXPECT_EQ(SendingClient::SendNetData(mine, "abc", 3), 1);
    EXPECT_EQ(SendingServer::SendNetData(mine, "de", 2), 1);
    char got[8] = {};
    EXPECT_EQ(read(fds[1], got, sizeof got), 5);
    EXPECT_STREQ(got, "abcde");

    // More than the socket can take at once goes out in part: a failure.
    const int small = 4096;
    ASSERT_EQ(setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small), 0);
    const std::string big(1 << 20, 'x');
    EXPECT_EQ(SendingServer::SendNetData(mine, big.data(), static_cast<int>(big.size())), 0);

    // No socket, a closed one, a peer gone.
    unsigned none = static_cast<unsigned>(-1);
    EXPECT_EQ(SendingClient::SendNetData(none, "a", 1), 0);
    close(fds[1]);
    EXPECT_EQ(SendingClient::SendNetData(mine, "a", 1), 0);
    close(fds[0]);
    EXPECT_EQ(SendingClient::SendNetData(mine, "a", 1), 0);

    // The transmission thread has nothing to do; it can be started again.
    CProgrammedServer server;
    EXPECT_EQ(server.StartTransmission(), 1);
    EXPECT_EQ(server.StartTransmission(), 1);
}

TEST_F(ProgrammedLink, PortInUseIsRefusedWithTheError) {
    CProgrammedServer second;
    EXPECT_EQ(second.CreateServer(server.GetPort(), 1), 0);
    EXPECT_EQ(second.GetLastError(), EADDRINUSE);
    EXPECT_EQ(second.StartServer(), 0);
}

TEST_F(ProgrammedLink, ListensOnLoopbackAddressOnly) {
    platform::TcpStream other;
    EXPECT_FALSE(other.Connect("127.0.0.2", static_cast<std::uint16_t>(server.GetPort()), 1000));
    EXPECT_EQ(server.IsPeerConnected(), 0);
}

TEST_F(ProgrammedLink, PacketsArriveWholeHoweverTheStreamIsCut) {
    CProgrammedClient client;
    PacketWindow clientWindow{kClientMsg};
    Connect(client, clientWindow);
    serverWindow.packets.clear();

    // Raw stream to the server: three packets merged, then one cut inside its header.
    const Bytes a = Packet(1, 0), b = Packet(9, 2000), c = Packet(7, 30);
    Bytes merged = a;
    merged.insert(merged.end(), b.begin(), b.end());
    merged.insert(merged.end(), c.begin(), c.end());
    ASSERT_EQ(Send(client, merged), 1);
    const Bytes d = Packet(5, 12);
    ASSERT_EQ(client.SendNetworkCommand(reinterpret_cast<const char*>(d.data()), 7), 1);
    ASSERT_TRUE(Pump([&] { return serverWindow.packets.size() == 3; }));
    ASSERT_EQ(client.SendNetworkCommand(reinterpret_cast<const char*>(d.data()) + 7,
                                        static_cast<int>(d.size()) - 7),
              1);
    ASSERT_TRUE(Pump([&] { return serverWindow.packets.size() == 4; }));
    EXPECT_EQ(serverWindow.packets, (std::vector<Bytes>{a, b, c, d}));

    // And the other way: the largest packet.
    const Bytes big = Packet(0, kLinkPacketMaxSize - kLinkPacketHeaderSize);
    ASSERT_EQ(Send(server, big), 1);
    ASSERT_TRUE(Pump([&] { return clientWindow.packets.size() == 1; }));
    EXPECT_EQ(clientWindow.packets[0], big);
}

TEST_F(ProgrammedLink, BrokenStreamDropsTheLink) {
    const Bytes badMagic = [] {
        Bytes b = Packet(1, 4);
        b[0] ^= 1;
        return b;
    }();
    const Bytes tooLong = [] {
        LinkPacketHeader h{kLinkPacketMagic, 1, 0, 1, 1, static_cast<std::int32_t>(kLinkPacketMaxSize)};
        const auto* p = reinterpret_cast<const std::uint8_t*>(&h);
        return Bytes(p, p + sizeof h);
    }();
    for (const Bytes& bad : {badMagic, tooLong}) {
        CProgrammedClient client;
        PacketWindow clientWindow{kClientMsg};
        Connect(client, clientWindow);
        const std::size_t before = serverWindow.packets.size();
        ASSERT_EQ(Send(client, bad), 1);
        EXPECT_TRUE(Pump([&] { return client.IsConnectServer() == 0; }));
        EXPECT_EQ(server.IsPeerConnected(), 0);
        EXPECT_EQ(serverWindow.packets.size(), before);
        EXPECT_EQ(Send(server, Packet(0, 0)), 0);
        EXPECT_EQ(Send(client, Packet(0, 0)), 0);
    }
}

TEST_F(ProgrammedLink, NewPeerReplacesTheOld) {
    CProgrammedClient first, second;
    PacketWindow firstWindow{kClientMsg}, secondWindow{kClientMsg};
    Connect(first, firstWindow);
    Connect(second, secondWindow);
    EXPECT_TRUE(Pump([&] { return first.IsConnectServer() == 0; }));
    ASSERT_EQ(Send(server, Packet(3, 8)), 1);
    ASSERT_TRUE(Pump([&] { return secondWindow.packets.size() == 1; }));
    EXPECT_TRUE(firstWindow.packets.empty());
    EXPECT_EQ(server.GetPeerAddress(), "127.0.0.1");
}

TEST_F(ProgrammedLink, ReconnectCyclesWithTrafficBothWays) {
    CProgrammedClient client;
    PacketWindow clientWindow{kClientMsg};
    for (int cycle = 0; cycle < 25; ++cycle) {
        clientWindow.packets.clear();
        serverWindow.packets.clear();
        Connect(client, clientWindow); // StartConnect closes the previous link itself
        for (int i = 0; i < 5; ++i) {
            ASSERT_EQ(Send(client, Packet(i, 100 * i)), 1);
            ASSERT_EQ(Send(server, Packet(i, 300 * i)), 1) << "cycle " << cycle;
        }
        ASSERT_TRUE(Pump([&] {
            return serverWindow.packets.size() == 6 && clientWindow.packets.size() == 5;
        })) << "cycle "
            << cycle;
        EXPECT_EQ(clientWindow.packets[4], Packet(4, 1200));
        if (cycle % 2)
            client.Close();
    }
}

TEST_F(ProgrammedLink, ServerCloseIsSeenByTheClient) {
    CProgrammedClient client;
    PacketWindow clientWindow{kClientMsg};
    Connect(client, clientWindow);
    server.CloseServer();
    EXPECT_TRUE(Pump([&] { return client.IsConnectServer() == 0; }));
    EXPECT_EQ(Send(client, Packet(1, 0)), 0);
    EXPECT_EQ(server.IsListening(), 0);
    EXPECT_EQ(server.StartServer(), 0);
}

TEST_F(ProgrammedLink, SendThatCannotFinishDropsThePeer) {
    platform::TcpStream reader; // connects but never reads
    ASSERT_TRUE(reader.Connect("127.0.0.1", static_cast<std::uint16_t>(server.GetPort()), 1000));
    ASSERT_TRUE(Pump([&] { return server.IsPeerConnected() == 1; }));
    const Bytes big = Packet(0, kLinkPacketMaxSize - kLinkPacketHeaderSize);
    int sent = 0;
    while (Send(server, big) == 1 && sent < 100000)
        ++sent;
    EXPECT_LT(sent, 100000);
    EXPECT_EQ(server.IsPeerConnected(), 0);
    EXPECT_EQ(Send(server, Packet(1, 0)), 0);
}

// The owner closes on the user-interface thread while a receive thread
// waits to deliver to it: the close must not wait on itself.
TEST_F(ProgrammedLink, CloseWhileADeliveryWaitsForTheUserInterface) {
    auto client = std::make_unique<CProgrammedClient>();
    PacketWindow clientWindow{kClientMsg};
    Connect(*client, clientWindow);
    ASSERT_EQ(Send(server, Packet(1, 0)), 1);
    ASSERT_EQ(Send(*client, Packet(2, 0)), 1);
    usleep(200 * 1000); // both receive threads now wait for this thread
    client.reset();
    server.CloseServer();
    platform::PumpMessages();
    EXPECT_TRUE(clientWindow.packets.empty());
}

TEST_F(ProgrammedLink, CloseFromInsideItsOwnDelivery) {
    CProgrammedClient client;
    PacketWindow clientWindow{kClientMsg};
    Connect(client, clientWindow);
    clientWindow.onPacket = [&] { client.Close(); };
    serverWindow.onPacket = [&] { server.CloseServer(); };
    ASSERT_EQ(Send(server, Packet(1, 0)), 1);
    ASSERT_TRUE(Pump([&] { return clientWindow.packets.size() == 1; }));
    EXPECT_EQ(client.IsConnectServer(), 0);
    // Reconnect, and let the server close itself from its handler.
    ASSERT_EQ(client.StartConnect("127.0.0.1", server.GetPort()), 1);
    clientWindow.onPacket = nullptr;
    ASSERT_EQ(Send(client, Packet(2, 0)), 1);
    EXPECT_TRUE(Pump([&] { return server.IsListening() == 0; }));
}

TEST_F(ProgrammedLink, WorksWithDescriptorsAbove1024) {
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    if (limit.rlim_max < 1200)
        GTEST_SKIP() << "descriptor limit " << limit.rlim_max;
    const rlimit saved = limit;
    limit.rlim_cur = std::max<rlim_t>(limit.rlim_cur, 1200);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
    std::vector<int> filler;
    for (;;) { // until the descriptors handed out pass 1,024
        const int fd = open("/dev/null", O_RDONLY);
        if (fd < 0)
            break;
        filler.push_back(fd);
        if (fd >= 1100)
            break;
    }
    {
        CProgrammedClient client;
        PacketWindow clientWindow{kClientMsg};
        Connect(client, clientWindow);
        ASSERT_EQ(Send(server, Packet(6, 10)), 1);
        EXPECT_TRUE(Pump([&] { return clientWindow.packets.size() == 1; }));
    }
    for (int fd : filler)
        close(fd);
    setrlimit(RLIMIT_NOFILE, &saved);
}

} // namespace
