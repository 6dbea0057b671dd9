// The digital channels through the frame's own commands, with two simulated
// cases: without the digital-interface library the meter feeds a timed run
// and its ".dst" file; with the stand-in, event sampling stores what the
// load-control commands pick, and closing stops and frees the library.
#include "FrameRunFixture.h"
#include "ModalDialogSupport.h"

#include "acquisition/DigitalInterface.h"
#include "acquisition/DigitalParamFile.h"
#include "app/CommandStates.h"
#include "app/DataViews.h"
#include "datafiles/SaveDataOptions.h"
#include "model/AppSettings.h"
#include "panels/channels/DlgDigitalParam.h"
#include "platform/DynamicLibrary.h"
#include "platform/SerialPort.h"
#include "tools/DigitalInterfaceSim.h"
#include "tools/MeterSimulator.h"
#include "views/table/TableData.h"
#include "views/table/TableViewWidget.h"
#include "widgets/MSFlexGrid.h"

#include <QComboBox>
#include <QContextMenuEvent>

#include <array>
#include <chrono>
#include <cstring>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int kDigitalCount = 3;

class FrameDigitalTest : public FrameRunTest {
protected:
    int DigitalUsedSetting() const override { return 1; }
    virtual std::string Library() const { return "DigitalInterface"; }
    void PrepareProgram() override {
        DigitalChannelTable table{};
        for (int i = 0; i < kDigitalCount; ++i) {
            table[static_cast<std::size_t>(i)].nIndex = i;
            std::snprintf(table[static_cast<std::size_t>(i)].szName, 64, "数字量%d", i + 1);
        }
        ASSERT_TRUE(SaveDigitalParamFile(m_scratch.File(DIGITAL_PROGRAM_FILE), kDigitalCount, table));
        std::ofstream(m_scratch.File("CmdBit.ini")) << "[DAStoLCS1]\r\nBit=3\r\n[DAStoLCS2]\r\nBit=1\r\n";
        SetDigitalLibraryName(Library());
        ASSERT_TRUE(m_meter.Start());
        m_meter.SetChannels(kDigitalCount);
        m_meter.SetRate(20);
        platform::SetSerialDevicePath(2, m_meter.SlavePath()); // the digital port's default
    }
    void TearDown() override {
        FrameRunTest::TearDown();
        SetDigitalLibraryName("");
        platform::SetSerialDevicePath(2, "");
        m_meter.Stop();
    }
    void SearchAndPrepare() {
        m_boxes.QueueAnswer(platform::IDYES);
        ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
        ASSERT_EQ(g_nCaseCount, 3);
        UseVoltageConversion();
        ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    }
    // A timed run of `count` sets with the meter's first frames in.
    void StoreMeterRun(int count) {
        ASSERT_TRUE(ProcessEventsUntil([&] { return m_meter.FramesSent() >= 5; }));
        StoreTimedRun(count);
    }
    // Runs 数字量设置 from the 设置 menu with `act` on its dialog.
    void RunDigitalSettings(std::function<void(CDlgDigitalParam&)> act) {
        QAction* item = MenuItem("设置", ID_DIGITAL_SETTINGS);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(item->isEnabled());
        WhenModal<CDlgDigitalParam>(std::move(act));
        item->trigger();
    }
    static std::vector<std::string> NamesOf(int count, const DigitalChannelTable& table) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i)
            names.emplace_back(table[static_cast<std::size_t>(i)].szName);
        return names;
    }
    std::vector<std::string> FileNames(const std::string& path) {
        int count = -1;
        DigitalChannelTable table{};
        EXPECT_TRUE(LoadDigitalParamFile(path, count, table)) << path;
        return NamesOf(count, table);
    }
    std::vector<std::string> ChannelNames() {
        return NamesOf(m_frame->GetSampling().GetDigitalCount(), m_frame->GetSampling().GetDigitalTable());
    }
    std::vector<std::array<float, 8>> ReadDigitalFile() {
        std::ifstream file(m_scratch.File("Projects/Run/Run.dst"), std::ios::binary);
        std::vector<std::array<float, 8>> records;
        std::array<float, 8> record{};
        while (file.read(reinterpret_cast<char*>(record.data()), sizeof record))
            records.push_back(record);
        return records;
    }

    // A block the merge queued carries its unit number as header and the
    // converted readings of one sample of the simulator.
    static void ExpectQueuedBlock(const CaseSampleBlock& block, int unit) {
        ASSERT_EQ(block.nHeader, unit);
        const auto raw0 = static_cast<std::int32_t>(block.fValues[0] / kScale + static_cast<float>(kZero));
        const std::int64_t n = CCaseSimulator::SampleIndexOf(raw0);
        for (int ch = 0; ch < 16; ++ch) {
            const auto raw = static_cast<float>(CCaseSimulator::Value(unit / 8, unit % 8, ch, n));
            ASSERT_EQ(block.fValues[ch], (raw - static_cast<float>(kZero)) * kScale) << "channel " << ch;
        }
    }

    CMeterSimulator m_meter;
};

