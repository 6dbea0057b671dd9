// The calibrator link on the main program's side: the commands' checks and
// replies against a recording host, and the frame's server and its Kelvane
// command with the calibrator's own client over loopback.
#include "FrameRunFixture.h"

#include "app/KelvaneLink.h"
#include "libs/transfer/ProgrammedLink.h"

#include <signal.h>

#include <cstring>
#include <fstream>
#include <mutex>

namespace {

std::vector<std::uint8_t> Command(std::int32_t code, std::size_t length,
                                  const std::vector<std::int32_t>& words = {}) {
    std::vector<std::uint8_t> bytes(length, 0);
    if (length >= 8) {
        const std::uint32_t magic = kLinkPacketMagic;
        std::memcpy(bytes.data(), &magic, 4);
        std::memcpy(bytes.data() + 4, &code, 4);
    }
    for (std::size_t i = 0; i < words.size() && 20 + 4 * i + 4 <= length; ++i)
        std::memcpy(bytes.data() + 20 + 4 * i, &words[i], 4);
    return bytes;
}

std::int32_t IntAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::int32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

class RecordingHost : public KelvaneLinkHost {
public:
    void SendLinkPacket(const std::vector<std::uint8_t>& packet) override {
        sent.push_back(IntAt(packet, 4));
    }
    std::vector<std::uint8_t> ControllerRecords(std::int32_t& count) override {
        count = controllers;
        return std::vector<std::uint8_t>(static_cast<std::size_t>(records) * 56, 0xAB);
    }
    std::vector<std::array<float, 16>> ChannelInfoValues(const KelvaneRecord&) override { return entries; }
    bool StartCalibrationSampling() override { return true; }
    bool StartZeroRun() override { return true; }
    bool IsLinkSamplingRunning() override { return running; }
    void StopSampling() override { ++stops; }
    void SetReadingEvent() override { ++sets; }
    void ResetReadingEvent() override {}
    void SelectChannel(int) override {}
    void ApplyRecord(const KelvaneRecord& record) override { applied.push_back(record); }
    bool IsKnownChannel(int channel) override { return channel < 64; }
    void SendChannelOutput(int channel, std::int32_t value) override { outputs.emplace_back(channel, value); }
    void After(int, std::function<void()> action) override { action(); }

