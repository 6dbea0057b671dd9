// The case link's reply and stream parsers, fed without a socket.
#include "acquisition/CaseLink.h"

#include "CaseSimulator.h"
#include "FakeChannelSource.h"
#include "LinkTestHost.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include "acquisition/CaseFrame.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

class CaseLinkParseTest : public ::testing::Test {
protected:
    FakeChannelSource source;
    CCaseProtocol3 encoder{&source};
    LinkTestHost host;
    CCaseLink link{&encoder, &host};

    void SetUpModules(int caseNo, int modules, int version, int sampleMode = 2) {
        link.SetCaseNo(caseNo);
        const Bytes reply = CCaseSimulator::BuildCaseInfoReply(caseNo, modules, version);
        ASSERT_EQ(link.ParseCaseInfoReply(reply.data(), static_cast<int>(reply.size())), 1);
        link.SetSampleMode(sampleMode);
        link.PrepareRun();
    }
    void Feed(const Bytes& bytes) {
        link.PushReceivedBytes(static_cast<int>(bytes.size()), bytes.data());
        link.ProcessRawQueue();
        link.ProcessFrameQueue();
    }
    std::vector<std::vector<CaseSampleBlock>> PopAll() {
        std::vector<std::vector<CaseSampleBlock>> sets;
        std::uint8_t buffer[65536];
        for (int length; (length = link.PopSampleBlock(buffer, sizeof buffer)) > 0;) {
            std::vector<CaseSampleBlock> set(static_cast<std::size_t>(length) / sizeof(CaseSampleBlock));
            std::memcpy(set.data(), buffer, static_cast<std::size_t>(length));
            sets.push_back(set);
        }
        return sets;
    }
};

TEST_F(CaseLinkParseTest, CaseInformationReply) {
    link.SetCaseNo(2);
    Bytes nine = CCaseSimulator::BuildCaseInfoReply(2, 8, 3);
    nine.insert(nine.end(), {0, 0, 9, 0, 0, 0, 0, 0});
    EXPECT_EQ(link.ParseCaseInfoReply(nine.data(), static_cast<int>(nine.size())), 1);
    EXPECT_EQ(link.GetModuleCount(), 8) << "at most 8 entries are read";
    EXPECT_EQ(link.GetCaseVersion(), 3);
    EXPECT_TRUE(link.HasModule(2 * 8 + 7));
    EXPECT_FALSE(link.HasModule(3 * 8));
    EXPECT_FALSE(link.HasModule(-1));
    EXPECT_FALSE(link.HasModule(512));

    CCaseLink other(&encoder, &host);
    Bytes badSlot = CCaseSimulator::BuildCaseInfoReply(0, 3, 1);
    badSlot[8 + 6] = 8;
    EXPECT_EQ(other.ParseCaseInfoReply(badSlot.data(), static_cast<int>(badSlot.size())), 0);
    EXPECT_EQ(other.GetModuleCount(), 1) << "the list stays as far as it was filled";

    CCaseLink repeated(&encoder, &host);
    Bytes twice = CCaseSimulator::BuildCaseInfoReply(0, 2, 1);
    twice.insert(twice.end(), twice.begin(), twice.begin() + 8);
    EXPECT_EQ(repeated.ParseCaseInfoReply(twice.data(), static_cast<int>(twice.size())), 1);
    EXPECT_EQ(repeated.GetModuleCount(), 2) << "a slot reported twice is listed once";

    CCaseLink farCase(&encoder, &host);
    farCase.SetCaseNo(64); // 64 x 8 would index past the 512 module tables
    EXPECT_EQ(farCase.ParseCaseInfoReply(nine.data(), 16), 0);
    EXPECT_EQ(farCase.GetModuleCount(), 0);
}

