// 网络参数 for a model whose cases carry Ethernet modules: the frame's handler
// opens the network module dialog, which finds two simulated modules over
// multicast, reads one, writes it and ends both on closing. The build runs
// this program in a private network namespace whose loopback carries the group.
#include "FrameRunFixture.h"
#include "ModalDialogSupport.h"

#include "NetworkModuleSimulator.h"
#include "app/MainFrameLinkDialogs.h"
#include "panels/links/DlgNetworkSetting.h"

#include <QLineEdit>
#include <QListWidget>

namespace {

class FrameNetworkModuleTest : public FrameRunTest {
protected:
    void StartModules() {
        NetworkModuleSimOptions second;
        second.localIp = "127.0.0.3";
        second.address = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x60};
        for (const auto& options : {NetworkModuleSimOptions{}, second}) {
            modules.push_back(std::make_unique<CNetworkModuleSimulator>(options));
            ASSERT_TRUE(modules.back()->Start());
        }
        // The group loops back here; room for simulator threads on a loaded machine.
        CDlgNetworkSetting::SocketOptions().bMulticastLoop = true;
        CDlgNetworkSetting::SocketOptions().nReceiveTimeoutMs = 1000;
    }
    std::vector<std::unique_ptr<CNetworkModuleSimulator>> modules;
};

TEST_F(FrameNetworkModuleTest, TheModuleDialogScansReadsWritesAndEnds) {
    StartModules();
    auto* links = m_frame->findChild<CMainFrameLinkDialogs*>("LinkDialogs");
    ASSERT_NE(links, nullptr);
    links->SetDeviceTypeForTest(0);
    std::vector<std::string> help;
    std::string firstRead;
    WhenModal<CDlgNetworkSetting>([&](CDlgNetworkSetting& dialog) {
        help.push_back(dialog.GetHelpText().toStdString());
        Click(dialog, 1417);
        help.push_back(dialog.GetHelpText().toStdString());
        auto* list = Control<QListWidget>(dialog, 1412);
        ASSERT_OR_CLOSE(dialog, list->count() == 2);
        list->item(1)->setSelected(true); // sorted: the module ending 60
        help.push_back(dialog.GetHelpText().toStdString());
        firstRead = Control<QLineEdit>(dialog, 1422)->text().toStdString();
        EXPECT_FALSE(Control<QLineEdit>(dialog, 1424)->isEnabled()) << "ports go back as read";
        Control<QLineEdit>(dialog, 1422)->setText("10.0.0.8");
        Click(dialog, 1418);
        help.push_back(dialog.GetHelpText().toStdString());
        Click(dialog, 2);
    });
    ASSERT_TRUE(m_frame->RunCommand(32896));
    ASSERT_EQ(help.size(), 4u);
    EXPECT_NE(help[0].find("当前主机的端口号：6000"), std::string::npos) << help[0];
    EXPECT_EQ(help[1], "检测到2台设备。");
    EXPECT_EQ(help[2], "读取指定的设备数据成功！");
    EXPECT_EQ(help[3], "设置设备数据成功！");
    EXPECT_EQ(firstRead, "192.168.000.010");
    EXPECT_EQ(modules[1]->GetValues()[0], "010.000.000.008");
    EXPECT_EQ(modules[1]->GetValues()[1], "06000");
    EXPECT_EQ(modules[0]->GetValues()[0], "192.168.000.010") << "the other module is untouched";
    EXPECT_EQ(modules[0]->CountFrames("END"), 1);
    EXPECT_EQ(modules[1]->CountFrames("END"), 1);
    EXPECT_EQ(m_boxes.Records().back().text, "网络参数设置已更新，请在设备连接状态正常后重新检测机箱！");
    // The frame dropped the case connections; the cases come back.
    EXPECT_TRUE(
        ProcessEventsUntil([&] { return m_shell->GetConnections().GetConnectedAddresses().size() == 2; }));
}

TEST_F(FrameNetworkModuleTest, ClosingWithoutAScanEndsNothing) {
    StartModules();
    m_frame->findChild<CMainFrameLinkDialogs*>("LinkDialogs")->SetDeviceTypeForTest(0);
    WhenModal<CDlgNetworkSetting>([](CDlgNetworkSetting& dialog) { Click(dialog, 2); });
    const std::size_t boxes = m_boxes.Records().size();
    ASSERT_TRUE(m_frame->RunCommand(32896));
    EXPECT_EQ(modules[0]->CountFrames("END"), 0);
    EXPECT_EQ(m_boxes.Records().size(), boxes) << "nothing changed, nothing said";
}

} // namespace
