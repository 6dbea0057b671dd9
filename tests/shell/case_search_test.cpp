// The case search command, the automatic detection and the continue test
// against two simulated cases.
#include "ShellSearchFixture.h"

#include "model/ValueConversion.h"

#include <algorithm>

namespace {

const char* const kTwoCasesText = "找到如下机箱:\n\n01-01  01-02  \n02-01  02-02  02-03  ";

TEST(CaseSearchTexts, FoundListBreaksTheLineAtEachNewCase) {
    const std::int32_t units[] = {0, 1, 9};
    EXPECT_EQ(FoundCasesText(units, 3), "\n01-01  01-02  \n02-02  ");
    EXPECT_EQ(CaseListPayload(units, 3),
              (std::vector<std::uint8_t>{3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0}));
}

TEST_F(ShellSearchTest, TheSearchCommandFindsTwoCasesWithTheirChannels) {
    Connect(kTwoCases);
    boxes.QueueAnswer(platform::IDYES);
    search.OnDetectCase();

    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kTwoCasesText});
    EXPECT_EQ(boxes.Records().at(0).flags, platform::MB_YESNO | platform::MB_ICONINFORMATION);
    ASSERT_EQ(g_nCaseCount, 5);
    EXPECT_EQ(std::vector<int>(g_CaseList, g_CaseList + 5), (std::vector<int>{0, 1, 8, 9, 10}));
    ASSERT_EQ(g_nChannelCount, 80);
    EXPECT_EQ(g_ChannelList[31], 31);
    EXPECT_EQ(g_ChannelList[32], 128) << "case 2 starts at channel 128";
    EXPECT_EQ(g_ChannelList[79], 128 + 47);
    EXPECT_EQ(host.casesFound, 1);

    // Every online channel's information reached the library and got its coefficients.
    EXPECT_EQ(linkHost.packets.size(), 80u);
    EXPECT_EQ(source.stored.size(), 80u);
    for (int channel : {0, 31, 128, 128 + 47})
        EXPECT_EQ(g_ChanInfo.GetAcqChannelTypeID(channel), 3) << channel;
    EXPECT_EQ(g_nStrainChanCount, 80);
    EXPECT_TRUE(IsOnlineStrainChannel(128 + 47));
    EXPECT_FALSE(IsOnlineStrainChannel(16 * 2)) << "module 3 of case 1 is not online";
    EXPECT_FALSE(IsOnlineStrainChannel(-1));

    // The user said yes: the parameters went to both cases, once.
    ASSERT_EQ(host.downloads.size(), 1u);
    EXPECT_EQ(host.downloads[0].size(), 80u);
    for (auto& simulator : simulators)
        EXPECT_TRUE(PumpUntil([&] { return simulator->CountCommands(3, 14) == 1; }, 3000));
    EXPECT_EQ(search.m_bSendParamsAfterSearch, 1);
    EXPECT_EQ(g_bLinkBusy.load(), 0);
    EXPECT_EQ(g_bLinkWatchEnabled.load(), 1);
    EXPECT_EQ(host.statusTexts, (std::vector<std::string>{"正在查找机箱...", "正在读取通道信息...",
                                                          "读取通道信息完成！", "查找机箱结束!"}));

    // The module information follows the connected controllers and their modules.
    struct TableHost : FakeCaseConnectionsHost {
        CNetComm* net = nullptr;
        std::string text;
        CCommBase* GetComm() override { return net; }
        std::vector<CaseTableRecord> GetCaseTable() override { return net->GetDriver().GetCaseTable(); }
        void SetModuleInfoText(const std::string& t) override { text = t; }
    } tableHost;
    tableHost.net = comm.get();
    CCaseConnections connections(&tableHost);
    EXPECT_EQ(comm->GetLinkedCaseIps().size(), 2u);
    for (const char* address : {"127.0.0.2", "127.0.0.3"})
        connections.OnCaseLinkConnected(address);
    EXPECT_EQ(tableHost.text, "IP: 127.0.0.2  机箱: 01  模块: 01 02\r\n"
                              "IP: 127.0.0.3  机箱: 02  模块: 01 02 03\r\n");
}

