// Digital channels without a frame: the digital parameter file, the match
// of load-control stamps to queued case blocks, and the binding of the
// digital-interface library (the stand-in and its variant without a function).
#include "acquisition/DigitalCommandBits.h"
#include "acquisition/DigitalInterface.h"
#include "acquisition/DigitalParamFile.h"
#include "acquisition/SamplingControl.h"
#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class DigitalFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qv-digital-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    // A file of the count word and whole records, then extra bytes.
    std::string WriteFile(std::int32_t count, int records, int extraBytes = 0) {
        const std::string path = m_folder + "/f" + std::to_string(m_files++) + ".dsi";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&count), sizeof count);
        for (int i = 0; i < records; ++i) {
            DigitalChannelRecord record{};
            record.nIndex = i;
            std::snprintf(record.szName, sizeof record.szName, "数字量%d", i + 1);
            out.write(reinterpret_cast<const char*>(&record), sizeof record);
        }
        out << std::string(static_cast<std::size_t>(extraBytes), 'x');
        return path;
    }
    std::string m_folder;
    int m_files = 0;
};

TEST_F(DigitalFileTest, CountsAreClampedAndOnlyWholeRecordsLoad) {
    struct Case {
        std::int32_t count;
        int records, extra;
        int loaded;
    };
    const Case cases[] = {
        {3, 3, 0, 3},   {12, 12, 0, 8}, // at most 8
        {-1, 2, 0, 0},                  // a negative count gives no channels
        {4, 2, 100, 2},                 // a cut record is not taken
        {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int count = -5;
        DigitalChannelTable table{};
        EXPECT_TRUE(LoadDigitalParamFile(WriteFile(c.count, c.records, c.extra), count, table)) << c.count;
        EXPECT_EQ(count, c.loaded) << c.count;
        if (c.loaded > 1) {
            EXPECT_EQ(table[1].nIndex, 1);
            EXPECT_STREQ(table[1].szName, "数字量2");
        }
    }
    int count = 3;
    DigitalChannelTable table{};
    EXPECT_FALSE(LoadDigitalParamFile(m_folder + "/missing.dsi", count, table));
    EXPECT_EQ(count, 0);

    std::strcpy(table[0].szName, "载荷");
    const std::string saved = m_folder + "/saved.dsi";
    ASSERT_TRUE(SaveDigitalParamFile(saved, 1, table));
    EXPECT_EQ(std::filesystem::file_size(saved), 4u + 340u);
    DigitalChannelTable back{};
    ASSERT_TRUE(LoadDigitalParamFile(saved, count, back));
    EXPECT_EQ(count, 1);
    EXPECT_STREQ(back[0].szName, "载荷");
}

TEST(DigitalStampMatch, WholeHundredthsOfTheBlockTime) {
    const double T = 1765300000.0;
    struct Case {
        double t;
        std::uint32_t w1, w2;
        bool match;
    };
    const Case cases[] = {
        {T + 0.57, 1765300000u, 570000000u, true}, // the block just below T + 0.57 as a double
        {T + 0.57, 1765300000u, 579999999u, true},
        {T + 0.57, 1765300000u, 569999999u, false},
        {T + 0.57, 1765300000u, 580000000u, false},
        {T + 0.57, 1765300001u, 570000000u, false},
        {T + 0.999, 1765300000u, 990000000u, true},
        {T + 1.0, 1765300001u, 0u, true},
        {T, 1765300000u, 0u, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DigitalStampMatchesCaseTime(c.t, c.w1, c.w2), c.match) << c.w1 << "." << c.w2;
}

// The stand-in's function of a stamp, looked up like the program does.
class DigitalStandInTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_library.Load(platform::SharedLibraryFileName("DigitalInterface")));
        setOrigin = m_library.Function<void (*)(double)>("DigitalSimSetTimeOrigin");
        stamp = m_library.Function<void (*)(std::int64_t, std::uint32_t*, std::uint32_t*)>("DigitalSimStamp");
        ASSERT_NE(setOrigin, nullptr);
        ASSERT_NE(stamp, nullptr);
    }
    platform::DynamicLibrary m_library;
    void (*setOrigin)(double) = nullptr;
    void (*stamp)(std::int64_t, std::uint32_t*, std::uint32_t*) = nullptr;
};

TEST_F(DigitalStandInTest, SampleStampsMatchTheQueuedBlocksOverRatesAndHours) {
    CDigitalInterface binding;
    ASSERT_TRUE(binding.LoadDigitalInterfaceDll("DigitalInterface"));
    for (const float rate : {1.0f, 10.0f, 50.0f, 100.0f, 200.0f, 1000.0f})
        for (const double origin : {1765300000.0, 1765300000.25 + 3600.0 * 7, 1765300000.731 + 3600.0 * 23}) {
            binding.SetDasFreq(rate);
            setOrigin(origin);
            for (std::int64_t k = 0; k < 3000; k += 7) {
                std::uint32_t w1 = 0, w2 = 0;
                stamp(k, &w1, &w2);
                const double blockTime = origin + static_cast<double>(k) / rate;
                ASSERT_TRUE(DigitalStampMatchesCaseTime(blockTime, w1, w2))
                    << "rate " << rate << " origin " << origin << " sample " << k;
            }
        }
}

TEST(DigitalInterfaceBinding, AllFourteenFunctionsOrNone) {
    CDigitalInterface binding;
    EXPECT_TRUE(binding.LoadDigitalInterfaceDll("DigitalInterface"));
    EXPECT_TRUE(binding.IsLoaded());
    EXPECT_NE(binding.GetDigitalChanBatchData, nullptr);
    EXPECT_FALSE(binding.LoadDigitalInterfaceDll("DigitalInterfaceNoBatch"));
    EXPECT_FALSE(binding.IsLoaded());
    EXPECT_FALSE(binding.LoadDigitalInterfaceDll("NoSuchDigitalInterface"));
    EXPECT_TRUE(binding.FreeDigitalInterfaceDll());
    EXPECT_EQ(binding.SetDasFreq, nullptr);
}

} // namespace

namespace {

TEST(DigitalCommandBits, BitsOneToThirtyOneOnlyAndTheirMasks) {
    struct Case {
        const char* text;
        int bit;
        std::vector<std::uint32_t> pulse;
        std::uint32_t continuous;
    };
    const Case cases[] = {
        {"1", 1, {1u, 2u, 0u}, 3u},
        {"3", 3, {4u, 8u, 0u}, 12u},
        {"31", 31, {0x40000000u, 0x80000000u, 0u}, 0xC0000000u},
        {"32", 0, {0u}, 0u},
        {"0", 0, {0u}, 0u},
        {"-1", 0, {0u}, 0u},
        {"abc", 0, {0u}, 0u},
        {"3x", 0, {0u}, 0u},
        {"", 0, {0u}, 0u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommandBitFromText(c.text), c.bit) << c.text;
        EXPECT_EQ(CommandPulseMasks(c.bit), c.pulse) << c.text;
        EXPECT_EQ(ContinuousCommandMask(c.bit), c.continuous) << c.text;
    }
}

} // namespace
