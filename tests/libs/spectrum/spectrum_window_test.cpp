// Spectrum windows offscreen: fed spectra reach their lines, titles and
// default channels, channel selection, the layout round trip, block stepping
// through stored files, the context menu, the clipboard and the limit of 16.
#include "SpectrumTestSupport.h"

#include "libs/spectrum/FFTSpectrumChildFrm.h"
#include "libs/spectrum/FFTSpectrumView.h"
#include "libs/spectrum/Lurrow.h"
#include "libs/spectrum/SpectrumChannelDialog.h"
#include "libs/spectrum/SpectrumFile.h"
#include "libs/spectrum/SpectrumGraphCtrl.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

using namespace lurrow;

namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "spectrum_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr)
        new QApplication(argc, argv);
}

class SpectrumWindowTest : public ::testing::Test {
protected:
    static constexpr int kN = 256;

    void SetUp() override {
        EnsureApplication();
        m_pArea = std::make_unique<QMdiArea>();
        m_pArea->resize(900, 700);
        m_pArea->show();
        const int units[] = {0, 3};
        m_graph.SetCaseParam(2, units);
        m_graph.SetSampleParam(1000.0f, kN);
        std::vector<std::string> texts(kMaxChannels, "με");
        m_graph.SetChannelEU(kMaxChannels, texts.data());
        m_graph.SetProjectPathName(m_scratch.Path(), "Run");
    }
    void TearDown() override {
        for (QMdiSubWindow* window : m_pArea->subWindowList())
            delete window;
        m_pArea.reset();
    }

    // A window as the frame opens one: bound, then laid out from the layout file.
    CFFTSpectrumChildFrm* Open() {
        CFFTSpectrumChildFrm* child = CFFTSpectrumChildFrm::Create();
        if (child == nullptr)
            return nullptr;
        m_pArea->addSubWindow(child);
        child->GetDocument()->SetGraphInterface(&m_graph);
        child->show();
        child->GetDocument()->SetGraphViewLyt(-1);
        m_graph.GetViewObject();
        return child;
    }
    // Channel c carries a sine of amplitude a on bin c % 40 + 1.
    void HandOver(float amplitude) {
        std::map<int, std::vector<float>> data;
        for (int channel : Tables().channelIds)
            data[channel] = SineOnBin(kN, channel % 40 + 1, amplitude);
        m_graph.SetSampleDataBuffer(data);
        ASSERT_TRUE(m_graph.FlushSpectra());
        m_graph.UpdateGraphView();
    }
    static const CSpectrumGraph& GraphOf(CFFTSpectrumChildFrm* child) {
        return child->GetView()->GetGraphCtrl()->Graph();
    }
    static int Peak(const std::vector<float>& line) {
        return static_cast<int>(std::max_element(line.begin(), line.end()) - line.begin());
    }

    SpectrumScratch m_scratch;
    std::unique_ptr<QMdiArea> m_pArea;
    Lurrow m_graph;
};

TEST_F(SpectrumWindowTest, AFedWindowShowsItsChannelsSpectrumAsItsLine) {
    m_graph.SetProjectStatus(1);
    m_graph.SetDataStatus(false);
    CFFTSpectrumChildFrm* first = Open();
    CFFTSpectrumChildFrm* second = Open();
    CFFTSpectrumChildFrm* third = Open();
    ASSERT_NE(third, nullptr);
    // Without a layout section the n-th window shows the n-th online channel.
    EXPECT_EQ(first->GetDocument()->GetSelChannels(), std::vector<int>{0});
    EXPECT_EQ(third->GetDocument()->GetSelChannels(), std::vector<int>{2});
    EXPECT_EQ(third->windowTitle().toStdString(), "[Run]频谱图 01-01-03");

    HandOver(2.5f);
    const CSpectrumGraph& graph = GraphOf(second);
    ASSERT_EQ(graph.GetLineCount(), 1);
    EXPECT_TRUE(graph.HasData());
    EXPECT_EQ(Peak(graph.GetLine(0)), 2);
    EXPECT_NEAR(graph.GetLine(0)[2], 2.5f, 1e-3);
    EXPECT_EQ(graph.GetActiveUnit(), "με");
    EXPECT_FLOAT_EQ(graph.GetViewInfo().fXMax, 1000.0f / kN * 100);
}