TEST_F(ShellSearchTest, AfterNoTheParametersWaitForTheNextSearch) {
    Connect(kTwoCases);
    boxes.QueueAnswer(platform::IDNO);
    search.OnDetectCase();
    EXPECT_TRUE(host.downloads.empty());
    for (auto& simulator : simulators)
        EXPECT_EQ(simulator->CountCommands(3, 14), 0);
    EXPECT_EQ(search.m_bSendParamsAfterSearch, 1);
}

TEST_F(ShellSearchTest, ARemoteSearchAsksNothingAndReportsTheUnits) {
    Connect(kTwoCases);
    host.projectState = 2;
    host.remote = true;
    host.forwarding = true;
    search.OnDetectCase();
    EXPECT_TRUE(boxes.Records().empty());
    EXPECT_EQ(host.closedProjects, 1);
    ASSERT_EQ(host.packets.size(), 1u);
    EXPECT_EQ(host.packets[0].first, 2);
    const std::int32_t units[] = {0, 1, 8, 9, 10};
    EXPECT_EQ(host.packets[0].second, CaseListPayload(units, 5));
    EXPECT_FALSE(host.remote);
}

TEST_F(ShellSearchTest, RefusingToCloseTheProjectSearchesNothing) {
    Connect(kTwoCases);
    host.projectState = 3;
    boxes.QueueAnswer(platform::IDCANCEL);
    search.OnDetectCase();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{kCloseProjectQuestion});
    EXPECT_EQ(host.closedProjects, 0);
    EXPECT_EQ(g_nCaseCount, 0);
    EXPECT_EQ(simulators[0]->CountCommands(3, 14), 0);
}

TEST_F(ShellSearchTest, NoCaseShowsTheHintsAndClearsTheFoundFlag) {
    search.OnDetectCase();
    ASSERT_EQ(BoxTexts(), std::vector<std::string>{NotFoundCasesText()});
    EXPECT_NE(BoxTexts()[0].find("4. 设备IP在网络中是否有冲突"), std::string::npos);
    EXPECT_EQ(host.casesFound, 0);
    EXPECT_EQ(host.statusTexts.back(), "查找机箱结束!");
}

TEST_F(ShellSearchTest, TwoCasesWithOneNumberSuppressTheNotFoundBox) {
    Connect({{"127.0.0.2", 1, 2}, {"127.0.0.3", 1, 2}});
    search.OnDetectCase();
    EXPECT_EQ(g_bCaseNumberConflict.load(), 1);
    for (const std::string& text : BoxTexts())
        EXPECT_NE(text, NotFoundCasesText());
    EXPECT_EQ(g_nCaseCount, 0);
    EXPECT_EQ(host.casesFound, 0);
}

TEST_F(ShellSearchTest, ChannelKindFivePassesThroughAndIsNotDownloaded) {
    Connect(kTwoCases);
    struct KindHost : RecordingSearchHost {
        int GetAcqChannelTypeID(int channel) override { return channel == 130 ? 5 : 3; }
    } kindHost;
    kindHost.comm = comm.get();
    g_ChannelParams[5].nMeasureType = MEASURE_PASS_THROUGH; // from an earlier search
    CCaseSearch kinds(&kindHost);
    boxes.QueueAnswer(platform::IDYES);
    kinds.OnDetectCase();
    EXPECT_EQ(g_ChannelParams[130].nMeasureType, MEASURE_PASS_THROUGH);
    EXPECT_EQ(g_ChannelState[130].nCompChannel, -1);
    EXPECT_EQ(g_ChannelParams[5].nMeasureType, MEASURE_STRAIN);
    ASSERT_EQ(kindHost.downloads.size(), 1u);
    const auto& sent = kindHost.downloads[0];
    EXPECT_EQ(sent.size(), 79u);
    EXPECT_EQ(std::find(sent.begin(), sent.end(), 130), sent.end());
}

