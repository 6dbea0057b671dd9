// Project handling in a scratch folder: preparing a project and exactly which
// files it leaves, reopening it, stored-sample counts, the questions before
// a run, import and export, and the virtual-channel value files.
#include <gtest/gtest.h>

#include <cstring>

#include "ProjectTestSupport.h"
#include "datafiles/SampleFileFormat.h"
#include "datafiles/VirtualChannelValueFiles.h"
#include "model/AppSettings.h"
#include "platform/MessageBox.h"
#include "project/BalanceResults.h"
#include "project/ProjectFile.h"
#include "project/ProjectHandler.h"

namespace {

VirtualChannelRecord MakeVirtualChannel(std::uint8_t fill) {
    VirtualChannelRecord record;
    std::memset(record.bytes, fill, sizeof(record.bytes));
    return record;
}

class ProjectHandlingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProjectGlobals({3, 7});
        m_state.m_strProgramFolder = m_folder.Path();
        m_hooks.onStateChanged = [this](int state) { m_stateChanges.push_back(state); };
        m_hooks.resetViews = [this] { ++m_viewResets; };
        m_hooks.selectNewProject = [this](std::string& folder, std::string& name) {
            if (m_newProjectName.empty()) {
                return false;
            }
            folder = m_folder.File("projects/" + m_newProjectName);
            name = m_newProjectName;
            return true;
        };
        m_hooks.switchViewsToLive = [this](int total) { m_liveTotal = total; };
    }

    std::string ProjectFile(const std::string& name) const {
        return m_folder.File("projects/" + name + "/" + name + ".dap");
    }

    ProjectScratchFolder m_folder;
    CProjectState m_state;
    ProjectHooks m_hooks;
    std::vector<int> m_stateChanges;
    int m_viewResets = 0;
    int m_liveTotal = -1;
    std::string m_newProjectName;
    platform::MessageBoxRecorder m_boxes;
};

TEST_F(ProjectHandlingTest, PreparedProjectHoldsExactlyItsFiles) {
    m_state.m_VirtualChannels = {MakeVirtualChannel(1), MakeVirtualChannel(2)};
    m_state.m_strBalanceTime = "平衡时间";
    m_state.m_nTotalDataCount = 77; // of the previous project
    CProjectHandler handler(m_state, m_hooks);
    ASSERT_EQ(handler.PrepareProject(ProjectFile("P")), 1);

    EXPECT_EQ(m_state.m_nProjectState, PROJECT_PREPARED);
    EXPECT_EQ(m_stateChanges, (std::vector<int>{PROJECT_PREPARED}));
    EXPECT_EQ(m_state.m_strProjectRoot, m_folder.File("projects"));
    EXPECT_EQ(m_viewResets, 1);
    const std::string folder = m_folder.File("projects/P");
    EXPECT_EQ(FileNames(folder),
              (std::vector<std::string>{"P.PamNew", "P.chn", "P.dap", "P.rsc", "P.sfc", "P.zer"}));

    const std::string dap = folder + "/P.dap";
    EXPECT_EQ(platform::GetPrivateProfileInt("SystemParam", "TotalDataCount", -1, dap), 0);
    EXPECT_EQ(platform::GetPrivateProfileInt("SystemParam", "DeviceType", -1, dap), 3);
    EXPECT_EQ(platform::GetPrivateProfileInt("CaseDataFile", "SingleCaseFile", -1, dap), 1);
    EXPECT_EQ(platform::GetPrivateProfileInt("ChannelParam", "CaseID1", -1, dap), 7);
    EXPECT_EQ(platform::FileSize(folder + "/P.PamNew"), 152 + 2 * 1116);
    EXPECT_EQ(platform::FileSize(folder + "/P.zer"),
              std::int64_t(ZERO_BLOCK_SIZE + platform::Utf8ToGbk("平衡时间").size()));
}

TEST_F(ProjectHandlingTest, PreparingAgainRemovesOnlyTheProjectsOwnFiles) {
    const std::string folder = m_folder.File("projects/P");
    platform::CreateFolder(folder + "/sub");
    for (const char* own : {"P.dat", "P.stu", "P.xls", "P_3.dat", "P_12.stu", "P1.vit", "P2.sfd", "P.mrk",
                            "P.LYT", "Module.ifo", "P.dat.bak"}) {
        WriteTextFile(folder + "/" + own, "old");
    }
    WriteTextFile(folder + "/sub/keep.txt", "x");
    CProjectHandler handler(m_state, m_hooks);
    ASSERT_EQ(handler.PrepareProject(folder + "/P.dap"), 1);
    EXPECT_EQ(FileNames(folder),
              (std::vector<std::string>{"P.PamNew", "P.chn", "P.dap", "P.rsc", "P.sfc", "P.zer", "sub"}));
    EXPECT_TRUE(platform::FileExists(folder + "/sub/keep.txt"));
}