// A library whose batch function is missing counts as absent.
class FrameDigitalMeterTest : public FrameDigitalTest {
protected:
    std::string Library() const override { return "DigitalInterfaceNoBatch"; }
};

TEST_F(FrameDigitalMeterTest, WithoutTheLibraryTheMeterFeedsATimedRunAndItsDigitalFile) {
    CSamplingControl& sampling = m_frame->GetSampling();
    EXPECT_FALSE(sampling.IsDigitalLibraryLoaded());
    ASSERT_NE(sampling.GetDigitalMeter(), nullptr);
    EXPECT_TRUE(sampling.GetDigitalMeter()->IsOpen());
    EXPECT_EQ(sampling.GetDigitalCount(), kDigitalCount);
    EXPECT_FALSE(m_frame->QueryCommandState(ID_DIGITAL_CHANNEL_SETTINGS).m_bEnabled);

    SearchAndPrepare();
    StoreMeterRun(3);

    EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, 3);
    const auto records = ReadDigitalFile();
    ASSERT_EQ(records.size(), 3u);
    for (const auto& r : records) {
        EXPECT_GE(r[0], 1.0f); // the meter's rule: channel c is c + 1 + a common step
        EXPECT_EQ(r[1], r[0] + 1.0f);
        EXPECT_EQ(r[2], r[0] + 2.0f);
        for (int d = kDigitalCount; d < 8; ++d)
            EXPECT_EQ(r[static_cast<std::size_t>(d)], 0.0f);
    }
}

// 数字量设置 edits the channel table and the meter's port: the program
// folder's file always, the project's while one is open, and a port that
// does not open is reported.
TEST_F(FrameDigitalMeterTest, TheDigitalSettingsDialogEditsTheChannelsAndTheMetersPort) {
    std::vector<std::string> shown;
    const std::size_t boxes = m_boxes.Records().size();
    RunDigitalSettings([&](CDlgDigitalParam& dialog) {
        for (int r = 1; r < dialog.GetGrid()->GetRows(); ++r)
            shown.push_back(dialog.GetGrid()->GetTextMatrix(r, 2));
        Click(dialog, 1404);
        Control<QComboBox>(dialog, 1407)->setCurrentIndex(3); // 9600
        Click(dialog, 1);
    });
    EXPECT_EQ(shown, (std::vector<std::string>{"数字量1", "数字量2", "数字量3"}));
    const std::vector<std::string> four = {"数字量1", "数字量2", "数字量3", "数字量4"};
    EXPECT_EQ(ChannelNames(), four);
    EXPECT_EQ(FileNames(m_scratch.File(DIGITAL_PROGRAM_FILE)), four);
    CDigitalMeterPort* meter = m_frame->GetSampling().GetDigitalMeter();
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->GetBaud(), 9600);
    EXPECT_TRUE(meter->IsOpen()) << "reopened on the same port";
    EXPECT_EQ(m_boxes.Records().size(), boxes);

    // A port without a device: the reader stays closed and the user is told.
    platform::SetSerialDevicePath(5, m_scratch.File("no-such-port"));
    RunDigitalSettings([](CDlgDigitalParam& dialog) {
        Control<QComboBox>(dialog, 1022)->setCurrentIndex(4);
        Click(dialog, 1);
    });
    platform::SetSerialDevicePath(5, "");
    ASSERT_EQ(m_boxes.Records().size(), boxes + 1);
    EXPECT_EQ(m_boxes.Records().back().text, "打开串口失败，请重新设置。");
    EXPECT_FALSE(meter->IsOpen());
    EXPECT_EQ(meter->GetPort(), 5);
}

