// The frame's controller commands against two simulated cases: 网络参数
// reads and writes a controller over its case link, 控制器映射 renumbers the
// cases, and a case that falls silent during a run slides the module-fault
// reminder in.
#include "FrameRunFixture.h"
#include "ModalDialogSupport.h"

#include "app/MainFrameLinkDialogs.h"
#include "model/FieldTexts.h"
#include "model/HighSpeedChannels.h"
#include "panels/channels/DlgHighSpeedChannel.h"
#include "panels/channels/MsExternGrid.h"
#include "panels/links/DlgControllerMap.h"
#include "panels/links/DlgControllerNetParam.h"
#include "panels/links/DlgModuleFaultAlert.h"
#include "panels/links/DlgModuleGroup.h"
#include "panels/links/DlgOnlineSetting.h"
#include "panels/links/DlgParamDownload.h"
#include "panels/links/DlgPortSetting.h"
#include "panels/links/DlgRelayControl.h"
#include "platform/Profile.h"
#include "widgets/MSFlexGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>

namespace {

constexpr int ID_DETECT_CASE = 32794;
constexpr int ID_CONTROLLER_MAPPING = 32929;
constexpr int ID_NETWORK_SETTING = 32896;
constexpr int ID_START_SAMPLE = 32788;
constexpr int ID_STOP_SAMPLE = 32791;

class FrameLinkDialogsTest : public FrameRunTest {
protected:
    CMainFrameLinkDialogs& Links() { return *m_frame->findChild<CMainFrameLinkDialogs*>("LinkDialogs"); }
    void Search() {
        m_boxes.QueueAnswer(platform::IDYES);
        ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
        ASSERT_EQ(g_nCaseCount, 3);
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& record : m_boxes.Records())
            texts.push_back(record.text);
        return texts;
    }
    CCaseSimulator& Simulator(const std::string& address) {
        return *m_simulators[address == "127.0.0.2" ? 0 : 1];
    }
    // Payloads of the simulator's commands that begin 2, op.
    static std::vector<std::vector<std::uint8_t>> Commands(CCaseSimulator& simulator, std::uint8_t op) {
        std::vector<std::vector<std::uint8_t>> found;
        for (const auto& payload : simulator.GetCommands())
            if (payload.size() >= 2 && payload[0] == 2 && payload[1] == op)
                found.push_back(payload);
        return found;
    }
};

TEST_F(FrameLinkDialogsTest, NetworkParametersReadAndWriteAController) {
    const std::vector<std::string> controllers = m_shell->GetConnections().GetConnectedAddresses();
    const std::string first = controllers[0];
    std::string shownAddress;
    WhenModal<CDlgControllerNetParam>([&](CDlgControllerNetParam& dialog) {
        shownAddress = Control<QLineEdit>(dialog, 1423)->text().toStdString();
        Control<QLineEdit>(dialog, 1420)->setText("10.1.1.1");
        Control<QLineEdit>(dialog, 1045)->setText("00112233445"); // 11 characters: five bytes
        Click(dialog, 1);
        Click(dialog, 2);
    });
    ASSERT_TRUE(m_frame->RunCommand(ID_NETWORK_SETTING));
    EXPECT_EQ(shownAddress, first) << "the first controller is read on opening";

    CCaseSimulator& simulator = Simulator(first);
    const auto writes1 = Commands(simulator, 0xF1);
    const auto writes2 = Commands(simulator, 0xF2);
    ASSERT_EQ(writes1.size(), 1u);
    ASSERT_EQ(writes2.size(), 1u);
    std::vector<std::uint8_t> expect1 = {2,   0xF1, 0, 10,   1,    1,    1,    255, 255,
                                         255, 0,    0, 0x11, 0x22, 0x33, 0x44, 0};
    for (const char* octet = first.c_str(); expect1.size() < 21; octet = std::strchr(octet, '.') + 1)
        expect1.push_back(static_cast<std::uint8_t>(std::atoi(octet)));
    EXPECT_EQ(writes1[0], expect1);
    EXPECT_EQ(writes2[0],
              (std::vector<std::uint8_t>{2, 0xF2, 0, 0, 0x17, 0x70, 192, 168, 0, 100, 0x13, 0x89, 1}))
        << "the ports and the work mode go back as read";
    EXPECT_EQ(simulator.GetNetParams()[0], 10) << "the controller keeps the new gateway";
    const auto texts = BoxTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "设置网络参数成功！");
    EXPECT_EQ(texts.back(), "网络参数已修改，请重启仪器及软件应用新参数！");
}

