// The spectrum windows end to end: with spectrum windows offered and the
// simulated cases streaming a sine, a window opened from its tool-bar
// command follows a continuous run with spectrum analysis and storing, the
// project keeps one ".fft" file per channel with one block per hand-over,
// the window steps through the stored blocks after the run, and a restart
// brings the window back.
#include "FrameRunFixture.h"

#include "libs/spectrum/FFTSpectrumChildFrm.h"
#include "libs/spectrum/FFTSpectrumDoc.h"
#include "libs/spectrum/FFTSpectrumView.h"
#include "libs/spectrum/Lurrow.h"
#include "libs/spectrum/SpectrumFile.h"
#include "libs/spectrum/SpectrumGraphCtrl.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QClipboard>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;
constexpr int ID_TOGGLE_SPECTRUM = 32945;
constexpr int kBlockSize = 64;
constexpr int kLines = 26;
constexpr int kSinePeriod = 8; // samples: the sine sits on bin 64 / 8
constexpr int kSineBin = kBlockSize / kSinePeriod;

class FrameSpectrumTest : public FrameRunTest {
protected:
    const char* ExtraSettings() const override { return "SoftwareSpectrum=1\n"; }
    SineWave Waveform() const override { return {kSinePeriod, 100000}; }

    static const lurrow::CSpectrumGraph& GraphOf(CFFTSpectrumChildFrm* child) {
        return child->GetView()->GetGraphCtrl()->Graph();
    }
    static int Peak(const std::vector<float>& line) {
        return static_cast<int>(std::max_element(line.begin(), line.end()) - line.begin());
    }
    std::string FftFile(int channel) const {
        return lurrow::FftFileName(m_scratch.File("Projects/Run"), "Run", channel);
    }
    // The command's button on the data-browsing bar, its state updated.
    QAction* BrowseBarButton(int id) {
        m_frame->UpdateCommandStates();
        auto* bar = m_frame->findChild<QToolBar*>("DataBrowseBar");
        for (QAction* action : bar != nullptr ? bar->actions() : QList<QAction*>{})
            if (action->data().toInt() == id)
                return action;
        ADD_FAILURE() << "no button " << id;
        return nullptr;
    }
    void SetAnalysisRun() {
        SampleSettings settings = m_frame->GetProjectState().m_SampleSettings;
        settings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
        settings.nSampleInterval = 1;
        settings.fSampleFreq = 100.0f;
        settings.nAnalysisBlockSize = kBlockSize;
        m_frame->GetProjectState().m_SampleSettings = settings;
        m_frame->GetSampleParamBar()->SetSampleSettings(settings);
        m_frame->GetSampleParamBar()->InitControls();
    }
};

