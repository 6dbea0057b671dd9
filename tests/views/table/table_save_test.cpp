// The table view's data exports: the options preset and sample range of
// every mode, the exporter each mode runs, refusals and failure messages.
#include "views/ViewsTestSupport.h"

#include "datafiles/ExportTestSupport.h"
#include "datafiles/ResultFiles.h"
#include "views/table/TableSaveCommand.h"

using namespace viewtest;

namespace {

class TableSaveTest : public TableWorldFixture {
protected:
    void SetUp() override {
        TableWorldFixture::SetUp();
        std::filesystem::create_directories(dir.Path() + "/out");
    }

    // The context over the stored run, with a file dialog that answers "exp".
    ExportContext& Context() {
        context = std::make_unique<ExportContext>(world.layout, channels);
        context->dataPath = world.dataPath;
        context->statusPath = world.statusPath;
        context->strAppTitle = "QV";
        context->askExportFileName = [this](int type, std::string& folder, std::string& title,
                                            std::string& extension) {
            ++asked;
            if (cancelFile)
                return 0;
            folder = dir.Path() + "/out";
            title = "exp";
            extension = type == 0 ? "txt" : type == 1 ? "xls" : "mat";
            return 1;
        };
        return *context;
    }

    int Run(CTableData& table, TableSaveKind kind, SaveDataOptions chosen) {
        CTableSaveCommand command(table, Context(), options);
        command.runOptionsDialog = [&](const TableSavePreset& p, TableSaveKind, SaveDataOptions& o) {
            preset = p;
            if (cancelOptions)
                return false;
            o = chosen;
            return true;
        };
        return command.Run(kind);
    }

    static SaveDataOptions Chosen(int range, std::vector<int> channels, int layout = 1) {
        SaveDataOptions o;
        o.nDataRange = range;
        o.nFileLayout = layout;
        for (int channel : channels)
            o.nChannels[o.nChannelCount++] = channel;
        return o;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& record : boxes.Records())
            texts.push_back(record.text);
        return texts;
    }

    std::unique_ptr<ExportContext> context;
    SaveDataOptions options;
    TableSavePreset preset;
    platform::MessageBoxRecorder boxes;
    int asked = 0;
    bool cancelFile = false;
    bool cancelOptions = false;
};

