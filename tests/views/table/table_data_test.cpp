// The table logic without a window: layouts, cell texts and colours of the
// display modes, live and stored feeding, marks, paging and layout keys.
#include "views/ViewsTestSupport.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/ResultFiles.h"
#include "model/ChannelNaming.h"
#include "platform/Profile.h"

#include <array>
#include <cstdio>
#include <vector>

using namespace viewtest;

namespace {

class TableDataTest : public TableWorldFixture {
protected:
    void SetUp() override {
        TableWorldFixture::SetUp();
        sampleSet.fill(CaseSampleBlock{});
        for (int slot = 0; slot < 2; ++slot) {
            sampleSet[std::size_t(slot)].nHeader = slot;
        }
        values.fill(0.0f);
    }

    // Feeds one live sample set: the values by channel, with raw readings.
    void Feed(CTableData& table) {
        table.ReceiveData(1, sampleSet.data(), values.data());
        table.UpdateStatusText(time, "label");
        table.UpdateTable();
    }

    std::unique_ptr<CTableData> Table(int mode) {
        auto table = std::make_unique<CTableData>(world);
        table->m_nShowDataType = mode;
        table->onAlarm = [this] { ++alarms; };
        table->InitialUpdate();
        return table;
    }

    static std::string Text(const CTableData& table, int row, int column) {
        return table.m_grid.At(row, column).text;
    }

    std::array<CaseSampleBlock, 512> sampleSet;
    std::array<float, 4104> values;
    std::string time = "t";
    int alarms = 0;
};

TEST_F(TableDataTest, RowGroupsTakeOneToThreeRowsPerUnit) {
    struct Case {
        bool describ, unit;
        std::vector<std::string> column0; // rows 1..
    };
    const std::string u0 = FormatModuleName(0), u1 = FormatModuleName(1);
    const Case cases[] = {
        {false, false, {u0, u1}},
        {true, false, {"描述1", u0, "描述2", u1}},
        {false, true, {u0, "单位1", u1, "单位2"}},
        {true, true, {"描述1", u0, "单位1", "描述2", u1, "单位2"}},
    };
    world.bSampling = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.describ) + std::to_string(c.unit));
        CTableData table(world);
        table.m_bShowDescrib = c.describ;
        table.m_bShowUnit = c.unit;
        table.InitialUpdate();
        ASSERT_EQ(table.m_grid.Rows(), int(c.column0.size()) + 1);
        EXPECT_EQ(table.m_grid.Columns(), 17);
        for (std::size_t r = 0; r < c.column0.size(); ++r)
            EXPECT_EQ(Text(table, int(r) + 1, 0), c.column0[r]);
        values[17] = 2.5f;
        table.m_nDataPrecision = 1;
        Feed(table);
        const int valueRow = table.ValueRowOfGroup(1);
        EXPECT_EQ(Text(table, valueRow, 2), "2.5");
        if (c.describ) {
            EXPECT_EQ(Text(table, valueRow - 1, 2), "描述17");
        }
        if (c.unit) {
            EXPECT_EQ(Text(table, valueRow + 1, 2), "με");
        }
    }
}

TEST_F(TableDataTest, MeasuredValuesShowMarkersAndStatesAsTexts) {
    world.bSampling = true;
    world.nRefChanOffset = 5;
    auto set = [&](int channel, int type, int bridge = 0) {
        world.channels[std::size_t(channel)].nMeasureType = type;
        world.channels[std::size_t(channel)].nBridgeType = bridge;
    };
    set(4, 2);
    set(5, 2);
    set(6, 20, 0);
    set(7, 20, 5);
    world.channels[8].nZero = kNotBalancedZero;
    world.channels[9].bEnabled = false;
    for (int ch = 0; ch < 16; ++ch)
        values[std::size_t(ch)] = 1.25f;
    sampleSet[0].fValues[1] = kNoValue;
    sampleSet[0].fValues[2] = kNotBalanced;
    sampleSet[0].fValues[3] = kThirdMarker;
    sampleSet[1].nHeader = -1; // unit 1 delivered nothing
    auto table = Table(TABLE_MEASURED);
    table->m_nDataPrecision = 1;
    table->m_PrecisionByType[2] = 3;
    Feed(*table);
    const struct {
        int channel;
        const char* text;
    } expected[] = {
        {0, "1.2"}, {1, "------"}, {2, "未平衡"}, {3, "溢出"}, {4, "1.250"},   {5, "基准点"},
        {6, "1.2"}, {7, ""},       {8, "未平衡"}, {9, ""},     {16, "------"}, {31, "------"},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.channel);
        EXPECT_EQ(Text(*table, e.channel / 16 + 1, e.channel % 16 + 1), e.text);
    }
    EXPECT_EQ(table->m_strStatus, "采样时间: t    采样状态: label");
}

