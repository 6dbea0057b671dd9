// The curve view window offscreen over stored runs of both arrangements:
// curve pixels sit where the series mapping puts them, markers leave gaps,
// and the view's commands reach the model from its context menu.
#include "views/ViewsTestSupport.h"

#include "datafiles/DataFileAccess.h"
#include "datafiles/ExportContext.h"
#include "datafiles/ExportTestSupport.h"
#include "model/ChannelNaming.h"
#include "model/NumberTexts.h"
#include "model/RunFlags.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "views/curve/ChannelPanelLayout.h"
#include "views/curve/CursorEditDlg.h"
#include "views/curve/CurveViewWidget.h"
#include "views/curve/DlgPlotSignalSelect.h"
#include "views/shared/GraphPaintTools.h"
#include "views/shared/LiveViewFeed.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

namespace {

struct Arrangement {
    bool perCase;
    const char* name;
};

class CurveViewWidgetTest : public ::testing::TestWithParam<Arrangement> {
protected:
    void SetUp() override {
        EnsureViewsTestApp();
        testrun::RunSpec spec{dir.Path(), "run", {0, 1}, 300, GetParam().perCase};
        // Channel 1 holds the no-value marker at sample 50.
        spec.overrides[{0, 50}] = {{1, kNoValue}};
        writer = std::make_unique<testrun::RunWriter>(spec);
        writer->Write();
        world = viewtest::StoredCurveWorld(*writer, channels, 300);
        view.reset(CCurveViewWidget::Create());
        ASSERT_NE(view, nullptr);
        view->fillWorld = [this](CurveWorld& w) { w = world; };
        view->resize(640, 420);
    }

    // Shows channels in time mode over samples first .. first + 255.
    void ShowStored(std::vector<int> ids, int first) {
        CCurveViewModel& m = view->Model();
        CurveSignalChoice choice;
        choice.ids = std::move(ids);
        view->RefreshWorld();
        m.ApplySignalChoice(choice, world);
        m.m_Options.m_nScareType = 0;
        m.m_fltOldCoordYMax = 700.0f;
        m.m_fltOldCoordYMin = 400.0f;
        view->SyncWithDocument(first, 256, 256, true);
        ASSERT_TRUE(view->LoadCurveData());
    }

    // The enabled item of the view's context menu, as a click would.
    bool TriggerContextItem(int id) {
        std::unique_ptr<QMenu> menu(view->BuildContextMenu(nullptr));
        for (QAction* action : menu->actions())
            if (action->data().toInt() == id && action->isEnabled()) {
                action->trigger();
                return true;
            }
        return false;
    }

