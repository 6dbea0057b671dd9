// The history view window offscreen over stored runs of both arrangements:
// its bands hold the accessor's values and follow the scroll, the curve is
// painted where the band's mapping puts it, its edits from the context
// menu read back, and it prints alone or with the curve views beside it.
#include "views/ViewsTestSupport.h"

#include "datafiles/DataFileAccess.h"
#include "model/ChannelRecords.h"
#include "model/RunFlags.h"
#include "platform/MessageBox.h"
#include "views/curve/CursorEditDlg.h"
#include "views/history/HistoryViewWidget.h"
#include "views/history/PropHistoryViewSheet.h"
#include "views/shared/GraphPaintTools.h"
#include "views/shared/LiveHistoryFeed.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

class HistoryViewWidgetTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        EnsureViewsTestApp();
        testrun::RunSpec spec{dir.Path(), "run", {0, 1}, 300, GetParam()};
        writer = std::make_unique<testrun::RunWriter>(spec);
        writer->Write();
        world = viewtest::StoredCurveWorld(*writer, channels, 300);
        view.reset(CHistoryViewWidget::Create());
        ASSERT_NE(view, nullptr);
        view->fillWorld = [this](CurveWorld& w) { w = world; };
        view->onStoredRunChanged = [this](int count) {
            if (count >= 0)
                world.nStoredCount = count;
            view->RefreshWorld();
            view->LoadCurveData();
        };
        view->resize(700, 500);
    }

    void ShowStored(int first, int count) {
        view->SyncWithDocument(first, count, count, true);
        view->InitialUpdate();
    }

    // The engineering value the run holds (the test's table halves readings).
    static float Stored(int channel, int sample) {
        return testrun::RawValue(channel / 16, channel % 16, sample) * 0.5f;
    }

    float ReadBack(int channel, int sample) const {
        float value = 0.0f;
        const CDataFileAccess access(world.layout, channels);
        EXPECT_NE(access.ReadChannelRange(world.dataPath, channel, sample, sample, &value), 0);
        return value;
    }

    bool Trigger(int id) {
        std::unique_ptr<QMenu> menu(view->BuildContextMenu(nullptr));
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == id && action->isEnabled()) {
                action->trigger();
                return true;
            }
        }
        return false;
    }

    testrun::TempDir dir;
    testrun::HalfChannelTable channels;
    std::unique_ptr<testrun::RunWriter> writer;
    CurveWorld world;
    std::unique_ptr<CHistoryViewWidget> view;
};

TEST_P(HistoryViewWidgetTest, BandsHoldTheStoredValuesAndFollowTheScroll) {
    ShowStored(10, 64);
    const CHistoryViewModel& m = view->Model();
    ASSERT_EQ(m.m_Bands[0].nChannel, 0);
    for (int b = 0; b < 4; ++b)
        for (int i : {0, 31, 63})
            EXPECT_EQ(m.m_Bands[std::size_t(b)].series.m_Values[std::size_t(i)], Stored(b, 10 + i))
                << b << "," << i;
    // The wheel shows later channels, read anew; channel 17 lives in the second unit.
    QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120 * 15), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.get(), &wheel);
    EXPECT_EQ(m.m_nPageOff, 15);
    EXPECT_EQ(m.m_Bands[2].nChannel, 17);
    EXPECT_EQ(m.m_Bands[2].series.m_Values[5], Stored(17, 15));

    // The curve is painted where the band maps its points.
    view->Model().m_Options.m_nScareType = 1;
    view->Invalidate();
    const QImage image = view->RenderImage();
    const CCurveSeries& s = m.m_Bands[1].series;
    const QColor line = ToQColor(m.m_Options.m_Line[0]);
    int hits = 0;
    for (int i : {8, 20, 40}) {
        const int x = s.IndexToX(i), y = s.YValueToPixel(s.m_Values[std::size_t(i)]);
        bool near = false;
        for (int dy = -1; dy <= 1; ++dy)
            near = near || image.pixelColor(x, y + dy) == line;
        hits += near ? 1 : 0;
    }
    EXPECT_EQ(hits, 3);
}