TEST_F(FrameSpectrumTest, ALiveWindowFollowsARunThatStoresItsSpectra) {
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    ASSERT_EQ(g_nCaseCount, 3);
    UseVoltageConversion();
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);

    // The window command waits for spectrum analysis to be switched on.
    EXPECT_FALSE(m_frame->QueryCommandState(ID_NEW_SPECTRUM_WINDOW).m_bEnabled);
    ASSERT_TRUE(m_frame->RunCommand(ID_TOGGLE_SPECTRUM));
    SetAnalysisRun();
    ASSERT_TRUE(m_frame->QueryCommandState(ID_NEW_SPECTRUM_WINDOW).m_bEnabled);
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_SPECTRUM_WINDOW));
    ASSERT_EQ(m_frame->GetSpectrumFrames().size(), 1u);
    CFFTSpectrumChildFrm* window = m_frame->GetSpectrumFrames().front();
    EXPECT_EQ(window->GetDocument()->GetSelChannels(), std::vector<int>{0});
    EXPECT_EQ(m_frame->GetSpectrumViewCount(), 1);

    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    int livePeak = -1;
    ASSERT_TRUE(ProcessEventsUntil(
        [&] {
            if (!GraphOf(window).HasData() || lurrow::CountFftBlocks(FftFile(0), kLines) < 3)
                return false;
            livePeak = Peak(GraphOf(window).GetLine(0));
            return true;
        },
        60000));
    EXPECT_EQ(livePeak, kSineBin);
    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted(60000));

    // One file per online channel, each with one block per hand-over.
    Lurrow* graph = m_frame->GetGraphInterface();
    ASSERT_TRUE(graph->FlushSpectra());
    EXPECT_EQ(graph->GetDroppedBlockCount(), 0u);
    EXPECT_EQ(graph->GetRefusedSaveCount(), 0u);
    const int blocks = lurrow::CountFftBlocks(FftFile(0), kLines);
    EXPECT_EQ(blocks, m_frame->GetSampling().m_nRunStoredCount / kBlockSize);
    for (int unit : kUnits) {
        for (int ch = 0; ch < 16; ++ch) {
            const int channel = unit * 16 + ch;
            EXPECT_EQ(std::filesystem::file_size(FftFile(channel)),
                      static_cast<std::uintmax_t>(blocks) * kLines * 8)
                << "channel " << channel;
        }
    }
    EXPECT_EQ(lurrow::RecordedLineCount(m_scratch.File("Projects/Run"), "Run"), kLines);

    // After the run the window steps through the stored blocks from the data menu.
    EXPECT_EQ(window->GetDocument()->GetBlockCount(), blocks);
    EXPECT_EQ(window->GetDocument()->GetBlockIndex(), 0);
    EXPECT_FALSE(m_frame->QueryCommandState(ID_DATA_PREV_BLOCK).m_bEnabled);
    ASSERT_TRUE(m_frame->QueryCommandState(ID_DATA_NEXT_BLOCK).m_bEnabled);
    ASSERT_TRUE(m_frame->RunCommand(ID_DATA_NEXT_BLOCK));
    EXPECT_EQ(window->GetDocument()->GetBlockIndex(), 1);
    lurrow::Spectrum stored;
    ASSERT_TRUE(lurrow::ReadFftBlock(FftFile(0), kLines, 1, stored));
    EXPECT_NEAR(GraphOf(window).GetLine(0)[kSineBin], std::abs(stored[kSineBin]), 1e-3);
    EXPECT_EQ(Peak(GraphOf(window).GetLine(0)), kSineBin);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_DATA_PREV_BLOCK).m_bEnabled);

    // Vertical zoom, autoscale, the cursor switch and the picture copy from
    // the frame's data menu and browsing bar.
    const lurrow::CSpectrumGraph& shown = GraphOf(window);
    ASSERT_TRUE(shown.IsAutoScale());
    QAction* zoomIn = MenuItem("数据", ID_SPECTRUM_ZOOM_IN_Y);
    QAction* autoScale = MenuItem("数据", ID_SPECTRUM_AUTO_SCALE);
    ASSERT_TRUE(zoomIn != nullptr && autoScale != nullptr);
    EXPECT_FALSE(zoomIn->isEnabled()) << "no zoom while the scale follows the data";
    EXPECT_TRUE(autoScale->isChecked());
    autoScale->trigger();
    EXPECT_FALSE(shown.IsAutoScale());
    EXPECT_EQ(shown.GetYMax(), 5000.0) << "the default range";
    ASSERT_TRUE(MenuItem("数据", ID_SPECTRUM_ZOOM_IN_Y)->isEnabled());
    zoomIn->trigger();
    EXPECT_EQ(shown.GetYMax(), 2500.0);
    QAction* zoomOut = BrowseBarButton(ID_SPECTRUM_ZOOM_OUT_Y);
    ASSERT_TRUE(zoomOut != nullptr && zoomOut->isEnabled());
    zoomOut->trigger();
    EXPECT_EQ(shown.GetYMax(), 5000.0);
    QAction* cursor = BrowseBarButton(ID_SPECTRUM_CURSOR_SWITCH);
    ASSERT_TRUE(cursor != nullptr && cursor->isEnabled());
    cursor->trigger();
    EXPECT_EQ(shown.GetCursorMode(), 1);
    EXPECT_TRUE(BrowseBarButton(ID_SPECTRUM_CURSOR_SWITCH)->isChecked());
    cursor->trigger();
    EXPECT_EQ(shown.GetCursorMode(), 0) << "the switch turns the cursor off again";
    QApplication::clipboard()->clear();
    MenuItem("数据", ID_SPECTRUM_COPY_BITMAP)->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), window->GetView()->size());

    // A restart restores the window from the layout the frame saved at closing.
    window->GetView()->SetSelChannels({17, 130});
    m_frame->close();
    ASSERT_FALSE(m_frame->isVisible());
    EXPECT_EQ(
        platform::GetPrivateProfileInt("WindowLayout", "SpectrumViewCount", 0, m_scratch.File("QV7416.LYT")),
        1);
    m_app->ExitInstance();
    m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
    ASSERT_TRUE(m_app->InitInstance());
    m_frame = m_app->GetMainFrame();
    ASSERT_EQ(m_frame->GetSpectrumFrames().size(), 1u);
    EXPECT_EQ(m_frame->GetSpectrumFrames().front()->GetDocument()->GetSelChannels(),
              (std::vector<int>{17, 130}));
    EXPECT_EQ(m_frame->GetSpectrumViewCount(), 1);
}

} // namespace
