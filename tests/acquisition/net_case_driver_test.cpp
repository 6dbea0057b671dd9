// The driver's assembly of sample sets from links fed without a socket.
#include "acquisition/NetCaseDriver.h"

#include "CaseSimulator.h"
#include "DriverTestOwner.h"
#include "FakeChannelSource.h"
#include "LinkTestHost.h"
#include "ScratchFolder.h"
#include "ThreadWakeups.h"

#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

using Bytes = std::vector<std::uint8_t>;

class NetCaseDriverTest : public ::testing::Test {
protected:
    FakeChannelSource source;
    CCaseProtocol3 encoder{&source};
    LinkTestHost host;
    DriverTestOwner owner;
    CNetCaseDriver driver{&encoder, &host};

    void SetUp() override {
        platform::SetUiThread();
        driver.SetOwner(owner.GetSafeHwnd());
        driver.SetSampleMode(2);
    }

    // A link of one case, with its modules, ready to take stream bytes.
    std::shared_ptr<CCaseLink> AddCase(int caseNo, int modules, const std::string& address) {
        auto link = std::make_shared<CCaseLink>(&encoder, &host);
        link->Attach(platform::TcpStream{}, address);
        link->SetCaseNo(caseNo);
        const Bytes reply = CCaseSimulator::BuildCaseInfoReply(caseNo, modules, 2);
        link->ParseCaseInfoReply(reply.data(), static_cast<int>(reply.size()));
        link->SetSampleMode(2);
        link->PrepareRun();
        driver.AddLink(link);
        return link;
    }
    static void Feed(CCaseLink& link, int caseNo, int modules, std::int64_t first, int samples) {
        Bytes stream;
        for (std::int64_t n = first; n < first + samples; ++n)
            for (int slot = 0; slot < modules; ++slot)
                CCaseSimulator::AppendUnit(stream, caseNo, slot, n, 2);
        link.PushReceivedBytes(static_cast<int>(stream.size()), stream.data());
        link.ProcessRawQueue();
    }
};

TEST_F(NetCaseDriverTest, SetsCarryEveryCaseAtItsModuleIndex) {
    auto a = AddCase(0, 2, "10.0.0.1");
    auto b = AddCase(3, 1, "10.0.0.2");
    EXPECT_EQ(owner.linkCount, 2);
    Feed(*a, 0, 2, 0, 4);
    Feed(*b, 3, 1, 100, 4);
    EXPECT_EQ(driver.ProcessCycle(), 4);
    ASSERT_EQ(owner.deliveries.size(), 1u);
    const auto& d = owner.deliveries[0];
    EXPECT_EQ(d.message, 0x868u);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(d.arrays[1][s].nHeader, 1 * 16777216 + s);
        EXPECT_EQ(d.arrays[1][s].fValues[7], static_cast<float>(CCaseSimulator::Value(0, 1, 7, s)));
        EXPECT_EQ(d.arrays[24][s].fValues[15], static_cast<float>(CCaseSimulator::Value(3, 0, 15, 100 + s)));
        EXPECT_EQ(d.arrays[2][s].nHeader, -1) << "unused module indices hold empty blocks";
    }
}

// The processing thread sleeps while no set can be ready, and samples
// queued by a link wake it to deliver them.
TEST_F(NetCaseDriverTest, TheProcessingThreadSleepsUntilALinkQueuesSamples) {
    auto a = AddCase(0, 1, "10.0.0.1");
    const std::map<int, long> earlierThreads = VoluntarySwitchesByThread();
    g_bStopProcessing = 1;
    driver.StartProcessingThread();
    platform::Sleep(100);
    const std::map<int, long> quietFrom = VoluntarySwitchesByThread();
    platform::Sleep(500);
    EXPECT_LE(WakeupsSince(quietFrom, earlierThreads), 3) << "the thread woke while nothing was queued";
    Feed(*a, 0, 1, 0, 4);
    EXPECT_TRUE(PumpUntil([&] { return owner.SetsDelivered() == 4; }));
    driver.StopProcessingThread();
    g_bStopProcessing = 0;
}

