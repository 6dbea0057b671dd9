// The project's controller table file, byte for byte.
#include "project/ControllerTableFile.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

TEST(ControllerTable, RecordsAreStoredAs56BytesAndReadBack) {
    const ScratchFolder scratch;
    const std::string path = scratch.File("Module.ifo");
    std::vector<ControllerRecord> table(2);
    std::strcpy(table[0].szAddress, "192.168.1.20");
    table[0].nController = 1;
    table[0].nCases = 2;
    table[0].nCaseNo[0] = 8;
    table[0].nCaseNo[1] = 9;
    std::strcpy(table[1].szAddress, "192.168.1.21");
    table[1].nController = 2;
    ASSERT_EQ(SaveControllerTable(path, table), 1);

    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    ASSERT_EQ(bytes.size(), 112u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), "192.168.1.20");
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 16, bytes.begin() + 28),
              (std::vector<std::uint8_t>{1, 0, 0, 0, 2, 0, 0, 0, 8, 0, 0, 0}));

    std::vector<ControllerRecord> back;
    ASSERT_EQ(LoadControllerTable(path, 2, back), 1);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_STREQ(back[1].szAddress, "192.168.1.21");
    EXPECT_EQ(back[0].nCaseNo[1], 9);
}

TEST(ControllerTable, AShortOrMissingFileLeavesTheTable) {
    const ScratchFolder scratch;
    const std::string path = scratch.File("short.ifo");
    std::ofstream(path, std::ios::binary) << std::string(60, 'x');
    std::vector<ControllerRecord> table(1);
    table[0].nController = 7;
    EXPECT_EQ(LoadControllerTable(path, 2, table), 0);
    EXPECT_EQ(LoadControllerTable(path + ".none", 1, table), 0);
    EXPECT_EQ(LoadControllerTable(path, 33, table), 0);
    EXPECT_EQ(table[0].nController, 7);
    ASSERT_EQ(LoadControllerTable(path, 1, table), 1);
    EXPECT_EQ(std::strlen(table[0].szAddress), 15u) << "an unterminated address is cut at its field";
    EXPECT_EQ(SaveControllerTable("/nonexistent-folder/Module.ifo", table), 0);
}

} // namespace