    std::vector<std::int32_t> sent;
    std::vector<std::pair<int, std::int32_t>> outputs;
    std::vector<KelvaneRecord> applied;
    std::vector<std::array<float, 16>> entries;
    int stops = 0, sets = 0, controllers = 0, records = 0;
    bool running = false;
};

TEST(KelvaneLinkTest, ShortUnknownAndRefusedCommandsDoNothing) {
    const std::vector<std::int32_t> unknownChannel = [] {
        std::vector<std::int32_t> words(41, -1);
        words[9] = 70; // not a channel of a found case
        return words;
    }();
    const struct {
        std::vector<std::uint8_t> bytes;
        const char* what;
    } cases[] = {
        {Command(4, 19), "shorter than a head"},
        {Command(5, 55), "record one byte short"},
        {Command(10, 183), "channel values one byte short"},
        {Command(7, 23), "no channel"},
        {Command(11, 200), "unknown code"},
        {Command(0, 20), "code 0"},
        {Command(7, 24, {-5}), "negative channel"},
        {Command(10, 184, unknownChannel), "channel of no case"},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        CKelvaneLink link(host);
        link.OnCommand(c.bytes.data(), c.bytes.size());
        EXPECT_TRUE(host.sent.empty() && host.outputs.empty() && host.sets == 0) << c.what;
    }
}

TEST(KelvaneLinkTest, CommandsAnswerWithTheirReplies) {
    RecordingHost host;
    CKelvaneLink link(host);
    const auto send = [&link](const std::vector<std::uint8_t>& bytes) {
        link.OnCommand(bytes.data(), bytes.size());
    };
    send(Command(9, 56, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(link.Record(), (KelvaneRecord{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    send(Command(5, 56, {0, 1, 0, 2, 20, 2}));
    ASSERT_EQ(host.applied.size(), 1u);
    EXPECT_EQ(host.applied[0], (KelvaneRecord{0, 1, 0, 2, 20, 2, 0, 0, 0}));
    EXPECT_EQ(link.Record(), host.applied[0]);
    send(Command(1, 20));
    send(Command(6, 20));
    send(Command(3, 20));
    send(Command(8, 20));
    EXPECT_EQ(host.sent, (std::vector<std::int32_t>{9, 5, 1, 6}));
    EXPECT_EQ(host.sets, 1);
    EXPECT_EQ(host.stops, 1);

    // Stop while the link's sampling runs: the run's end answers, not the command.
    host.sent.clear();
    host.running = true;
    send(Command(2, 20));
    host.running = false;
    send(Command(2, 20));
    EXPECT_EQ(host.sent, (std::vector<std::int32_t>{2}));
}

TEST(KelvaneLinkTest, ChannelValuesGoOutForTheListedChannelsOnly) {
    RecordingHost host;
    CKelvaneLink link(host);
    std::vector<std::int32_t> words(41, -1);
    const std::vector<std::uint8_t> none = Command(10, 184, words);
    link.OnCommand(none.data(), none.size());
    EXPECT_TRUE(host.outputs.empty());
    EXPECT_EQ(host.sent, (std::vector<std::int32_t>{10}));

    words[9 + 3] = 17;
    words[25 + 3] = 1500;
    words[9 + 15] = 40;
    words[25 + 15] = -7;
    const std::vector<std::uint8_t> two = Command(10, 184, words);
    link.OnCommand(two.data(), two.size());
    EXPECT_EQ(host.outputs, (std::vector<std::pair<int, std::int32_t>>{{17, 1500}, {40, -7}}));
}

TEST(KelvaneLinkTest, ControllerReplyCarriesWholeRecordsOnly) {
    const struct {
        int count, records, expected;
    } cases[] = {{2, 2, 2}, {3, 2, 2}, {-1, 2, 0}, {1000, 1000, (8192 - 24) / 56}};
    for (const auto& c : cases) {
        RecordingHost host;
        host.controllers = c.count;
        host.records = c.records;
        CKelvaneLink link(host);
        const std::vector<std::uint8_t> reply = link.BuildReply(0);
        ASSERT_GE(reply.size(), 24u);
        EXPECT_EQ(IntAt(reply, 16), 4 + 56 * c.expected) << c.count;
        EXPECT_EQ(IntAt(reply, 20), c.expected) << c.count;
        EXPECT_EQ(reply.size(), 24u + 56u * static_cast<std::size_t>(c.expected));
    }
}

TEST(KelvaneLinkTest, CoefficientReplyCarriesOneRecordPerRangeWithinItsBuffer) {
    const struct {
        std::size_t entries, expected;
    } cases[] = {{0, 0}, {3, 3}, {127, 127}, {200, (8192 - 24) / 64}};
    for (const auto& c : cases) {
        RecordingHost host;
        for (std::size_t i = 0; i < c.entries; ++i) {
            std::array<float, 16> entry{};
            entry[15] = static_cast<float>(i) + 0.5f;
            host.entries.push_back(entry);
        }
        CKelvaneLink link(host);
        const std::vector<std::uint8_t> reply = link.BuildReply(9);
        ASSERT_EQ(reply.size(), 24u + 64u * c.expected) << c.entries;
        EXPECT_LE(reply.size(), 8192u);
        EXPECT_EQ(IntAt(reply, 16), static_cast<std::int32_t>(4 + 64 * c.expected));
        EXPECT_EQ(IntAt(reply, 20), static_cast<std::int32_t>(c.expected));
        if (c.expected > 0) {
            float last;
            std::memcpy(&last, reply.data() + reply.size() - 4, 4);
            EXPECT_EQ(last, static_cast<float>(c.expected - 1) + 0.5f);
        }
    }
}

TEST(KelvaneLinkTest, RecordNamesAModuleOfTheChannelTableOnly) {
    const struct {
        std::int32_t caseNo, module;
        int first;
    } cases[] =
        {
            {0, 0, 0},          {1, 3, (8 + 3) * 16}, {31, 7, 4096 - 16}, {32, 0, -1},
            {-1, 0, -1},        {0, 8, -1},           {0, -1, -1},        {INT32_MAX, 7, -1},
            {INT32_MIN, 0, -1}, {268435456, 0, -1}, // case × 128 wraps to 0 in 32 bits
        };
    for (const auto& c : cases)
        EXPECT_EQ(KelvaneModuleFirstChannel({c.caseNo, c.module}), c.first) << c.caseNo << "/" << c.module;
}

// The calibrator's side: whole packets the client receives.
class PacketSink : public platform::MessageTarget {
public:
    platform::LRESULT WindowProc(platform::UINT, platform::WPARAM wParam, platform::LPARAM lParam) override {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(lParam);
        std::lock_guard<std::mutex> lock(mutex);
        packets.emplace_back(bytes, bytes + wParam);
        return 0;
    }
    std::vector<std::vector<std::uint8_t>> Packets() {
        std::lock_guard<std::mutex> lock(mutex);
        return packets;
    }
    std::mutex mutex;
    std::vector<std::vector<std::uint8_t>> packets;
};

class FrameKelvaneTest : public FrameRunTest {
protected:
    // Two ranges; the simulated cases' channels carry coefficient 1.25 for code 4.
    const char* ExtraSettings() const override {
        return "ProgrammedStrain=1\n[SampleChanParams]\nFullValueCount=2\nFullValue0=20,ue=003\n"
               "FullValue1=5,mV=004\n";
    }
};

TEST_F(FrameKelvaneTest, TheCalibratorGetsTheControllerListAndItsChannelsGoToTheirCase) {
    ASSERT_NE(m_frame->GetKelvaneServer(), nullptr);
    ASSERT_EQ(m_frame->GetKelvaneServer()->IsListening(), 1) << "another program holds the calibrator port";
    Search();
    PacketSink sink;
    CProgrammedClient client;
    client.AttachWnd(&sink);
    client.AttachMsg(platform::WM_USER + 1);
    ASSERT_EQ(client.StartConnect("127.0.0.1", 8001), 1);
    ASSERT_EQ(client.StartClient(), 1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetKelvaneServer()->IsPeerConnected() == 1; }));

    const std::vector<std::uint8_t> ask = BuildLinkPacket(4, nullptr, 0);
    ASSERT_EQ(
        client.SendNetworkCommand(reinterpret_cast<const char*>(ask.data()), static_cast<int>(ask.size())),
        1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !sink.Packets().empty(); }));
    const std::vector<std::uint8_t> reply = sink.Packets().front();
    ASSERT_EQ(IntAt(reply, 4), 0);
    ASSERT_EQ(IntAt(reply, 20), 2) << "two controllers found";
    ASSERT_EQ(reply.size(), 24u + 2 * 56u);
    const std::string first(reinterpret_cast<const char*>(reply.data() + 24));
    EXPECT_TRUE(first == "127.0.0.2" || first == "127.0.0.3") << first;

    // The coefficients of the second case's module: one record per range.
    const std::vector<std::int32_t> record{1, 0};
    std::vector<std::uint8_t> block(36, 0);
    std::memcpy(block.data(), record.data(), 8);
    const std::vector<std::uint8_t> fetch = BuildLinkPacket(9, block.data(), block.size());
    ASSERT_EQ(client.SendNetworkCommand(reinterpret_cast<const char*>(fetch.data()),
                                        static_cast<int>(fetch.size())),
              1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return sink.Packets().size() == 2; }));
    const std::vector<std::uint8_t> coefficients = sink.Packets()[1];
    ASSERT_EQ(IntAt(coefficients, 4), 9);
    ASSERT_EQ(IntAt(coefficients, 20), 2);
    ASSERT_EQ(coefficients.size(), 24u + 2 * 64u);
    float range5[16];
    std::memcpy(range5, coefficients.data() + 24 + 64, sizeof range5);
    for (float coefficient : range5)
        EXPECT_FLOAT_EQ(coefficient, 1.25f);