TEST_F(NetCaseDriverTest, ALiveReceivingCaseWithoutDataHoldsTheCycle) {
    auto a = AddCase(0, 1, "10.0.0.1");
    auto b = AddCase(1, 1, "10.0.0.2");
    auto c = AddCase(2, 1, "10.0.0.3");
    Feed(*a, 0, 1, 0, 3);
    Feed(*b, 1, 1, 0, 3);
    c->SetReceiving(1);
    EXPECT_EQ(driver.ProcessCycle(), 0);
    c->SetAlive(0); // a silent case no longer holds the others
    EXPECT_EQ(driver.ProcessCycle(), 3);
    EXPECT_EQ(owner.deliveries.back().arrays[16][0].nHeader, -1);
    c->SetReceiving(0);
}

// Cases that delivered in one cycle and not in the next (one fell silent,
// one lost its case number): the later sets hold blocks without a reading
// at their modules (no unit, the no-value marker), never their earlier
// blocks and never a 0.0 that would read as a measurement.
TEST_F(NetCaseDriverTest, CasesThatStopDeliveringLeaveNoEarlierBlocks) {
    auto a = AddCase(0, 1, "10.0.0.1");
    auto b = AddCase(1, 2, "10.0.0.2");
    auto c = AddCase(2, 1, "10.0.0.3");
    Feed(*a, 0, 1, 0, 4);
    Feed(*b, 1, 2, 0, 4);
    Feed(*c, 2, 1, 0, 4);
    EXPECT_EQ(driver.ProcessCycle(), 4);
    Feed(*a, 0, 1, 4, 2);
    b->SetAlive(0);
    c->SetCaseNo(-1);
    EXPECT_EQ(driver.ProcessCycle(), 2);
    const auto& d = owner.deliveries.back();
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(d.arrays[0][s].nHeader, 4 + s);
        for (int module : {8, 9, 16}) {
            EXPECT_EQ(d.arrays[module][s].nHeader, -1) << module;
            EXPECT_EQ(d.arrays[module][s].fValues[3], kNoValue) << module;
        }
    }
}

