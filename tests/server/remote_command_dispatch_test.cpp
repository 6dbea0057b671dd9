// Remote commands end to end over loopback: the client's text reaches the
// dispatcher through the frame's message, which runs the command as a remote
// request or refuses it, and the reply reaches every client.
#include "RemoteTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

struct Reply {
    std::uint32_t type;
    std::vector<std::int32_t> values;
};

class RemoteCommandDispatchTest : public RemoteServerTest {
protected:
    void SetUp() override {
        RemoteServerTest::SetUp();
        if (!HasFatalFailure())
            Connect(client);
    }

    void Connect(RemoteTestClient& c) {
        const int before = server.GetClientCount();
        ASSERT_TRUE(c.Connect(server.GetListenPort()));
        ASSERT_TRUE(c.ReadGreeting());
        ASSERT_TRUE(WaitFor([&] { return server.GetClientCount() == before + 1; }));
    }

    // Sends the command, lets the frame handle it, and returns the reply
    // that came before the marker, if any.
    std::optional<Reply> Command(const std::string& text, RemoteTestClient& from) {
        EXPECT_TRUE(from.Send(text));
        EXPECT_TRUE(target.PumpUntilHandled(++handled)) << text;
        return NextReply(from);
    }
    std::optional<Reply> Command(const std::string& text) { return Command(text, client); }

    std::optional<Reply> NextReply(RemoteTestClient& c) {
        server.BroadcastPacket(kMarkerType, 0, nullptr);
        ReceivedPacket packet;
        EXPECT_TRUE(c.ReadPacket(packet));
        if (packet.header.dwType == kMarkerType)
            return std::nullopt;
        EXPECT_EQ(0, packet.header.wData);
        EXPECT_EQ(1, packet.header.wReply);
        ReceivedPacket marker;
        EXPECT_TRUE(c.ReadPacket(marker));
        EXPECT_EQ(kMarkerType, marker.header.dwType);
        return Reply{packet.header.dwType, packet.Ints()};
    }

    RemoteTestClient client;
    std::size_t handled = 0;
};

void ExpectReply(const std::optional<Reply>& reply, std::uint32_t type, std::vector<std::int32_t> values) {
    ASSERT_TRUE(reply.has_value()) << "no reply of type " << type;
    EXPECT_EQ(type, reply->type);
    EXPECT_EQ(values, reply->values);
}

TEST_F(RemoteCommandDispatchTest, CommandsRunAsRemoteRequestsAndReport) {
    ExpectReply(Command("QVDAS_FINDCASE"), 2, {2, 0, 9});
    EXPECT_EQ(1, host.nDetects);
    ExpectReply(Command("QVDAS_BALANCE"), 3, {4});
    EXPECT_EQ(1, host.nBalances);
    ExpectReply(Command("QVDAS_STARTSAMPLE"), 4, {1});
    EXPECT_EQ(1, host.nStarts);
    ExpectReply(Command("QVDAS_STOPSAMPLE"), 5, {1});
    EXPECT_EQ(1, host.nStops);
    EXPECT_TRUE(host.bRemoteSeen);
    EXPECT_FALSE(host.bRemote);
}

TEST_F(RemoteCommandDispatchTest, CommandsThatCannotRunAnswerAtOnce) {
    host.bRunning = true;
    host.bCanStart = false;
    ExpectReply(Command("QVDAS_BALANCE"), 3, {0});
    ExpectReply(Command("QVDAS_STARTSAMPLE"), 4, {0});
    // A search would rebuild the tables the run uses.
    ExpectReply(Command("QVDAS_FINDCASE"), 2, {0});
    host.bRunning = false;
    ExpectReply(Command("QVDAS_STOPSAMPLE"), 5, {1});
    EXPECT_EQ(0, host.nBalances + host.nStarts + host.nDetects + host.nStops);
    EXPECT_FALSE(host.bRemote);
}

TEST_F(RemoteCommandDispatchTest, SearchThatFindsNothingStillAnswersAndClearsTheFlag) {
    host.foundUnits.clear();
    ExpectReply(Command("QVDAS_FINDCASE"), 2, {0});
    EXPECT_EQ(1, host.nDetects);
    EXPECT_FALSE(host.bRemote);
}