TEST_F(FrameDigitalMeterTest, AProjectKeepsItsOwnDigitalSettings) {
    SearchAndPrepare();
    const std::string projectFile = m_scratch.File("Projects/Run/Run.dsi");
    RunDigitalSettings([](CDlgDigitalParam& dialog) {
        dialog.GetGrid()->SelectRange(2, 2, 2, 2);
        Click(dialog, 1406);
        Click(dialog, 1);
    });
    const std::vector<std::string> kept = {"数字量1", "数字量3"};
    EXPECT_EQ(FileNames(projectFile), kept);
    EXPECT_EQ(FileNames(m_scratch.File(DIGITAL_PROGRAM_FILE)), kept);

    // Without a project the program folder's table changes alone.
    m_frame->GetProjectHandler().CloseProject();
    RunDigitalSettings([](CDlgDigitalParam& dialog) {
        Click(dialog, 1404);
        Click(dialog, 1404);
        Click(dialog, 1);
    });
    EXPECT_EQ(ChannelNames(), (std::vector<std::string>{"数字量1", "数字量3", "数字量3", "数字量4"}));
    EXPECT_EQ(FileNames(projectFile), kept);

    // Opening the project brings its own table back; an opened project's
    // settings are not edited.
    m_app->GetProjectFileDialog().SetChooser(
        [&](bool, const std::string&, const std::string&) { return m_scratch.File("Projects/Run/Run.dap"); });
    m_app->OnFileOpenProject();
    ASSERT_EQ(m_frame->GetProjectState().m_nProjectState, PROJECT_OPENED);
    EXPECT_EQ(ChannelNames(), kept);
    EXPECT_FALSE(m_frame->QueryCommandState(ID_DIGITAL_SETTINGS).m_bEnabled);
}

// The table view's context menu switches to the digital history, which lists
// the run's digital file; the File menu's save-as exports it.
TEST_F(FrameDigitalMeterTest, TheTableShowsAndExportsTheRunsDigitalHistory) {
    SearchAndPrepare();
    StoreMeterRun(3);
    const auto records = ReadDigitalFile();
    ASSERT_EQ(records.size(), 3u);
    CTableView* view = m_frame->GetActiveTableView();
    ASSERT_NE(view, nullptr);
    CTableViewWidget& table = *view->GetTable();

    QTimer::singleShot(50, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions())
            if (action->text() == QString::fromUtf8("数字量历史数据(&D)"))
                action->trigger();
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), table.mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(&table, &event);
    const CTableData& data = table.Data();
    ASSERT_EQ(data.m_nShowDataType, TABLE_DIGITAL_HISTORY);
    ASSERT_LT(data.m_nPosition, 3);
    const int first = data.HeadingRows();
    for (int i = 0; i + data.m_nPosition < 3; ++i) {
        const auto& record = records[static_cast<std::size_t>(data.m_nPosition + i)];
        EXPECT_FALSE(data.m_grid.At(first + i, 0).text.empty()) << "the sample's time";
        for (int d = 0; d < kDigitalCount; ++d)
            EXPECT_EQ(data.m_grid.At(first + i, d + 1).text,
                      data.FormatDefault(record[static_cast<std::size_t>(d)]))
                << "row " << i << " channel " << d;
    }

    table.runSaveOptionsDialog = [](const TableSavePreset& preset, TableSaveKind, SaveDataOptions& options) {
        options = SaveDataOptions{};
        options.nFileLayout = 1;
        options.bDescription = 1;
        for (const int id : preset.items)
            options.nDigitalChannels[options.nDigitalCount++] = id;
        return true;
    };
    const std::string exported = m_scratch.File("digital.txt");
    m_frame->SetFileChooser(
        [&](bool save, const std::string&, const std::string&, const std::string&, std::string& path) {
            path = exported;
            return save;
        });
    QAction* saveText = MenuItem("文件", ID_TABLE_SAVE_TEXT);
    ASSERT_NE(saveText, nullptr);
    saveText->trigger();
    const std::vector<std::string> lines = GbkLines(exported);
    ASSERT_EQ(lines.size(), 2u + 3u) << "two heading lines and the three stored samples";
    EXPECT_NE(lines[1].find("数字量2"), std::string::npos) << "the names under the headings: " << lines[1];
    for (std::size_t i = 0; i < 3; ++i) {
        std::istringstream row(lines[2 + i]);
        std::vector<std::string> cells;
        for (std::string cell; std::getline(row, cell, '\t');)
            cells.push_back(cell);
        ASSERT_EQ(cells.size(), std::size_t(kDigitalCount)) << lines[2 + i];
        for (int d = 0; d < kDigitalCount; ++d)
            EXPECT_NEAR(std::stof(cells[std::size_t(d)]), records[i][std::size_t(d)], 0.5f)
                << "the table's decimals; " << lines[2 + i];
    }
}