    testrun::TempDir dir;
    testrun::HalfChannelTable channels;
    std::unique_ptr<testrun::RunWriter> writer;
    CurveWorld world;
    std::unique_ptr<CCurveViewWidget> view;
};

TEST_P(CurveViewWidgetTest, CurvePixelsFollowTheSeriesAndMarkersLeaveGaps) {
    ShowStored({1}, 10);
    const QImage image = view->RenderImage();
    const CCurveViewModel& m = view->Model();
    const CCurveSeries& curve = m.m_Curves.front();
    const QRgb colour = ToQColor(m.m_Options.m_Line[0]).rgb();
    ASSERT_NE(colour, image.pixel(m.GetPlotRect().left + 2, m.GetPlotRect().top + 2));
    for (int i : {0, 10, 39, 120, 255}) {
        const float value = float(testrun::RawValue(0, 1, 10 + i)) * 0.5f;
        ASSERT_FLOAT_EQ(m.PointValue(0, i), value);
        EXPECT_EQ(image.pixel(curve.IndexToX(i), curve.YValueToPixel(value)), colour) << "point " << i;
    }
    // Sample 50 is point 40: its column holds no curve pixel.
    const int gapX = curve.IndexToX(40);
    ASSERT_NE(gapX, curve.IndexToX(39));
    ASSERT_NE(gapX, curve.IndexToX(41));
    for (int y = m.GetPlotRect().top + 1; y < m.GetPlotRect().bottom; ++y)
        EXPECT_NE(image.pixel(gapX, y), colour) << "y " << y;
}

// A live page drawn sample by sample onto the cached picture, the screen
// taking it only now and then, ends as the whole picture painted afresh
// from the same points: in the first page and in the next.
TEST(CurveViewLive, ThePageDrawnSampleBySampleLooksAsPaintedWhole) {
    EnsureViewsTestApp();
    constexpr int kPage = 64;
    CurveWorld world;
    world.measChanList = {0};
    world.channelList = {0};
    world.setPosition[0] = 0;
    world.nCaseCount = 1;
    g_bSampling = 1;
    std::unique_ptr<CCurveViewWidget> view(CCurveViewWidget::Create());
    view->fillWorld = [&world](CurveWorld& w) { w = world; };
    view->resize(640, 420);
    view->RefreshWorld();
    CCurveViewModel& m = view->Model();
    CurveSignalChoice choice;
    choice.ids = {0};
    m.ApplySignalChoice(choice, world);
    m.m_Options.m_nScareType = 0;
    m.m_fltOldCoordYMax = 2.0f;
    m.m_fltOldCoordYMin = -2.0f;
    view->PrepareForSampling(kPage);
    view->show();
    std::vector<float> set(4104, 0.0f);
    for (int a = 1; a <= kPage + 40; ++a) {
        const CurveFeedStep step = CurveFeed(a, kPage, 1, false);
        m.m_nFirstSample = step.nBatchStart;
        m.SetPointCount(step.nPointCount);
        set[0] = float(1.5 * std::sin(a * 0.37) * (a % 5 == 0 ? -0.5 : 1.0));
        view->AppendRealTimeData(1, 0, set.data(), nullptr);
        if (step.bRepaintErase)
            view->Invalidate();
        else if (step.bDraw)
            view->DrawNewPoints(step.nDrawFrom, step.nDrawTo);
        if (a % 3 == 0)
            QApplication::processEvents();
        if (a == kPage - 5 || a == kPage + 40) {
            const QImage drawn = view->grab().toImage();
            QImage whole(view->size(), drawn.format());
            whole.fill(Qt::white);
            QPainter painter(&whole);
            view->PaintPicture(painter);
            painter.end();
            const viewtest::PieceDifference difference =
                viewtest::CompareDrawnInPieces(drawn, whole, ToQColor(m.m_Options.m_Line[0]).rgb());
            EXPECT_EQ(difference.missing, 0) << "sample " << a;
            EXPECT_EQ(difference.stray, 0) << "sample " << a;
            EXPECT_GT(difference.curvePixels, 100) << "sample " << a;
        }
    }
    g_bSampling = 0;
}

TEST_P(CurveViewWidgetTest, ContextMenuCommandsReachTheView) {
    ShowStored({0, 2}, 0);
    std::unique_ptr<QMenu> menu(view->BuildContextMenu(nullptr));
    const auto trigger = [&](int id) {
        for (QAction* action : menu->actions())
            if (action->data().toInt() == id) {
                action->trigger();
                return true;
            }
        return false;
    };
    ASSERT_TRUE(trigger(ID_SINGLE_CURSOR));
    EXPECT_EQ(view->Model().m_nCursorType, 1);
    ASSERT_TRUE(trigger(ID_ZOOM_IN_Y));
    EXPECT_FLOAT_EQ(view->Model().m_fltOldCoordYMax, 350.0f);
    ASSERT_TRUE(trigger(ID_AUTO_SCALE));
    EXPECT_EQ(view->Model().m_Options.m_nScareType, 1);

    // The signal selection swaps in channel 5 and takes distribution mode.
    view->runSignalDialog = [](CDlgPlotSignalSelect& dialog) {
        dialog.RemoveAll();
        for (int row = 0; row < dialog.Available()->count(); ++row) {
            const QString text = dialog.Available()->item(row)->text();
            dialog.Available()->item(row)->setSelected(
                text.startsWith(QString::fromStdString(FormatChannelName(5))) ||
                text.startsWith(QString::fromStdString(FormatChannelName(7))));
        }
        dialog.AddSelected();
        dialog.SetMode(3);
        dialog.TryAccept();
        return dialog.result();
    };
    ASSERT_TRUE(trigger(ID_SELECT_SIGNALS));
    EXPECT_EQ(view->Model().m_nShowGraphType, 3);
    EXPECT_EQ(view->Model().CurrentChoice().ids, (std::vector<int>{5, 7}));
    EXPECT_FALSE(view->RenderImage().isNull());
}

TEST_P(CurveViewWidgetTest, DisplayedDataFileHoldsTheWindowInGbkWithCrLf) {
    ShowStored({1, 17}, 10);
    view->SyncWithDocument(10, 3, 3, true);
    ASSERT_TRUE(view->LoadCurveData());
    view->Model().m_Options.m_nYPrecision = 1;
    std::string expected = "\t测点名称\t测点1\t测点17\t\r\n时间\t单位\tμε\tμε\t\r\n";
    for (int k = 10; k < 13; ++k)
        expected += FormatStatusTime(testrun::RunWriter::Time(k), 0) + "\t" + std::to_string(k) + "\t" +
                    FormatValueDecimals(testrun::RawValue(0, 1, k) * 0.5, 1) + "\t" +
                    FormatValueDecimals(testrun::RawValue(1, 1, k) * 0.5, 1) + "\t\r\n";
    ASSERT_EQ(platform::Utf8ToGbk("测点"), "\xb2\xe2\xb5\xe3");
    const std::string gbkText = platform::Utf8ToGbk(expected);
    const std::vector<char> gbk(gbkText.begin(), gbkText.end());
    // The name keeps its extension when it is .xls or .txt; any other gets .xls.
    const std::pair<std::string, std::string> names[] = {
        {"a.txt", "a.txt"}, {"b.xls", "b.xls"}, {"c.dat", "c.dat.xls"}, {"d.TXT", "d.TXT.xls"}};
    for (const auto& [given, written] : names) {
        view->askDataOutputPath = [&, given = given] { return dir.Path() + "/" + given; };
        std::unique_ptr<QMenu> menu(view->BuildContextMenu(nullptr));
        for (QAction* action : menu->actions())
            if (action->data().toInt() == ID_SAVE_DATA_FILE)
                action->trigger();
        EXPECT_EQ(testrun::ReadBytes(dir.Path() + "/" + written), gbk) << given;
    }
    // A file that cannot be made is reported.
    platform::MessageBoxRecorder boxes;
    EXPECT_EQ(view->SaveDisplayedData(dir.Path() + "/missing/e.xls"), 0);
    EXPECT_EQ(boxes.Records().size(), 1u);
    // No points: nothing is written.
    view->SyncWithDocument(10, 0, 0, true);
    view->Model().SetPointCount(0);
    EXPECT_EQ(view->SaveDisplayedData(dir.Path() + "/f.xls"), 0);
    EXPECT_TRUE(testrun::ReadBytes(dir.Path() + "/f.xls").empty());
}

TEST_P(CurveViewWidgetTest, BitmapAndClipboardTakeTheViewsOwnPicture) {
    ShowStored({1}, 10);
    const std::string path = dir.Path() + "/view.bmp";
    view->askExportFileName = [&](int type, std::string& folder, std::string& title, std::string& extension) {
        EXPECT_EQ(type, 2);
        folder = dir.Path();
        title = "view";
        extension = "bmp";
        return 1;
    };
    ASSERT_TRUE(view->OnCommand(ID_SAVE_AS_BITMAP));
    QImage saved(QString::fromStdString(path), "BMP");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), view->size());
    ASSERT_TRUE(view->OnCommand(ID_COPY_BITMAP));
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), view->size());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), saved.convertToFormat(QImage::Format_RGB32));
}

