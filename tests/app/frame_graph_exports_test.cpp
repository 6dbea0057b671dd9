// The history and bar windows' exports over a stored run of the simulated
// cases, from their own context menus and from the File menu while they
// are active: the save options offer the channels they show, and the file
// holds every stored sample. What was written is named in the status bar,
// the table window's picture too.
#include "FrameRunFixture.h"

#include "datafiles/ExportTestSupport.h"
#include "datafiles/SaveDataOptions.h"
#include "model/RunFlags.h"
#include "project/OpenViewCounters.h"
#include "views/bar/BarViewWidget.h"
#include "views/history/HistoryViewWidget.h"
#include "views/table/TableData.h"

#include <QAction>
#include <QImage>

#include <memory>
#include <string>

namespace {

constexpr int kStored = 9;

class FrameGraphExportsTest : public FrameRunTest {
protected:
    void SetUp() override {
        FrameRunTest::SetUp();
        if (HasFatalFailure())
            return;
        FindCasesAndPrepareProject();
        StoreTimedRun(kStored);
        ASSERT_EQ(m_frame->GetProjectState().m_nTotalDataCount, kStored);
        m_frame->SetFileChooser(
            [this](bool save, const std::string&, const std::string&, const std::string&, std::string& path) {
                path = m_scratch.File(m_exportName);
                return save;
            });
    }

    // The save options take the offered channels, every stored sample, one file.
    template <class Widget> void AnswerSaveOptions(Widget& view) {
        view.runSaveOptionsDialog = [this](const TableSavePreset& preset, TableSaveKind,
                                           SaveDataOptions& options) {
            m_offered = preset.items;
            options = SaveDataOptions{};
            options.nFileLayout = 1;
            for (int id : preset.items)
                options.nChannels[options.nChannelCount++] = id;
            return true;
        };
    }

    // As a right click does: the view's world read anew, then its menu.
    template <class Widget> static bool RightClickItem(Widget& view, int id) {
        view.RefreshWorld();
        return TriggerContextItem(view, id);
    }

    std::size_t ExportedLines() const { return exporttest::ReadLines(m_scratch.File(m_exportName)).size(); }

    // "另存为文本" from the view's context menu, then from the File menu
    // while it is active: each offers the channels and writes two heading
    // lines and every stored sample.
    template <class Widget>
    void ExpectTextExports(Widget& view, const std::vector<int>& channels, const std::string& name) {
        AnswerSaveOptions(view);
        m_exportName = name + "_menu.txt";
        ASSERT_TRUE(RightClickItem(view, ID_SAVE_AS_TEXT));
        EXPECT_EQ(m_offered, channels);
        EXPECT_EQ(ExportedLines(), 2u + kStored);

        m_offered.clear();
        m_exportName = name + "_file_menu.txt";
        QAction* saveText = MenuItem("文件", ID_SAVE_AS_TEXT);
        ASSERT_NE(saveText, nullptr);
        ASSERT_TRUE(saveText->isEnabled());
        saveText->trigger();
        EXPECT_EQ(m_offered, channels);
        EXPECT_EQ(ExportedLines(), 2u + kStored);
    }

    std::string m_exportName;
    std::vector<int> m_offered;
};

TEST_F(FrameGraphExportsTest, TheHistoryWindowExportsFromItsMenuAndTheFileMenu) {
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    CHistoryViewWidget& view = *CHistoryViewWidget::HistoryViews().front();
    std::vector<int> bands;
    for (int b = 0; b < view.Model().m_nBandsPerPage; ++b)
        bands.push_back(view.Model().m_Bands[std::size_t(b)].nChannel);
    ExpectTextExports(view, bands, "history");

    // Its picture through the frame's file choice.
    m_exportName = "history.bmp";
    ASSERT_TRUE(RightClickItem(view, ID_SAVE_AS_BITMAP));
    EXPECT_EQ(QImage(QString::fromStdString(m_scratch.File("history.bmp"))).size(), view.size());
}

TEST_F(FrameGraphExportsTest, TheBarWindowExportsFromItsMenuAndTheFileMenu) {
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_BAR_WINDOW));
    CBarViewWidget& view = *CBarViewWidget::BarViews().front();
    ASSERT_TRUE(view.Model().SetBars({2, 133}));
    ExpectTextExports(view, {2, 133}, "bars");
}

// What was written is named in the status bar; a file that cannot be
// written is said in a message and leaves the status bar as it was.
TEST_F(FrameGraphExportsTest, WrittenFilesAreNamedInTheStatusBarAndFailuresInAMessage) {
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_HISTORY_WINDOW));
    CHistoryViewWidget& view = *CHistoryViewWidget::HistoryViews().front();
    AnswerSaveOptions(view);
    const struct {
        int id;
        const char* name;
        const char* what;
    } written[] = {{ID_SAVE_AS_TEXT, "written.txt", "文本文件"},
                   {ID_SAVE_AS_BITMAP, "written.bmp", "位图文件"}};
    for (const auto& w : written) {
        m_exportName = w.name;
        QAction* item = MenuItem("文件", w.id);
        ASSERT_NE(item, nullptr);
        item->trigger();
        EXPECT_EQ(m_frame->GetStatusText().toStdString(),
                  std::string("已保存") + w.what + ": " + m_scratch.File(w.name));
    }
    const QString before = m_frame->GetStatusText();
    const std::size_t boxes = m_boxes.Records().size();
    m_exportName = "no such folder/failed.xls";
    MenuItem("文件", ID_SAVE_AS_EXCEL)->trigger();
    EXPECT_GT(m_boxes.Records().size(), boxes) << "the failure reaches the user";
    EXPECT_EQ(m_frame->GetStatusText(), before);
}

// The table window's picture is named in the status bar as the graph
// windows' files are.
TEST_F(FrameGraphExportsTest, TheTableWindowsPictureIsNamedInTheStatusBar) {
    ASSERT_TRUE(m_frame->RunCommand(ID_NEW_TABLE_WINDOW));
    m_exportName = "table.bmp";
    QAction* item = MenuItem("文件", ID_TABLE_SAVE_BITMAP);
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_FALSE(QImage(QString::fromStdString(m_scratch.File(m_exportName))).isNull());
    EXPECT_EQ(m_frame->GetStatusText().toStdString(), "已保存位图文件: " + m_scratch.File(m_exportName));
}

// Print and print preview of the File menu serve the active graph window as
// its own context menu does; never while sampling.
TEST_F(FrameGraphExportsTest, PrintFromTheFileMenuServesTheActiveGraphWindow) {
    constexpr int ID_FILE_PRINT = 57607, ID_FILE_PRINT_PREVIEW = 57609;
    for (int command : {ID_NEW_HISTORY_WINDOW, ID_NEW_REALTIME_WINDOW}) {
        ASSERT_TRUE(m_frame->RunCommand(command));
        for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW}) {
            QAction* item = MenuItem("文件", id);
            ASSERT_NE(item, nullptr);
            EXPECT_TRUE(item->isEnabled()) << command << " " << id;
        }
        g_bSampling = 1;
        EXPECT_FALSE(m_frame->QueryCommandState(ID_FILE_PRINT).m_bEnabled);
        g_bSampling = 0;
    }
}

} // namespace