TEST_F(CaseLinkParseTest, ChannelInformationReply) {
    SetUpModules(1, 2, 2);
    const Bytes reply = CCaseSimulator::BuildChannelInfoReply(2);
    ASSERT_EQ(reply.size(), 2u * 1408u);
    EXPECT_EQ(link.ParseChannelInfoReply(reply.data(), static_cast<int>(reply.size())), 1);
    ASSERT_EQ(host.packets.size(), 32u);
    EXPECT_EQ(host.packets.begin()->first, 128);
    EXPECT_EQ(host.packets.rbegin()->first, 128 + 31);
    EXPECT_EQ(host.packets[128 + 17][2], 3) << "the packet starts after the six header bytes";

    // A reply cut inside the last record: that record is padded, not read past.
    host.packets.clear();
    const int cut = static_cast<int>(reply.size()) - 60;
    Bytes shortReply(reply.begin(), reply.begin() + cut);
    EXPECT_EQ(link.ParseChannelInfoReply(shortReply.data(), cut), 1);
    EXPECT_EQ(host.packets[128 + 31][2], 3);
    EXPECT_EQ(host.packets[128 + 31][61], 0) << "the amplifier type lay past the cut";

    // A missing channel ends the parse.
    EXPECT_EQ(link.ParseChannelInfoReply(reply.data(), 1408 + 88 * 3), 0);
}

TEST_F(CaseLinkParseTest, BlockModeDecodesValuesCountersAndCarriesPartialUnits) {
    SetUpModules(3, 2, 2);
    Bytes stream;
    for (int n = 0; n < 5; ++n)
        for (int slot = 0; slot < 2; ++slot)
            CCaseSimulator::AppendUnit(stream, 3, slot, n, 2);
    // Split in awkward places: inside a header, inside values.
    Feed(Bytes(stream.begin(), stream.begin() + 57));
    Feed(Bytes(stream.begin() + 57, stream.begin() + 200));
    Feed(Bytes(stream.begin() + 200, stream.end()));

    const auto sets = PopAll();
    ASSERT_EQ(sets.size(), 5u);
    for (int n = 0; n < 5; ++n) {
        for (int slot = 0; slot < 2; ++slot) {
            const CaseSampleBlock& block = sets[n][slot];
            EXPECT_EQ(block.nHeader, slot * 16777216 + n);
            for (int ch = 0; ch < 16; ++ch)
                EXPECT_EQ(block.fValues[ch], static_cast<float>(CCaseSimulator::Value(3, slot, ch, n)));
        }
    }
}

TEST_F(CaseLinkParseTest, BlockModeDecodesTheWholeValueRange) {
    SetUpModules(0, 1, 1);
    const std::array<std::int32_t, 16> values{-8388608, -8388607, -65536,  -256,    -1,    0,
                                              1,        255,      256,     65535,   65536, -2,
                                              2,        8388606,  8388607, -8388608};
    Bytes stream;
    CCaseSimulator::AppendUnit(stream, 0, 0, 0, 1, {}, &values);
    Feed(stream);
    const auto sets = PopAll();
    ASSERT_EQ(sets.size(), 1u);
    for (int ch = 0; ch < 16; ++ch)
        EXPECT_EQ(sets[0][0].fValues[ch], static_cast<float>(values[std::size_t(ch)])) << "channel " << ch;
}

TEST_F(CaseLinkParseTest, BlockModeFaults) {
    SetUpModules(0, 2, 1);
    Bytes stream;
    CCaseSimulator::AppendUnit(stream, 0, 0, 0, 1);
    CCaseSimulator::AppendUnit(stream, 0, 1, 0, 1);
    Bytes noValues;
    CCaseSimulator::AppendUnit(noValues, 0, 0, 1, 1);
    noValues[7] = 0xC0; // slot 0, no values
    CCaseSimulator::AppendUnit(noValues, 0, 1, 1, 1);
    noValues[56 + 7] = 9; // slot 9: skipped
    stream.insert(stream.end(), noValues.begin(), noValues.end());
    Feed(stream);

    const auto sets = PopAll();
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0][1].nHeader, 1) << "version 1 headers are the slot";
    EXPECT_EQ(sets[1][0].nHeader, 0);
    EXPECT_EQ(sets[1][0].fValues[3], 0.0f) << "a unit without values";
    EXPECT_EQ(sets[1][1].nHeader, -1) << "the slot-9 unit left slot 1 empty";
}