TEST_F(RemoteCommandDispatchTest, CurrentValuesAreSizedToTheChannelCount) {
    host.bRunning = true;
    for (std::size_t n : {1u, 16u, 4096u}) {
        host.currentValues.assign(n, 0.0f);
        for (std::size_t i = 0; i < n; ++i)
            host.currentValues[i] = static_cast<float>(i) + 0.25f;
        const auto reply = Command("QVDAS_CURRENT");
        ASSERT_TRUE(reply.has_value()) << n;
        EXPECT_EQ(kRemoteCurrent, reply->type);
        ASSERT_EQ(n + 1, reply->values.size());
        EXPECT_EQ(static_cast<std::int32_t>(n), reply->values[0]);
        float last = 0;
        std::memcpy(&last, &reply->values[n], 4);
        EXPECT_EQ(host.currentValues.back(), last);
    }
}

TEST_F(RemoteCommandDispatchTest, CurrentValuesOnlyDuringARunWithForwarding) {
    host.currentValues = {1.0f, 2.0f};
    EXPECT_FALSE(Command("QVDAS_CURRENT").has_value()); // no run
    host.bRunning = true;
    host.currentValues.clear();
    EXPECT_FALSE(Command("QVDAS_CURRENT").has_value()); // no channels
    host.currentValues = {1.0f, 2.0f};
    host.bForwarding = false;
    EXPECT_FALSE(Command("QVDAS_CURRENT").has_value());
}

TEST_F(RemoteCommandDispatchTest, WithoutForwardingCommandsRunButNothingIsSent) {
    host.bForwarding = false;
    EXPECT_FALSE(Command("QVDAS_FINDCASE").has_value());
    EXPECT_FALSE(Command("QVDAS_STARTSAMPLE").has_value());
    EXPECT_FALSE(Command("QVDAS_BALANCE").has_value()); // refused: a run is active
    EXPECT_EQ(1, host.nDetects);
    EXPECT_EQ(1, host.nStarts);
    EXPECT_EQ(0, host.nBalances);
    EXPECT_FALSE(host.bRemote);
}

TEST_F(RemoteCommandDispatchTest, UnknownCodesDoNothing) {
    for (platform::WPARAM code : {0u, 1u, 6u, 7u, 8u, 9u, 11u, 1000u})
        EXPECT_EQ(0, dispatch.OnRemoteCommand(code));
    EXPECT_EQ(0, host.nDetects + host.nBalances + host.nStarts + host.nStops);
    EXPECT_FALSE(NextReply(client).has_value());
}

TEST_F(RemoteCommandDispatchTest, ReplyToOneClientReachesBoth) {
    RemoteTestClient second;
    Connect(second);
    ExpectReply(Command("QVDAS_BALANCE", second), 3, {4});
    ReceivedPacket packet;
    ASSERT_TRUE(client.ReadPacket(packet));
    EXPECT_EQ(3u, packet.header.dwType);
    EXPECT_EQ(4, packet.IntAt(0));
}

TEST_F(RemoteCommandDispatchTest, EndOfARunIsReportedWhenAClientStartedOrStoppedIt) {
    // Started remotely, stopped by the user: the clients hear of the end.
    ExpectReply(Command("QVDAS_STARTSAMPLE"), 4, {1});
    host.StopSample();
    ExpectReply(NextReply(client), 5, {1});
    // Started and stopped by the user: nothing.
    host.StartSample();
    host.StopSample();
    EXPECT_FALSE(NextReply(client).has_value());
    // Started by the user, stopped remotely.
    host.StartSample();
    ExpectReply(Command("QVDAS_STOPSAMPLE"), 5, {1});
    EXPECT_FALSE(host.bRemote);
}

TEST_F(RemoteCommandDispatchTest, StartWithoutItsReportStillAnswers) {
    using Outcome = FakeFrameHost::StartOutcome;
    const struct {
        bool paused;
        Outcome outcome;
        std::int32_t answer;
    } cases[] = {{true, Outcome::Resumes, 1}, {false, Outcome::Fails, 0}};
    for (const auto& c : cases) {
        host.bRunning = c.paused;
        host.bCanStart = true;
        host.startOutcome = c.outcome;
        ExpectReply(Command("QVDAS_STARTSAMPLE"), 4, {c.answer});
        EXPECT_FALSE(host.bRemote);
    }
    EXPECT_EQ(2, host.nStarts);
}

} // namespace