// Cases whose queued batches end at different sets: a cycle hands its sets
// in stretches that each lie within one batch of every case, every set once
// and in order, and takes them from the queues.
TEST_F(NetCaseDriverTest, BatchesEndingApartDeliverEverySetInOrder) {
    auto a = AddCase(0, 2, "10.0.0.1");
    auto b = AddCase(1, 1, "10.0.0.2");
    Feed(*a, 0, 2, 0, 3);
    Feed(*a, 0, 2, 3, 5);
    Feed(*b, 1, 1, 0, 5);
    Feed(*b, 1, 1, 5, 3);
    EXPECT_EQ(driver.ProcessCycle(), 8);
    EXPECT_EQ(driver.ProcessCycle(), 0) << "the delivered sets are taken from the queues";
    EXPECT_EQ(owner.deliveries.size(), 3u) << "sets 0-2, 3-4 and 5-7";
    std::vector<int> first, second, third;
    for (const auto& d : owner.deliveries) {
        for (std::size_t s = 0; s < d.arrays[0].size(); ++s) {
            first.push_back(d.arrays[0][s].nHeader);
            second.push_back(d.arrays[1][s].nHeader & 0xFFFFFF);
            third.push_back(d.arrays[8][s].nHeader);
            EXPECT_EQ(d.arrays[9][s].nHeader, -1) << "an unused slot holds no reading";
        }
    }
    const std::vector<int> sets{0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(first, sets);
    EXPECT_EQ(second, sets);
    EXPECT_EQ(third, sets);
}

// The modes that average or pick from a cycle's sets (single, timed,
// averaged, digital) get the cycle whole, however the batches lie.
TEST_F(NetCaseDriverTest, ModesTakingACycleWholeGetItInOnePiece) {
    auto a = AddCase(0, 1, "10.0.0.1");
    auto b = AddCase(1, 1, "10.0.0.2");
    for (int mode : {0, 1, 3, 4}) {
        driver.SetSampleMode(mode);
        for (auto* link : {a.get(), b.get()})
            link->SetSampleMode(2); // queue the samples whatever the driver's mode
        owner.deliveries.clear();
        Feed(*a, 0, 1, 0, 2);
        Feed(*a, 0, 1, 2, 4);
        Feed(*b, 1, 1, 0, 5);
        Feed(*b, 1, 1, 5, 1);
        EXPECT_EQ(driver.ProcessCycle(), 6) << mode;
        ASSERT_EQ(owner.deliveries.size(), 1u) << mode;
        for (int s = 0; s < 6; ++s) {
            EXPECT_EQ(owner.deliveries[0].arrays[0][static_cast<std::size_t>(s)].nHeader, s) << mode;
            EXPECT_EQ(owner.deliveries[0].arrays[8][static_cast<std::size_t>(s)].nHeader, s) << mode;
            EXPECT_EQ(owner.deliveries[0].arrays[1][static_cast<std::size_t>(s)].nHeader, -1) << mode;
        }
    }
}

TEST_F(NetCaseDriverTest, AtMostFiftySetsACycle) {
    auto a = AddCase(0, 1, "10.0.0.1");
    Feed(*a, 0, 1, 0, 60);
    EXPECT_EQ(driver.ProcessCycle(), 50);
    EXPECT_EQ(driver.ProcessCycle(), 10);
    EXPECT_EQ(driver.ProcessCycle(), 0);
    EXPECT_EQ(owner.deliveries[1].arrays[0][0].nHeader, 50);
}

TEST_F(NetCaseDriverTest, AFloodThatFillsACaseQueueReportsTheSkippedSets) {
    auto a = AddCase(0, 1, "10.0.0.1");
    auto b = AddCase(1, 1, "10.0.0.2");
    EXPECT_EQ(driver.GetSkippedSets(), 0);
    const int limit = CCaseLink::kSampleQueueLimit;
    Feed(*a, 0, 1, 0, limit);
    Feed(*a, 0, 1, limit, 25); // the queue is full: none of these is queued
    Feed(*b, 1, 1, 0, limit);
    Feed(*b, 1, 1, limit, 7);
    EXPECT_EQ(driver.GetSkippedSets(), 25) << "the case that skipped the most";
}

// Blocks received during the raw worker's last pause before the stop are
// parsed and stored when the run stops, not dropped with the queue.
TEST_F(NetCaseDriverTest, AStopStoresTheBlocksStillWaiting) {
    const ScratchFolder scratch;
    auto a = AddCase(1, 2, "10.0.0.1");
    a->SetCaseDataFile(scratch.Path(), "run");
    a->SetCaseOption(1, 0);
    a->OpenCaseFiles();
    a->SetReceiving(1);
    Feed(*a, 1, 2, 0, 30);
    Bytes waiting;
    for (std::int64_t n = 30; n < 45; ++n)
        for (int slot = 0; slot < 2; ++slot)
            CCaseSimulator::AppendUnit(waiting, 1, slot, n, 2);
    a->PushReceivedBytes(static_cast<int>(waiting.size()), waiting.data());
    driver.StopSampling();
    for (const int unit : {8, 9})
        EXPECT_EQ(std::filesystem::file_size(scratch.File("run_" + std::to_string(unit) + ".dat")),
                  std::uintmax_t(45) * sizeof(CaseSampleBlock))
            << "unit " << unit;
}

TEST_F(NetCaseDriverTest, MessageBySamplingModeAndNoneForMode6) {
    const struct {
        int mode;
        platform::UINT message;
    } cases[] = {{0, 0x86A}, {1, 0x869}, {2, 0x868}, {3, 0x86B}, {4, 0x867}, {5, 0x867}, {7, 0x868}, {6, 0}};
    auto a = AddCase(0, 1, "10.0.0.1");
    for (const auto& c : cases) {
        driver.SetSampleMode(c.mode);
        a->SetSampleMode(2); // queue the sample whatever the driver's mode
        Feed(*a, 0, 1, 0, 1);
        owner.deliveries.clear();
        EXPECT_EQ(driver.ProcessCycle(), 1) << c.mode;
        if (c.message == 0)
            EXPECT_TRUE(owner.deliveries.empty());
        else
            EXPECT_EQ(owner.deliveries.at(0).message, c.message) << c.mode;
    }
}

TEST_F(NetCaseDriverTest, ACaseThatRanAheadIsRealigned) {
    auto a = AddCase(0, 1, "10.0.0.1");
    auto b = AddCase(1, 1, "10.0.0.2");
    Feed(*a, 0, 1, 0, 10);
    Feed(*b, 1, 1, 0, 3);
    EXPECT_EQ(driver.ProcessCycle(), 3);
    EXPECT_EQ(owner.deliveries[0].arrays[0][0].nHeader, 2)
        << "the two oldest sets of the fast case were dropped";
    EXPECT_EQ(owner.deliveries[0].arrays[8][0].nHeader, 0) << "the slow case keeps its sets";
    EXPECT_EQ(owner.deliveries[0].arrays[8][2].nHeader, 2);

    // The run's sampling frequency sets the bound: 2 Hz lets a case run 4 sets ahead.
    std::int32_t params[20] = {};
    const float rate = 2.0f;
    std::memcpy(&params[12], &rate, sizeof rate);
    driver.SetSampleParams(params);
    Feed(*a, 0, 1, 100, 4); // a holds 9 now, b none
    Feed(*b, 1, 1, 100, 5);
    EXPECT_EQ(driver.ProcessCycle(), 5);
    EXPECT_EQ(owner.deliveries[1].arrays[0][0].nHeader, 5) << "4 ahead: nothing dropped";
}

TEST_F(NetCaseDriverTest, ACaseConnectingAgainKeepsItsPlaceAndState) {
    auto a = AddCase(4, 3, "10.0.0.1");
    AddCase(1, 1, "10.0.0.2");
    auto again = std::make_shared<CCaseLink>(&encoder, &host);
    again->Attach(platform::TcpStream{}, "10.0.0.1");
    EXPECT_TRUE(driver.AddLink(again));
    EXPECT_EQ(driver.GetLinkCount(), 2);
    EXPECT_EQ(driver.GetLink(0), again);
    EXPECT_EQ(again->GetCaseNo(), 4);
    EXPECT_EQ(again->GetModuleCount(), 3);
    EXPECT_EQ(owner.linkedAddresses.back(), "10.0.0.1");
}

TEST_F(NetCaseDriverTest, DuplicateCaseNumbers) {
    AddCase(1, 1, "10.0.0.1");
    EXPECT_EQ(driver.CheckDuplicateCaseNumbers(), 1);
    AddCase(1, 1, "10.0.0.2");
    EXPECT_EQ(driver.CheckDuplicateCaseNumbers(), 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "检测到多个2号机，请检查控制器设置。");
}

TEST_F(NetCaseDriverTest, WindowMessagesOfTheDriver) {
    platform::MessageBoxRecorder boxes;
    AddCase(0, 1, "10.0.0.1");
    AddCase(1, 1, "10.0.0.2");
    owner.linkedAddresses.clear();
    platform::SendMessage(driver.GetSafeHwnd(), platform::WM_TIMER, CNetCaseDriver::kAddressTimer);
    EXPECT_EQ(owner.linkedAddresses, (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
    platform::SendMessage(driver.GetSafeHwnd(), platform::WM_TIMER, 7);
    EXPECT_EQ(owner.linkedAddresses.size(), 2u) << "other timers announce nothing";

    platform::SendMessage(driver.GetSafeHwnd(), CNetCaseDriver::kReceiveNotify);
    EXPECT_TRUE(boxes.Records().empty()) << "receiving data never opens a message box";

    const std::uint8_t bytes[3] = {1, 2, 3};
    platform::SendMessage(driver.GetSafeHwnd(), CNetCaseDriver::kBlockReceived, 3,
                          reinterpret_cast<platform::LPARAM>(bytes));
    platform::SendMessage(driver.GetSafeHwnd(), CNetCaseDriver::kBlockReceived, 0, 0);
    EXPECT_EQ(driver.GetReceivedBlockCount(), 1);
}

TEST_F(NetCaseDriverTest, ModuleVersionRange) {
    int highest = 0;
    EXPECT_EQ(driver.GetModuleVersionRange(highest), 2);
    EXPECT_EQ(highest, 1);
    AddCase(0, 1, "10.0.0.1"); // version 2
    EXPECT_EQ(driver.GetModuleVersionRange(highest), 2);
    EXPECT_EQ(highest, 2);
}

} // namespace