TEST_F(TableDataTest, ValuesStayEmptyWithoutRunOrStoredData) {
    values[0] = 3.0f;
    auto table = Table(TABLE_MEASURED);
    table->ReceiveData(1, sampleSet.data(), values.data());
    table->UpdateTable();
    EXPECT_EQ(Text(*table, 1, 1), "");
}

TEST_F(TableDataTest, AlarmPaintsRedAndStartsTheSoundMarksPaintGreen) {
    world.bSampling = true;
    TableChannelInfo& alarmed = world.channels[3];
    alarmed.bAlarm = true;
    alarmed.nAlarmType = 0;
    alarmed.fUpper = 10.0f;
    values[3] = 20.0f;
    auto table = Table(TABLE_MEASURED);
    table->m_SelectedChannels[2] = true;
    table->m_SelectedChannels[3] = true;
    Feed(*table);
    EXPECT_EQ(table->m_grid.At(1, 4).background, kTableAlarmRed); // alarm wins over the mark
    EXPECT_EQ(table->m_grid.At(1, 3).background, kTableMarkGreen);
    EXPECT_EQ(table->m_grid.At(1, 2).background, kTableWhite);
    EXPECT_EQ(alarms, 1);
    values[3] = 5.0f;
    Feed(*table);
    EXPECT_EQ(table->m_grid.At(1, 4).background, kTableMarkGreen);
    EXPECT_EQ(alarms, 1);
}

TEST_F(TableDataTest, StoredSampleOfTheDocumentPositionIsShown) {
    StoreRun(10);
    CTableData table(world);
    table.m_nDataPrecision = 1;
    table.m_nPosition = 4;
    table.m_bStoredData = true;
    table.InitialUpdate();
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.1f", double(Stored(17, 4)));
    EXPECT_EQ(Text(table, 2, 2), expected);
    const SampleStatusRecord status = testrun::RunWriter::Status(4);
    EXPECT_EQ(table.m_strStatus, "采样时间: " + FormatStatusTime(status.dtTime, 0) +
                                     "   采样状态: " + testrun::RunWriter::Label(4));
}

