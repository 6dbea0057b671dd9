// Lead-wire and self-test readings of several modules sent back to back: each
// record is read whole and the next one is found where it starts.
#include "acquisition/CaseLink.h"

#include "CaseSimulator.h"
#include "FakeChannelSource.h"
#include "LinkTestHost.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kRecordLength = 138; // header to byte 9, then two groups of 16 values

// A value whose bytes differ for every module, group and channel; the last one
// of each record carries the bytes a frame starts with.
std::uint32_t Word(int slot, int group, int ch) {
    if (group == 1 && ch == 15)
        return 0x55AA0703u;
    return 0x01000000u * static_cast<std::uint32_t>(slot + 1) +
           0x10000u * static_cast<std::uint32_t>(group + 1) + static_cast<std::uint32_t>(ch + 1);
}

Bytes Record(std::uint8_t kind, int slot) {
    Bytes record(kRecordLength, 0);
    record[0] = 0x55;
    record[1] = 0xAA;
    record[2] = 7;
    record[3] = kind;
    record[7] = static_cast<std::uint8_t>(slot);
    for (int group = 0; group < 2; ++group)
        for (int ch = 0; ch < 16; ++ch)
            for (int b = 0; b < 4; ++b)
                record[static_cast<std::size_t>(10 + 64 * group + 4 * ch + b)] =
                    static_cast<std::uint8_t>(Word(slot, group, ch) >> (24 - 8 * b));
    return record;
}

TEST(CaseLinkTestReadingsTest, EveryModuleOfABackToBackReplyIsReadWhole) {
    FakeChannelSource source;
    CCaseProtocol3 encoder{&source};
    LinkTestHost host;
    CCaseLink link{&encoder, &host};
    const int caseNo = 1;
    const int modules = 3;
    link.SetCaseNo(caseNo);
    const Bytes info = CCaseSimulator::BuildCaseInfoReply(caseNo, modules, 2);
    ASSERT_EQ(link.ParseCaseInfoReply(info.data(), static_cast<int>(info.size())), 1);

    for (const std::uint8_t kind : {3, 4}) {
        Bytes reply;
        for (int slot = 0; slot < modules; ++slot) {
            const Bytes record = Record(kind, slot);
            reply.insert(reply.end(), record.begin(), record.end());
        }
        std::vector<CaseSampleBlock> first(512), second(512);
        ASSERT_EQ(link.ParseTestDataReply(reply.data(), static_cast<int>(reply.size()), kind, first.data(),
                                          second.data()),
                  1);
        for (int slot = 0; slot < modules; ++slot) {
            const CaseSampleBlock* blocks[2] = {&first[caseNo * 8 + slot], &second[caseNo * 8 + slot]};
            for (int group = 0; group < 2; ++group)
                for (int ch = 0; ch < 16; ++ch) {
                    std::uint32_t word = 0;
                    std::memcpy(&word, &blocks[group]->fValues[ch], 4);
                    ASSERT_EQ(word, Word(slot, group, ch)) << "kind " << int(kind) << " slot " << slot
                                                           << " group " << group << " channel " << ch;
                }
        }
    }
}

} // namespace