// An address that is not four octets of 0-255 is refused, naming its field,
// before anything goes to the controller.
TEST_F(FrameLinkDialogsTest, NetworkParametersRefuseAMistypedAddressAndSendNothing) {
    const struct {
        int id;
        const char* text;
        const char* field;
    } cases[] = {
        {1420, "999.1.1.1", "网关IP地址"}, {1421, "255.255.255", "子网掩码"}, {1423, "abc", "IP地址"},
        {1424, "1.2.3.4.5", "目的IP地址"}, {1420, "", "网关IP地址"},
    };
    std::vector<std::string> refusals;
    bool stayedOpen = true;
    WhenModal<CDlgControllerNetParam>([&](CDlgControllerNetParam& dialog) {
        for (const auto& c : cases) {
            auto* edit = Control<QLineEdit>(dialog, c.id);
            const QString read = edit->text();
            edit->setText(c.text);
            Click(dialog, 1);
            refusals.push_back(m_boxes.Records().empty() ? "" : m_boxes.Records().back().text);
            stayedOpen = stayedOpen && dialog.isVisible();
            edit->setText(read);
        }
        Click(dialog, 2);
    });
    QAction* item = MenuItem("设置", ID_NETWORK_SETTING);
    ASSERT_NE(item, nullptr);
    item->trigger();
    ASSERT_EQ(refusals.size(), std::size(cases));
    for (std::size_t i = 0; i < refusals.size(); ++i)
        EXPECT_EQ(refusals[i], InvalidAddressMessage(cases[i].field)) << cases[i].text;
    EXPECT_TRUE(stayedOpen);
    for (auto& simulator : m_simulators) {
        EXPECT_TRUE(Commands(*simulator, 0xF1).empty());
        EXPECT_TRUE(Commands(*simulator, 0xF2).empty());
    }
    const auto texts = BoxTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "网络参数已修改，请重启仪器及软件应用新参数！"), 0);
}

TEST_F(FrameLinkDialogsTest, ASilentControllerShowsNoStaleValues) {
    const std::vector<std::string> controllers = m_shell->GetConnections().GetConnectedAddresses();
    Simulator(controllers[0]).SetNetParamReplyLength(0);
    Simulator(controllers[1]).SetNetParamReplyLength(40); // short: a failed read too, after one good one
    std::vector<std::string> shown;
    WhenModal<CDlgControllerNetParam>([&](CDlgControllerNetParam& dialog) {
        auto* address = Control<QLineEdit>(dialog, 1423);
        shown.push_back(address->text().toStdString());
        Simulator(controllers[1]).SetNetParamReplyLength(90);
        Control<QListWidget>(dialog, 1422)->setCurrentRow(1);
        shown.push_back(address->text().toStdString());
        Simulator(controllers[1]).SetNetParamReplyLength(40);
        Control<QListWidget>(dialog, 1422)->setCurrentRow(0);
        Control<QListWidget>(dialog, 1422)->setCurrentRow(1);
        shown.push_back(address->text().toStdString());
        Click(dialog, 1); // nothing to write after a failed read
        Click(dialog, 2);
    });
    ASSERT_TRUE(m_frame->RunCommand(ID_NETWORK_SETTING));
    EXPECT_EQ(shown, (std::vector<std::string>{"", controllers[1], ""}));
    const auto texts = BoxTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "获取控制器参数失败！请检查网络设置问题。"), 3);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "网络参数已修改，请重启仪器及软件应用新参数！"), 0);
    for (auto& simulator : m_simulators)
        EXPECT_TRUE(Commands(*simulator, 0xF1).empty());
}