TEST_F(CaseLinkParseTest, ALostUnitCostsOneModuleOfOneSample) {
    SetUpModules(0, 3, 2);
    Bytes stream;
    for (int n = 0; n < 5; ++n) {
        for (int slot = 0; slot < 3; ++slot) {
            if (n == 1 && slot == 1)
                continue; // lost
            CCaseSimulator::AppendUnit(stream, 0, slot, n, 2);
        }
    }
    Feed(stream);
    const auto sets = PopAll();
    ASSERT_EQ(sets.size(), 5u);
    EXPECT_EQ(sets[1][1].nHeader, -1);
    EXPECT_EQ(sets[1][2].nHeader, 2 * 16777216 + 1);
    for (int n : {0, 2, 3, 4})
        for (int slot = 0; slot < 3; ++slot)
            EXPECT_EQ(sets[n][slot].nHeader, slot * 16777216 + n) << n << " " << slot;
}

TEST_F(CaseLinkParseTest, DiscardedSamplesAtTheStartOfARun) {
    host.dataThrow = 5;
    SetUpModules(0, 3, 2);
    Bytes stream;
    for (int n = 0; n < 8; ++n)
        for (int slot = 0; slot < 3; ++slot)
            CCaseSimulator::AppendUnit(stream, 0, slot, n, 2);
    Feed(stream);
    const auto sets = PopAll();
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[0][0].nHeader, 5) << "samples 0..4 are thrown away";
}

TEST_F(CaseLinkParseTest, DataFrames) {
    SetUpModules(0, 3, 1);
    link.SetDataMode(2);
    link.SetModuleChannel(0 * 16 + 4);
    link.SetModuleChannel(1 * 16 + 15);
    link.SetModuleChannel(2 * 16 + 0);
    auto frame = [](std::initializer_list<std::uint8_t> payload) {
        Bytes out(payload.size() + 9);
        WriteFramedCommand(out.data(), out.size(), 0, 0, 0, static_cast<std::uint8_t>(payload.size()),
                           payload.begin());
        return out;
    };
    Bytes stream = frame({7, 1, 0, 0xFF, 0xFF, 0xFF, 1, 0x80, 0, 0, 2, 0x7F, 0xFF, 0xFF});
    const Bytes wrongSub = frame({7, 2, 0, 0, 0, 1, 1, 0, 0, 1, 2, 0, 0, 1});
    stream.insert(stream.end(), wrongSub.begin(), wrongSub.end());
    const Bytes badSlot = frame({7, 1, 9, 0, 0, 1, 1, 0, 0, 2});
    stream.insert(stream.end(), badSlot.begin(), badSlot.end());
    Feed(stream);
    Feed(frame({7, 1, 0, 0, 0, 0})); // closes the last frame

    const auto sets = PopAll();
    ASSERT_EQ(sets.size(), 2u) << "the frame with sub-command 2 gives nothing";
    EXPECT_EQ(sets[0][0].nHeader, 0);
    EXPECT_EQ(sets[0][0].fValues[4], -1.0f);
    EXPECT_EQ(sets[0][1].fValues[15], -8388608.0f);
    EXPECT_EQ(sets[0][2].fValues[0], 8388607.0f);
    EXPECT_EQ(sets[0][0].fValues[0], 0.0f);
    EXPECT_EQ(sets[1][1].fValues[15], 2.0f) << "slot 9 is ignored, slot 1 still read";
}

TEST_F(CaseLinkParseTest, StrainChannelsAreNegated) {
    host.measureType = 0;
    SetUpModules(0, 1, 1);
    Bytes stream;
    CCaseSimulator::AppendUnit(stream, 0, 0, 7, 1);
    Feed(stream);
    const auto sets = PopAll();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0][0].fValues[2], -static_cast<float>(CCaseSimulator::Value(0, 0, 2, 7)));
}