class FrameDigitalLibraryTest : public FrameDigitalTest {
protected:
    void SetUp() override {
        FrameDigitalTest::SetUp();
        ASSERT_TRUE(m_standIn.Load(platform::SharedLibraryFileName("DigitalInterface")));
        setOrigin = m_standIn.Function<decltype(&DigitalSimSetTimeOrigin)>("DigitalSimSetTimeOrigin");
        stamp = m_standIn.Function<decltype(&DigitalSimStamp)>("DigitalSimStamp");
        value = m_standIn.Function<decltype(&DigitalSimValue)>("DigitalSimValue");
        fetched = m_standIn.Function<decltype(&DigitalSimBatchSamples)>("DigitalSimBatchSamples");
        order = m_standIn.Function<decltype(&DigitalSimOrderCommand)>("DigitalSimOrderCommand");
        calls = m_standIn.Function<decltype(&DigitalSimCallCount)>("DigitalSimCallCount");
        actions = m_standIn.Function<decltype(&DigitalSimActions)>("DigitalSimActions");
        newChannels = m_standIn.Function<decltype(&DigitalSimSetNewChannels)>("DigitalSimSetNewChannels");
        ASSERT_TRUE(setOrigin && stamp && value && fetched && order && calls && actions && newChannels);
    }

    // Starts an event run, lines the stand-in's clock up with the run's
    // first stamp, and orders the command for a sample shortly ahead.
    std::int64_t StartEventRunAndOrder(int code) {
        SearchAndPrepare();
        SetRunSettings(SAMPLE_MODE_EVENT, 1, 0);
        EXPECT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
        CSamplingControl& sampling = m_frame->GetSampling();
        EXPECT_TRUE(
            ProcessEventsUntil([&] { return fetched() >= 20 && sampling.GetDigitalFirstTime() != 0.0; }));
        setOrigin(sampling.GetDigitalFirstTime());
        const std::int64_t k = fetched() + 30;
        std::uint32_t w1 = 0, w2 = 0;
        stamp(k, &w1, &w2);
        m_nActionsBefore = ActionCount();
        EXPECT_EQ(order(code, w1, w2), 1);
        return k;
    }
    int ActionCount() {
        std::uint32_t mask = 0;
        std::int64_t ms = 0;
        return actions(&mask, &ms, 0);
    }
    // The load-control actions since the command, mask and time.
    std::vector<std::pair<std::uint32_t, std::int64_t>> NewActions() {
        std::vector<std::uint32_t> masks(256);
        std::vector<std::int64_t> ms(256);
        const int n = std::min(actions(masks.data(), ms.data(), 256), 256);
        std::vector<std::pair<std::uint32_t, std::int64_t>> out;
        for (int i = m_nActionsBefore; i < n; ++i)
            out.push_back({masks[static_cast<std::size_t>(i)], ms[static_cast<std::size_t>(i)]});
        return out;
    }
    std::vector<CaseSampleBlock> UnitBlocks(int unit) {
        return ReadBlocks(m_scratch.File("Projects/Run/Run_" + std::to_string(unit) + ".dat"));
    }

    platform::DynamicLibrary m_standIn; // keeps the stand-in's state across the frame's unload
    decltype(&DigitalSimSetTimeOrigin) setOrigin = nullptr;
    decltype(&DigitalSimStamp) stamp = nullptr;
    decltype(&DigitalSimValue) value = nullptr;
    decltype(&DigitalSimBatchSamples) fetched = nullptr;
    decltype(&DigitalSimOrderCommand) order = nullptr;
    decltype(&DigitalSimCallCount) calls = nullptr;
    decltype(&DigitalSimActions) actions = nullptr;
    decltype(&DigitalSimSetNewChannels) newChannels = nullptr;
    int m_nActionsBefore = 0;
};

