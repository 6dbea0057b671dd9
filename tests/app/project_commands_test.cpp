// The application's project commands: the project-file dialog's name rule,
// a new project once a device is connected, and recent projects whose file
// is gone.
#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "app/MainFrame.h"
#include "app/QV7411N_NewFrameApp.h"
#include "model/AppSettings.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

namespace {

class ProjectCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        m_app = std::make_unique<CQV7411N_NewFrameApp>(m_scratch.ProgramFolder());
        ASSERT_TRUE(m_app->InitInstance());
        m_frame = m_app->GetMainFrame();
    }
    void TearDown() override {
        m_frame->close();
        m_app->ExitInstance();
    }

    // The dialog answers with the queued paths, then cancels.
    void QueueChoices(std::vector<std::string> paths) {
        auto queue = std::make_shared<std::vector<std::string>>(std::move(paths));
        m_app->GetProjectFileDialog().SetChooser(
            [this, queue](bool open, const std::string& title, const std::string& folder) {
                m_titles.push_back(title);
                m_folders.push_back(folder);
                if (queue->empty()) {
                    return std::string();
                }
                std::string next = queue->front();
                queue->erase(queue->begin());
                return next;
            });
    }

    ShellScratch m_scratch;
    platform::MessageBoxRecorder m_boxes;
    std::unique_ptr<CQV7411N_NewFrameApp> m_app;
    CMainFrame* m_frame = nullptr;
    std::vector<std::string> m_titles;
    std::vector<std::string> m_folders;
};

TEST_F(ProjectCommandsTest, NewProjectRefusesLongNamesThenPreparesTheChosenFolder) {
    const std::string root = m_scratch.File("Projects");
    const std::string tooLong(61, 'a');
    QueueChoices({root + "/" + tooLong, root + "/" + std::string(60, 'b')});
    m_frame->SetDeviceConnected(1);
    m_app->OnFileNewProject();
    ASSERT_EQ(m_titles.size(), 2u);
    EXPECT_EQ(m_titles[0], "新建项目");
    EXPECT_EQ(m_folders[0], root);
    EXPECT_TRUE(platform::FolderExists(root));
    EXPECT_EQ(m_boxes.Records().back().text, "文件名太长");
    const CProjectState& project = m_frame->GetProjectState();
    EXPECT_EQ(project.m_nProjectState, PROJECT_PREPARED);
    EXPECT_EQ(project.m_strProjectName, std::string(60, 'b'));
    EXPECT_EQ(project.m_strProjectFolder, root + "/" + std::string(60, 'b'));
    EXPECT_TRUE(platform::FolderExists(project.m_strProjectFolder));
}

TEST_F(ProjectCommandsTest, CancelledNewProjectChangesNothing) {
    QueueChoices({});
    m_frame->SetDeviceConnected(1);
    m_app->OnFileNewProject();
    EXPECT_EQ(m_titles.size(), 1u);
    EXPECT_EQ(m_frame->GetProjectState().m_nProjectState, PROJECT_NONE);
}

TEST_F(ProjectCommandsTest, RecentProjectWhoseFileIsGoneLeavesTheList) {
    CRecentProjectList& recent = m_app->GetRecentProjects();
    recent.Add(m_scratch.File("old.dat"));
    recent.Add(m_scratch.File("gone.dap"));
    ASSERT_EQ(recent.GetCount(), 2);
    EXPECT_TRUE(m_frame->RunCommand(ID_FILE_MRU_FIRST));
    ASSERT_EQ(recent.GetCount(), 1);
    EXPECT_EQ(recent[0], m_scratch.File("old.dat"));
    EXPECT_EQ(m_frame->GetProjectState().m_nProjectState, PROJECT_NONE);
    EXPECT_FALSE(m_frame->QueryCommandState(ID_FILE_MRU_FIRST + 1).m_bEnabled);
}

TEST_F(ProjectCommandsTest, ExportThenImportNeedConfirmedCases) {
    EXPECT_FALSE(m_frame->QueryCommandState(ID_EXPORT_PROJECT).m_bEnabled);
    EXPECT_FALSE(m_frame->QueryCommandState(ID_IMPORT_PROJECT).m_bEnabled);
    m_frame->SetCasesFound(1);
    const std::string folder = m_scratch.File("Projects/E1");
    QueueChoices({folder, folder + "/E1.dap", m_scratch.File("Projects/none.dap")});
    EXPECT_TRUE(m_frame->RunCommand(ID_EXPORT_PROJECT));
    for (const char* suffix : {".dap", ".chn", ".Pam"}) {
        EXPECT_TRUE(platform::FileExists(folder + "/E1" + suffix)) << suffix;
    }
    EXPECT_TRUE(m_frame->RunCommand(ID_IMPORT_PROJECT));
    EXPECT_EQ(m_titles[1], "打开项目");
    EXPECT_TRUE(m_frame->RunCommand(ID_IMPORT_PROJECT));
    EXPECT_EQ(m_boxes.Records().back().text, "未查找到采样参数文件，导入失败。");
    m_frame->GetProjectState().m_nProjectState = PROJECT_OPENED;
    EXPECT_FALSE(m_frame->QueryCommandState(ID_IMPORT_PROJECT).m_bEnabled);
    EXPECT_TRUE(m_frame->QueryCommandState(ID_EXPORT_PROJECT).m_bEnabled);
    m_frame->GetProjectState().m_nProjectState = PROJECT_NONE;
}

TEST_F(ProjectCommandsTest, MissingHelpFileIsReported) {
    EXPECT_TRUE(m_frame->RunCommand(ID_HELP_FILE));
    EXPECT_EQ(m_boxes.Records().back().text, "未找到相应的帮助文件，无法显示帮助信息！");
    EXPECT_EQ(m_boxes.Records().back().caption, g_strAppTitle);
}

} // namespace