TEST_F(CaseLinkParseTest, LostPacketFillIsBoundedByACorruptCounter) {
    const ScratchFolder scratch;
    const std::string folder = scratch.Path();
    SetUpModules(0, 1, 2);
    link.SetCaseDataFile(folder, "run");
    link.SetCaseOption(1, 0);
    link.OpenCaseFiles();

    auto feedSample = [&](std::int64_t counter) {
        Bytes unit;
        CCaseSimulator::AppendUnit(unit, 0, 0, counter, 2);
        Feed(unit);
    };
    feedSample(0);
    feedSample(10);       // 9 lost: filled
    feedSample(0x7FFFF0); // a counter gone wild: no flood of empty samples
    link.CloseCaseFiles();
    const auto size = std::filesystem::file_size(folder + "/run_0.dat");
    EXPECT_EQ(size, (3u + 9u) * 68u);
    EXPECT_EQ(std::filesystem::file_size(folder + "/run_0.stu"), (3u + 9u) * 32u);
}

// Blocks that wait together are parsed as one batch; a gap of the first
// module's counter inside that batch is filled where it happened, so the
// case files keep the samples' time line.
TEST_F(CaseLinkParseTest, AGapWithinABatchIsFilledWhereItHappened) {
    const ScratchFolder scratch;
    const std::string folder = scratch.Path();
    SetUpModules(0, 2, 2);
    link.SetCaseDataFile(folder, "run");
    link.SetCaseOption(1, 0);
    link.OpenCaseFiles();
    Bytes stream;
    for (int n : {0, 1, 2, 10, 11})
        for (int slot = 0; slot < 2; ++slot)
            CCaseSimulator::AppendUnit(stream, 0, slot, n, 2);
    link.PushReceivedBytes(57, stream.data());
    link.PushReceivedBytes(static_cast<int>(stream.size()) - 57, stream.data() + 57);
    EXPECT_EQ(link.ProcessRawQueue(), 2);
    link.CloseCaseFiles();

    const std::vector<int> expected = {0, 1, 2, -1, -1, -1, -1, -1, -1, -1, 10, 11};
    for (int slot = 0; slot < 2; ++slot) {
        std::ifstream dat(folder + "/run_" + std::to_string(slot) + ".dat", std::ios::binary);
        std::vector<CaseSampleBlock> blocks(expected.size() + 1);
        dat.read(reinterpret_cast<char*>(blocks.data()),
                 static_cast<std::streamsize>(blocks.size() * sizeof(CaseSampleBlock)));
        ASSERT_EQ(dat.gcount(), static_cast<std::streamsize>(expected.size() * sizeof(CaseSampleBlock)));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const int header = expected[i] < 0 ? -1 : slot * 16777216 + expected[i];
            EXPECT_EQ(blocks[i].nHeader, header) << "slot " << slot << " record " << i;
            if (expected[i] >= 0)
                EXPECT_EQ(blocks[i].fValues[4],
                          static_cast<float>(CCaseSimulator::Value(0, slot, 4, expected[i])));
        }
    }
    EXPECT_EQ(std::filesystem::file_size(folder + "/run_1.stu"), expected.size() * 32u);
}

TEST_F(CaseLinkParseTest, PolledLatestSample) {
    SetUpModules(0, 2, 1, 0);
    CaseSampleBlock out[8];
    EXPECT_EQ(link.GetLatestSample(out), 0);
    EXPECT_EQ(out[1].nHeader, 1);
    EXPECT_EQ(out[1].fValues[0], kNoValue);

    Bytes stream;
    for (int n = 0; n < 3; ++n)
        for (int slot = 0; slot < 2; ++slot)
            CCaseSimulator::AppendUnit(stream, 0, slot, n, 1);
    Feed(stream);
    EXPECT_TRUE(PopAll().empty()) << "timed sampling is polled, not queued";
    EXPECT_EQ(link.GetLatestSample(out), 1);
    EXPECT_EQ(out[1].fValues[5], static_cast<float>(CCaseSimulator::Value(0, 1, 5, 2)));
    EXPECT_EQ(link.GetLatestSample(out), 0) << "taking the latest samples empties them";
}

