// The storage rule in the registry profile, the high-speed channel list,
// automatic project naming under a fixed clock, and splitting a long run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "datafiles/VirtualChannelValueFiles.h"
#include "model/AutoProjectName.h"
#include "model/HighSpeedChannels.h"
#include "model/StorageRule.h"
#include "platform/MessageBox.h"
#include "platform/RegistryProfile.h"
#include "project/ProjectFile.h"
#include "project/ProjectTestSupport.h"
#include "project/StorageSplit.h"

namespace {

class StorageRuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProjectGlobals();
        m_profile.SetRootFolder(m_folder.File("config"));
    }

    StorageRuleSettings RuleWithPaths(const std::vector<std::string>& paths) {
        StorageRuleSettings rule;
        rule.nFilePathCount = static_cast<int>(paths.size());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            CopyToField(rule.szSavePath[i], STORAGE_PATH_SIZE, paths[i]);
        }
        CopyToField(rule.szProjectName, STORAGE_NAME_SIZE, "Run");
        return rule;
    }

    ProjectScratchFolder m_folder;
    platform::CRegistryProfile m_profile{"QV静态测试系统", "QV74xx"};
    FixedProjectClock m_clock;
    platform::MessageBoxRecorder m_boxes;
};

TEST_F(StorageRuleTest, RuleRoundTripsThroughTheRegistryProfile) {
    StorageRuleSettings loaded;
    EXPECT_EQ(LoadStorageRule(m_profile, loaded), 0); // nothing stored yet
    SetDefaultStoragePath(loaded, "/data");
    EXPECT_EQ(loaded.nFilePathCount, 1);

    StorageRuleSettings rule = RuleWithPaths({"/a", "/b/数据"});
    rule.bDataStoring = 1;
    rule.iDataIndex = 2;
    rule.bTimeStoring = 1;
    rule.iTimeIndex = 3;
    rule.bNumStoring = 1;
    rule.iStartNum = 17;
    rule.iNumDefaultLength = 6;
    rule.bAutoName = 1;
    rule.bSetSave = 1;
    rule.StoreValue = 30;
    rule.StoreType = STORE_BY_MINUTES;
    rule.bTrigSave = 1;
    rule.bUnstored = 1;
    rule.nTrigChan = 300;
    rule.fTrigValue = 1.5f;
    SaveStorageRule(m_profile, rule);
    EXPECT_EQ(m_profile.GetProfileString("StorageRule", "fTrigValue"), "1.500");

    ASSERT_EQ(LoadStorageRule(m_profile, loaded), 1);
    rule.bUnstored = 0; // never stored
    EXPECT_EQ(std::memcmp(&loaded, &rule, sizeof(rule)), 0);
}

TEST_F(StorageRuleTest, CountsAndNamesFromTheProfileAreBounded) {
    m_profile.WriteProfileInt("StorageRule", "FilePathCount", 25);
    for (int i = 0; i < 25; ++i) {
        m_profile.WriteProfileString("StorageRule", "SavePath" + std::to_string(i), "/p" + std::to_string(i));
    }
    m_profile.WriteProfileString("StorageRule", "ProjectName", "一个很长很长的项目名称");
    m_profile.WriteProfileString("StorageRule", "SavePath3", std::string(400, 'x'));
    StorageRuleSettings rule;
    LoadStorageRule(m_profile, rule);
    EXPECT_EQ(rule.nFilePathCount, 20);
    EXPECT_EQ(StoragePath(rule, 19), "/p19");
    EXPECT_EQ(StoragePath(rule, 3).size(), 259u);
    EXPECT_EQ(StorageProjectName(rule), "一个很长很"); // 15 bytes at most, whole characters
}

TEST_F(StorageRuleTest, HighSpeedChannelList) {
    EXPECT_EQ(HighSpeedChannelFilePath("/prog", "QV7416"), "/prog/7416.HSC");
    const std::string path = m_folder.File("7416.HSC");
    WriteTextFile(path, "[HighSpeed]\nChannelCount=5\nChannel0=12\nChannel1=7\nChannel2=300\nChannel3=\n"
                        "Channel4=44\n");
    EXPECT_EQ(LoadHighSpeedChannels(path), (std::vector<int>{12, 7, 300, 44}));
    EXPECT_TRUE(LoadHighSpeedChannels(m_folder.File("none.HSC")).empty());

    EXPECT_EQ(IsHighSpeedSampling(4, 256.0f), 0);
    EXPECT_EQ(IsHighSpeedSampling(4, 512.0f), 1);
    EXPECT_EQ(IsHighSpeedSampling(3, 512.0f), 0);
    EXPECT_EQ(SpeedModeForCases(4, 512.0f), 2);
    EXPECT_EQ(SpeedModeForCases(4, 256.0f), 1);
}