TEST_F(SpectrumWindowTest, ChannelSelectionThroughTheDialog) {
    platform::MessageBoxRecorder boxes;
    CFFTSpectrumChildFrm* child = Open();
    CFFTSpectrumView* view = child->GetView();
    // An empty chosen list is refused with a message, then two channels are chosen.
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CSpectrumChannelDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle().toStdString(), "信号选择");
        EXPECT_EQ(dialog->Available()->count(), 31);
        dialog->Chosen()->selectAll();
        dialog->OnRemove();
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        const auto found = dialog->Available()->findItems("01-04-02", Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        found.front()->setSelected(true);
        dialog->OnAdd();
        QListWidget* available = dialog->Available();
        dialog->MoveRow(available,
                        available->row(available->findItems("01-01-01", Qt::MatchExactly).front()));
        EXPECT_EQ(dialog->Available()->count(), 30);
        dialog->accept();
    });
    ASSERT_TRUE(view->OnCommand(ID_SPECTRUM_SELECT_CHANNELS));
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_EQ(boxes.Records()[0].text, "未选择要保存的通道，无法进行保存！");
    EXPECT_EQ(boxes.Records()[0].caption, "通道选择");
    EXPECT_EQ(child->GetDocument()->GetSelChannels(), (std::vector<int>{49, 0}));
    EXPECT_EQ(child->windowTitle().toStdString(), "频谱图 01-04-02 01-01-01");
    EXPECT_EQ(GraphOf(child).GetLineCount(), 2);
}

TEST_F(SpectrumWindowTest, LayoutRoundTripKeepsChannelsGraphSettingsAndPlacement) {
    m_graph.SetProjectStatus(2);
    CFFTSpectrumChildFrm* child = Open();
    ASSERT_EQ(child->GetDocument()->GetLayoutFile(), m_scratch.File("Run.LYT"));
    child->GetView()->SetSelChannels({50, 3});
    HandOver(1.0f);
    child->GetView()->OnCommand(ID_SPECTRUM_DOUBLE_CURSOR);
    child->GetView()->OnCommand(ID_SPECTRUM_AUTO_SCALE);
    child->GetDocument()->GetAnalysisData()->m_DrawCommon.nYKind = 3;
    child->setGeometry(10, 20, 500, 300);
    m_graph.SaveSpectrumLayout(m_scratch.File("Run.LYT"));
    delete child;

    CFFTSpectrumChildFrm* restored = CFFTSpectrumChildFrm::Create();
    m_pArea->addSubWindow(restored);
    restored->GetDocument()->SetGraphInterface(&m_graph);
    restored->show();
    m_graph.OpenSpectrumLayout(m_scratch.File("Run.LYT"));
    EXPECT_EQ(restored->GetDocument()->GetSelChannels(), (std::vector<int>{50, 3}));
    const CSpectrumGraph& graph = GraphOf(restored);
    EXPECT_EQ(graph.GetCursorMode(), 2);
    EXPECT_FALSE(graph.IsAutoScale());
    EXPECT_EQ(graph.GetDrawCommon().nYKind, 3);
    EXPECT_EQ(graph.GetLineCount(), 2);
    EXPECT_EQ(restored->geometry(), QRect(10, 20, 500, 300));
}

TEST_F(SpectrumWindowTest, InATabbedAreaTheWindowFillsItsTabWhateverItsPlacement) {
    m_pArea->setViewMode(QMdiArea::TabbedView);
    CFFTSpectrumChildFrm* child = Open(); // no section: the 400 × 200 default placement
    QApplication::processEvents();
    EXPECT_EQ(child->size(), m_pArea->viewport()->size());
}

TEST_F(SpectrumWindowTest, LayoutFileOfEachProjectStatus) {
    CFFTSpectrumChildFrm* child = Open();
    const struct {
        int status;
        std::string file;
    } cases[] = {{0, platform::ProgramFolder() + "/QV7416.LYT"},
                 {1, platform::ProgramFolder() + "/Run.LYT"},
                 {3, m_scratch.File("Run.LYT")}};
    for (const auto& c : cases) {
        m_graph.SetProjectStatus(c.status);
        EXPECT_EQ(child->GetDocument()->GetLayoutFile(), c.file) << "status " << c.status;
    }
}

