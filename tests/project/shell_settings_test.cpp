// System settings and the case table of the main settings file, the
// recent-project list and the open-window limits.
#include <gtest/gtest.h>

#include "model/AppSettings.h"
#include "model/ChannelModelTestSupport.h"
#include "model/ValueConversion.h"
#include "project/OpenViewCounters.h"
#include "project/RecentProjectList.h"

namespace {

TEST(SystemSettingsTest, KeysAndDefaultsFollowTheIntegerRule) {
    ScratchFolder folder;
    const std::string path = folder.File("QV7416.INI");
    WriteIniFile(path, "[System]\nFullValue=-1\nADBASE=12abc\nNetworkMonitor=0\nSoftwareSpectrum=7\n"
                       "SlaveCase7=abc\nSlaveCase8= 12\nSlaveCase511=3\nSlaveCase512=9\n");
    LoadSystemSettings(path);
    ReadSlaveCaseSettings(path);
    EXPECT_FLOAT_EQ(g_fFullValue, 4294967295.0f);
    EXPECT_EQ(g_nADBase, 12);
    EXPECT_FALSE(g_bNetworkMonitor);
    EXPECT_TRUE(g_bSoftwareSpectrum);
    EXPECT_EQ(g_nDelayChanInfo, 10000);
    EXPECT_EQ(g_nRefChanOffset, -1);
    EXPECT_TRUE(g_bClkSyncMode);
    EXPECT_EQ(g_SlaveCaseTable[7], 0);
    EXPECT_EQ(g_SlaveCaseTable[8], 12);
    EXPECT_EQ(g_SlaveCaseTable[511], 3);

    LoadSystemSettings(folder.File("missing.INI"));
    EXPECT_FLOAT_EQ(g_fFullValue, 20000.0f);
    EXPECT_EQ(g_nADBase, 20000);
    EXPECT_TRUE(g_bNetworkMonitor);
    EXPECT_EQ(g_nAutoDetectCaseOutTime, 60);
}

TEST(RecentProjectListTest, DatBecomesDapOnlyAsTheSuffix) {
    const struct {
        const char* entry;
        const char* project;
    } cases[] = {
        {"/p/a.dat", "/p/a.dap"},
        {"/p/A.DAT", "/p/A.dap"},
        {"/p/a.dat.dir/b.dat", "/p/a.dat.dir/b.dap"},
        {"/p/a.dat.dir/b.dap", "/p/a.dat.dir/b.dap"},
        {"/p/data", "/p/data"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecentEntryProjectPath(c.entry), c.project) << c.entry;
    }
}

TEST(RecentProjectListTest, KeepsTenNewestFirstAcrossTheProfile) {
    ScratchFolder folder;
    platform::CRegistryProfile profile("QV静态测试系统", "test");
    profile.SetRootFolder(folder.File("config"));
    CRecentProjectList list;
    for (int n = 0; n < 12; ++n) {
        list.Add("/p/" + std::to_string(n) + ".dap");
    }
    list.Add("/p/5.dap");
    list.Remove(3);
    list.WriteList(profile);

    CRecentProjectList read;
    read.ReadList(profile);
    ASSERT_EQ(read.GetCount(), 9);
    EXPECT_EQ(read[0], "/p/5.dap");
    EXPECT_EQ(read[1], "/p/11.dap");
    EXPECT_EQ(read[3], "/p/8.dap");
    EXPECT_EQ(read[8], "/p/2.dap");
}

TEST(OpenViewCountersTest, KindLimitsAndTheTotalOfSixteen) {
    COpenViewCounters counters;
    for (int n = 0; n < 4; ++n) {
        EXPECT_TRUE(counters.CanOpen(VIEW_TYPE_HISTORY));
        counters.ViewOpened(VIEW_TYPE_HISTORY);
    }
    EXPECT_FALSE(counters.CanOpen(VIEW_TYPE_HISTORY));
    EXPECT_TRUE(counters.CanOpen(VIEW_TYPE_CURVE));
    for (int n = 0; n < 8; ++n) {
        counters.ViewOpened(VIEW_TYPE_CURVE);
    }
    for (int n = 0; n < 4; ++n) {
        counters.ViewOpened(VIEW_TYPE_TABLE);
    }
    EXPECT_FALSE(counters.CanOpen(VIEW_TYPE_BAR)); // sixteen in all
    counters.ViewClosed(VIEW_TYPE_HISTORY);
    EXPECT_TRUE(counters.CanOpen(VIEW_TYPE_BAR));
    counters.ViewOpened(VIEW_TYPE_BAR);
    EXPECT_EQ(counters.GetTotal(), 16);
    for (int type : {VIEW_TYPE_HISTORY, VIEW_TYPE_CURVE, VIEW_TYPE_TABLE, VIEW_TYPE_BAR}) {
        EXPECT_FALSE(counters.CanOpen(type)) << type;
    }
    counters.ViewClosed(7);
    EXPECT_EQ(counters.GetTotal(), 16);
}

} // namespace