TEST_F(StorageRuleTest, AutomaticNameSuffixes) {
    struct Case {
        int date, dateMode, time, timeMode, number, width;
        const char* suffix;
    };
    const Case cases[] = {
        {1, 1, 0, 0, 1, 4, "_20240305_0017"},     {0, 1, 1, 0, 1, 3, "_017"},
        {1, 2, 1, 0, 0, 0, "_03_05_2024_140709"}, {0, 0, 1, 3, 0, 0, "_09_07_14"},
        {0, 4, 0, 0, 0, 0, "_05_03_2024"}, // neither number nor time: the date always
        {1, 9, 0, 0, 0, 0, "_2024_03_05"},
    };
    for (const Case& c : cases) {
        StorageRuleSettings rule;
        rule.bDataStoring = c.date;
        rule.iDataIndex = c.dateMode;
        rule.bTimeStoring = c.time;
        rule.iTimeIndex = c.timeMode;
        rule.bNumStoring = c.number;
        rule.iStartNum = 17;
        rule.iNumDefaultLength = c.width;
        EXPECT_EQ(BuildAutoNameSuffix(rule, m_clock.now), c.suffix);
    }
}

TEST_F(StorageRuleTest, AutomaticNamingPicksAPathWithRoomAndMovesTheNumberOn) {
    const std::string full = m_folder.File("full");
    const std::string roomy = m_folder.File("roomy");
    m_clock.freeSpace[full] = AUTO_NAME_MIN_FREE_BYTES - 1;
    StorageRuleSettings rule = RuleWithPaths({full, roomy});
    rule.bNumStoring = 1;
    rule.iStartNum = 1;
    rule.iNumDefaultLength = 3;
    platform::CreateFolder(roomy + "/Run_001");
    WriteTextFile(roomy + "/Run_001/Run_001.dap", "[SystemParam]\n");

    AutoNameContext context{&m_clock, &m_profile, false, 0};
    std::string folder;
    std::string name;
    ASSERT_EQ(MakeAutoProjectName(rule, context, folder, name), 1);
    EXPECT_EQ(folder, roomy + "/Run_002");
    EXPECT_EQ(name, "Run_002");
    EXPECT_EQ(rule.iStartNum, 3);
    EXPECT_EQ(m_profile.GetProfileInt("StorageRule", "iStartNum", 0), 3);

    // A continuous run with the size check needs room for its estimate too.
    rule.bSetSave = 1;
    rule.StoreType = STORE_BY_SIZE_MB;
    rule.StoreValue = 100;
    context.bContinuousRun = true;
    EXPECT_EQ(RequiredFreeSpace(rule, context), (std::int64_t(120) << 20) + AUTO_NAME_MIN_FREE_BYTES);
    rule.StoreType = STORE_BY_MINUTES;
    rule.StoreValue = 2;
    context.nCaseCount = 4;
    EXPECT_EQ(RequiredFreeSpace(rule, context), 4 * 123 * 32 + AUTO_NAME_MIN_FREE_BYTES);
    m_clock.freeSpace[roomy] = RequiredFreeSpace(rule, context) - 1;
    EXPECT_EQ(MakeAutoProjectName(rule, context, folder, name), 0);
    ASSERT_EQ(m_boxes.Records().size(), 1u);
    EXPECT_EQ(m_boxes.Records()[0].text, "获取自动命名路径失败!");
}

TEST_F(StorageRuleTest, TakenNameThatCannotChangeIsRefusedNotReused) {
    const std::string root = m_folder.File("store");
    StorageRuleSettings rule = RuleWithPaths({root});
    rule.bNumStoring = 0;
    rule.bTimeStoring = 1; // the clock does not move
    const std::string taken = root + "/Run_140709";
    platform::CreateFolder(taken);
    WriteTextFile(taken + "/Run_140709.dap", "");
    std::string folder = "caller";
    std::string name = "caller";
    AutoNameContext context{&m_clock, nullptr, false, 0};
    EXPECT_EQ(MakeAutoProjectName(rule, context, folder, name), 0);
    EXPECT_EQ(folder, "caller");
    m_clock.now.second = 10; // the clock moved: a new name
    ASSERT_EQ(MakeAutoProjectName(rule, context, folder, name), 1);
    EXPECT_EQ(name, "Run_140710");
}

class RecordingStorage : public ICaseDataStorage {
public:
    std::vector<std::string> calls;
    void SetCaseDataSaving(bool saving) override { calls.push_back(saving ? "saving on" : "saving off"); }
    void FlushCaseData() override { calls.push_back("flush"); }
    void FlushCaseDataNoClose() override { calls.push_back("flush no close"); }
    void SetCaseDataFile(const std::string& folder, const std::string& name) override {
        calls.push_back("file " + folder + " " + name);
    }
};