TEST_F(SpectrumWindowTest, BlockSteppingThroughStoredSpectra) {
    m_graph.SetProjectStatus(1);
    for (float a : {1.0f, 2.0f, 3.0f}) {
        HandOver(a);
        ASSERT_TRUE(m_graph.SaveFFTSpectrumData());
    }
    ASSERT_TRUE(m_graph.FlushSpectra());
    m_graph.SetProjectStatus(3);
    m_graph.SetDataStatus(true);
    CFFTSpectrumChildFrm* child = Open();
    CFFTSpectrumView* view = child->GetView();
    const auto enabled = [view](int id) { return view->QueryCommand(id).enabled; };
    EXPECT_EQ(child->GetDocument()->GetBlockCount(), 3);
    const struct {
        int command;
        int block;
        bool prev, next;
    } steps[] = {{0, 0, false, true},
                 {ID_SPECTRUM_NEXT_BLOCK, 1, true, true},
                 {ID_SPECTRUM_NEXT_BLOCK, 2, true, false},
                 {ID_SPECTRUM_NEXT_BLOCK, 2, true, false},
                 {ID_SPECTRUM_PREV_BLOCK, 1, true, true}};
    for (const auto& s : steps) {
        if (s.command != 0)
            view->OnCommand(s.command);
        EXPECT_EQ(child->GetDocument()->GetBlockIndex(), s.block);
        EXPECT_EQ(enabled(ID_SPECTRUM_PREV_BLOCK), s.prev) << "block " << s.block;
        EXPECT_EQ(enabled(ID_SPECTRUM_NEXT_BLOCK), s.next) << "block " << s.block;
        EXPECT_NEAR(GraphOf(child).GetLine(0)[1], static_cast<float>(s.block + 1), 1e-3)
            << "block " << s.block;
    }
}

TEST_F(SpectrumWindowTest, ContextMenuCursorsAndClipboard) {
    CFFTSpectrumChildFrm* child = Open();
    CFFTSpectrumView* view = child->GetView();
    std::unique_ptr<QMenu> menu(view->CreateContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    EXPECT_EQ(texts.mid(0, 4), (QStringList{"通道选择", "光标", "", "数据输出(&E)"}));
    view->OnCommand(ID_SPECTRUM_DOUBLE_CURSOR);
    EXPECT_TRUE(view->QueryCommand(ID_SPECTRUM_DOUBLE_CURSOR).checked);
    EXPECT_TRUE(view->QueryCommand(ID_SPECTRUM_CURSOR_SWITCH).checked);
    view->OnCommand(ID_SPECTRUM_DOUBLE_CURSOR);
    EXPECT_EQ(GraphOf(child).GetCursorMode(), 0);
    EXPECT_EQ(child->GetDocument()->GetAnalysisData()->m_ViewInfo.nCursorMode, 0);

    QApplication::clipboard()->clear();
    view->OnCommand(ID_SPECTRUM_COPY_BITMAP);
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
}

TEST_F(SpectrumWindowTest, DataExportFromTheContextMenuWritesTheChosenFile) {
    CFFTSpectrumChildFrm* child = Open();
    HandOver(4.0f);
    const std::string chosen = m_scratch.File("peaks");
    QTimer::singleShot(0, [chosen] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle().toStdString(), "保存数据文件");
        dialog->selectFile(QString::fromStdString(chosen));
        QMetaObject::invokeMethod(dialog, "accept"); // the dialog's own check of the name, then OK
    });
    ASSERT_TRUE(child->GetView()->OnCommand(ID_SPECTRUM_EXPORT_DATA));
    std::ifstream in(chosen + ".xls", std::ios::binary);
    std::string row;
    std::vector<std::string> rows;
    while (std::getline(in, row))
        rows.push_back(row);
    ASSERT_EQ(rows.size(), 101u);
    EXPECT_EQ(rows[1], "3.91\t4.00\t\r"); // bin 1 of channel 0 at 1000 / 256 Hz
}

TEST_F(SpectrumWindowTest, ASeventeenthWindowIsRefused) {
    std::vector<CFFTSpectrumChildFrm*> windows;
    for (int i = 0; i < kMaxSpectrumViews; ++i)
        windows.push_back(Open());
    EXPECT_EQ(m_graph.GetSpectrumViewCount(), 16);
    EXPECT_EQ(CFFTSpectrumChildFrm::Create(), nullptr);
    windows[4]->close();
    QApplication::processEvents();
    EXPECT_EQ(m_graph.GetSpectrumViewCount(), 15);
    EXPECT_NE(Open(), nullptr);
}

} // namespace