TEST_F(TableSaveTest, PresetAndRangeFollowTheMode) {
    world.nStoredCount = 40;
    world.channels[3].bPresent = false;
    world.rosetteGroups.resize(2);
    world.residualGroups.resize(3);
    world.digitalChannels = {{7, "d7", "", ""}, {9, "d9", "", ""}};
    CTableData table(world);
    table.m_nRowLimit = 10;
    table.m_nPosition = 35;
    struct Case {
        int mode;
        int kind;
        std::size_t items;
        TableSaveKind save;
        int range, first, count;
    };
    const Case cases[] = {
        {TABLE_MEASURED, 1, 15, TableSaveKind::Text, 1, 35, 1},
        {TABLE_MEASURED, 1, 15, TableSaveKind::Text, 0, 0, 40},
        {TABLE_MEASURED, 1, 15, TableSaveKind::Text, 2, 0, 0},
        {TABLE_HISTORY, 1, 15, TableSaveKind::Spreadsheet, 1, 30, 10},
        {TABLE_DIGITAL_HISTORY, 3, 2, TableSaveKind::Text, 1, 30, 10},
        {TABLE_ROSETTE, 2, 2, TableSaveKind::Spreadsheet, 1, 35, 1},
        {TABLE_RESIDUAL_STRESS, 4, 3, TableSaveKind::Text, 1, 35, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        table.m_nShowDataType = c.mode;
        const TableSavePreset p = MakeTableSavePreset(table);
        EXPECT_EQ(p.nItemKind, c.kind);
        EXPECT_EQ(p.items.size(), c.items);
        const TableSaveRange r = MakeTableSaveRange(table, c.save, c.range);
        EXPECT_EQ(r.first, c.first);
        EXPECT_EQ(r.count, c.count);
    }
    table.m_nShowDataType = TABLE_ROSETTE;
    EXPECT_EQ(MakeTableSavePreset(table).items, (std::vector<int>{1, 2}));
    table.m_nPosition = 99; // outside the stored samples: from the first
    EXPECT_EQ(MakeTableSaveRange(table, TableSaveKind::Spreadsheet, 1).first, 0);
}

TEST_F(TableSaveTest, MeasuredModeWithTheShownSampleExportsExactlyOneSample) {
    StoreRun(10);
    CTableData table(world);
    table.m_nPosition = 6;
    ASSERT_EQ(Run(table, TableSaveKind::Text, Chosen(0, {0, 17})), 1);
    const auto all = exporttest::ReadLines(dir.Path() + "/out/exp.txt");
    ASSERT_EQ(Run(table, TableSaveKind::Text, Chosen(1, {0, 17})), 1);
    const auto one = exporttest::ReadLines(dir.Path() + "/out/exp.txt");
    ASSERT_EQ(all.size(), one.size() + 9);
    EXPECT_EQ(one.back(), all[all.size() - 10 + 6]);
    EXPECT_EQ(options.nDataRange, 1) << "the view keeps the last choices";
    EXPECT_EQ(preset.nItemKind, 1);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TableSaveTest, SpreadsheetOfAllChannelsInOneFileTakesAtMost255) {
    StoreRun(2);
    CTableData table(world);
    std::vector<int> channels255, channels256;
    for (int i = 0; i < 256; ++i) {
        channels256.push_back(i % 32);
        if (i < 255)
            channels255.push_back(i % 32);
    }
    EXPECT_EQ(Run(table, TableSaveKind::Spreadsheet, Chosen(0, channels256)), 0);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              "另存为Excel,所有测点存于同一文件时,选择要保存的测点数不能大于256个,请重新选择要保存的测点!");
    EXPECT_EQ(asked, 0) << "nothing is written";
    EXPECT_EQ(Run(table, TableSaveKind::Spreadsheet, Chosen(0, channels255)), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/out/exp.xls"));
    EXPECT_EQ(Run(table, TableSaveKind::Spreadsheet, Chosen(0, channels256, 0)), 1) << "one file per channel";
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(TableSaveTest, CancelsReportNothingAndFailuresTheirMessage) {
    StoreRun(3);
    CTableData table(world);
    cancelOptions = true;
    EXPECT_EQ(Run(table, TableSaveKind::Text, Chosen(0, {0})), 0);
    EXPECT_EQ(asked, 0);
    cancelOptions = false;
    cancelFile = true;
    EXPECT_EQ(Run(table, TableSaveKind::Text, Chosen(0, {0})), 0);
    table.m_nShowDataType = TABLE_ROSETTE;
    EXPECT_EQ(Run(table, TableSaveKind::Text, Chosen(0, {0})), 0);
    EXPECT_TRUE(Messages().empty());
    cancelFile = false;

    world.rosetteGroups.resize(1); // no result file was computed
    EXPECT_EQ(Run(table, TableSaveKind::Text, Chosen(0, {0})), 0);
    table.m_nShowDataType = TABLE_RESIDUAL_STRESS;
    world.residualGroups.resize(1);
    EXPECT_EQ(Run(table, TableSaveKind::Text, Chosen(0, {0})), 0);
    table.m_nShowDataType = TABLE_DIGITAL_HISTORY;
    world.digitalPath.clear();
    EXPECT_EQ(Run(table, TableSaveKind::Text, Chosen(0, {})), 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"另存应变花为文本失败!", "另存焊接残余应力为文本失败!",
                                                    "当前数字量数据文件不存在!"}));
}

TEST_F(TableSaveTest, RosetteTextOfTheShownSampleHoldsThatSample) {
    StoreRun(4);
    world.rosetteGroups.resize(1);
    std::FILE* f = std::fopen(ResultFileName(RosetteResults(), world.dataPath, 1).c_str(), "wb");
    std::vector<char> header(std::size_t(RosetteResults().headerSize), 0);
    std::fwrite(header.data(), 1, header.size(), f);
    for (int sample = 0; sample < 4; ++sample) {
        const std::vector<float> record(6, float(sample) + 0.25f);
        std::fwrite(record.data(), 4, 6, f);
    }
    std::fclose(f);
    CTableData table(world);
    table.m_nShowDataType = TABLE_ROSETTE;
    table.m_nPosition = 2;
    table.m_nDataPrecision = 2;
    ASSERT_EQ(Run(table, TableSaveKind::Text, Chosen(1, {0})), 1);
    const auto lines = exporttest::ReadLines(dir.Path() + "/out/exp.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("2.25"), std::string::npos) << lines[1];
}

} // namespace