TEST_F(TableDataTest, StoredHistoryShowsTheWindowMovedBackFromTheEnd) {
    StoreRun(20);
    world.channels[1].bEnabled = false; // its column is left out
    struct Case {
        int position, rowLimit, firstSample, rows;
    };
    const Case cases[] = {{18, 6, 14, 7}, {3, 6, 3, 7}, {5, 30, 0, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        CTableData table(world);
        table.m_nShowDataType = TABLE_HISTORY;
        table.m_nRowLimit = c.rowLimit;
        table.m_nPosition = c.position;
        table.InitialUpdate();
        ASSERT_EQ(table.m_grid.Rows(), c.rows);
        EXPECT_EQ(table.m_grid.Columns(), 2 + 15);
        EXPECT_EQ(Text(table, 0, 3), "  测点3  ");
        const int shown = std::min(c.rowLimit, 20);
        for (int i = 0; i < shown; ++i) {
            const int sample = c.firstSample + i;
            EXPECT_EQ(Text(table, 1 + i, 0), FormatStatusTime(testrun::RunWriter::Time(sample), 0));
            EXPECT_EQ(Text(table, 1 + i, 1), testrun::RunWriter::Label(sample));
            char value[32];
            std::snprintf(value, sizeof value, "%.0f", double(Stored(2, sample)));
            EXPECT_EQ(Text(table, 1 + i, 3), value);
        }
        for (int r = 1 + shown; r < table.m_grid.Rows(); ++r)
            EXPECT_EQ(Text(table, r, 0), "");
    }
}

TEST_F(TableDataTest, LiveHistoryKeepsTheNewestSampleOnTopWithinTheRowLimit) {
    world.bSampling = true;
    auto table = Table(TABLE_HISTORY);
    table->m_nRowLimit = 6;
    table->RebuildGrid();
    for (int n = 0; n < 10; ++n) {
        time = "t" + std::to_string(n);
        values[0] = float(n);
        Feed(*table);
    }
    ASSERT_EQ(table->m_grid.Rows(), 7);
    for (int r = 1; r < 7; ++r)
        EXPECT_EQ(Text(*table, r, 0), "t" + std::to_string(10 - r));
    EXPECT_EQ(Text(*table, 1, 2), "9");
    EXPECT_EQ(table->m_strStatus, "机箱号 : " + FormatModuleName(0));
    EXPECT_TRUE(table->m_bShowTopTabs);
    EXPECT_FALSE(table->m_bShowStatusStrip);
}

TEST_F(TableDataTest, StoredResultsShowNoResultAsDashesAndRosetteAlarms) {
    StoreRun(3);
    RosetteGroupRecord rosette{};
    rosette.type = 1;
    rosette.bAlarm = 1;
    rosette.AlarmItem = 1;
    rosette.AlarmType = 0;
    rosette.AlarmValUp = 1.0f;
    world.rosetteGroups = {rosette};
    world.residualGroups = {ResidualStressGroupRecord{}};
    auto writeResults = [&](const ResultKind& kind, int valueCount) {
        std::FILE* f = std::fopen(ResultFileName(kind, world.dataPath, 1).c_str(), "wb");
        std::vector<char> header(std::size_t(kind.headerSize), 0);
        std::fwrite(header.data(), 1, header.size(), f);
        for (int sample = 0; sample < 3; ++sample) {
            std::vector<float> record(std::size_t(valueCount), 0.5f + float(sample));
            record[0] = kNoResult;
            std::fwrite(record.data(), 4, record.size(), f);
        }
        std::fclose(f);
    };
    writeResults(RosetteResults(), 6);
    writeResults(ResidualStressResults(), 9);

    CTableData rosetteTable(world);
    rosetteTable.onAlarm = [this] { ++alarms; };
    rosetteTable.m_nShowDataType = TABLE_ROSETTE;
    rosetteTable.m_nDataPrecision = 2;
    rosetteTable.m_nPosition = 1;
    rosetteTable.InitialUpdate();
    EXPECT_EQ(rosetteTable.m_grid.FixedColumns(), 2);
    EXPECT_EQ(Text(rosetteTable, 1, 0), " 1 ");
    EXPECT_EQ(Text(rosetteTable, 1, 1), "三片直角");
    EXPECT_EQ(Text(rosetteTable, 1, 2), "--");
    EXPECT_EQ(Text(rosetteTable, 1, 3), "1.50");
    EXPECT_EQ(rosetteTable.m_grid.At(1, 3).background, kTableAlarmRed);
    EXPECT_EQ(rosetteTable.m_grid.At(1, 4).background, kTableWhite);
    EXPECT_EQ(alarms, 1);

    CTableData residualTable(world);
    residualTable.m_nShowDataType = TABLE_RESIDUAL_STRESS;
    residualTable.m_nPosition = 2;
    residualTable.m_nDataPrecision = 1;
    residualTable.InitialUpdate();
    EXPECT_EQ(residualTable.m_grid.Columns(), 10);
    EXPECT_EQ(Text(residualTable, 1, 1), "--");
    EXPECT_EQ(Text(residualTable, 1, 9), "2.5");
}

TEST_F(TableDataTest, DigitalQuantitiesInMeasuredRowsAndTheirOwnHistory) {
    StoreRun(6);
    world.bDigitalUsed = true;
    world.digitalChannels = {{3, "压力", "", "kPa"}, {4, "流量", "进口流量", "L/s"}};
    world.layout.nDigitalChanCount = 2;
    std::FILE* f = std::fopen(world.digitalPath.c_str(), "wb");
    for (int sample = 0; sample < 6; ++sample) {
        const float record[8] = {float(sample) + 0.5f, float(sample) * 10.0f};
        std::fwrite(record, sizeof record, 1, f);
    }
    std::fclose(f);

    CTableData measured(world);
    measured.m_bShowDescrib = measured.m_bShowUnit = true;
    measured.m_nDataPrecision = 1;
    measured.m_nPosition = 2;
    measured.m_bStoredData = true;
    measured.InitialUpdate();
    ASSERT_EQ(measured.m_grid.Rows(), 7 + 3);
    EXPECT_EQ(Text(measured, 7, 0), "描述");
    EXPECT_EQ(Text(measured, 8, 0), "数字量");
    EXPECT_EQ(Text(measured, 9, 0), "单位");
    EXPECT_EQ(Text(measured, 7, 1), "压力"); // the name stands in for an empty description
    EXPECT_EQ(Text(measured, 7, 2), "进口流量");
    EXPECT_EQ(Text(measured, 8, 1), "2.5");
    EXPECT_EQ(Text(measured, 8, 2), "20.0");
    EXPECT_EQ(Text(measured, 9, 2), "L/s");

    CTableData history(world);
    history.m_nShowDataType = TABLE_DIGITAL_HISTORY;
    history.m_nRowLimit = 6;
    history.m_nDataPrecision = 1;
    history.m_nPosition = 3; // three samples from here, no moving back
    history.InitialUpdate();
    EXPECT_EQ(Text(history, 0, 1), "   压力   ");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Text(history, 1 + i, 0), FormatStatusTime(testrun::RunWriter::Time(3 + i), 0));
        EXPECT_EQ(Text(history, 1 + i, 1), std::to_string(3 + i) + ".5");
    }
    EXPECT_EQ(Text(history, 4, 0), "");
}

