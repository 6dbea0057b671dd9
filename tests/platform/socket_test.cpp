// Tests of the socket wrappers over real loopback connections.
#include "platform/Socket.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/socket.h>
#include <thread>
#include <vector>

using namespace platform;

namespace {

// A listener on a free loopback port with one connected pair.
struct LoopbackPair {
    TcpListener listener;
    TcpStream client;
    TcpStream server;
    SocketAddress peer;

    bool Connect(const std::string& localIp = "") {
        SocketAddress local;
        if (!listener.Listen("127.0.0.1", 0) || !listener.LocalAddress(local))
            return false;
        return client.Connect("127.0.0.1", local.port, 2000, localIp) &&
               listener.Accept(server, 2000, &peer) == 1;
    }
};

} // namespace

TEST(SocketAddressText, ParseAndFormat) {
    struct Case {
        const char* text;
        bool ok;
    };
    const Case cases[] = {{"127.0.0.1", true},  {"236.8.18.180", true}, {"", true},
                          {"256.1.1.1", false}, {"1.2.3", false},       {"a.b.c.d", false},
                          {"1.2.3.4 ", false}};
    for (const auto& c : cases) {
        std::uint32_t addr = 0;
        EXPECT_EQ(ParseIPv4(c.text, addr), c.ok) << c.text;
        if (c.ok && *c.text)
            EXPECT_EQ(FormatIPv4(addr), c.text);
    }
}

TEST(TcpSocket, PeerAddressIsTheBoundLocalAddress) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.Connect("127.0.0.2"));
    EXPECT_EQ(pair.peer.ip, "127.0.0.2");
    SocketAddress clientLocal;
    ASSERT_TRUE(pair.client.LocalAddress(clientLocal));
    EXPECT_EQ(pair.peer.port, clientLocal.port);
    SocketAddress viaStream;
    ASSERT_TRUE(pair.server.PeerAddress(viaStream));
    EXPECT_EQ(viaStream.ip, "127.0.0.2");
}

TEST(TcpSocket, DataBothWaysAndPeerClose) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.Connect());
    EXPECT_FALSE(pair.server.IsReadable());

    std::vector<char> big(1 << 20);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    // The receiver drains while the sender pushes more than a socket buffer.
    std::vector<char> got;
    std::thread reader([&] {
        char buf[65536];
        while (got.size() < big.size()) {
            const int n = pair.server.Receive(buf, sizeof buf, 2000);
            if (n <= 0)
                break;
            got.insert(got.end(), buf, buf + n);
        }
    });
    EXPECT_TRUE(pair.client.SendAll(big.data(), big.size(), 5000));
    reader.join();
    EXPECT_EQ(got, big);

    ASSERT_EQ(pair.server.Send("ok", 2), 2);
    char buf[8] = {};
    EXPECT_EQ(pair.client.Receive(buf, sizeof buf, 2000), 2);
    EXPECT_EQ(std::string(buf, 2), "ok");

    EXPECT_EQ(pair.server.Receive(buf, sizeof buf, 0), kSocketTimeout);
    ASSERT_TRUE(pair.client.Shutdown(SHUT_RDWR));
    EXPECT_EQ(pair.server.Receive(buf, sizeof buf, 2000), 0);
}

TEST(TcpSocket, SendToClosedPeerFailsWithoutSignal) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.Connect());
    pair.server.Close();
    // Writing into a reset connection would raise SIGPIPE without MSG_NOSIGNAL.
    const std::vector<char> data(65536, 'x');
    bool failed = false;
    for (int i = 0; i < 50 && !failed; ++i)
        failed = !pair.client.SendAll(data.data(), data.size(), 500);
    EXPECT_TRUE(failed);
}

TEST(TcpSocket, TimeoutsAndRefusals) {
    TcpListener listener;
    ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
    TcpStream none;
    EXPECT_EQ(listener.Accept(none, 0), kSocketTimeout);
    EXPECT_FALSE(none.IsOpen());

    SocketAddress local;
    ASSERT_TRUE(listener.LocalAddress(local));
    listener.Close();
    TcpStream client;
    EXPECT_FALSE(client.Connect("127.0.0.1", local.port, 1000));
    EXPECT_FALSE(client.IsOpen());
    EXPECT_NE(client.LastError(), 0);
    EXPECT_FALSE(client.Connect("not an address", 80, 100));
    char buf[4];
    EXPECT_EQ(client.Receive(buf, sizeof buf, 0), kSocketError);
    EXPECT_EQ(client.Send(buf, sizeof buf), kSocketError);
}

TEST(TcpSocket, ShutdownWakesWaitingThreads) {
    // How a server stops its accepting and receiving threads without
    // waiting out their time-outs.
    LoopbackPair pair;
    ASSERT_TRUE(pair.Connect());
    int acceptResult = 1, receiveResult = 1;
    std::thread acceptor([&] {
        TcpStream s;
        acceptResult = pair.listener.Accept(s, 60000);
    });
    std::thread receiver([&] {
        char buf[16];
        receiveResult = pair.server.Receive(buf, sizeof buf, 60000);
    });
    platform::Sleep(50);
    EXPECT_TRUE(pair.listener.Shutdown(SHUT_RDWR));
    EXPECT_TRUE(pair.server.Shutdown(SHUT_RDWR));
    acceptor.join();
    receiver.join();
    EXPECT_NE(acceptResult, 1);
    EXPECT_NE(acceptResult, kSocketTimeout);
    EXPECT_EQ(receiveResult, 0);
}

TEST(TcpSocket, SecondListenerOnSamePortFails) {
    TcpListener first, second;
    ASSERT_TRUE(first.Listen("127.0.0.1", 0));
    SocketAddress local;
    ASSERT_TRUE(first.LocalAddress(local));
    EXPECT_FALSE(second.Listen("127.0.0.1", local.port));
    EXPECT_FALSE(second.IsOpen());
}

TEST(UdpSocket, DatagramsCarryTheSender) {
    UdpSocket receiver, sender;
    ASSERT_TRUE(receiver.Bind("127.0.0.1", 0));
    ASSERT_TRUE(sender.Bind("127.0.0.3", 0));
    SocketAddress to;
    ASSERT_TRUE(receiver.LocalAddress(to));
    char buf[16];
    EXPECT_EQ(receiver.ReceiveFrom(buf, sizeof buf, 0), kSocketTimeout);

    ASSERT_EQ(sender.SendTo("AT+X", 4, "127.0.0.1", to.port), 4);
    SocketAddress from;
    ASSERT_EQ(receiver.ReceiveFrom(buf, sizeof buf, 2000, &from), 4);
    EXPECT_EQ(std::string(buf, 4), "AT+X");
    EXPECT_EQ(from.ip, "127.0.0.3");
    EXPECT_EQ(sender.SendTo("x", 1, "300.1.1.1", 1), kSocketError);
}

TEST(UdpSocket, MulticastJoinChecksItsGroup) {
    UdpSocket socket;
    ASSERT_TRUE(socket.Bind("", 0));
    EXPECT_TRUE(socket.SetBroadcast(true));
    EXPECT_TRUE(socket.JoinMulticast("236.8.18.180", "127.0.0.1"));
    EXPECT_FALSE(socket.JoinMulticast("127.0.0.1", "127.0.0.1")); // not a group address
    EXPECT_FALSE(socket.JoinMulticast("bad", ""));
}