TEST_F(ProjectHandlingTest, ForeignFolderIsRefusedAndEveryFileSurvives) {
    const std::string folder = m_folder.File("projects/P");
    platform::CreateFolder(folder);
    const std::vector<std::string> files{"P.dat", "Pressure.dat", "notes.txt"};
    for (const std::string& file : files) {
        WriteTextFile(folder + "/" + file, "mine");
    }
    CProjectHandler handler(m_state, m_hooks);
    EXPECT_EQ(handler.PrepareProject(folder + "/P.dap"), 0);
    EXPECT_EQ(FileNames(folder), files);
    EXPECT_EQ(ReadTextFile(folder + "/P.dat"), "mine");
    EXPECT_EQ(m_state.m_nProjectState, PROJECT_NONE);
    EXPECT_TRUE(m_state.m_strProjectName.empty());
    EXPECT_EQ(m_boxes.Records().size(), 1u);
}

TEST_F(ProjectHandlingTest, OwnFileRule) {
    const std::pair<const char*, bool> cases[] = {
        {"P.dap", true},     {"P_3.dat", true}, {"P12.vit", true},  {"P.PamNew", true}, {"Module.ifo", true},
        {"P.chn.tmp", true}, {"P_.dat", false}, {"P_x.stu", false}, {"Pa.dat", false},  {"P.txt", false},
        {"Q.dap", false},    {"P.vit", false},  {"p.dap", false},
    };
    for (const auto& [file, own] : cases) {
        EXPECT_EQ(IsProjectOwnFile("P", file), own) << file;
    }
}

TEST_F(ProjectHandlingTest, ReopenedProjectGivesBackEveryTable) {
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        g_ChannelParams[id].nChannelId = id;
        g_ChannelParams[id].nMeasureType = id % 7;
        g_ChannelParams[id].fGaugeFactor = 2.0f + float(id) / 1000.0f;
        g_ChannelParams[id].nZero = id - 2000;
    }
    m_state.m_SampleSettings.nSampleMode = SAMPLE_MODE_TIMED;
    m_state.m_SampleSettings.nSampleInterval = 3;
    m_state.m_SampleSettings.fSampleFreq = 7.5f;
    m_state.m_VirtualChannels = {MakeVirtualChannel(9)};
    m_state.m_bBalanceStatus = 1;
    m_state.m_strBalanceTime = "2024-03-05 14:07:09";
    m_state.m_nImportanceChannels = {1, 2, 3, 4, 5};
    RosetteGroupRecord rosette{"R1", 0, {48, 49, -1, -1}, 1, 2, 0, 5.0f, -5.0f};
    ResidualStressGroupRecord residual{"H1", 1, {48, 49, 50}, 0, 0, 1, 1, 1.5f, 1, 1, 0.5f, 1, 1.5f};
    m_state.m_RosetteGroups = {rosette};
    m_state.m_ResidualGroups = {residual};
    CProjectHandler writer(m_state, m_hooks);
    ASSERT_EQ(writer.PrepareProject(ProjectFile("R")), 1);
    // The groups' gauges are strain channels.
    for (const int id : {48, 49, 50})
        g_ChannelParams[id].nMeasureType = 0;
    writer.SaveProjectState();
    WriteCaseRunFiles(m_state, 3, 5, 5);
    WriteCaseRunFiles(m_state, 7, 5, 5);
    std::vector<ChannelParamRecord> params(g_ChannelParams, g_ChannelParams + MAX_CHANNEL_COUNT);

    ResetProjectGlobals();
    CProjectState reopened;
    bool zerosLoaded = false;
    ProjectHooks hooks;
    hooks.zerosLoaded = [&] { zerosLoaded = true; };
    CProjectHandler reader(reopened, hooks);
    ASSERT_EQ(reader.OpenProjectData(ProjectFile("R")), 1);

    EXPECT_EQ(reopened.m_nProjectState, PROJECT_OPENED);
    EXPECT_EQ(reopened.m_strProjectName, "R");
    EXPECT_EQ(reopened.m_nTotalDataCount, 5);
    EXPECT_TRUE(m_boxes.Records().empty()) << "a sound project opens without a word";
    EXPECT_EQ(g_nCaseCount, 2);
    EXPECT_EQ(g_CaseList[1], 7);
    EXPECT_EQ(reopened.m_SampleSettings.nSampleInterval, 3);
    EXPECT_EQ(reopened.m_SampleSettings.fSampleFreq, 7.5f);
    ASSERT_EQ(reopened.m_VirtualChannels.size(), 1u);
    EXPECT_EQ(reopened.m_VirtualChannels[0].bytes[1115], 9);
    ASSERT_EQ(reopened.m_RosetteGroups.size(), 1u) << "the project's .sfc";
    EXPECT_EQ(std::memcmp(&reopened.m_RosetteGroups[0], &rosette, sizeof rosette), 0);
    ASSERT_EQ(reopened.m_ResidualGroups.size(), 1u) << "the project's .rsc";
    EXPECT_EQ(std::memcmp(reopened.m_ResidualGroups[0].Channel, residual.Channel, sizeof residual.Channel),
              0);
    EXPECT_EQ(reopened.m_ResidualGroups[0].HoleRadius, 1.5f);
    EXPECT_EQ(reopened.m_strBalanceTime, "2024-03-05 14:07:09");
    EXPECT_EQ(reopened.m_nImportanceChannels, m_state.m_nImportanceChannels);
    EXPECT_TRUE(zerosLoaded);
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id) {
        ASSERT_EQ(g_ChannelParams[id].nMeasureType, params[id].nMeasureType) << id;
        ASSERT_EQ(g_ChannelParams[id].fGaugeFactor, params[id].fGaugeFactor) << id;
        ASSERT_EQ(g_ChannelParams[id].nZero, params[id].nZero) << id;
    }

    reader.CloseProject();
    EXPECT_EQ(platform::GetPrivateProfileInt("SystemParam", "TotalDataCount", -1, ProjectFile("R")), 5);
    EXPECT_EQ(reopened.m_nProjectState, PROJECT_NONE);
    EXPECT_EQ(reopened.m_nTotalDataCount, 0);
    EXPECT_TRUE(reopened.m_VirtualChannels.empty());
    EXPECT_TRUE(reopened.m_RosetteGroups.empty());
    EXPECT_TRUE(reopened.m_ResidualGroups.empty());
}