TEST_F(ShellSearchTest, TheContinueTestAcceptsOnlyTheProjectsCasesInTheirOrder) {
    Connect(kTwoCases);
    boxes.QueueAnswer(platform::IDYES);
    search.OnDetectCase();
    ASSERT_EQ(g_nCaseCount, 5);

    // Same cases in the same order: the project goes on.
    host.projectState = 2;
    boxes.QueueAnswer(platform::IDYES);
    search.OnContinueTest();
    EXPECT_EQ(host.projectState, 3);
    EXPECT_EQ(host.casesFound, 1);

    // The project's cases in another order: refused, the project's tables stay.
    std::swap(g_CaseList[0], g_CaseList[2]);
    const std::vector<int> projectOrder(g_CaseList, g_CaseList + 5);
    g_ChannelState[200].bPresent = 0;
    boxes.QueueAnswer(platform::IDYES);
    search.OnContinueTest();
    EXPECT_EQ(BoxTexts().back(), kContinueMismatch);
    EXPECT_EQ(host.casesFound, 0);
    EXPECT_EQ(std::vector<int>(g_CaseList, g_CaseList + 5), projectOrder);
    EXPECT_EQ(g_ChannelState[200].bPresent, 0);
}

TEST_F(ShellSearchTest, TheContinueTestWithoutCasesKeepsTheProjectTables) {
    g_nCaseCount = 2;
    g_CaseList[0] = 3;
    g_CaseList[1] = 4;
    g_nChannelCount = 32;
    search.OnContinueTest();
    EXPECT_EQ(BoxTexts().back(), kContinueNoCase);
    EXPECT_EQ(g_nCaseCount, 2);
    EXPECT_EQ(g_CaseList[1], 4);
    EXPECT_EQ(g_nChannelCount, 32);
}

TEST_F(ShellSearchTest, ADetectionThatFindsNothingReleasesTheCaseLockAndIsNotBusy) {
    EXPECT_EQ(search.DetectCasesAndReport(), 0);
    EXPECT_EQ(host.mutexReleases, 1);
    EXPECT_EQ(search.m_bDetecting, 0);
    EXPECT_TRUE(boxes.Records().empty()) << "the detection is quiet";
}

TEST_F(ShellSearchTest, ADetectionRunsNeitherTwiceNorBeforeTheNetworkIsReady) {
    Connect(kTwoCases);
    search.m_bDetecting = 1;
    EXPECT_EQ(search.DetectCasesAndReport(), 0);
    EXPECT_EQ(g_nCaseCount, 0) << "a detection already running is not entered again";
    search.m_bDetecting = 0;
    struct NotReadyHost : RecordingSearchHost {
        bool IsNetworkReady() override { return false; }
    } notReady;
    notReady.comm = comm.get();
    CCaseSearch early(&notReady);
    EXPECT_EQ(early.DetectCasesAndReport(), 0);
    EXPECT_EQ(g_nCaseCount, 0);
    EXPECT_EQ(early.m_bDetecting, 0);
}

TEST_F(ShellSearchTest, ADetectionWithDataAsksFirstUnlessRemote) {
    Connect(kTwoCases);
    host.projectState = 2;
    boxes.QueueAnswer(platform::IDCANCEL);
    EXPECT_EQ(search.DetectCasesAndReport(), 0);
    EXPECT_EQ(host.closedProjects, 0);
    EXPECT_EQ(search.m_bDetecting, 0);

    host.remote = true;
    host.forwarding = true;
    EXPECT_EQ(search.DetectCasesAndReport(), 1);
    EXPECT_EQ(host.closedProjects, 1);
    EXPECT_EQ(search.m_bCaseSearched, 1);
    EXPECT_EQ(search.m_bSendParamsAfterSearch, 1);
    ASSERT_EQ(host.packets.size(), 1u);
    EXPECT_EQ(host.packets[0].second.size(), 4u + 4u * 5u);
    EXPECT_EQ(BoxTexts().size(), 1u) << "only the refused question";
}

} // namespace