TEST_P(HistoryViewWidgetTest, EditsFromTheContextMenuReadBack) {
    // A thermocouple channel stores the typed value as its reading.
    g_ChannelParams[2].nMeasureType = MEASURE_THERMOCOUPLE;
    ShowStored(100, 50);
    CHistoryViewModel& m = view->Model();
    m.m_nSelectedBand = 2;
    m.m_nCursorType = 1;
    m.m_Bands[2].nCursor[0] = 5;
    view->runCursorEditDialog = [](CCursorEditDlg& dialog) {
        dialog.NewValueEdit()->setText("321");
        dialog.TryAccept();
        return dialog.result();
    };
    ASSERT_TRUE(Trigger(ID_EDIT_DATA));
    EXPECT_EQ(ReadBack(2, 105), 321.0f * 0.5f);
    EXPECT_EQ(m.m_Bands[2].series.m_Values[5], 321.0f * 0.5f);
    g_ChannelParams[2] = ChannelParamRecord{};

    // Zeroing the active channel between swapped double cursors.
    m.m_nCursorType = 2;
    m.m_Bands[2].nCursor = {9, 7};
    view->runCursorEditDialog = [](CCursorEditDlg& dialog) {
        dialog.ZeroButton()->click();
        dialog.ActiveScopeButton()->click();
        dialog.TryAccept();
        return dialog.result();
    };
    ASSERT_TRUE(Trigger(ID_EDIT_DATA));
    for (int sample : {107, 108, 109})
        EXPECT_EQ(ReadBack(2, sample), 0.0f);
    EXPECT_EQ(ReadBack(2, 110), Stored(2, 110));
    EXPECT_EQ(ReadBack(3, 108), Stored(3, 108));

    // Deleting: "No" leaves the run, "Yes" removes the samples of every channel.
    platform::MessageBoxRecorder boxes;
    view->runCursorEditDialog = [](CCursorEditDlg& dialog) {
        dialog.DeleteButton()->click();
        dialog.TryAccept();
        return dialog.result();
    };
    m.m_Bands[2].nCursor = {20, 21};
    boxes.QueueAnswer(platform::IDNO);
    ASSERT_TRUE(Trigger(ID_EDIT_DATA));
    EXPECT_EQ(world.nStoredCount, 300);
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, "此操作将删除指定范围内的数据! 是否进行此操作?");
    boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(Trigger(ID_EDIT_DATA));
    EXPECT_EQ(world.nStoredCount, 298);
    EXPECT_EQ(ReadBack(17, 120), Stored(17, 122));
    EXPECT_EQ(m.m_Bands[0].series.m_Values[20], Stored(0, 122));
}

TEST_P(HistoryViewWidgetTest, SheetAppliesToEveryHistoryViewWhenAsked) {
    ShowStored(0, 32);
    std::unique_ptr<CHistoryViewWidget> other(CHistoryViewWidget::Create());
    other->fillWorld = view->fillWorld;
    other->InitialUpdate();
    view->runPropertySheet = [](CPropHistoryViewSheet& sheet) {
        EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
        sheet.BandCount()->setCurrentIndex(5);
        EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
        sheet.ScaleButton(2)->click();
        sheet.CoordEdit(0)->setText("700");
        sheet.CoordEdit(1)->setText("-20");
        sheet.ApplyToAllBox()->setChecked(true);
        sheet.Ok();
        return sheet.result();
    };
    ASSERT_TRUE(Trigger(ID_CURVE_PROPERTIES));
    for (CHistoryViewWidget* v : {view.get(), other.get()}) {
        const CHistoryViewModel& m = v->Model();
        EXPECT_EQ(m.m_nBandsPerPage, 6);
        EXPECT_EQ(m.m_Options.m_nScareType, 2);
        EXPECT_EQ(m.m_fltOldCoordYMax, 700.0f);
        EXPECT_EQ(m.m_fltOldCoordYMin, -20.0f);
        // Each keeps its own window.
        EXPECT_EQ(m.m_Bands[5].nChannel, 5);
    }
    EXPECT_EQ(view->Model().m_Bands[5].series.m_Values[3], Stored(5, 3));
}

INSTANTIATE_TEST_SUITE_P(BothArrangements, HistoryViewWidgetTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "PerUnitFiles" : "OneFile"; });

