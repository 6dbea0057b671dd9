// The curve view's commands reached from the frame's menus over a stored
// run of the simulated cases: the File menu's save-as exports what the
// active curve view shows, and a project change resets the views.
#include "FrameRunFixture.h"

#include "app/OpenViewCounters.h"
#include "app/ui/DataViews.h"
#include "datafiles/SaveDataOptions.h"
#include "views/CurveViewWidget.h"

#include <QAction>

#include <fstream>
#include <string>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int kStored = 12;

class FrameCurveCommandsTest : public FrameRunTest {
protected:
    // A stored run and a curve window showing channels 0 and 1 over it.
    CCurveViewWidget& OpenStoredCurveView() {
        m_boxes.QueueAnswer(platform::IDYES);
        EXPECT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
        UseVoltageConversion();
        EXPECT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
        StoreTimedRun(kStored);
        EXPECT_EQ(m_frame->GetProjectState().m_nTotalDataCount, kStored);
        EXPECT_TRUE(m_frame->RunCommand(ID_NEW_REALTIME_WINDOW));
        CCurveViewWidget& view = *CCurveViewWidget::CurveViews().back();
        CurveSignalChoice choice;
        choice.ids = {0, 1};
        view.RefreshWorld();
        view.Model().ApplySignalChoice(choice, view.World());
        return view;
    }

    static std::size_t LineCount(const std::string& path) {
        std::ifstream in(path);
        std::size_t lines = 0;
        for (std::string line; std::getline(in, line);)
            ++lines;
        return lines;
    }
};

TEST_F(FrameCurveCommandsTest, SaveAsFromTheFileMenuExportsTheActiveCurveView) {
    CCurveViewWidget& view = OpenStoredCurveView();
    TableSavePreset preset;
    view.runSaveOptionsDialog = [&](const TableSavePreset& p, TableSaveKind, SaveDataOptions& options) {
        preset = p;
        options = SaveDataOptions{};
        options.nFileLayout = 1;
        options.bRelativeTime = 1;
        for (int id : p.items)
            options.nChannels[options.nChannelCount++] = id;
        return true;
    };
    const std::string exported = m_scratch.File("curves.txt");
    m_frame->SetFileChooser(
        [&](bool save, const std::string&, const std::string&, const std::string&, std::string& path) {
            path = exported;
            return save;
        });
    QAction* saveText = MenuItem("文件", ID_SAVE_AS_TEXT);
    ASSERT_NE(saveText, nullptr);
    ASSERT_TRUE(saveText->isEnabled());
    saveText->trigger();
    EXPECT_EQ(preset.items, (std::vector<int>{0, 1}));
    EXPECT_EQ(LineCount(exported), 2u + kStored) << "two heading lines and every stored sample";
    QAction* saveMat = MenuItem("文件", ID_SAVE_AS_MATLAB);
    ASSERT_NE(saveMat, nullptr);
    EXPECT_TRUE(saveMat->isEnabled());

    // Rosette curves cannot go to MATLAB; a project change brings the view
    // back to time curves with the X axis counting samples.
    view.Model().m_nLineType = 2;
    view.Model().m_Options.m_nXShowType = 1;
    EXPECT_FALSE(MenuItem("文件", ID_SAVE_AS_MATLAB)->isEnabled());
    m_frame->ResetAllViews();
    EXPECT_EQ(view.Model().m_nLineType, 1);
    EXPECT_EQ(view.Model().m_Options.m_nXShowType, 0);
    EXPECT_TRUE(MenuItem("文件", ID_SAVE_AS_MATLAB)->isEnabled());
}

} // namespace