class StorageSplitTest : public StorageRuleTest {
protected:
    void SetUp() override {
        StorageRuleTest::SetUp();
        ResetProjectGlobals({2, 9});
        m_root = m_folder.File("store");
        m_rule = RuleWithPaths({m_root});
        m_rule.bAutoName = 1;
        m_rule.bNumStoring = 1;
        m_rule.iStartNum = 2;
        m_rule.iNumDefaultLength = 2;
        platform::CreateFolder(m_root + "/Run_01");
        m_state.SetProjectFile(m_root + "/Run_01/Run_01.dap");
        m_state.m_nProjectState = PROJECT_PREPARED;
        m_state.m_nTotalDataCount = 5;
        m_state.m_VirtualChannels.resize(1);
        m_splitter.SetNameContext({nullptr, &m_profile, true, 2});
        m_splitter.StartStoragePeriod();
    }

    std::string m_root;
    StorageRuleSettings m_rule;
    CProjectState m_state;
    RecordingStorage m_storage;
    CVirtualChannelValueFiles m_virtualFiles;
    CStorageSplitter m_splitter{m_state, m_rule, m_clock, m_storage, m_virtualFiles};
};

TEST_F(StorageSplitTest, DueBySizeOfAnyCaseFile) {
    m_rule.StoreType = STORE_BY_SIZE_MB;
    m_rule.StoreValue = 1;
    EXPECT_EQ(m_splitter.IsStorageSplitDue(), 0);
    WriteSizedFile(m_state.GetCaseFilePath(9, ".dat"), (1 << 20) - 1);
    EXPECT_EQ(m_splitter.IsStorageSplitDue(), 0);
    WriteSizedFile(m_state.GetCaseFilePath(9, ".dat"), 1 << 20);
    EXPECT_EQ(m_splitter.IsStorageSplitDue(), 1);
}

TEST_F(StorageSplitTest, DueByTimeSinceThePeriodStarted) {
    const std::pair<int, std::int64_t> kinds[] = {
        {STORE_BY_HOURS, 3600}, {STORE_BY_MINUTES, 60}, {STORE_BY_SECONDS, 1}};
    const std::int64_t start = m_clock.seconds;
    for (const auto& [kind, unit] : kinds) {
        m_rule.StoreType = kind;
        m_rule.StoreValue = 30;
        m_clock.seconds = start + 30 * unit - 1;
        EXPECT_EQ(m_splitter.IsStorageSplitDue(), 0) << kind;
        m_clock.seconds = start + 30 * unit;
        EXPECT_EQ(m_splitter.IsStorageSplitDue(), 1) << kind;
    }
}

TEST_F(StorageSplitTest, DueSplitMovesStoringToANewProject) {
    m_rule.StoreType = STORE_BY_SECONDS;
    m_rule.StoreValue = 10;
    m_rule.bAutoName = 0;
    m_clock.seconds += 10;
    EXPECT_EQ(m_splitter.SplitStorageIfDue(), SplitResult::NotDue); // only with automatic naming
    m_rule.bAutoName = 1;
    ASSERT_EQ(m_splitter.SplitStorageIfDue(), SplitResult::Split);

    EXPECT_EQ(m_state.m_strProjectName, "Run_02");
    EXPECT_EQ(m_state.m_strProjectFolder, m_root + "/Run_02");
    EXPECT_EQ(m_state.m_nTotalDataCount, 0);
    EXPECT_EQ(m_state.m_tStoragePeriodStart, m_clock.seconds);
    EXPECT_EQ(m_rule.iStartNum, 3);
    for (const char* suffix : {".dap", ".chn", ".PamNew", ".zer", "1.vit"}) {
        EXPECT_TRUE(platform::FileExists(m_state.GetFilePath(suffix))) << suffix;
    }
    EXPECT_EQ(m_virtualFiles.GetOpenCount(), 1);
    const std::vector<std::string> expected{"saving off", "flush", "file " + m_root + "/Run_02 Run_02",
                                            "flush no close", "saving on"};
    EXPECT_EQ(m_storage.calls, expected);
    EXPECT_EQ(m_splitter.IsStorageSplitDue(), 0); // a new period
}

TEST_F(StorageSplitTest, SplitWithoutANewNameIsReportedAndStoringGoesOn) {
    m_rule.StoreType = STORE_BY_SECONDS;
    m_rule.StoreValue = 1;
    m_clock.seconds += 5;
    m_clock.freeSpace[m_root] = 0;
    ASSERT_EQ(m_splitter.SplitStorageIfDue(), SplitResult::NameFailed);
    EXPECT_EQ(m_boxes.Records().size(), 1u);
    EXPECT_EQ(m_state.m_strProjectName, "Run_01");
    EXPECT_EQ(m_virtualFiles.GetOpenCount(), 1);
    ASSERT_FALSE(m_storage.calls.empty());
    EXPECT_EQ(m_storage.calls.back(), "saving on");
    EXPECT_NE(std::find(m_storage.calls.begin(), m_storage.calls.end(), "file " + m_root + "/Run_01 Run_01"),
              m_storage.calls.end());
}

} // namespace