TEST_F(CaseLinkParseTest, EchoRecordsInFrontOfAReplyAreRemoved) {
    Bytes echo(200, 0);
    const std::uint8_t head[] = {0x55, 0xAA, 0, 0, 0, 0, 0, 4, 1, 2, 3};
    std::copy(std::begin(head), std::end(head), echo.begin());
    const Bytes reply = CCaseSimulator::BuildCaseInfoReply(0, 2, 1);
    Bytes held = echo;
    held.insert(held.end(), reply.begin(), reply.end());
    link.AppendReply(held.data(), static_cast<int>(held.size()), true);
    ASSERT_EQ(link.GetReplyBytes(), static_cast<int>(reply.size()));
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), link.GetReplyBuffer()));

    // A count byte that would reach past the held bytes is not an echo.
    link.ResetReceive();
    Bytes edge(200, 0);
    edge[0] = 0x55;
    edge[1] = 0xAA;
    edge[7] = 255;
    link.AppendReply(edge.data(), 200, true);
    EXPECT_EQ(link.GetReplyBytes(), 200);

    // The held count never passes the buffer.
    link.ResetReceive();
    Bytes big(CCaseLink::kBufferSize - 10, 1);
    link.AppendReply(big.data(), static_cast<int>(big.size()), false);
    link.AppendReply(big.data(), 100, false);
    EXPECT_EQ(link.GetReplyBytes(), CCaseLink::kBufferSize);
}

TEST_F(CaseLinkParseTest, LeadWireAndSelfTestReplies) {
    SetUpModules(1, 2, 1);
    Bytes reply{0x13};
    Bytes frame(138, 0);
    frame[0] = 0x55;
    frame[1] = 0xAA;
    frame[2] = 7;
    frame[3] = 3;
    frame[7] = 1; // slot 1
    frame[10] = 0x3F;
    frame[11] = 0x80; // first value: the bits of 1.0f
    frame[74 + 63] = 7;
    reply.insert(reply.end(), frame.begin(), frame.end());
    Bytes foreign = frame;
    foreign[7] = 5; // not a module of this case
    reply.insert(reply.end(), foreign.begin(), foreign.end());

    std::vector<CaseSampleBlock> first(512), second(512);
    EXPECT_EQ(
        link.ParseTestDataReply(reply.data(), static_cast<int>(reply.size()), 3, first.data(), second.data()),
        1);
    EXPECT_EQ(first[9].fValues[0], 1.0f);
    std::uint32_t last = 0;
    std::memcpy(&last, &second[9].fValues[15], 4);
    EXPECT_EQ(last, 7u);
    EXPECT_EQ(first[9].nHeader, -1) << "headers untouched";
    EXPECT_EQ(first[13].fValues[0], 0.0f);

    std::vector<CaseSampleBlock> other(512), other2(512);
    link.ParseTestDataReply(reply.data(), static_cast<int>(reply.size()), 4, other.data(), other2.data());
    EXPECT_EQ(other[9].fValues[0], 0.0f) << "self-test data are frames 7 4";
}

TEST_F(CaseLinkParseTest, AveragedLatestSampleDropsTheLargestAndSmallest) {
    const auto value = [](std::int64_t n) { return static_cast<float>(CCaseSimulator::Value(0, 0, 3, n)); };
    const struct {
        int count;
        std::vector<std::int64_t> samples; // the readings' sample numbers, in order
        float expected;                    // channel 3 of slot 0
    } cases[] = {
        {5, {0, 1, 2, 3, 4}, value(2)},
        // Three points, the default: the middle one alone, not the plain mean.
        {3, {0, 1, 5}, value(1)},
        {2, {0, 1}, (value(0) + value(1)) / 2.0f},
    };
    for (const auto& c : cases) {
        host.averageCount = c.count;
        SetUpModules(0, 1, 1, 6);
        Bytes stream;
        for (const std::int64_t n : c.samples)
            CCaseSimulator::AppendUnit(stream, 0, 0, n, 1);
        Feed(stream);
        CaseSampleBlock out[8];
        ASSERT_EQ(link.GetLatestSample(out), 1) << c.count;
        EXPECT_FLOAT_EQ(out[0].fValues[3], c.expected) << c.count;
    }
}

