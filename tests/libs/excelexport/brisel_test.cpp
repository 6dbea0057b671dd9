// The plain exports through their C interface, read back by openpyxl: cell
// placement and names past Z and ZZ, rounding and format of numbers, texts
// and the selected channels, the sheet's limits, bad arguments, and a failed
// save that leaves the file already there.
#include <gtest/gtest.h>

#include "SmallDisk.h"
#include "WorkbookReader.h"
#include "libs/excelexport/Brisel.h"
#include "platform/MessageBox.h"

#include <QTemporaryDir>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <vector>

namespace fs = std::filesystem;

namespace {

class BriselTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    std::string File(const std::string& name) const {
        return m_folder.filePath(QString::fromStdString(name)).toStdString();
    }

    // The only sheet of a workbook the export wrote.
    static ReadSheet OnlySheet(const std::string& path) {
        const ReadWorkbook book = ReadBack(path);
        EXPECT_TRUE(book.ok) << book.error;
        EXPECT_EQ(book.sheets.size(), 1u);
        return book.sheets.empty() ? ReadSheet{} : book.sheets.front();
    }

    // Cell name -> text of a sheet's text cells, numbers as "#<value>".
    static std::map<std::string, std::string> Texts(const ReadSheet& sheet) {
        std::map<std::string, std::string> texts;
        for (const auto& [name, cell] : sheet.cells) {
            texts[name] = cell.kind == 's' ? cell.text : "#" + std::to_string(cell.number);
        }
        return texts;
    }

    QTemporaryDir m_folder;
    platform::MessageBoxRecorder m_boxes;
};