TEST_F(ProjectHandlingTest, OpeningAnotherDevicesProjectChangesNothing) {
    const std::string path = m_folder.File("other.dap");
    WriteTextFile(path, "[SystemParam]\nDeviceType=4\n");
    m_state.SetProjectFile(m_folder.File("cur/cur.dap"));
    CProjectHandler handler(m_state, m_hooks);
    EXPECT_EQ(handler.OpenProjectData(path), 0);
    EXPECT_EQ(m_state.m_strProjectName, "cur");
    ASSERT_EQ(m_boxes.Records().size(), 1u);
    EXPECT_EQ(m_boxes.Records()[0].caption, "打开数据提示");
}

TEST_F(ProjectHandlingTest, StoredSampleCountsOfBothArrangements) {
    m_state.SetProjectFolderAndName(m_folder.Path(), "S");
    CProjectHandler handler(m_state, m_hooks);
    ResetProjectGlobals({1, 2, 4});
    struct Case {
        std::int64_t dat, stu;
        int result, count; // a failed count leaves the last one
    };
    const Case cases[] = {
        {2 * 3 * 68, 64, 1, 2}, {5 * 3 * 68 + 10, 3 * 32, 1, 3}, {0, 64, 0, 3}, {-1, -1, 0, 3}};
    for (const Case& c : cases) {
        std::filesystem::remove(m_state.GetFilePath(".dat"));
        std::filesystem::remove(m_state.GetFilePath(".stu"));
        if (c.dat >= 0) {
            WriteSizedFile(m_state.GetFilePath(".dat"), c.dat);
            WriteSizedFile(m_state.GetFilePath(".stu"), c.stu);
        }
        EXPECT_EQ(handler.UpdateStoredDataCount(), c.result) << c.dat;
        EXPECT_EQ(m_state.m_nTotalDataCount, c.count) << c.dat;
    }

    // Per case: the whole sets that every online case holds in both files.
    g_bPerCaseFiles = 1;
    WriteCaseRunFiles(m_state, 1, 8, 9);
    WriteCaseRunFiles(m_state, 2, 7, 7);
    WriteCaseRunFiles(m_state, 4, 9, 9);
    std::ofstream(m_state.GetCaseFilePath(4, ".dat"), std::ios::app) << "cut";
    WriteCaseRunFiles(m_state, 5, 50, 50); // not online
    EXPECT_EQ(handler.UpdateStoredDataCount(), 1);
    EXPECT_EQ(m_state.m_nTotalDataCount, 7);

    CProjectState none;
    CProjectHandler noProject(none, m_hooks);
    g_bPerCaseFiles = 0;
    EXPECT_EQ(noProject.UpdateStoredDataCount(), 0);
    EXPECT_EQ(m_boxes.Records().back().text, "数据文件不存在!");
}