TEST_F(TableDataTest, BalanceAndCheckModesShowStatesAndColours) {
    world.bBalanceResults = true;
    world.strBalanceTime = "2026-1-2 03:04:05";
    world.channels[0].nZero = kNotBalancedZero;
    world.zeroSet.assign(2, CaseSampleBlock{});
    world.zeroSet[0].fValues[1] = 3.25f;
    world.checkValues.assign(32, -1.0f);
    world.checkValues[1] = 1.0f;
    world.checkValues[2] = 2.0f;
    world.checkValues[3] = 7.5f;
    world.strSelfTestTime = "self";
    struct Case {
        int mode;
        std::vector<std::string> texts; // channels 0..3
        std::string status;
    };
    const Case cases[] = {
        {TABLE_BALANCE_STATE, {"未平衡", "平衡", "平衡", "平衡"}, "平衡时间: 2026-1-2 03:04:05"},
        {TABLE_BALANCE_VALUES, {"未平衡", "3.25", "0.00", "0.00"}, "平衡时间: 2026-1-2 03:04:05"},
        {TABLE_CHECK_RESULTS, {"", "开路", "短路", "7.50"}, "自检时间: self"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        CTableData table(world);
        table.m_nShowDataType = c.mode;
        table.m_nDataPrecision = 2;
        table.InitialUpdate();
        for (int ch = 0; ch < 4; ++ch)
            EXPECT_EQ(Text(table, 1, ch + 1), c.texts[std::size_t(ch)]);
        EXPECT_EQ(table.m_strStatus, c.status);
    }
    CTableData check(world);
    check.m_nShowDataType = TABLE_CHECK_RESULTS;
    check.InitialUpdate();
    EXPECT_EQ(check.m_grid.At(1, 2).foreground, kTableAlarmRed);
    EXPECT_EQ(check.m_grid.At(1, 3).foreground, kTableShortColour);
    world.bBalanceResults = false;
    CTableData noBalance(world);
    noBalance.m_nShowDataType = TABLE_BALANCE_STATE;
    noBalance.InitialUpdate();
    EXPECT_EQ(Text(noBalance, 1, 1), "");
}

TEST_F(TableDataTest, CtrlClickMarksChannelsAndWholeUnits) {
    world.bSampling = true;
    std::vector<int> published;
    auto table = Table(TABLE_MEASURED);
    table->m_pSelectionOut = &published;
    table->OnGridClick(1, 2);
    EXPECT_TRUE(table->m_SelectedChannels.empty()) << "a click without Ctrl marks nothing";
    table->m_bCtrlDown = true;
    table->OnGridClick(1, 2);
    EXPECT_EQ(published, std::vector<int>{1});
    EXPECT_EQ(table->m_grid.At(1, 2).background, kTableMarkGreen);
    table->OnGridClick(2, 0); // the whole of unit 1
    ASSERT_EQ(published.size(), 17u);
    EXPECT_EQ(published.front(), 1);
    EXPECT_EQ(published.back(), 31);
    table->OnGridClick(2, 0);
    EXPECT_EQ(published, std::vector<int>{1});
    EXPECT_EQ(table->m_grid.At(2, 5).background, kTableWhite);
    table->OnGridClick(1, 2);
    EXPECT_TRUE(published.empty());
}

TEST_F(TableDataTest, PagingByUnitShowsTheChosenUnitWithTabs) {
    world.bPageByUnit = true;
    auto table = Table(TABLE_MEASURED);
    table->m_nSelCaseID = 1;
    table->RebuildGrid();
    table->UpdateStatusText("", "");
    EXPECT_EQ(table->m_grid.Rows(), 2);
    EXPECT_EQ(Text(*table, 1, 0), FormatModuleName(1));
    EXPECT_TRUE(table->m_bShowBottomTabs);
    EXPECT_EQ(table->m_bottomTabs, (std::vector<std::string>{FormatModuleName(0), FormatModuleName(1)}));
    EXPECT_EQ(table->m_nBottomTabSelected, 1);
    table->OnTabSelected(false, 0);
    EXPECT_EQ(table->m_nSelCaseID, 0);
    EXPECT_EQ(Text(*table, 1, 0), FormatModuleName(0));
    table->OnTabSelected(false, 7); // outside the list: ignored
    EXPECT_EQ(table->m_nSelCaseID, 0);

    world.bPageByUnit = false;
    world.bPageByController = true;
    world.controllers = {{"192.168.0.2", 0, {0}}, {"192.168.0.3", 1, {1}}};
    table->RebuildGrid();
    table->UpdateStatusText("", "");
    EXPECT_EQ(table->m_bottomTabs, (std::vector<std::string>{"192.168.0.2*1", "192.168.0.3*2"}));
    table->OnTabSelected(false, 1);
    EXPECT_EQ(table->m_nSelCaseID, 1);
    EXPECT_EQ(Text(*table, 1, 0), FormatModuleName(1));
}

TEST_F(TableDataTest, CommandsFollowModeAndRun) {
    CTableData table(world);
    const struct {
        int mode;
        bool sampling;
        bool save, batch, deleteData;
    } cases[] = {
        {TABLE_MEASURED, false, true, true, true},         {TABLE_MEASURED, true, false, true, true},
        {TABLE_BALANCE_STATE, false, false, false, false}, {TABLE_HISTORY, false, true, true, false},
        {TABLE_CHECK_RESULTS, false, false, false, false}, {TABLE_RESIDUAL_STRESS, false, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        world.bSampling = c.sampling;
        table.m_nShowDataType = c.mode;
        for (int id : {ID_TABLE_SAVE_TEXT, ID_TABLE_SAVE_EXCEL, ID_TABLE_SAVE_MATLAB})
            EXPECT_EQ(table.IsCommandEnabled(id), c.save);
        EXPECT_EQ(table.IsCommandEnabled(32802), c.batch);
        EXPECT_EQ(table.IsCommandEnabled(32853), c.deleteData);
        EXPECT_TRUE(table.IsCommandEnabled(ID_TABLE_PROPERTIES));
    }
    table.m_nShowDataType = TABLE_HISTORY;
    EXPECT_TRUE(table.IsCommandChecked(ID_TABLE_SHOW_HISTORY));
    EXPECT_FALSE(table.IsCommandChecked(ID_TABLE_SHOW_MEASURED));
}

TEST_F(TableDataTest, LayoutKeysRoundTripAndADamagedModeFallsBack) {
    const std::string file = dir.Path() + "/views.LYT";
    CTableData saved(world);
    saved.m_nShowDataType = TABLE_HISTORY;
    saved.m_nDataPrecision = 3;
    saved.m_bShowDescrib = true;
    saved.m_nSelCaseID = 1;
    saved.m_bShowUnit = true;
    saved.SaveSettings(file, 2);
    EXPECT_EQ(platform::GetPrivateProfileString("TableView2", "m_nShowDataType", "", file), "4");
    CTableData loaded(world);
    loaded.LoadSettings(file, 2);
    EXPECT_EQ(loaded.m_nShowDataType, TABLE_HISTORY);
    EXPECT_EQ(loaded.m_nDataPrecision, 3);
    EXPECT_TRUE(loaded.m_bShowDescrib);
    EXPECT_TRUE(loaded.m_bShowUnit);
    EXPECT_EQ(loaded.m_nSelFirstChannel, 16);
    platform::WritePrivateProfileString("TableView2", "m_nShowDataType", "12", file);
    loaded.LoadSettings(file, 2);
    EXPECT_EQ(loaded.m_nShowDataType, TABLE_MEASURED);
    CTableData defaults(world);
    defaults.LoadSettings(file, 9);
    EXPECT_EQ(defaults.m_nShowDataType, TABLE_MEASURED);
    EXPECT_EQ(defaults.m_nSelCaseID, 0);
}

} // namespace