TEST_F(FrameLinkDialogsTest, AutomaticMappingRenumbersTheCasesAtTheNextConnection) {
    // Start from numbers 7 and 9, taken at a fresh connection.
    std::ofstream(m_mapFile, std::ios::trunc) << "[127.0.0.2]\r\nMapID=7\r\n[127.0.0.3]\r\nMapID=9\r\n";
    platform::FlushProfileCache();
    m_shell->GetConnections().OnReconnectCases();
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return m_shell->GetConnections().GetConnectedAddresses().size() == 2; }));
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    ASSERT_EQ(g_nCaseCount, 3);
    EXPECT_EQ(std::set<int>(g_CaseList, g_CaseList + 3), (std::set<int>{56, 57, 72}));

    const std::vector<std::string> controllers = m_shell->GetConnections().GetConnectedAddresses();
    std::vector<std::string> listed;
    WhenModal<CDlgControllerMap>([&](CDlgControllerMap& dialog) {
        auto* list = Control<QListWidget>(dialog, 1436);
        for (int i = 0; i < list->count(); ++i)
            listed.push_back(list->item(i)->text().toStdString());
        Click(dialog, 1437);
        Click(dialog, 2);
    });
    ASSERT_TRUE(m_frame->RunCommand(ID_CONTROLLER_MAPPING));
    std::vector<std::string> expectListed;
    for (const std::string& address : controllers)
        expectListed.push_back(address + (address == "127.0.0.2" ? "  -- 8" : "  -- 10"));
    EXPECT_EQ(listed, expectListed) << "the numbers the links read are the ones listed";
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(platform::GetPrivateProfileString(controllers[i], "MapID", "", m_mapFile),
                  std::to_string(i));
    EXPECT_EQ(BoxTexts().back(), "控制器映射设置已被修改，请重新执行查找机箱操作！");

    // The frame dropped the links; the cases connect again under their new numbers.
    ASSERT_TRUE(
        ProcessEventsUntil([&] { return m_shell->GetConnections().GetConnectedAddresses().size() == 2; }));
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    std::set<int> expected;
    for (int i = 0; i < 2; ++i) {
        const int modules = controllers[i] == "127.0.0.2" ? 2 : 1;
        for (int slot = 0; slot < modules; ++slot)
            expected.insert(i * 8 + slot);
    }
    ASSERT_EQ(g_nCaseCount, 3);
    EXPECT_EQ(std::set<int>(g_CaseList, g_CaseList + 3), expected);
}

TEST_F(FrameLinkDialogsTest, ASilentCaseSlidesTheFaultReminderIn) {
    m_boxes.QueueAnswer(platform::IDYES);
    ASSERT_TRUE(m_frame->RunCommand(ID_DETECT_CASE));
    UseVoltageConversion();
    ASSERT_EQ(m_frame->GetProjectHandler().PrepareProject(m_scratch.File("Projects/Run/Run.dap")), 1);
    SetRunSettings(SAMPLE_MODE_CONTINUOUS, 1, 0);
    ASSERT_TRUE(m_frame->RunCommand(ID_START_SAMPLE));
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetSampling().m_nRunStoredCount >= 3; }));
    m_simulators[1]->SetSilent(true);

    auto* alert = dynamic_cast<CDlgModuleFaultAlert*>(m_shell->GetFaultAlertWindow());
    ASSERT_NE(alert, nullptr);
    ASSERT_TRUE(ProcessEventsUntil([&] { return alert->isVisible(); }, 30000));
    EXPECT_EQ(alert->GetGrid()->GetTextMatrix(1, 0), "!");
    EXPECT_EQ(alert->GetGrid()->GetTextMatrix(1, 1), "2");
    EXPECT_EQ(alert->GetGrid()->GetTextMatrix(1, 2), "127.0.0.3");
    EXPECT_EQ(alert->GetGrid()->GetTextMatrix(2, 2), "");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !alert->IsSliding(); }));
    EXPECT_EQ(alert->GetSlideHeight(), 208) << "slid all the way in";
    m_simulators[1]->SetSilent(false); // so that the run can stop

    ASSERT_TRUE(m_frame->RunCommand(ID_STOP_SAMPLE));
    ASSERT_TRUE(WaitRunCompleted());
}