TEST_F(CaseLinkParseTest, LinkWithoutModulesRefusesToStart) {
    EXPECT_EQ(link.SendSampleStartCmd(1), 0);
}

} // namespace

// A run killed while it writes leaves per-case files whose whole records all
// read back as written, in step: each piece of gathered batches (500 samples
// at 1,000 a second) reaches a file in one write, the case's units one after
// the other.
TEST_F(CaseLinkParseTest, KilledRunLeavesWholeRecords) {
    const ScratchFolder scratch;
    const std::string folder = scratch.Path();
    std::int32_t params[20] = {};
    const float rate = 1000.0f;
    std::memcpy(&params[12], &rate, sizeof rate);
    link.SetSampleParams(params);
    constexpr std::int64_t kPiece = 500;
    SetUpModules(1, 3, 2);
    link.SetCaseDataFile(folder, "run");
    link.SetCaseOption(1, 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        link.OpenCaseFiles();
        for (std::int64_t counter = 0;; counter += 50) {
            Bytes stream;
            for (int n = 0; n < 50; ++n)
                for (int slot = 0; slot < 3; ++slot)
                    CCaseSimulator::AppendUnit(stream, 1, slot, counter + n, 2);
            Feed(stream);
            PopAll();
        }
    }
    // The files grow during the run, a piece at a time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const auto written = [&] {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(folder + "/run_10.dat", ec);
        return ec ? 0 : size;
    };
    while (written() < 68 * 2000 && std::chrono::steady_clock::now() < deadline)
        ::usleep(1000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    std::int64_t first = -1;
    for (int slot = 0; slot < 3; ++slot) {
        std::ifstream dat(folder + "/run_" + std::to_string(8 + slot) + ".dat", std::ios::binary);
        CaseSampleBlock block;
        std::int64_t n = 0;
        for (; dat.read(reinterpret_cast<char*>(&block), sizeof block); ++n) {
            ASSERT_EQ(block.nHeader, slot * 16777216 + n) << "record " << n;
            ASSERT_EQ(block.fValues[15], static_cast<float>(CCaseSimulator::Value(1, slot, 15, n)));
        }
        EXPECT_GE(n, 2000) << "every piece is in its file once written";
        if (first < 0)
            first = n;
        // The kill may fall between the units' writes of a piece.
        EXPECT_LE(first - n, kPiece) << "unit " << 8 + slot;
        EXPECT_GE(first - n, 0) << "unit " << 8 + slot;
        EXPECT_EQ(std::filesystem::file_size(folder + "/run_" + std::to_string(8 + slot) + ".dat"),
                  std::uintmax_t(n) * sizeof block);
        std::ifstream stu(folder + "/run_" + std::to_string(8 + slot) + ".stu", std::ios::binary);
        SampleStatusRecord record;
        std::int64_t r = 0;
        for (; stu.read(reinterpret_cast<char*>(&record), sizeof record); ++r)
            ASSERT_EQ(std::string(record.szLabel).size(), 19u) << "record " << r;
        // The kill may fall between a piece's two writes: the status file is
        // at most that piece behind.
        EXPECT_LE(n - r, kPiece);
        EXPECT_GE(n - r, 0);
    }
}