// A live run drawn sample by sample onto the cached picture, the screen
// taking it only now and then, ends as the whole picture painted afresh
// from the same points: in the first batch and after squeezes.
TEST(HistoryViewLive, TheRunDrawnSampleBySampleLooksAsPaintedWhole) {
    EnsureViewsTestApp();
    constexpr int kBatch = 64;
    constexpr int kPlaces = 4;
    CurveWorld world;
    for (int id = 0; id < kPlaces; ++id) {
        world.measChanList.push_back(id);
        world.channelList.push_back(id);
        world.setPosition[std::size_t(id)] = id;
    }
    world.nCaseCount = 1;
    g_bSampling = 1;
    std::unique_ptr<CHistoryViewWidget> view(CHistoryViewWidget::Create());
    view->fillWorld = [&world](CurveWorld& w) { w = world; };
    view->resize(700, 500);
    view->Model().m_nBandsPerPage = kPlaces;
    view->InitialUpdate();
    view->PrepareForSampling(kBatch);
    view->show();
    CLiveHistoryFeed feed;
    feed.Reset(kBatch, kPlaces);
    std::vector<const float*> buffers;
    for (int p = 0; p < kPlaces; ++p)
        buffers.push_back(feed.GetBuffer(p));
    const auto bands = [&view] { return view->grab(QRect(0, 0, 600, 500)).toImage(); };
    for (int s = 1; s <= 3 * kBatch + 20; ++s) {
        float latest[kPlaces];
        for (int p = 0; p < kPlaces; ++p)
            latest[p] = float(40000.0 * std::sin(s * 0.37 + p) * (s % 5 == 0 ? -0.5 : 1.0));
        const CLiveHistoryFeed::Step step = feed.Feed(s, s, latest);
        view->ReceiveData(2, step.nPoints, nullptr, buffers.data(), step.nCopyFrom);
        view->SetLiveSpan(step.nAxisEnd);
        if (step.bRepaintErase || step.bRepaintNoErase)
            view->Invalidate();
        view->DrawNewPoints(step.nDrawFrom, step.nDrawTo);
        // Every band holds its channel's whole window, after a squeeze and
        // after the band took another channel mid-run too.
        for (const HistoryBand& band : view->Model().m_Bands)
            if (band.nChannel >= 0)
                for (int i = 0; i < step.nPoints; ++i)
                    ASSERT_EQ(band.series.m_Values[std::size_t(i)], buffers[std::size_t(band.nChannel)][i])
                        << "sample " << s << " channel " << band.nChannel << " point " << i;
        if (s == kBatch + 30)
            view->SetBandChannel(0, 2);
        if (s % 3 == 0)
            QApplication::processEvents();
        if (s == kBatch - 5 || s == 2 * kBatch + 12 || s == 3 * kBatch + 20) {
            const QImage drawn = bands();
            QImage whole(view->size(), QImage::Format_ARGB32_Premultiplied);
            whole.fill(Qt::white);
            QPainter painter(&whole);
            view->PaintPicture(painter);
            painter.end();
            const viewtest::PieceDifference difference = viewtest::CompareDrawnInPieces(
                drawn, whole.copy(0, 0, 600, 500).convertToFormat(drawn.format()),
                ToQColor(view->Model().m_Options.m_Line[0]).rgb());
            EXPECT_EQ(difference.missing, 0) << "sample " << s;
            EXPECT_EQ(difference.stray, 0) << "sample " << s;
            EXPECT_GT(difference.curvePixels, 100) << "sample " << s;
        }
    }
    g_bSampling = 0;
}

QString PdfText(const QString& path) {
    QProcess process;
    process.start("pdftotext", {path, "-"});
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(HistoryViewPrint, AloneOrWithTheCurveViewsBesideIt) {
    EnsureViewsTestApp();
    testrun::TempDir dir;
    // The history view shows channels 0 and 1, the curve view channel 3.
    CurveWorld world;
    world.measChanList = {0, 1, 2, 3};
    world.channels[1].strDescription = "历史甲";
    world.channels[3].strDescription = "曲线乙";
    CurveWorld historyWorld = world;
    historyWorld.measChanList = {0, 1};
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    CHistoryViewWidget* history = CHistoryViewWidget::Create(&window);
    history->fillWorld = [&historyWorld](CurveWorld& w) { w = historyWorld; };
    history->InitialUpdate();
    CCurveViewWidget* curve = CCurveViewWidget::Create(&window);
    curve->fillWorld = [&world](CurveWorld& w) { w = world; };
    CurveSignalChoice choice;
    choice.ids = {3};
    curve->RefreshWorld();
    curve->Model().ApplySignalChoice(choice, world);
    layout->addWidget(history);
    layout->addWidget(curve);
    window.resize(1200, 500);
    window.show();
    PageSetupValues setup;
    setup.strHeader = "页眉ABC";
    for (bool alone : {true, false}) {
        curve->setVisible(!alone);
        const std::vector<PrintedPicture> pictures = history->PicturesToPrint();
        EXPECT_EQ(pictures.size(), alone ? 1u : 2u);
        const QString path = QString::fromStdString(dir.Path() + (alone ? "/alone.pdf" : "/all.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        ASSERT_EQ(PrintViewPictures(printer, setup, pictures), 1);
        const QString text = PdfText(path);
        EXPECT_TRUE(text.contains("页眉ABC")) << text.toStdString();
        EXPECT_TRUE(text.contains("历史甲")) << text.toStdString();
        EXPECT_EQ(text.contains("曲线乙"), !alone) << text.toStdString();
    }
}

} // namespace