TEST_F(ProjectHandlingTest, QuestionsBeforeARun) {
    CProjectHandler handler(m_state, m_hooks);
    EXPECT_EQ(handler.ConfirmProjectForSampling(), 0); // no project and the dialog cancelled
    m_newProjectName = "N";
    ASSERT_EQ(handler.ConfirmProjectForSampling(), 1);
    EXPECT_EQ(m_state.m_strProjectName, "N");
    EXPECT_EQ(m_state.m_nProjectState, PROJECT_PREPARED);
    EXPECT_TRUE(m_boxes.Records().empty());

    m_state.m_nProjectState = PROJECT_OPENED;
    m_state.m_nTotalDataCount = 44;
    m_state.m_SampleSettings.nSampleMode = SAMPLE_MODE_TIMED;
    ASSERT_EQ(handler.ConfirmProjectForSampling(), 1); // timed: append without asking
    EXPECT_TRUE(m_state.m_bAppendData);
    EXPECT_EQ(m_liveTotal, 44);

    m_state.m_SampleSettings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    struct Case {
        std::vector<int> answers;
        int result;
        bool append;
        int state;
    };
    const Case cases[] = {
        {{platform::IDYES}, 1, true, PROJECT_OPENED},
        {{platform::IDCANCEL}, 0, false, PROJECT_OPENED}, // gives up the start, asks nothing more
    };
    for (const Case& c : cases) {
        m_state.m_nProjectState = PROJECT_OPENED;
        for (int answer : c.answers) {
            m_boxes.QueueAnswer(answer);
        }
        const std::size_t before = m_boxes.Records().size();
        EXPECT_EQ(handler.ConfirmProjectForSampling(), c.result);
        EXPECT_EQ(m_boxes.Records().size(), before + c.answers.size());
        EXPECT_EQ(m_state.m_bAppendData, c.append);
        EXPECT_EQ(m_state.m_nProjectState, c.state);
    }
    EXPECT_EQ(m_state.m_strProjectName, "N");

    // A prepared project: asked only when no project file was chosen for it.
    const int resets = m_viewResets;
    const std::size_t boxes = m_boxes.Records().size();
    m_state.m_nProjectState = PROJECT_PREPARED;
    EXPECT_EQ(handler.ConfirmProjectForSampling(), 1);
    EXPECT_EQ(m_viewResets, resets + 1);
    EXPECT_EQ(m_boxes.Records().size(), boxes);

    m_state.m_strProjectFile.clear();
    m_boxes.QueueAnswer(platform::IDCANCEL);
    EXPECT_EQ(handler.ConfirmProjectForSampling(), 0);
    EXPECT_EQ(m_boxes.Records().back().flags & platform::MB_DEFMASK, platform::MB_DEFBUTTON2);
    m_state.m_strProjectFile.clear();
    m_newProjectName = "M";
    m_boxes.QueueAnswer(platform::IDYES);
    m_boxes.QueueAnswer(platform::IDNO); // not sure after all: a new project
    EXPECT_EQ(handler.ConfirmProjectForSampling(), 1);
    EXPECT_EQ(m_state.m_strProjectName, "M");
}

TEST_F(ProjectHandlingTest, ExportThenImport) {
    m_state.m_SampleSettings.nSampleInterval = 33;
    m_state.m_VirtualChannels = {MakeVirtualChannel(4)};
    g_ChannelParams[100].fGaugeFactor = 2.11f;
    CProjectHandler handler(m_state, m_hooks);
    const std::string folder = m_folder.File("export/E");
    ASSERT_EQ(handler.ExportProject(folder, "X"), 1);
    EXPECT_EQ(FileNames(folder), (std::vector<std::string>{"X.Pam", "X.chn", "X.dap"}));
    const std::vector<std::string> sections = platform::GetPrivateProfileSectionNames(folder + "/X.dap");
    EXPECT_EQ(sections, (std::vector<std::string>{"SystemParam", "SingleMonitor", "StrainRef", "CaseDataFile",
                                                  "ControllerModule"}));
    EXPECT_EQ(platform::GetPrivateProfileString("SystemParam", "TotalDataCount", "none", folder + "/X.dap"),
              "none");

    ResetProjectGlobals();
    CProjectState imported;
    int rebuilt = 0;
    ProjectHooks hooks;
    hooks.rebuildChannelBar = [&] { ++rebuilt; };
    CProjectHandler importer(imported, hooks);
    ASSERT_EQ(importer.ImportProject(folder, "X"), 1);
    EXPECT_EQ(imported.m_SampleSettings.nSampleInterval, 33);
    EXPECT_EQ(g_ChannelParams[100].fGaugeFactor, 2.11f);
    ASSERT_EQ(imported.m_VirtualChannels.size(), 1u);
    EXPECT_EQ(rebuilt, 1);

    std::filesystem::remove(folder + "/X.chn");
    EXPECT_EQ(importer.ImportProject(folder, "X"), 0);
    EXPECT_EQ(importer.ImportProject(folder, "Y"), 0);
    ASSERT_EQ(m_boxes.Records().size(), 2u);
    EXPECT_EQ(m_boxes.Records()[0].text, "未查找到通道参数文件，导入失败。");
    EXPECT_EQ(m_boxes.Records()[1].text, "未查找到采样参数文件，导入失败。");
}