// At a low rate the per-case files take the batches of two seconds of the
// run (200 samples at 100 a second, 13,600 bytes of a unit's data file) in
// one write a file: every unit's files hold the same whole samples at any
// time, never more than a piece behind the stream, and what is gathered
// reaches them when they close.
TEST_F(CaseLinkParseTest, FilesTakeAPieceOfBatchesAtOnceAndTheRestWhenTheyClose) {
    const ScratchFolder scratch;
    std::int32_t params[20] = {};
    const float rate = 100.0f;
    std::memcpy(&params[12], &rate, sizeof rate);
    link.SetSampleParams(params);
    SetUpModules(1, 2, 2);
    link.SetCaseDataFile(scratch.Path(), "run");
    link.SetCaseOption(1, 0);
    link.OpenCaseFiles();
    const auto stored = [&](int unit, const char* extension, std::size_t record) {
        const auto size = std::filesystem::file_size(scratch.File("run_" + std::to_string(unit) + extension));
        EXPECT_EQ(size % record, 0u) << "whole records";
        return static_cast<std::int64_t>(size / record);
    };
    const auto inStep = [&](std::int64_t fed) {
        const std::int64_t samples = stored(8, ".dat", sizeof(CaseSampleBlock));
        for (const int unit : {8, 9}) {
            EXPECT_EQ(stored(unit, ".dat", sizeof(CaseSampleBlock)), samples) << "unit " << unit;
            EXPECT_EQ(stored(unit, ".stu", sizeof(SampleStatusRecord)), samples) << "unit " << unit;
        }
        EXPECT_LE(samples, fed);
        EXPECT_LT(fed - samples, 200) << "at most a piece behind after " << fed << " samples";
        return samples;
    };
    std::int64_t counter = 0;
    for (const int batch : {40, 40, 40, 40, 40, 17}) {
        Bytes stream;
        for (int n = 0; n < batch; ++n, ++counter)
            for (int slot = 0; slot < 2; ++slot)
                CCaseSimulator::AppendUnit(stream, 1, slot, counter, 2);
        Feed(stream);
        const std::int64_t samples = inStep(counter);
        if (counter < 200) {
            EXPECT_EQ(samples, 0) << "nothing is written before the piece is whole";
        } else if (counter == 200) {
            EXPECT_EQ(samples, 200) << "two seconds' samples are written together";
        }
    }
    link.CloseCaseFiles();
    EXPECT_EQ(inStep(counter), counter) << "the close writes what was gathered";
}

// Samples that find the sample queue full miss live processing: they are
// counted for the report, and a new run starts the count again.
TEST_F(CaseLinkParseTest, AFullSampleQueueCountsTheSkippedSamples) {
    SetUpModules(0, 2, 2);
    Bytes stream;
    for (int n = 0; n < CCaseLink::kSampleQueueLimit + 120; ++n)
        for (int slot = 0; slot < 2; ++slot)
            CCaseSimulator::AppendUnit(stream, 0, slot, n, 2);
    for (std::size_t at = 0; at < stream.size(); at += 56 * 2 * 40)
        Feed(Bytes(stream.begin() + at, stream.begin() + std::min(stream.size(), at + 56 * 2 * 40)));
    EXPECT_EQ(link.QueuedSampleCount(), CCaseLink::kSampleQueueLimit);
    EXPECT_EQ(link.SkippedSampleCount(), 120);
    link.PrepareRun();
    EXPECT_EQ(link.SkippedSampleCount(), 0);
}

// A first stage that makes a number of anything, as the linear stage makes
// (0 - 100) x 2 - 1 of an empty placeholder: converted as the link decodes
// (linear) or afterwards by the host, value by value, markers too.
struct StagedHost : LinkTestHost {
    bool linear = true;
    static ModuleLinearStage Stage() {
        ModuleLinearStage stage{};
        std::fill(std::begin(stage.zero), std::end(stage.zero), 100.0f);
        std::fill(std::begin(stage.scale), std::end(stage.scale), 2.0f);
        std::fill(std::begin(stage.offset), std::end(stage.offset), 1.0f);
        return stage;
    }
    bool GetLinearStage(int, ModuleLinearStage& stage) override {
        stage = Stage();
        return linear;
    }
    void ConvertSampleBlockInPlace(CaseSampleBlock* blocks, int count, int) override {
        for (int i = 0; i < count; ++i)
            for (float& value : blocks[i].fValues)
                value = (value - 100.0f) * 2.0f - 1.0f;
    }
};