TEST_P(CurveViewWidgetTest, PeakListFromTheContextMenuIsListedAndWritten) {
    ShowStored({1}, 0);
    view->Model().m_STRealViewOption.nPeakListCount = 4;
    const auto menuAction = [&](int id) {
        std::unique_ptr<QMenu> menu(view->BuildContextMenu(nullptr));
        for (QAction* action : menu->actions())
            if (action->data().toInt() == id)
                return std::make_pair(action->isEnabled(), action->isChecked());
        return std::make_pair(false, false);
    };
    EXPECT_EQ(menuAction(ID_PEAK_OUTPUT).first, false);
    ASSERT_TRUE(view->OnCommand(ID_PEAK_LIST));
    EXPECT_EQ(menuAction(ID_PEAK_LIST), std::make_pair(true, true));
    // Channel 1 rises by one a sample up to 999 (sample 255 is the window's
    // last point, below the wrap at 1000): no local maximum, so the first
    // four points, largest first.
    const PeakList& peaks = view->Peaks();
    ASSERT_EQ(peaks.entries.size(), 4u);
    EXPECT_EQ(peaks.entries[0].nIndex, 3);
    EXPECT_EQ(peaks.entries[3].nIndex, 0);
    EXPECT_FALSE(view->RenderImage().isNull());

    view->askPeakFilePath = [&] { return dir.Path() + "/peaks.dat"; };
    ASSERT_TRUE(view->OnCommand(ID_PEAK_OUTPUT));
    const std::vector<char> bytes = testrun::ReadBytes(dir.Path() + "/peaks.txt");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind(platform::Utf8ToGbk("序号"), 0), 0u);
    EXPECT_NE(text.find("\r\n3   "), std::string::npos);
    // Off again: the output is disabled.
    ASSERT_TRUE(view->OnCommand(ID_PEAK_LIST));
    EXPECT_EQ(menuAction(ID_PEAK_OUTPUT).first, false);
}