    // Values for a channel of the second case: reply 10 once they are out.
    std::vector<std::uint8_t> values(184, 0xFF);
    const std::int32_t channel = 8 * 16 + 3, value = 1234;
    std::memcpy(values.data() + 56, &channel, 4);
    std::memcpy(values.data() + 120, &value, 4);
    const std::vector<std::uint8_t> packet = BuildLinkPacket(10, values.data() + 20, values.size() - 20);
    ASSERT_EQ(client.SendNetworkCommand(reinterpret_cast<const char*>(packet.data()),
                                        static_cast<int>(packet.size())),
              1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return sink.Packets().size() == 3; }));
    EXPECT_EQ(IntAt(sink.Packets()[2], 4), 10);
    // The coefficient command reached the case holding the channel, and only it.
    EXPECT_EQ(m_simulators[1]->CountCommands(2, 2), 1);
    EXPECT_EQ(m_simulators[0]->CountCommands(2, 2), 0);
    client.Close();
}

TEST_F(FrameKelvaneTest, TheKelvaneCommandReportsAMissingOrUnstartableProgram) {
    constexpr int ID_START_KELVANE = 32948;
    const std::string program = m_scratch.File("Kelvane");
    const struct {
        bool present;
        const char* text;
        const char* caption;
    } cases[] = {
        {false, "未发现Kelvane控制系统程序！", nullptr},
        {true, "Kelvane控制系统程序启动失败!", "错误提示"}, // a file that is no program
    };
    for (const auto& c : cases) {
        if (c.present)
            std::ofstream(program) << "not a program\n";
        QAction* item = MenuItem("控制", ID_START_KELVANE);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text(), "Kelvane(&Y)");
        item->trigger();
        const auto records = m_boxes.Records();
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(records.back().text, c.text);
        if (c.caption != nullptr) {
            EXPECT_EQ(records.back().caption, c.caption);
        }
        EXPECT_NE(records.back().flags & platform::MB_ICONEXCLAMATION, 0u);
    }
}