// A module missing from a sample was not measured in it: live values and
// the unit's file carry the no-value marker, never a converted placeholder.
// The measured ones convert to the same bits whether the link converts them
// as it decodes or the host converts them afterwards.
TEST(CaseLinkConversionTest, MeasuredValuesConvertAlikeAndAMissingModuleHasNoValues) {
    std::array<std::int32_t, 16> raw{};
    for (int ch = 0; ch < 16; ++ch)
        raw[static_cast<std::size_t>(ch)] = (ch % 2 ? -1 : 1) * (ch * 524287 + 13);
    Bytes stream;
    for (int n = 0; n < 3; ++n)
        for (int slot = 0; slot < 3; ++slot)
            if (n != 1 || slot != 1)
                CCaseSimulator::AppendUnit(stream, 0, slot, n, 2, {}, &raw);

    std::vector<std::vector<CaseSampleBlock>> converted[2];
    for (const bool linear : {true, false}) {
        SCOPED_TRACE(linear ? "converted as decoded" : "converted by the host");
        const ScratchFolder scratch;
        FakeChannelSource source;
        CCaseProtocol3 encoder{&source};
        StagedHost host;
        host.linear = linear;
        CCaseLink link{&encoder, &host};
        const Bytes reply = CCaseSimulator::BuildCaseInfoReply(0, 3, 2);
        ASSERT_EQ(link.ParseCaseInfoReply(reply.data(), static_cast<int>(reply.size())), 1);
        link.SetSampleMode(2);
        link.PrepareRun();
        link.SetCaseDataFile(scratch.Path(), "run");
        link.SetCaseOption(1, 0);
        link.OpenCaseFiles();
        link.PushReceivedBytes(static_cast<int>(stream.size()), stream.data());
        link.ProcessRawQueue();
        link.CloseCaseFiles();

        auto& sets = converted[linear ? 0 : 1];
        std::uint8_t buffer[4096];
        for (int length; (length = link.PopSampleBlock(buffer, sizeof buffer)) > 0;) {
            sets.emplace_back(static_cast<std::size_t>(length) / sizeof(CaseSampleBlock));
            std::memcpy(sets.back().data(), buffer, static_cast<std::size_t>(length));
        }
        ASSERT_EQ(sets.size(), 3u);
        std::ifstream dat(scratch.File("run_1.dat"), std::ios::binary);
        std::vector<CaseSampleBlock> stored(4);
        dat.read(reinterpret_cast<char*>(stored.data()), 4 * sizeof(CaseSampleBlock));
        ASSERT_EQ(dat.gcount(), static_cast<std::streamsize>(3 * sizeof(CaseSampleBlock)));

        for (const CaseSampleBlock& missing : {sets[1][1], stored[1]}) {
            EXPECT_EQ(missing.nHeader, -1);
            for (int ch = 0; ch < 16; ++ch)
                EXPECT_EQ(missing.fValues[ch], kNoValue) << "channel " << ch;
        }
        EXPECT_EQ(stored[2].nHeader, 16777216 + 2);
        for (int ch = 0; ch < 16; ++ch) {
            const float expected = StagedHost::Stage().Apply(ch, static_cast<float>(raw[ch]));
            EXPECT_EQ(sets[0][0].fValues[ch], expected) << "channel " << ch;
            EXPECT_EQ(stored[2].fValues[ch], expected) << "channel " << ch;
        }
    }
    for (std::size_t n = 0; n < 3; ++n)
        for (std::size_t k = 0; k < 3; ++k)
            EXPECT_EQ(std::memcmp(&converted[0][n][k], &converted[1][n][k], sizeof(CaseSampleBlock)), 0)
                << "sample " << n << " module " << k;
}
