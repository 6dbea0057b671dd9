// The data window of a document: the movement commands and their states,
// the layout keys and the window title.
#include <gtest/gtest.h>

#include "datafiles/SampleFileFormat.h"
#include "model/ChannelModelTestSupport.h"
#include "model/ProjectState.h"
#include "project/ProjectDocument.h"

#include <fstream>

namespace {

class FakeHost : public IDocumentHost {
public:
    int GetProjectState() const override { return state; }
    int GetTotalDataCount() const override { return total; }
    std::string GetProjectName() const override { return "P1"; }
    std::string GetDocumentLayoutFile() const override { return layout; }
    bool IsOpeningViewWindow() const override { return opening; }
    int GetAnalysisBlockSize() const override { return 256; }
    bool IsRunActive() const override { return running; }
    void ShowDataCountInStatusBar(int, int count, int, bool) override { shownCount = count; }
    void ToggleDataLocateBar() override { ++locateToggles; }
    bool DeleteStoredSample(int) override { return false; }
    std::string GetProjectFilePath(const std::string& suffix) const override { return base + suffix; }
    void LocateOtherViews(const CQV7411N_NewFrameDoc*, int position) override { located = position; }
    void SyncViewsToSample(int sample) override { synced = sample; }
    void RefreshAllViews() override { ++refreshes; }

    int state = 2;
    int total = 100;
    std::string layout;
    bool opening = true;
    bool running = false;
    int shownCount = -1;
    int locateToggles = 0;
    std::string base;
    int located = -1;
    int synced = -1;
    int refreshes = 0;
};

class FakeView : public IDocumentView {
public:
    void ReloadDataWindow() override { ++reloads; }
    void ZoomDistribution(bool zoomIn) override { zooms += zoomIn ? 1 : -1; }
    void RestoreDefaultWindow() override {}
    void OpenPropertySheet() override {}
    void OpenDataCorrection() override {}
    std::vector<TitleSignal> GetTitleSignals() const override { return signals; }
    void SetTitle(const std::string& t) override { title = t; }