TEST_F(BriselTest, ValuesFillColumnsOfCountOverColumnsWithARemainderColumn) {
    struct Case {
        int count;
        int columns;
        std::vector<std::string> cells; // of value 0, 1, ...
    };
    const Case cases[] = {
        {6, 2, {"A1", "A2", "A3", "B1", "B2", "B3"}},
        {7, 2, {"A1", "A2", "A3", "B1", "B2", "B3", "C1"}},
        {5, 5, {"A1", "B1", "C1", "D1", "E1"}},
        {5, 1, {"A1", "A2", "A3", "A4", "A5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " values in " + std::to_string(c.columns) + " columns");
        std::vector<double> values;
        for (int i = 0; i < c.count; ++i) {
            values.push_back(i + 1);
        }
        const std::string path = File("layout.xlsx");
        ASSERT_EQ(Brisel(values.data(), c.count, c.columns, path.c_str()), 1);
        const ReadSheet sheet = OnlySheet(path);
        ASSERT_EQ(sheet.cells.size(), c.cells.size());
        for (int i = 0; i < c.count; ++i) {
            ASSERT_TRUE(sheet.cells.count(c.cells[i])) << c.cells[i];
            EXPECT_EQ(sheet.cells.at(c.cells[i]).number, i + 1) << c.cells[i];
        }
    }
}

TEST_F(BriselTest, NumbersAreRoundedToFourDecimalsAndNonFiniteValuesAreText) {
    const double values[] = {1.23456,
                             -0.00004,
                             0.00005,
                             2.675,
                             1e9 + 0.123456,
                             -7.77777,
                             1e300,
                             -1.0 / 3.0,
                             0.0,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::nan("")};
    const int count = static_cast<int>(std::size(values));
    const std::string path = File("numbers.xlsx");
    ASSERT_EQ(Brisel(values, count, 1, path.c_str()), 1);
    const ReadSheet sheet = OnlySheet(path);
    for (int i = 0; i < count; ++i) {
        const std::string name = "A" + std::to_string(i + 1);
        SCOPED_TRACE(name);
        ASSERT_TRUE(sheet.cells.count(name));
        const ReadCell& cell = sheet.cells.at(name);
        char printed[400];
        std::snprintf(printed, sizeof printed, "%.4f", values[i]);
        if (std::isfinite(values[i])) {
            EXPECT_EQ(cell.kind, 'n');
            EXPECT_EQ(cell.number, std::strtod(printed, nullptr)) << printed;
            EXPECT_EQ(cell.format, "0.0000");
        } else {
            EXPECT_EQ(cell.kind, 's');
            EXPECT_EQ(cell.text, printed);
        }
    }
    EXPECT_TRUE(m_boxes.Records().empty());
}

TEST_F(BriselTest, ColumnNamesGoPastZAndZZUpToTheSheetsLastColumn) {
    const int columns = 16384;
    std::vector<double> values(columns);
    for (int i = 0; i < columns; ++i) {
        values[i] = i + 1;
    }
    const std::string path = File("wide.xlsx");
    ASSERT_EQ(Brisel(values.data(), columns, columns, path.c_str()), 1);
    const ReadSheet sheet = OnlySheet(path);
    const std::pair<const char*, int> named[] = {{"Z1", 26},   {"AA1", 27},   {"AB1", 28},    {"BA1", 53},
                                                 {"ZZ1", 702}, {"AAA1", 703}, {"XFD1", 16384}};
    for (const auto& [name, column] : named) {
        ASSERT_TRUE(sheet.cells.count(name)) << name;
        EXPECT_EQ(sheet.cells.at(name).number, column) << name;
    }
    EXPECT_EQ(sheet.cells.size(), static_cast<std::size_t>(columns));
}

TEST_F(BriselTest, TablesLargerThanASheetAndBadArgumentsWriteNothingAndReturnZero) {
    const std::vector<double> values(1048577, 1.0);
    const std::string path = File("refused.xlsx");
    const char* texts[] = {"a", "b"};
    struct Case {
        const char* what;
        int result;
    };
    const Case cases[] = {
        {"16,385 columns", Brisel(values.data(), 16385, 16385, path.c_str())},
        {"1,048,577 rows", Brisel(values.data(), 1048577, 1, path.c_str())},
        {"texts in 16,385 columns", BriselString(texts, nullptr, std::vector<const char*>(16384, "x").data(),
                                                 16384, 16384, path.c_str())},
        {"no columns", Brisel(values.data(), 4, 0, path.c_str())},
        {"fewer values than columns", Brisel(values.data(), 2, 3, path.c_str())},
        {"no values", Brisel(nullptr, 4, 2, path.c_str())},
        {"no file name", Brisel(values.data(), 4, 2, nullptr)},
        {"empty file name", Brisel(values.data(), 4, 2, "")},
        {"no text values", BriselString(texts, texts, nullptr, 2, 1, path.c_str())},
        {"no channel texts", BriselSelectedString(texts, nullptr, texts, 0, 9, 2, 1, path.c_str())},
        {"missing folder", Brisel(values.data(), 4, 2, File("no/such/folder.xlsx").c_str())},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, 0) << c.what;
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(m_boxes.Records().size(), std::size(cases));
    EXPECT_TRUE(FolderNames(m_folder.path().toStdString()).empty()) << "no temporary file is left behind";
}

// The workbook is zipped: a caller's ".xls" name would make spreadsheet
// programs warn and readers trusting the extension refuse it.
TEST_F(BriselTest, AnOldStyleNameIsWrittenAsXlsx) {
    const double values[] = {1, 2};
    const char* names[] = {"a.xls", "b.XLS", "c.xlsx", "d"};
    for (const char* name : names) {
        ASSERT_EQ(Brisel(values, 2, 1, File(name).c_str()), 1) << name;
    }
    EXPECT_EQ(FolderNames(m_folder.path().toStdString()),
              (std::vector<std::string>{"a.xlsx", "b.xlsx", "c.xlsx", "d"}));
    EXPECT_EQ(OnlySheet(File("a.xlsx")).cells.size(), 2u);
}

TEST_F(BriselTest, TextsPutTheGivenFirstAndSecondColumnsBeforeTheValues) {
    const char* first[] = {"时间", "1 s"};
    const char* emptyFirst[] = {"", "ignored"};
    const char* second[] = {"通道 1:应变", "通道 2:应变"};
    const char* values[] = {"1.5", nullptr, "bad \xFF byte",
                            "tab\tand\x01"
                            "control"};
    struct Case {
        const char* const* first;
        const char* const* second;
        std::map<std::string, std::string> cells;
    };
    const std::map<std::string, std::string> valuesFromA = {
        {"A1", "1.5"}, {"B1", "bad \xEF\xBF\xBD byte"}, {"B2", "tab\tandcontrol"}};
    const Case cases[] = {
        {emptyFirst, nullptr, valuesFromA},
        {nullptr, emptyFirst, valuesFromA},
        {first,
         nullptr,
         {{"A1", "时间"},
          {"A2", "1 s"},
          {"B1", "1.5"},
          {"C1", "bad \xEF\xBF\xBD byte"},
          {"C2", "tab\tandcontrol"}}},
        {first,
         second,
         {{"A1", "时间"},
          {"A2", "1 s"},
          {"B1", "通道 1:应变"},
          {"B2", "通道 2:应变"},
          {"C1", "1.5"},
          {"D1", "bad \xEF\xBF\xBD byte"},
          {"D2", "tab\tandcontrol"}}},
    };
    for (const Case& c : cases) {
        const std::string path = File("texts.xlsx");
        ASSERT_EQ(BriselString(c.first, c.second, values, 4, 2, path.c_str()), 1);
        EXPECT_EQ(Texts(OnlySheet(path)), c.cells);
    }
}

TEST_F(BriselTest, SelectedTextsKeepOnlyTheRowsOfChannelsInTheRangeWithoutGaps) {
    const char* first[] = {"x", "y", "z", "w"};
    const char* channels[] = {"通道 2:a", "通道 3:b", "通道 4:c", "无通道号"};
    const char* values[] = {"v0", "v1", "v2", "v3", "v4", "v5", "v6", "v7", "v8"};
    const std::string path = File("selected.xlsx");
    ASSERT_EQ(BriselSelectedString(first, channels, values, 3, 5, 9, 2, path.c_str()), 1);
    const std::map<std::string, std::string> expected = {
        {"A1", "y"},  {"A2", "z"},  {"B1", "通道 3:b"}, {"B2", "通道 4:c"},
        {"C1", "v1"}, {"C2", "v2"}, {"D1", "v5"},       {"D2", "v6"}, // v8 is row 0's: channel 2
    };
    EXPECT_EQ(Texts(OnlySheet(path)), expected);
}

// The range takes its lowest channel and leaves out its limit.
TEST_F(BriselTest, SelectedTextsTakeTheLowestChannelAndLeaveOutTheLimit) {
    const char* channels[] = {"通道 2:a", "通道 3:b", "通道 4:c", "通道 5:d"};
    const char* values[] = {"v0", "v1", "v2", "v3"};
    struct Case {
        int lowest, limit;
        std::vector<std::string> kept;
    } cases[] = {{3, 5, {"通道 3:b", "通道 4:c"}}, {2, 3, {"通道 2:a"}}, {5, 6, {"通道 5:d"}}};
    for (const Case& c : cases) {
        const std::string path = File("range.xlsx");
        ASSERT_EQ(BriselSelectedString(nullptr, channels, values, c.lowest, c.limit, 4, 1, path.c_str()), 1);
        std::vector<std::string> column;
        for (const auto& [cell, text] : Texts(OnlySheet(path)))
            if (cell[0] == 'A')
                column.push_back(text);
        EXPECT_EQ(column, c.kept) << "[" << c.lowest << ", " << c.limit << ")";
    }
}

TEST_F(BriselTest, AFailedSaveLeavesTheExistingFileAsItWas) {
    SmallDisk disk(256 * 1024);
    if (!disk.IsMounted()) {
        GTEST_SKIP() << "no private tmpfs here";
    }
    const std::string path = disk.File("kept.xlsx");
    const double original[] = {1, 2, 3, 4};
    ASSERT_EQ(Brisel(original, 4, 2, path.c_str()), 1);
    ASSERT_TRUE(disk.FillLeaving(16 * 1024));

    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> any(-1e6, 1e6);
    std::vector<double> big(40000);
    for (double& v : big) {
        v = any(random);
    }
    EXPECT_EQ(Brisel(big.data(), static_cast<int>(big.size()), 4, path.c_str()), 0);
    EXPECT_EQ(m_boxes.Records().size(), 1u);

    const ReadSheet sheet = OnlySheet(path);
    EXPECT_EQ(sheet.cells.size(), 4u);
    EXPECT_EQ(sheet.cells.at("B2").number, 4);
    EXPECT_EQ(FolderNames(disk.File("")), (std::vector<std::string>{"filler", "kept.xlsx"}));
}

} // namespace