TEST_P(CurveViewWidgetTest, TheoryAndDistributionSwitchesFromTheContextMenu) {
    ShowStored({1, 2}, 10);
    const auto trigger = [this](int id) { return TriggerContextItem(id); };
    CCurveViewModel& m = view->Model();
    ASSERT_TRUE(trigger(ID_CURSOR_DISPLAY));
    m.m_Cursor0 = 3;
    EXPECT_EQ(m.BuildCursorReadouts(1.0).size(), 3u);
    // The theory lines follow the value lines: 0 without theory values.
    ASSERT_TRUE(trigger(ID_THEORY_VALUES));
    m.m_TheoryValues = {std::vector<float>(20, 0.0f)};
    m.m_TheoryValues[0][13] = 2.5f;
    const std::vector<std::string> lines = m.BuildCursorReadouts(1.0);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3].rfind("T_Y1:2.5", 0), 0u) << lines[3];
    EXPECT_EQ(lines[4].rfind("T_Y2:0", 0), 0u) << lines[4];
    ASSERT_TRUE(trigger(ID_CURSOR_DISPLAY));
    EXPECT_EQ(m.m_nCursorType, 0);

    // Distribution: manual batches come before the window start; the batch
    // choice then opens, and automatic returns.
    EXPECT_FALSE(trigger(ID_DISTRIBUTION_MANUAL)) << "only in distribution mode";
    ASSERT_TRUE(trigger(ID_DRAW_MODE_DISTRIBUTION));
    m.m_nFirstSample = 40;
    ASSERT_TRUE(trigger(ID_DISTRIBUTION_MANUAL));
    EXPECT_TRUE(m.IsManualDistribution());
    EXPECT_EQ(m.m_nSelIndex_Group[0], 40);
    std::vector<int> offered;
    view->runBatchDialog = [&](std::vector<int>& batches, int) {
        offered = batches;
        batches = {5, 299, 400};
        return 1;
    };
    ASSERT_TRUE(trigger(ID_SELECT_DISTRIBUTION_BATCH));
    EXPECT_EQ(offered, (std::vector<int>{40, 41}));
    EXPECT_EQ(m.GetChannelCount(), 3);
    EXPECT_EQ(m.m_nSelIndex_Group[2], 299) << "kept within the stored samples";
    ASSERT_TRUE(trigger(ID_DISTRIBUTION_AUTO));
    EXPECT_FALSE(m.IsManualDistribution());
}

// An XY pair shows each channel's unit on its own axis; a distribution
// reached from the context menu runs over the measured channels, its X
// axis naming them and carrying no unit.
TEST_P(CurveViewWidgetTest, EachAxisCarriesItsOwnChannelsUnit) {
    world.channels[1].strUnit = "με";
    world.channels[2].strUnit = "℃";
    ShowStored({1, 2}, 10);
    const auto trigger = [this](int id) { return TriggerContextItem(id); };
    ASSERT_TRUE(trigger(ID_DRAW_MODE_XY));
    view->RenderImage();
    EXPECT_EQ(view->PanelFields().strUnitX, "με");
    EXPECT_EQ(view->PanelFields().strUnitY, "℃");

    ASSERT_TRUE(trigger(ID_DRAW_MODE_DISTRIBUTION));
    view->RenderImage();
    const ChannelPanelFields& f = view->PanelFields();
    EXPECT_EQ(f.distributionIds, world.measChanList);
    EXPECT_EQ(f.strUnitX, "");
    EXPECT_EQ(view->Model().PointCount(), int(world.measChanList.size()));
}

