// The simulated module that plays back the generator's outputs: the outputs
// file as the generator simulator writes it, and the readings of the gains.
#include "GeneratorFollower.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(GeneratorFollowerTest, ReadsEachChannelsOutputAsTheModulesInput) {
    ScratchFolder folder;
    const std::string path = folder.File("outputs.txt");
    std::array<std::int64_t, 16> outputs{};
    EXPECT_FALSE(CGeneratorFollower::ReadOutputs(path, outputs));
    // Modes 3 to 5 are negative, and a strain bridge turns its output round;
    // channels outside 1..16 and broken lines are skipped.
    std::ofstream(path) << "1 0 2 1000\n2 0 5 20000\n17 0 0 5\n0 0 0 7\nbroken\n3 0 0\n15 1 2 9\n16 1 3 4\n";
    ASSERT_TRUE(CGeneratorFollower::ReadOutputs(path, outputs));
    std::array<std::int64_t, 16> expected{};
    expected[0] = -1000;
    expected[1] = 20000;
    expected[14] = 9;
    expected[15] = -4;
    EXPECT_EQ(outputs, expected);
}

TEST(GeneratorFollowerTest, ReadingsCarryTheGainsAboveTheOffsetWithinTheCasesRange) {
    GeneratorFollow follow;
    follow.gains[1] = 0.98;
    follow.gains[2] = 1.01;
    follow.offset = 1500;
    follow.countsPerUnit = 2.0;
    std::array<std::int64_t, 16> outputs{};
    outputs[0] = 1000;
    outputs[1] = -20000;
    outputs[2] = 20000;
    outputs[3] = 10'000'000; // beyond 24 bits
    outputs[4] = -10'000'000;
    const auto values = CGeneratorFollower::ValuesFor(follow, outputs);
    EXPECT_EQ(values[0], 1500 + 2000);
    EXPECT_EQ(values[1], 1500 - 39200);
    EXPECT_EQ(values[2], 1500 + 40400);
    EXPECT_EQ(values[3], 0x7FFFFF);
    EXPECT_EQ(values[4], -0x7FFFFF);
    EXPECT_EQ(values[5], 1500);
}