    int reloads = 0;
    int zooms = 0;
    std::vector<TitleSignal> signals;
    std::string title;
};

struct WindowCase {
    const char* name;
    int viewType;
    int showGraphType;
    int left, wanted, actual;
    int command;
    bool enabled;
    int newLeft, newWanted, newActual;
};

TEST(ProjectDocumentTest, MovementCommandsOnAStoredWindowOfOneHundredSamples) {
    const WindowCase cases[] = {
        {"next block stops at the end", VIEW_TYPE_HISTORY, 1, 90, 20, 10, ID_DATA_NEXT_BLOCK, false, 90, 20,
         10},
        {"previous block", VIEW_TYPE_HISTORY, 1, 90, 20, 10, ID_DATA_PREV_BLOCK, true, 70, 20, 20},
        {"previous block from 5", VIEW_TYPE_CURVE, 1, 5, 20, 20, ID_DATA_PREV_BLOCK, true, 0, 20, 20},
        {"next block", VIEW_TYPE_HISTORY, 1, 50, 20, 20, ID_DATA_NEXT_BLOCK, true, 70, 20, 20},
        {"distribution keeps actual", VIEW_TYPE_CURVE, 3, 50, 20, 7, ID_DATA_NEXT_BLOCK, true, 70, 20, 7},
        {"next block not for tables", VIEW_TYPE_TABLE, 2, 50, 20, 20, ID_DATA_NEXT_BLOCK, false, 50, 20, 20},
        {"previous batch grows at the end", VIEW_TYPE_HISTORY, 1, 90, 20, 10, ID_DATA_PREV_BATCH, true, 89,
         20, 11},
        {"next batch shrinks at the end", VIEW_TYPE_HISTORY, 1, 90, 20, 10, ID_DATA_NEXT_BATCH, true, 91, 20,
         9},
        {"next batch needs two", VIEW_TYPE_BAR, 1, 90, 20, 1, ID_DATA_NEXT_BATCH, false, 90, 20, 1},
        {"table next batch", VIEW_TYPE_TABLE, 2, 90, 20, 1, ID_DATA_NEXT_BATCH, true, 91, 20, 1},
        {"first", VIEW_TYPE_CURVE, 1, 40, 20, 3, ID_DATA_FIRST, true, 0, 20, 20},
        {"last", VIEW_TYPE_HISTORY, 1, 40, 20, 20, ID_DATA_LAST, true, 99, 20, 1},
        {"zoom in stops at two", VIEW_TYPE_HISTORY, 1, 0, 3, 3, ID_ZOOM_IN_X, true, 0, 2, 2},
        {"zoom in needs three", VIEW_TYPE_HISTORY, 1, 0, 2, 2, ID_ZOOM_IN_X, false, 0, 2, 2},
        {"zoom out clamps to total", VIEW_TYPE_HISTORY, 1, 60, 30, 30, ID_ZOOM_OUT_X, true, 60, 60, 40},
        {"more XY data", VIEW_TYPE_CURVE, 2, 10, 20, 20, ID_XY_MORE_DATA, true, 10, 40, 40},
        {"less XY data", VIEW_TYPE_CURVE, 2, 10, 3, 3, ID_XY_LESS_DATA, true, 10, 2, 2},
        {"XY data only for kind 2", VIEW_TYPE_CURVE, 1, 10, 20, 20, ID_XY_MORE_DATA, false, 10, 20, 20},
    };
    for (const WindowCase& c : cases) {
        FakeHost host;
        FakeView view;
        CQV7411N_NewFrameDoc doc(&host, c.viewType, &view);
        doc.OnOpenDocument("/p/P1.dap");
        doc.m_nShowGraphType = c.showGraphType;
        doc.m_nScreenDataLeft = c.left;
        doc.m_nScreenDataCount = c.wanted;
        doc.m_nNowDataCount = c.actual;
        EXPECT_EQ(doc.OnCommand(c.command), c.enabled) << c.name;
        EXPECT_EQ(doc.m_nScreenDataLeft, c.newLeft) << c.name;
        EXPECT_EQ(doc.m_nScreenDataCount, c.newWanted) << c.name;
        EXPECT_EQ(doc.m_nNowDataCount, c.newActual) << c.name;
    }
}

TEST(ProjectDocumentTest, RunsAndLiveDataDisableTheMovementCommands) {
    FakeHost host;
    FakeView view;
    CQV7411N_NewFrameDoc doc(&host, VIEW_TYPE_HISTORY, &view);
    doc.OnOpenDocument("/p/P1.dap");
    doc.m_nScreenDataLeft = 10;
    doc.m_nScreenDataCount = 20;
    doc.m_nNowDataCount = 20;
    EXPECT_TRUE(doc.IsCommandEnabled(ID_DATA_PREV_BATCH));
    host.running = true;
    for (int id : {ID_DATA_PREV_BATCH, ID_DATA_NEXT_BATCH, ID_DATA_NEXT_BLOCK, ID_DATA_LOCATE, ID_ZOOM_IN_X,
                   ID_DELETE_CURRENT_DATA}) {
        EXPECT_FALSE(doc.IsCommandEnabled(id)) << id;
    }
    EXPECT_TRUE(doc.IsCommandEnabled(ID_GRAPH_PROPERTIES));
    host.running = false;
    doc.SetStoredData(false);
    EXPECT_FALSE(doc.IsCommandEnabled(ID_DATA_PREV_BATCH));
    EXPECT_FALSE(doc.OnCommand(ID_DATA_LOCATE));
    EXPECT_EQ(host.locateToggles, 0);
}

TEST(ProjectDocumentTest, OpeningByCommandTakesTheProjectTotalAndCutsTheWindow) {
    FakeHost host;
    FakeView view;
    CQV7411N_NewFrameDoc stored(&host, VIEW_TYPE_TABLE, &view);
    stored.OnOpenDocument("/p/P1.dap");
    EXPECT_TRUE(stored.IsStoredData());
    EXPECT_EQ(stored.GetTotal(), 100);
    EXPECT_EQ(stored.m_nNowDataCount, 100);
    EXPECT_EQ(stored.GetSpectralLines(), 101);

    host.state = 1;
    CQV7411N_NewFrameDoc live(&host, VIEW_TYPE_TABLE, &view);
    live.OnOpenDocument("");
    EXPECT_FALSE(live.IsStoredData());
    EXPECT_EQ(live.GetTotal(), 256);
}

TEST(ProjectDocumentTest, LayoutWindowIsSavedPerKindAndClampedWhenLoaded) {
    ScratchFolder folder;
    FakeHost host;
    host.layout = folder.File("P1.LYT");
    host.total = 300;
    FakeView view;
    CQV7411N_NewFrameDoc doc(&host, VIEW_TYPE_CURVE, &view);
    doc.OnOpenDocument("/p/P1.dap");
    doc.m_nShowGraphType = 3;
    doc.m_nScreenDataLeft = 500;
    doc.m_nScreenDataCount = 64;
    doc.m_nNowDataCount = 64;
    doc.SaveViewState(host.layout, 1);
    EXPECT_EQ(platform::GetPrivateProfileInt("RealView1", "m_nScreenDataLeft", -1, host.layout), 500);

    host.opening = false;
    CQV7411N_NewFrameDoc reopened(&host, VIEW_TYPE_CURVE, &view);
    reopened.OnOpenDocument("/p/P1.dap", 1);
    EXPECT_EQ(reopened.m_nShowGraphType, 3);
    EXPECT_EQ(reopened.m_nScreenDataLeft, 299);
    EXPECT_EQ(reopened.m_nScreenDataCount, 64);
    EXPECT_EQ(reopened.m_nNowDataCount, 1);

    CQV7411N_NewFrameDoc fresh(&host, VIEW_TYPE_BAR, &view);
    fresh.OnOpenDocument("/p/P1.dap", 0);
    EXPECT_EQ(fresh.m_nShowGraphType, 1);
    EXPECT_EQ(fresh.m_nScreenDataLeft, 0);
    EXPECT_EQ(fresh.m_nScreenDataCount, 256);
    EXPECT_EQ(fresh.m_nNowDataCount, 256);
}

TEST(ProjectDocumentTest, StoredRecordsOfTheFirstSampleAndTheirTimes) {
    ResetChannelModel();
    g_bPerCaseFiles = 0;
    SetOnlineCases({0, 2});
    ScratchFolder folder;
    FakeHost host;
    host.base = folder.File("P1");
    host.total = 2;
    FakeView view;
    // Two samples of the two online units, and their status records.
    CaseSampleBlock frames[2][2];
    for (int sample = 0; sample < 2; ++sample) {
        for (int slot = 0; slot < 2; ++slot) {
            frames[sample][slot].nHeader = slot * 2;
            std::fill(std::begin(frames[sample][slot].fValues), std::end(frames[sample][slot].fValues),
                      100.0f * (sample + 1) + slot);
        }
    }
    std::ofstream(host.base + ".dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(frames), sizeof(frames));
    SampleStatusRecord status[2] = {{45658.5, 0, "a"}, {45658.75, 0, "b"}};
    std::ofstream(host.base + ".stu", std::ios::binary)
        .write(reinterpret_cast<const char*>(status), sizeof(status));
    const char result[64] = "first result record.............second result record";
    std::ofstream(host.base + ".dst", std::ios::binary).write(result, 64);

    CQV7411N_NewFrameDoc doc(&host, VIEW_TYPE_TABLE, &view);
    doc.OnOpenDocument(host.base + ".dap");
    doc.m_nScreenDataLeft = 1;
    std::vector<CaseSampleBlock> values(MAX_CASE_COUNT);
    ASSERT_TRUE(doc.ReadCurrentRecord(1, values.data()));
    EXPECT_EQ(values[0].nHeader, 0);
    EXPECT_EQ(values[1].nHeader, -1);
    EXPECT_EQ(values[2].nHeader, 2);
    EXPECT_FLOAT_EQ(values[2].fValues[5], static_cast<float>(ConvertBlockChannelValue(37, frames[1][1])));
    char record[32] = {};
    ASSERT_TRUE(doc.ReadCurrentRecord(2, record));
    EXPECT_EQ(std::string(record, 6), "second");
    EXPECT_EQ(doc.GetCurrentSampleTime(), "2025-1-1 18:00:00");

    doc.m_nScreenDataLeft = 2; // beyond the end
    EXPECT_FALSE(doc.ReadCurrentRecord(1, values.data()));
    EXPECT_FALSE(doc.ReadCurrentRecord(2, record));
    EXPECT_EQ(doc.GetCurrentSampleTime(), "");
    EXPECT_EQ(doc.GetClampedSampleTime(), "2025-1-1 18:00:00");
    EXPECT_EQ(CQV7411N_NewFrameDoc::GetSampleTimeText("", 0), "");

    doc.LocateData(0, true);
    EXPECT_EQ(doc.m_nScreenDataLeft, 0);
    EXPECT_EQ(host.located, 0);
    doc.SetStoredData(false);
    EXPECT_EQ(doc.GetCurrentSampleTime(), "");
    EXPECT_FALSE(doc.ReadCurrentRecord(1, values.data()));
    ResetChannelModel();
}

TEST(ProjectDocumentTest, ResultColumnsAndVirtualChannelsOfTheRun) {
    ScratchFolder folder;
    FakeHost host;
    host.base = folder.File("P1");
    FakeView view;
    // Rosette group 2: a 60-byte header, then records of 6 floats.
    std::vector<float> rosette(4 * 6);
    for (std::size_t i = 0; i < rosette.size(); ++i) {
        rosette[i] = static_cast<float>(i);
    }
    std::ofstream file(host.base + "2.sfd", std::ios::binary);
    file.write(std::string(60, '\0').data(), 60);
    file.write(reinterpret_cast<const char*>(rosette.data()),
               static_cast<std::streamsize>(rosette.size() * 4));
    file.close();
    const float virtuals[3] = {1.5f, 2.5f, 3.5f};
    std::ofstream(host.base + "1.vit", std::ios::binary).write(reinterpret_cast<const char*>(virtuals), 12);

    CQV7411N_NewFrameDoc doc(&host, VIEW_TYPE_CURVE, &view);
    doc.OnOpenDocument(host.base + ".dap");
    float column[2] = {};
    ASSERT_TRUE(doc.ReadRosetteColumn(2, 1, 2, 3, column));
    EXPECT_FLOAT_EQ(column[0], 9.0f);
    EXPECT_FLOAT_EQ(column[1], 15.0f);
    EXPECT_FALSE(doc.ReadRosetteColumn(2, 3, 2, 3, column)); // beyond the end
    EXPECT_FALSE(doc.ReadRosetteColumn(2, 0, 1, 6, column)); // no such column
    EXPECT_FALSE(doc.ReadRosetteColumn(1, 0, 1, 0, column)); // no such group
    float record[6] = {};
    doc.m_nScreenDataLeft = 3;
    ASSERT_TRUE(doc.ReadRosetteRecord(2, record));
    EXPECT_FLOAT_EQ(record[5], 23.0f);
    float values[2] = {};
    ASSERT_TRUE(doc.ReadVirtualChannelData(4096, 1, 2, values));
    EXPECT_FLOAT_EQ(values[1], 3.5f);
    EXPECT_FALSE(doc.ReadVirtualChannelData(4096, 2, 3, values));
    EXPECT_FALSE(doc.ReadVirtualChannelData(17, 0, 0, values));
}

TEST(ProjectDocumentTest, CorrectionAndSyncReachTheFrame) {
    ResetChannelModel();
    FakeHost host;
    FakeView view;
    CQV7411N_NewFrameDoc history(&host, VIEW_TYPE_HISTORY, &view);
    g_ChannelParams[5].fCorrectionSlope = 2.0f;
    g_ChannelParams[5].fCorrectionOffset = 1.0f;
    history.ApplyDataCorrection(5, 1.5f, -0.5f);
    EXPECT_FLOAT_EQ(g_ChannelParams[5].fCorrectionSlope, 3.0f);
    // 1.5·(2X + 1) - 0.5: the old offset is scaled too.
    EXPECT_FLOAT_EQ(g_ChannelParams[5].fCorrectionOffset, 1.0f);
    EXPECT_EQ(g_ChannelParams[5].bCorrected, 1);
    EXPECT_EQ(host.refreshes, 1);
    history.ApplyDataCorrection(MAX_CHANNEL_COUNT, 2.0f, 0.0f);
    EXPECT_EQ(host.refreshes, 1);

    history.SyncViewsToSample(7);
    EXPECT_EQ(host.synced, 7);
    host.running = true;
    history.SyncViewsToSample(9);
    EXPECT_EQ(host.synced, 7);
    host.running = false;
    CQV7411N_NewFrameDoc table(&host, VIEW_TYPE_TABLE, &view);
    table.SyncViewsToSample(9);
    EXPECT_EQ(host.synced, 7);
    ResetChannelModel();
}

TEST(ProjectDocumentTest, TitlesByViewKind) {
    FakeHost host;
    host.state = 0;
    FakeView view;
    const struct {
        int viewType;
        int showGraphType;
        bool stored;
        const char* title;
    } cases[] = {
        {VIEW_TYPE_HISTORY, 1, false, "历史曲线"},
        {VIEW_TYPE_HISTORY, 1, true, "[P1]历史曲线"},
        {VIEW_TYPE_TABLE, 7, false, "表格数据"},
        {VIEW_TYPE_TABLE, 8, false, "表格数据_焊接残余应力"},
        {VIEW_TYPE_TABLE, 0, false, "表格数据_平衡状态"},
        {VIEW_TYPE_BAR, 1, false, "棒图"},
        {VIEW_TYPE_CURVE, 3, false, "分布曲线"},
        {9, 1, false, "未知视图类型"},
    };
    for (const auto& c : cases) {
        CQV7411N_NewFrameDoc doc(&host, c.viewType, &view);
        doc.m_nShowGraphType = c.showGraphType;
        doc.SetStoredData(c.stored);
        EXPECT_EQ(doc.BuildTitle(), c.title);
    }
    view.signals = {{TitleSignal::Channel, 17, ""},
                    {TitleSignal::Virtual, 4096, ""},
                    {TitleSignal::Digital, 4225, ""},
                    {TitleSignal::Rosette, 2, "R"}};
    host.state = 1;
    CQV7411N_NewFrameDoc curve(&host, VIEW_TYPE_CURVE, &view);
    EXPECT_EQ(curve.UpdateTitle(), "[P1]实时曲线 01-02-02_虚拟Ch1_数字Ch2应变花组_2:R  ");
    EXPECT_EQ(view.title, curve.BuildTitle());
}

} // namespace