// The commands this model keeps out of its menus still work through their handlers.
TEST_F(FrameLinkDialogsTest, TheHiddenSettingsCommandsKeepTheirValues) {
    Search();
    // 联机通讯设置: Cancel leaves everything, OK writes the file.
    const std::string udpFile = platform::JoinPath(m_frame->GetProgramFolder(), "UDPControlParam.ini");
    WhenModal<CDlgOnlineSetting>([](CDlgOnlineSetting& dialog) { Click(dialog, 2); });
    Links().OnOnlineSetting();
    EXPECT_FALSE(platform::FileExists(udpFile));
    // A mistyped address or port is refused, naming its field, and the dialog stays.
    const struct {
        const char* address;
        const char* controlPort;
        const char* listenPort;
        std::string refusal;
    } refused[] = {
        {"192.168.1.300", "7000", "7001", InvalidAddressMessage("控制端IP")},
        {"", "7000", "7001", InvalidAddressMessage("控制端IP")},
        {"192.168.3.4", "abc", "7001", InvalidPortMessage("控制端通讯端口")},
        {"192.168.3.4", "7000", "70000", InvalidPortMessage("采集端侦听端口")},
        {"192.168.3.4", "7000", "0", InvalidPortMessage("采集端侦听端口")},
    };
    std::vector<std::string> refusals;
    bool stayedOpen = true;
    WhenModal<CDlgOnlineSetting>([&](CDlgOnlineSetting& dialog) {
        for (const auto& c : refused) {
            Control<QLineEdit>(dialog, 1463)->setText(c.address);
            Control<QLineEdit>(dialog, 1464)->setText(c.controlPort);
            Control<QLineEdit>(dialog, 1465)->setText(c.listenPort);
            Click(dialog, 1);
            refusals.push_back(m_boxes.Records().empty() ? "" : m_boxes.Records().back().text);
            stayedOpen = stayedOpen && dialog.isVisible();
        }
        Click(dialog, 2);
    });
    Links().OnOnlineSetting();
    ASSERT_EQ(refusals.size(), std::size(refused));
    for (std::size_t i = 0; i < refusals.size(); ++i)
        EXPECT_EQ(refusals[i], refused[i].refusal) << refused[i].address << " " << refused[i].listenPort;
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(platform::FileExists(udpFile));

    WhenModal<CDlgOnlineSetting>([](CDlgOnlineSetting& dialog) {
        Control<QLineEdit>(dialog, 1463)->setText("192.168.3.4");
        Control<QLineEdit>(dialog, 1464)->setText("7000");
        Control<QLineEdit>(dialog, 1465)->setText("65535");
        Click(dialog, 1);
    });
    Links().OnOnlineSetting();
    EXPECT_EQ(platform::GetPrivateProfileString("UDPControlParam", "ControlIP", "", udpFile), "192.168.3.4");
    EXPECT_EQ(platform::GetPrivateProfileString("UDPControlParam", "ControlPort", "", udpFile), "7000");
    EXPECT_EQ(platform::GetPrivateProfileString("UDPControlParam", "ListonPort", "", udpFile), "65535");

    // 继电器控制: the frame keeps the table each 设置 hands it.
    WhenModal<CDlgRelayControl>([](CDlgRelayControl& dialog) {
        dialog.GetGrid()->SelectRange(2, 2, 2, 2);
        dialog.OnGridClick();
        Click(dialog, 1);
        Click(dialog, 2);
    });
    Links().OnRelayControl();
    const auto controllers = m_shell->GetConnections().GetConnectedAddresses();
    EXPECT_EQ(Links().m_RelayTable[1].nState, 1);
    EXPECT_EQ(Links().m_RelayTable[0].nState, 0);
    EXPECT_STRNE(Links().m_RelayTable[1].szAddress, "");

    // 高速采样通道: channel 3 of every module of the first listed controller,
    // into the frame's list and its file.
    WhenModal<CDlgHighSpeedChannel>([](CDlgHighSpeedChannel& dialog) {
        dialog.OnChoose(0, 3, true);
        Click(dialog, 1);
    });
    Links().OnHighSpeedChannel();
    const std::vector<int>& channels = m_frame->GetHighSpeedChannels();
    ASSERT_FALSE(channels.empty());
    EXPECT_EQ(channels[0] % 16, 2);
    EXPECT_EQ(LoadHighSpeedChannels(HighSpeedChannelFilePath(m_frame->GetProgramFolder(),
                                                             m_frame->GetProjectState().m_strModelName)),
              channels);

    // 参数下传: the online channels, the ticked triples kept by the frame.
    g_ChannelParams[g_ChannelList[0]].nZero = 1234;
    WhenModal<CDlgParamDownload>([](CDlgParamDownload& dialog) {
        EXPECT_EQ(dialog.GetGrid()->GetRows(), g_nChannelCount + 1);
        Click(dialog, 1474);
        dialog.GetGrid()->SelectRange(2, 1, g_nChannelCount, 1);
        dialog.OnGridClick();
        Click(dialog, 1);
    });
    Links().OnParamDownload();
    ASSERT_EQ(Links().m_DownloadEntries.size(), 1u);
    EXPECT_EQ(Links().m_DownloadEntries[0].nChannel, g_ChannelList[0]);
    EXPECT_EQ(Links().m_DownloadEntries[0].fZero, 1234.0f);

    // 模块分组配置 and 端口设置.
    WhenModal<CDlgModuleGroup>([](CDlgModuleGroup& dialog) {
        Control<QLineEdit>(dialog, 1045)->setText("12AB");
        Control<QListWidget>(dialog, 1410)->item(2)->setCheckState(Qt::Checked);
        Click(dialog, 1);
        Click(dialog, 2);
    });
    Links().OnModuleGroup();
    ASSERT_EQ(Links().m_ModuleGroups.size(), 1u);
    EXPECT_EQ(Links().m_ModuleGroups[0].nCaseNo, g_CaseList[2]);
    EXPECT_EQ(Links().m_ModuleGroups[0].strPanId, "12AB");
    WhenModal<CDlgPortSetting>([](CDlgPortSetting& dialog) {
        EXPECT_TRUE(Control<QRadioButton>(dialog, 1202)->isChecked());
        Click(dialog, 1);
    });
    const std::size_t boxes = m_boxes.Records().size();
    Links().OnPortSetting();
    EXPECT_EQ(m_frame->GetInterfaceMode(), 2);
    EXPECT_EQ(m_boxes.Records().size(), boxes) << "the network needs no opening";
    EXPECT_FALSE(m_frame->QueryCommandState(32862).m_bEnabled);
    EXPECT_FALSE(m_frame->QueryCommandState(32895).m_bEnabled);
}

} // namespace

namespace {

// 新建项目 needs a connected controller: the connections set the frame's
// device flag, and a re-connect clears it until a controller is back.
TEST_F(FrameLinkDialogsTest, NewProjectIsOfferedWhileAControllerIsConnected) {
    std::vector<std::string> titles;
    m_app->GetProjectFileDialog().SetChooser([&](bool, const std::string& title, const std::string&) {
        titles.push_back(title);
        return std::string(); // cancelled
    });
    EXPECT_EQ(m_frame->GetDeviceConnected(), 1);
    const std::size_t boxesBefore = m_boxes.Records().size(); // the start-up's, before any connection
    ASSERT_TRUE(m_frame->RunCommand(ID_FILE_NEW_PROJECT));
    EXPECT_EQ(titles, std::vector<std::string>{"新建项目"});
    EXPECT_EQ(m_boxes.Records().size(), boxesBefore) << "no box: the project-file dialog came";

    m_shell->GetConnections().OnReconnectCases();
    EXPECT_EQ(m_frame->GetDeviceConnected(), 0);
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_frame->GetDeviceConnected() == 1; }, 20000))
        << "the cases connect again";
}

} // namespace
