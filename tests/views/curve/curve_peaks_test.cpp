// The peak list: local maxima and their order against a plain transcription
// of the exchange sort over every entry, markers left out, the short-series
// fallback, and the peak output file's columns.
#include "views/curve/CurvePeaks.h"

#include "datafiles/SampleFileFormat.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The search and the full exchange sort as first written down.
std::vector<PeakRecord> ReferencePeaks(const std::vector<double>& t, const std::vector<float>& v, int K) {
    const int n = int(v.size());
    std::vector<PeakRecord> found;
    bool rising = true;
    for (int i = 1; i < n; ++i) {
        if (v[i] < v[i - 1] && rising) {
            found.push_back({i - 1, float(t[i - 1]), v[i - 1]});
            rising = false;
        }
        if (v[i - 1] < v[i])
            rising = true;
    }
    if (found.empty())
        for (int i = 0; i < std::min(n, K); ++i)
            found.push_back({i, float(t[i]), v[i]});
    for (std::size_t i = 0; i < found.size(); ++i)
        for (std::size_t j = i + 1; j < found.size(); ++j)
            if (found[i].fValue <= found[j].fValue)
                std::swap(found[i], found[j]);
    std::vector<PeakRecord> list(static_cast<std::size_t>(K));
    for (int i = 0; i < K && i < int(found.size()); ++i)
        list[std::size_t(i)] = found[std::size_t(i)];
    return list;
}

TEST(CurvePeaks, ListMatchesTheFullExchangeSortOnSeriesWithTies) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const int n = int(random() % 60) + 1;
        const int K = int(random() % 21);
        std::vector<double> t(static_cast<std::size_t>(n));
        std::vector<float> v(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            t[std::size_t(i)] = 0.25 * i;
            v[std::size_t(i)] = float(int(random() % 5)) - 2.0f; // many ties and flat tops
        }
        const PeakList list = BuildPeakList(K, n, t.data(), v.data());
        ASSERT_EQ(list.entries, ReferencePeaks(t, v, K)) << "round " << round;
    }
}

TEST(CurvePeaks, FallbackMarkersAndShortLists) {
    struct Case {
        std::vector<float> values;
        int K;
        std::vector<int> indexes; // of the real peaks, in list order
    };
    const Case cases[] = {
        {{1, 2, 3, 4}, 3, {2, 1, 0}},     // rising: the first K points, largest first
        {{5, 5, 1, 5, 2}, 4, {3, 1}},     // equal peaks: the later first; flat top at its last point
        {{4, 1, 2, 1}, 5, {0, 2}},        // falling start records point 0
        {{1, 5, kNoValue, 3, 2}, 2, {1}}, // a marker is no value: 5 falls to 3
        {{1, kNoValue, 9, 2}, 2, {2}},    // nor a peak before a rise
    };
    for (const Case& c : cases) {
        std::vector<double> t(c.values.size());
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = double(i);
        const PeakList list = BuildPeakList(c.K, int(c.values.size()), t.data(), c.values.data());
        ASSERT_EQ(list.found, int(c.indexes.size()));
        ASSERT_EQ(int(list.entries.size()), c.K);
        for (std::size_t i = 0; i < c.indexes.size(); ++i)
            EXPECT_EQ(list.entries[i].nIndex, c.indexes[i]) << i;
        for (std::size_t i = c.indexes.size(); i < list.entries.size(); ++i)
            EXPECT_EQ(list.entries[i], PeakRecord{});
    }
}

TEST(CurvePeaks, BoxShowsZeroEntriesInsideTheWindowAndNoPeakPastItOrForLongTimes) {
    PeakList list;
    list.entries = {{4, 2.5f, 7.25f}, {9, 12345.678f, 3.0f}, {}, {}};
    list.found = 2;
    // Entry 3 is past the window's three points; entry 2 the zero entry inside it.
    EXPECT_EQ(
        PeakListBoxLines(list, 3, 3, 2, true),
        (std::vector<std::string>{"01   2.500   7.25", "02   No Peak", "03   0.000   0.00", "04   No Peak"}));
    // Live: the times read 0, so a long time text hides no entry.
    EXPECT_EQ(PeakListBoxLines(list, 10, 1, 0, false),
              (std::vector<std::string>{"01   0.0   7", "02   0.0   3", "03   0.0   0", "04   0.0   0"}));
}

TEST(CurvePeaks, FileKeepsEveryEntryInTwentyByteColumns) {
    PeakList list;
    list.entries = {{4, 12345.678f, 2.5f}, {1, 0.5f, -1.25f}, {}};
    list.found = 2;
    const auto column = [](std::string text) { return text + std::string(20 - text.size(), ' '); };
    const std::string expected =
        column(platform::Utf8ToGbk("序号")) + column(platform::Utf8ToGbk("数据位置")) +
        column(platform::Utf8ToGbk("峰值数据")) + "\n" + column("0") + column("12345.678") + column("2.50") +
        "\n" + column("1") + column("0.500") + column("-1.25") + "\n" + column("2") + column("0.000") +
        column("0.00") + "\n";
    EXPECT_EQ(PeakFileText(list, 3, 2), expected);
}

} // namespace