TEST_P(CurveViewWidgetTest, SaveAsWritesTheShownChannelsOverTheChosenRange) {
    ShowStored({1, 2}, 10);
    std::filesystem::create_directories(dir.Path() + "/out");
    ExportContext context(world.layout, channels);
    context.dataPath = world.dataPath;
    context.statusPath = writer->StatusPath();
    context.strAppTitle = "QV";
    context.askExportFileName = [&](int type, std::string& folder, std::string& title,
                                    std::string& extension) {
        folder = dir.Path() + "/out";
        title = "exp";
        extension = type == 0 ? "txt" : "xls";
        return 1;
    };
    view->SetExportContext(&context, 300);
    TableSavePreset preset;
    int range = 0;
    int channelCount = 0; // 0: the preset's channels
    bool cancel = false;
    view->runSaveOptionsDialog = [&](const TableSavePreset& p, TableSaveKind, SaveDataOptions& o) {
        preset = p;
        if (cancel)
            return false;
        o.nDataRange = range;
        o.nFileLayout = 1;
        o.nChannelCount = 0;
        for (int i = 0; i < (channelCount > 0 ? channelCount : int(p.items.size())); ++i)
            o.nChannels[o.nChannelCount++] = p.items[std::size_t(i) % p.items.size()];
        return true;
    };
    platform::MessageBoxRecorder boxes;
    const std::string text = dir.Path() + "/out/exp.txt";
    ASSERT_EQ(view->SaveData(TableSaveKind::Text), 1);
    EXPECT_EQ(preset.nItemKind, 1);
    EXPECT_EQ(preset.items, (std::vector<int>{1, 2}));
    const auto all = exporttest::ReadLines(text);
    ASSERT_GE(all.size(), 300u);
    const std::size_t header = all.size() - 300;
    // The cursors 5 and 2 take the samples 12..15 of the window from 10.
    view->Model().m_nCursorType = 2;
    view->Model().m_Cursor0 = 5;
    view->Model().m_Cursor1 = 2;
    range = 2;
    ASSERT_EQ(view->SaveData(TableSaveKind::Text), 1);
    const auto cursors = exporttest::ReadLines(text);
    ASSERT_EQ(cursors.size(), header + 4);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(cursors[header + i], all[header + 12 + i]);
    range = 1;
    ASSERT_EQ(view->SaveData(TableSaveKind::Text), 1);
    EXPECT_EQ(exporttest::ReadLines(text).size(), header + 256);
    EXPECT_TRUE(boxes.Records().empty());

    // 256 channels in one spreadsheet are refused and the options stay;
    // a cancelled dialog keeps them too.
    range = 0;
    channelCount = 256;
    EXPECT_EQ(view->SaveData(TableSaveKind::Spreadsheet), 0);
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(view->m_SaveOptions.nDataRange, 1);
    cancel = true;
    EXPECT_EQ(view->SaveData(TableSaveKind::Spreadsheet), 0);
    EXPECT_EQ(view->m_SaveOptions.nDataRange, 1);
    cancel = false;
    channelCount = 255;
    EXPECT_EQ(view->SaveData(TableSaveKind::Spreadsheet), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/out/exp.xls"));
    EXPECT_EQ(view->m_SaveOptions.ChannelCount(), 255);

    // MATLAB is offered for time waveforms of measured channels only.
    CurveSignalChoice choice;
    choice.ids = {1, 4097};
    view->Model().ApplySignalChoice(choice, world);
    EXPECT_EQ(view->SavePreset(TableSaveKind::Matlab).items, (std::vector<int>{1}));
    EXPECT_EQ(view->SavePreset(TableSaveKind::Spreadsheet).items, (std::vector<int>{1, 4097}));
    choice.nKind = 2;
    choice.ids = {1, 2};
    view->Model().ApplySignalChoice(choice, world);
    EXPECT_FALSE(view->IsCommandEnabled(ID_SAVE_AS_MATLAB));
    EXPECT_TRUE(view->IsCommandEnabled(ID_SAVE_AS_EXCEL));
    EXPECT_EQ(view->SavePreset(TableSaveKind::Text).nItemKind, 2);
}

// A deletion that cannot be staged (a later unit's file, or the status
// file) is reported; every file, the stored count and the view stay.
TEST_P(CurveViewWidgetTest, AnEditThatCannotBeWrittenIsReportedAndChangesNothing) {
    ShowStored({1, 17}, 10);
    const bool perCase = GetParam().perCase;
    std::vector<std::string> files = {world.dataPath, writer->StatusPath()};
    if (perCase) {
        files.clear();
        for (int unit : {0, 1})
            for (int kind : {0, 1})
                files.push_back(MakeCaseDataFileName(world.dataPath, unit, kind));
    }
    const auto snapshot = [&files] {
        std::vector<std::vector<char>> bytes;
        for (const std::string& file : files)
            bytes.push_back(testrun::ReadBytes(file));
        return bytes;
    };
    const auto before = snapshot();
    const float shown = view->Model().PointValue(1, 3);
    const std::string blocked = perCase ? MakeCaseDataFileName(world.dataPath, 1, 0) : writer->StatusPath();
    std::filesystem::create_directory(blocked + ".bak");
    int reloads = 0;
    view->onStoredRunChanged = [&reloads](int) { ++reloads; };
    CCurveViewModel& m = view->Model();
    m.m_nCursorType = 2;
    m.m_Cursor0 = 4;
    m.m_Cursor1 = 2;
    view->runCursorEditDialog = [](CCursorEditDlg& dialog) {
        dialog.DeleteButton()->click();
        dialog.TryAccept();
        return dialog.result();
    };
    platform::MessageBoxRecorder boxes;
    boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(view->OnCommand(ID_EDIT_DATA));
    ASSERT_EQ(boxes.Records().size(), 2u) << "the question, then the report";
    EXPECT_EQ(boxes.Records()[1].text, "数据文件无法写入，数据未修改。");
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(view->Model().PointValue(1, 3), shown);
    std::filesystem::remove(blocked + ".bak");
}

// A Ctrl-drag over stored curves zooms the value axis to the band's rows; a
// band of 5 pixels or less, or a drag without Ctrl, keeps the range.
TEST_P(CurveViewWidgetTest, CtrlDragZoomsTheValueAxisToTheBand) {
    ShowStored({1}, 10);
    CCurveViewModel& m = view->Model();
    const auto mouse = [&](QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), view->mapToGlobal(QPointF(at)), Qt::LeftButton, held, modifiers);
        QCoreApplication::sendEvent(view.get(), &event);
    };
    struct Drag {
        int width;
        Qt::KeyboardModifiers modifiers;
        bool zooms;
    };
    const Drag drags[] = {
        {5, Qt::ControlModifier, false}, {80, Qt::NoModifier, false}, {80, Qt::ControlModifier, true}};
    for (const Drag& d : drags) {
        SCOPED_TRACE(d.width);
        m.m_Options.m_nScareType = 1;
        m.m_fltOldCoordYMax = 700.0f;
        m.m_fltOldCoordYMin = 400.0f;
        view->RenderImage();
        const PlotRect plot = m.GetPlotRect();
        // The band ends below the plot: its row is taken at the plot's edge.
        const QPoint from(plot.left + 20, plot.top + 40), to(plot.left + 20 + d.width, plot.bottom + 30);
        double upper = 0.0, lower = 0.0;
        m.m_Curves.front().PixelsToValues(from.y(), plot.bottom, upper, lower);
        mouse(QEvent::MouseButtonPress, from, d.modifiers);
        mouse(QEvent::MouseMove, to, d.modifiers);
        mouse(QEvent::MouseButtonRelease, to, d.modifiers);
        if (!d.zooms) {
            EXPECT_EQ(m.m_Options.m_nScareType, 1);
            EXPECT_FLOAT_EQ(m.m_fltOldCoordYMax, 700.0f);
            continue;
        }
        EXPECT_EQ(m.m_Options.m_nScareType, 0);
        EXPECT_FLOAT_EQ(m.m_fltOldCoordYMax, float(upper));
        EXPECT_FLOAT_EQ(m.m_fltOldCoordYMin, float(lower));
        EXPECT_LT(upper, m.m_fAutoYMax);
        view->RenderImage();
        EXPECT_FLOAT_EQ(m.m_Curves.front().m_fYMax, float(upper)) << "the curves are drawn over the band";
        EXPECT_FLOAT_EQ(m.m_Curves.front().m_fYMin, float(lower));
    }
}

INSTANTIATE_TEST_SUITE_P(BothArrangements, CurveViewWidgetTest,
                         ::testing::Values(Arrangement{false, "OneFile"}, Arrangement{true, "PerUnit"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