TEST_F(ProjectHandlingTest, VirtualChannelValueFilesAppendAndSurviveClosing) {
    m_state.SetProjectFolderAndName(m_folder.Path(), "V");
    m_state.m_VirtualChannels = {MakeVirtualChannel(0), MakeVirtualChannel(0)};
    CVirtualChannelValueFiles files;
    ASSERT_EQ(files.Open(m_state), 2);
    EXPECT_EQ(files.Append(0, 1.0f), 1);
    EXPECT_EQ(files.Append(0, 2.0f), 1);
    EXPECT_EQ(files.Append(5, 2.0f), 0);
    files.Close();
    EXPECT_EQ(files.GetOpenCount(), 0);
    EXPECT_EQ(platform::FileSize(m_folder.File("V1.vit")), 8); // closing keeps the files
    EXPECT_EQ(platform::FileSize(m_folder.File("V2.vit")), 0);

    m_state.m_bAppendData = true; // an appended run writes after the stored samples
    m_state.m_nTotalDataCount = 1;
    ASSERT_EQ(files.Open(m_state), 2);
    files.Append(0, 9.0f);
    files.Close();
    const std::string content = ReadTextFile(m_folder.File("V1.vit"));
    ASSERT_EQ(content.size(), 8u);
    float second = 0;
    std::memcpy(&second, content.data() + 4, 4);
    EXPECT_EQ(second, 9.0f);

    m_state.m_bAppendData = false; // a new run starts them empty
    ASSERT_EQ(files.Open(m_state), 2);
    files.Close();
    EXPECT_EQ(platform::FileSize(m_folder.File("V1.vit")), 0);
}

TEST(ProjectPathTest, ChosenPathsAndPaneTexts) {
    struct Case {
        const char* chosen;
        int result;
        const char* folder;
        const char* name;
    };
    const std::string longName(61, 'n');
    const std::string okName(60, 'n');
    const std::vector<Case> cases = {
        {"/d/A/A.dap", 1, "/d/A", "A"},
        {"/d/F/B", 1, "/d/F/B", "B"},
        {"/d/F.dat/C.DAP", 1, "/d/F.dat", "C"},
        {"/d/x.y/项目", 1, "/d/x.y/项目", "项目"},
    };
    for (const Case& c : cases) {
        std::string folder;
        std::string name;
        EXPECT_EQ(SplitChosenProjectPath(c.chosen, folder, name), c.result) << c.chosen;
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(name, c.name);
    }
    std::string folder;
    std::string name;
    EXPECT_EQ(SplitChosenProjectPath("/d/" + longName, folder, name), 0);
    EXPECT_EQ(SplitChosenProjectPath("/d/" + okName, folder, name), 1);

    using Panes = std::pair<std::string, std::string>;
    EXPECT_EQ(DataCountPaneTexts(1, 3, 9, true, 0), Panes("当前采集到数据个数:3", "当前项目数据总数:9"));
    EXPECT_EQ(DataCountPaneTexts(1, 3, 9, false, 1), Panes("当前窗口数据计数", "当前项目数据总数"));
    EXPECT_EQ(DataCountPaneTexts(2, 3, 9, false, 2), Panes("当前窗口数据个数:3", "当前项目数据总数:9"));
    EXPECT_EQ(DataCountPaneTexts(4, 3, 9, false, 3), Panes("当前窗口数据批次:3", "当前项目数据总数:9"));
    EXPECT_EQ(DataCountPaneTexts(7, 3, 9, false, 2), Panes("", ""));
}

} // namespace