// The Kelvane command starts the calibrator this build made, beside the program.
class FrameKelvaneStartTest : public FrameKelvaneTest {
protected:
    void PrepareProgram() override {
        ASSERT_TRUE(StageBuiltPrograms(m_scratch.ProgramFolder(), {"Kelvane"}));
    }
    void TearDown() override {
        for (pid_t pid : ProcessesOf(m_scratch.File("Kelvane")))
            kill(pid, SIGKILL);
        FrameKelvaneTest::TearDown();
    }
};

TEST_F(FrameKelvaneStartTest, TheKelvaneCommandStartsTheCalibratorWhichGetsTheControllerList) {
    constexpr int ID_START_KELVANE = 32948;
    Search();
    const CKelvaneLink& link = *m_frame->GetKelvaneLink();
    const int listsBefore = link.RepliesSent(0);
    QAction* item = MenuItem("控制", ID_START_KELVANE);
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_TRUE(m_boxes.Records().empty() ||
                m_boxes.Records().back().text.find("Kelvane") == std::string::npos);
    // The calibrator greets the server; the answer is the controller list.
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            return m_frame->GetKelvaneServer()->IsPeerConnected() == 1 && link.RepliesSent(0) > listsBefore;
        },
        60000))
        << "the calibrator never linked";
    EXPECT_EQ(ProcessesOf(m_scratch.File("Kelvane")).size(), 1u);
}

// Without ProgrammedStrain nothing serves the calibrator and nothing answers it.
TEST_F(FrameRunTest, WithoutProgrammedStrainTheCalibratorFindsNoServer) {
    EXPECT_EQ(m_frame->GetKelvaneServer(), nullptr);
    EXPECT_EQ(m_frame->GetKelvaneLink(), nullptr);
    m_frame->SendKelvaneReply(0);
    CProgrammedClient client;
    EXPECT_EQ(client.StartConnect("127.0.0.1", 8001), 0);
}

} // namespace