TEST_F(FrameDigitalLibraryTest, AnEventCommandStoresExactlyItsSetAndPulsesTheCommandBits) {
    CSamplingControl& sampling = m_frame->GetSampling();
    ASSERT_TRUE(sampling.IsDigitalLibraryLoaded());
    EXPECT_EQ(sampling.GetDigitalMeter(), nullptr);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_DIGITAL_CHANNEL_SETTINGS).m_bEnabled);

    const std::int64_t k = StartEventRunAndOrder(1);
    ASSERT_TRUE(ProcessEventsUntil([&] { return sampling.m_nRunStoredCount.load() == 1; }));
    // Bit 3: masks 4, then 8 two seconds later, then 0 half a second after.
    ASSERT_TRUE(ProcessEventsUntil([&] { return NewActions().size() >= 3; }, 6000));
    ProcessEventsUntil([] { return false; }, 300);
    const auto pulses = NewActions();
    ASSERT_EQ(pulses.size(), 3u);
    EXPECT_EQ(pulses[0].first, 4u);
    EXPECT_EQ(pulses[1].first, 8u);
    EXPECT_EQ(pulses[2].first, 0u);
    EXPECT_GE(pulses[1].second - pulses[0].second, 1950);
    EXPECT_GE(pulses[2].second - pulses[1].second, 450);
    EXPECT_EQ(sampling.m_nRunStoredCount.load(), 1) << "one event, one set";

    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());
    for (const int unit : kUnits) {
        const auto blocks = UnitBlocks(unit);
        ASSERT_EQ(blocks.size(), 1u) << "unit " << unit;
        ExpectQueuedBlock(blocks[0], unit);
        EXPECT_EQ(platform::FileSize(m_scratch.File("Projects/Run/Run_" + std::to_string(unit) + ".stu")),
                  32);
    }
    const auto records = ReadDigitalFile();
    ASSERT_EQ(records.size(), 1u);
    for (int d = 0; d < 8; ++d)
        EXPECT_EQ(records[0][static_cast<std::size_t>(d)], d < kDigitalCount ? value(d, k) : 0.0f) << d;

    // Closing stops the services and frees the library.
    const int stops = calls("StopSensorServer"), frees = calls("FreeDigitalDll");
    m_frame->close();
    EXPECT_EQ(calls("StopSensorServer"), stops + 1);
    EXPECT_EQ(calls("FreeDigitalDll"), frees + 1);
    EXPECT_FALSE(sampling.IsDigitalLibraryLoaded());
}

TEST_F(FrameDigitalLibraryTest, TheChannelSettingsCommandImportsTheChannelToolsFile) {
    // The channel tool made new settings and left them beside the program.
    DigitalChannelTable made{};
    std::strcpy(made[0].szName, "油缸力");
    std::strcpy(made[1].szName, "位移");
    const std::string import = m_scratch.File(DIGITAL_IMPORT_FILE);
    ASSERT_TRUE(SaveDigitalParamFile(import, 2, made));
    newChannels(1);
    const int stops = calls("StopLoadControlSystem"), starts = calls("StartSensorServer");
    ASSERT_TRUE(m_frame->RunCommand(ID_DIGITAL_CHANNEL_SETTINGS));
    newChannels(0);
    CSamplingControl& sampling = m_frame->GetSampling();
    EXPECT_EQ(sampling.GetDigitalCount(), 2);
    EXPECT_STREQ(sampling.GetDigitalTable()[0].szName, "油缸力");
    EXPECT_FALSE(platform::FileExists(import)) << "the import file is used once";
    int count = 0;
    DigitalChannelTable saved{};
    ASSERT_TRUE(LoadDigitalParamFile(m_scratch.File(DIGITAL_PROGRAM_FILE), count, saved));
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(saved[1].szName, "位移");
    EXPECT_EQ(calls("StopLoadControlSystem"), stops + 1);
    EXPECT_EQ(calls("StartSensorServer"), starts + 1);
}

TEST_F(FrameDigitalLibraryTest, AContinuousCommandStoresBatchesAndStopLosesNothing) {
    CSamplingControl& sampling = m_frame->GetSampling();
    const std::int64_t k = StartEventRunAndOrder(2);
    // Bit 1: the mask 2^0 + 2^1 at once; batches of f x 3 = 300 sets.
    ASSERT_TRUE(ProcessEventsUntil([&] { return sampling.m_nRunStoredCount.load() >= 300; }, 15000));
    EXPECT_EQ(sampling.m_nRunStoredCount.load() % 300, 0);
    ASSERT_FALSE(NewActions().empty());
    EXPECT_EQ(NewActions()[0].first, 3u);

    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2)) << "stop returns at once";
    ASSERT_TRUE(WaitRunCompleted());

    // Every set from the command's sample to the end is stored, the last
    // ones after the stop.
    const auto stored = static_cast<std::size_t>(sampling.m_nRunStoredCount.load());
    EXPECT_EQ(static_cast<std::int64_t>(stored), fetched() - k);
    for (const int unit : kUnits) {
        const auto blocks = UnitBlocks(unit);
        ASSERT_EQ(blocks.size(), stored) << "unit " << unit;
        ExpectQueuedBlock(blocks.front(), unit);
        ExpectQueuedBlock(blocks.back(), unit);
    }
    const auto records = ReadDigitalFile();
    ASSERT_EQ(records.size(), stored);
    EXPECT_EQ(records.front()[0], value(0, k));
    EXPECT_EQ(records.back()[1], value(1, k + static_cast<std::int64_t>(stored) - 1));
}

} // namespace
