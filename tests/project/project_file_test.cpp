// The project file: what a write and a read carry, the program folder's
// file, and values from the file that must be bounded.
#include <gtest/gtest.h>

#include "ProjectTestSupport.h"
#include "model/AppSettings.h"
#include "model/FrameSettings.h"
#include "platform/RegistryProfile.h"
#include "project/ProjectFile.h"
#include "project/ProjectHandler.h"

namespace {

class ProjectFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProjectGlobals({3, 7});
        std::fill(std::begin(g_SlaveCaseTable), std::end(g_SlaveCaseTable), 0);
        m_state.m_strProgramFolder = m_folder.Path();
    }

    ProjectScratchFolder m_folder;
    CProjectState m_state;
};

TEST_F(ProjectFileTest, WriteAndReadCarryEveryTable) {
    const std::string path = m_folder.File("p.dap");
    g_nPriCaseVersion = 4;
    g_bPerCaseFiles = 1;
    g_nControllerCount = 2;
    g_SlaveCaseTable[7] = 5;
    m_state.m_nTotalDataCount = 123;
    m_state.m_bBalanceStatus = 1;
    m_state.m_strBalanceTime = "2024-03-05 14:07:09";
    m_state.m_nImportanceChannels = {4, 4100, -1, 17, 4224};
    m_state.m_SampleSettings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
    m_state.m_SampleSettings.fSampleFreq = 12.5f;
    ASSERT_EQ(WriteProjectFile(m_state, path), 1);
    EXPECT_EQ(platform::GetPrivateProfileInt("System", "SlaveCase7", -1, path), 5);
    EXPECT_EQ(platform::GetPrivateProfileInt("System", "SlaveCase511", -1, path), 0);
    EXPECT_EQ(platform::GetPrivateProfileInt("PortSetting", "m_nDeviceType", -1, path), 3);

    ResetProjectGlobals();
    CProjectState read;
    ASSERT_EQ(ReadProjectFile(read, path), 1);
    EXPECT_EQ(g_nCaseCount, 2);
    EXPECT_EQ(g_CaseList[0], 3);
    EXPECT_EQ(g_CaseList[1], 7);
    EXPECT_EQ(g_ChannelPos[7 * 16 + 2], 16 + 2);
    EXPECT_EQ(g_nPriCaseVersion, 4);
    EXPECT_EQ(g_bPerCaseFiles, 1);
    EXPECT_EQ(g_nControllerCount, 2);
    EXPECT_EQ(read.m_nTotalDataCount, 123);
    EXPECT_EQ(read.m_bBalanceStatus, 1);
    EXPECT_EQ(read.m_strBalanceTime, "2024-03-05 14:07:09");
    EXPECT_EQ(read.m_nImportanceChannels, m_state.m_nImportanceChannels);
    EXPECT_EQ(read.m_SampleSettings.nSampleMode, SAMPLE_MODE_CONTINUOUS);
    EXPECT_EQ(read.m_SampleSettings.fSampleFreq, 12.5f);
}

TEST_F(ProjectFileTest, ProgramFolderFileNeverChangesTheCaseTablesOrTheCount) {
    m_state.m_nTotalDataCount = 50;
    m_state.m_strBalanceTime = "t";
    ASSERT_EQ(WriteProjectFile(m_state, ""), 1);
    EXPECT_TRUE(platform::FileExists(m_folder.File("QV7416.dap")));

    ResetProjectGlobals({9});
    CProjectState read;
    read.m_strProgramFolder = m_folder.Path();
    read.m_nTotalDataCount = 8;
    ASSERT_EQ(ReadProjectFile(read, ""), 1);
    EXPECT_EQ(read.m_nTotalDataCount, 8);
    EXPECT_EQ(g_nCaseCount, 1);
    EXPECT_EQ(g_CaseList[0], 9);
    EXPECT_EQ(read.m_strBalanceTime, "t"); // always read
}

TEST_F(ProjectFileTest, ValuesFromTheFileAreBounded) {
    const std::string path = m_folder.File("bad.dap");
    WriteTextFile(path, "[SystemParam]\nTotalDataCount=-5\n[ChannelParam]\nCaseCount=1\nCaseID0=2\n"
                        "[ImportanceChannels]\nImportanceChannels0=99999\nImportanceChannels1=-7\n"
                        "ImportanceChannels2=12\n");
    CProjectState read;
    ASSERT_EQ(ReadProjectFile(read, path), 1);
    EXPECT_EQ(read.m_nTotalDataCount, 0);
    EXPECT_EQ(read.m_nImportanceChannels[0], -1);
    EXPECT_EQ(read.m_nImportanceChannels[1], -1);
    EXPECT_EQ(read.m_nImportanceChannels[2], 12);

    WriteTextFile(path, "[ChannelParam]\nCaseCount=100000\n");
    EXPECT_EQ(ReadProjectFile(read, path), 0);
    WriteTextFile(path, "[ChannelParam]\nCaseCount=0\nChannelCount=0\n");
    EXPECT_EQ(ReadProjectFile(read, path), 0); // an older-form list without channels
}

TEST_F(ProjectFileTest, WritingKeepsOtherKeysAndRefusesLineBreaks) {
    const std::string path = m_folder.File("shared.dap");
    WriteTextFile(path, "[Other]\nkeep=1\n[BalanceTime]\nm_strBalanceTime=before\n");
    m_state.m_strBalanceTime = "two\nlines";
    WriteProjectFile(m_state, path);
    EXPECT_EQ(platform::GetPrivateProfileInt("Other", "keep", 0, path), 1);
    EXPECT_EQ(platform::GetPrivateProfileString("BalanceTime", "m_strBalanceTime", "", path), "before");
    EXPECT_EQ(platform::GetPrivateProfileInt("ChannelParam", "CaseID1", -1, path), 7);
}

TEST(ProjectStatePathTest, SuffixesChangeTheFileNameOnly) {
    CProjectState state;
    state.SetProjectFile("/data/run.dat/P.x.dap");
    EXPECT_EQ(state.m_strProjectFolder, "/data/run.dat");
    EXPECT_EQ(state.m_strProjectName, "P.x");
    EXPECT_EQ(state.m_strProjectRoot, "/data");
    EXPECT_EQ(state.GetFilePath(".dat"), "/data/run.dat/P.x.dat");
    EXPECT_EQ(state.GetCaseFilePath(12, ".stu"), "/data/run.dat/P.x_12.stu");
    EXPECT_EQ(state.GetModuleInfoPath(), "/data/run.dat/Module.ifo");
    std::string folder;
    std::string name;
    EXPECT_EQ(state.GetProjectPath(folder, name), 0); // no project open yet
    state.m_nProjectState = PROJECT_OPENED;
    EXPECT_EQ(state.GetProjectPath(folder, name), 1);
    EXPECT_EQ(name, "P.x");
    EXPECT_EQ(CProjectState().GetFilePath(".dat"), "");
}

TEST_F(ProjectFileTest, DeviceType) {
    const std::string path = m_folder.File("d.dap");
    EXPECT_EQ(ReadDeviceType(path), 0);
    WriteDeviceType(m_state, path);
    EXPECT_EQ(ReadDeviceType(path), DEVICE_TYPE_QV7416);
    EXPECT_EQ(platform::GetPrivateProfileInt("SystemParam", "SubDeviceType", 0, path), DEVICE_TYPE_QV7416);
}

TEST_F(ProjectFileTest, FrameSettingsAlwaysSelectTheNetworkModel) {
    platform::CRegistryProfile profile("QV静态测试系统", "QV74xx");
    profile.SetRootFolder(m_folder.File("config"));
    for (const char* key : {"m_nWorkMode", "m_nInterfaceMode"}) {
        profile.WriteProfileInt("System", key, 1);
    }
    profile.WriteProfileInt("System", "Theme", 5);
    FrameSettings settings;
    m_state.m_nDeviceType = 1;
    m_state.m_strModelName = "QV7411";
    LoadFrameSettings(profile, settings, m_state);
    EXPECT_EQ(settings.nTheme, 5);
    EXPECT_EQ(settings.nHoldTimeSeconds, 10);
    EXPECT_EQ(settings.nWorkMode, 0);
    EXPECT_EQ(m_state.m_nInterfaceMode, 2);
    EXPECT_EQ(m_state.m_nDeviceType, 3);
    EXPECT_EQ(m_state.m_nSubDeviceType, 3);
    EXPECT_EQ(m_state.m_strModelName, "QV7416");
    SaveFrameSettings(profile, settings, m_state);
    EXPECT_EQ(profile.GetProfileInt("System", "m_nInterfaceMode", 0), 2);

    EXPECT_EQ(ProjectDialogInitialFolder(m_state), m_folder.File("Projects"));
    EXPECT_TRUE(platform::FolderExists(m_folder.File("Projects")));
    m_state.SetProjectFile(m_folder.File("root/P/P.dap"));
    EXPECT_EQ(ProjectDialogInitialFolder(m_state), m_folder.File("root"));
}

} // namespace
