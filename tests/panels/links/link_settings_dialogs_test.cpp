// Offscreen tests of the link and hardware settings dialogs and the status
// windows: the rules each applies to what it is given and gives back.
#include "panels/PanelsTestApp.h"

#include "model/RunFlags.h"
#include "panels/channels/DlgDigitalParam.h"
#include "panels/channels/DlgHighSpeedChannel.h"
#include "panels/channels/DlgSinglePointMonitor.h"
#include "panels/channels/MsExternGrid.h"
#include "panels/links/DlgControllerMap.h"
#include "panels/links/DlgModuleFaultAlert.h"
#include "panels/links/DlgModuleGroup.h"
#include "panels/links/DlgModuleInfo.h"
#include "panels/links/DlgOnlineSetting.h"
#include "panels/links/DlgParamDownload.h"
#include "panels/links/DlgPortSetting.h"
#include "panels/links/DlgRelayControl.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <QTreeWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

template <class W> W* Control(QWidget& dialog, int id) {
    return dialog.findChild<W*>(QStringLiteral("id%1").arg(id));
}

void Click(QWidget& dialog, int id) {
    Control<QPushButton>(dialog, id)->click();
}

std::vector<std::string> Texts(const platform::MessageBoxRecorder& boxes) {
    std::vector<std::string> texts;
    for (const auto& record : boxes.Records())
        texts.push_back(record.text);
    return texts;
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_panels_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

class LinkSettingsDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsurePanelsTestApp(); }
    platform::MessageBoxRecorder boxes;
};

TEST_F(LinkSettingsDialogsTest, PortSettingsTakeTheirValuesOnlyOnOk) {
    struct Case {
        int mode, port, baud;
        int clickInterface; // -1: none
        bool ok;
        int wantMode, wantPort, wantBaud;
        bool serialEnabled;
    };
    const Case cases[] = {
        {1, 3, 115200, -1, true, 1, 3, 4800, true}, // an unknown rate shows and returns 4800
        {2, 5, 9600, -1, true, 2, 5, 9600, false},
        {0, 1, 19200, 1202, true, 2, 1, 19200, false},
        {1, 2, 14400, 1202, false, 1, 2, 14400, false}, // Cancel: nothing changed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode * 100 + c.clickInterface);
        CDlgPortSetting dialog;
        dialog.m_nInterfaceMode = c.mode;
        dialog.m_nComPort = c.port;
        dialog.m_nBaudRate = c.baud;
        dialog.OnInitDialog();
        EXPECT_TRUE(Control<QRadioButton>(dialog, 1200 + c.mode)->isChecked());
        EXPECT_FALSE(Control<QRadioButton>(dialog, 1200)->isEnabled());
        EXPECT_FALSE(Control<QRadioButton>(dialog, 1201)->isEnabled());
        if (c.clickInterface > 0)
            Control<QRadioButton>(dialog, c.clickInterface)->click();
        EXPECT_EQ(Control<QComboBox>(dialog, 1022)->isEnabled(), c.serialEnabled);
        EXPECT_EQ(Control<QRadioButton>(dialog, 1210)->isEnabled(), c.serialEnabled);
        Click(dialog, c.ok ? 1 : 2);
        EXPECT_EQ(dialog.m_nInterfaceMode, c.wantMode);
        EXPECT_EQ(dialog.m_nComPort, c.wantPort);
        EXPECT_EQ(dialog.m_nBaudRate, c.wantBaud);
    }
}

TEST_F(LinkSettingsDialogsTest, ControllerMapRefusesATakenNumberAndWritesOnlyOnSet) {
    ScratchFolder folder;
    const std::string file = folder.File("MapCfg.ini");
    std::ofstream(file) << "[10.0.0.1]\r\nMapID=2\r\n";
    const std::vector<std::string> controllers = {"10.0.0.1", "10.0.0.2", "10.0.0.3"};
    {
        CDlgControllerMap dialog(folder.Path());
        dialog.SetControllerList(controllers);
        dialog.OnInitDialog();
        auto* list = Control<QListWidget>(dialog, 1436);
        EXPECT_EQ(list->item(0)->text().toStdString(), "10.0.0.1  -- 3");
        EXPECT_EQ(Control<QComboBox>(dialog, 1022)->currentText().toStdString(), "3号机");
        list->setCurrentRow(1);
        dialog.OnChooseMachine(2);
        EXPECT_EQ(Texts(boxes), std::vector<std::string>{"不能重复设置3号机！"});
        dialog.OnChooseMachine(4);
        list->setCurrentRow(0);
        dialog.OnChooseMachine(2); // its own number again
        EXPECT_EQ(boxes.Records().size(), 1u);
        dialog.reject();
        EXPECT_EQ(boxes.Records().size(), 1u) << "no notice without 设置";
        EXPECT_EQ(platform::GetPrivateProfileString("10.0.0.2", "MapID", "", file), "") << "nothing written";
    }
    CDlgControllerMap dialog(folder.Path());
    dialog.SetControllerList(controllers);
    dialog.OnInitDialog();
    Click(dialog, 1437);
    auto* list = Control<QListWidget>(dialog, 1436);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list->item(i)->text().toStdString(), controllers[i] + "  -- " + std::to_string(i + 1));
        EXPECT_EQ(platform::GetPrivateProfileString(controllers[i], "MapID", "", file), std::to_string(i));
    }
    Click(dialog, 2);
    EXPECT_EQ(Texts(boxes).back(), "控制器映射设置已被修改，请重新执行查找机箱操作！");
}

TEST_F(LinkSettingsDialogsTest, OnlineSettingsShowOnlyWholeAddresses) {
    const std::pair<const char*, const char*> shown[] = {{"", "0.0.0.0"},
                                                         {"192.168.1.20", "192.168.1.20"},
                                                         {"192.168.1", "0.0.0.0"},
                                                         {"1.2.3.400", "0.0.0.0"},
                                                         {"300.1.2.3", "0.0.0.0"}};
    for (const auto& [text, address] : shown)
        EXPECT_EQ(CDlgOnlineSetting::ShownAddress(text), address) << text;
    CDlgOnlineSetting dialog;
    dialog.m_strControlIp = "";
    dialog.m_nControlPort = 7000;
    dialog.OnInitDialog();
    Control<QLineEdit>(dialog, 1464)->setText("abc");
    Control<QLineEdit>(dialog, 1465)->setText("8001");
    Click(dialog, 1);
    // A port that is not a number is refused and changes nothing.
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_strControlIp, "");
    EXPECT_EQ(dialog.m_nControlPort, 7000);
    // The empty address shows as 0.0.0.0, and confirming stores that.
    Control<QLineEdit>(dialog, 1464)->setText("7001");
    Click(dialog, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_strControlIp, "0.0.0.0");
    EXPECT_EQ(dialog.m_nControlPort, 7001);
    EXPECT_EQ(dialog.m_nListenPort, 8001);
}

TEST_F(LinkSettingsDialogsTest, RelayRowsFollowTheControllersAndToggleTogether) {
    RelayTable table{};
    std::strcpy(table[5].szAddress, "10.0.0.2");
    table[5].nState = 1;
    struct Frame : platform::MessageTarget {
        platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM,
                                     platform::LPARAM lParam) override {
            if (message == CDlgRelayControl::kRelayMessage)
                std::memcpy(got.data(), reinterpret_cast<const void*>(lParam), sizeof got);
            ++sends;
            return 0;
        }
        RelayTable got{};
        int sends = 0;
    } frame;
    CDlgRelayControl dialog({"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"}, frame.GetSafeHwnd());
    dialog.SetRelayTable(table);
    dialog.OnInitDialog();
    CMSFlexGrid* grid = dialog.GetGrid();
    EXPECT_EQ(grid->GetTextMatrix(1, 2), "×") << "no record";
    EXPECT_EQ(grid->GetTextMatrix(2, 2), "√");
    grid->SelectRange(2, 2, 4, 2);
    dialog.OnGridClick();
    for (int r = 2; r <= 4; ++r)
        EXPECT_EQ(grid->GetTextMatrix(r, 2), "×") << r;
    grid->SelectRange(1, 2, 1, 2);
    dialog.OnGridClick();
    Click(dialog, 1);
    ASSERT_EQ(frame.sends, 1);
    EXPECT_STREQ(frame.got[0].szAddress, "10.0.0.1");
    EXPECT_EQ(frame.got[0].nState, 1);
    EXPECT_STREQ(frame.got[3].szAddress, "10.0.0.4");
    EXPECT_EQ(frame.got[1].nState, 0);
    EXPECT_TRUE(dialog.isVisible() || !dialog.result()) << "the dialog stays open";

    CDlgRelayControl none({}, frame.GetSafeHwnd());
    none.SetRelayTable(table);
    none.OnInitDialog();
    EXPECT_EQ(none.GetGrid()->GetRows(), 1);
    Click(none, 1);
    EXPECT_EQ(frame.got[5].nState, 1) << "the table goes unchanged";
}

TEST_F(LinkSettingsDialogsTest, ParamDownloadChecksItsRowsAndKeepsTheTexts) {
    ScratchFolder folder;
    const std::string file = folder.File("down.pam");
    std::ofstream(file) << "[ChannelID37]\r\nZero=12\r\nCorrect=1.5\r\n";
    CDlgParamDownload dialog(folder.Path());
    dialog.SetChannels({37, 38, 39});
    dialog.SetZeroSource([](int channel) { return channel * 10; });
    dialog.OnInitDialog();
    CMsExternGrid* grid = dialog.GetGrid();
    EXPECT_EQ(grid->GetTextMatrix(1, 2), "3-6");
    EXPECT_EQ(grid->GetTextMatrix(1, 3), "12");
    EXPECT_EQ(grid->GetTextMatrix(2, 3), "") << "no section: empty texts";

    // All rows unticked: refused, nothing written.
    grid->SelectRange(1, 1, 3, 1);
    dialog.OnGridClick();
    Click(dialog, 1);
    EXPECT_EQ(Texts(boxes).back(), "未选择下传参数通道，请重新设置。");
    EXPECT_EQ(platform::GetPrivateProfileString("ChannelID38", "Zero", "-", file), "-");

    // A ticked row whose text is no number is refused as a whole.
    grid->SelectRange(1, 1, 2, 1);
    dialog.OnGridClick();
    grid->SetTextMatrix(2, 4, "1,5");
    Click(dialog, 1);
    EXPECT_EQ(Texts(boxes).back(), "通道3-7的零点或修正值不是数字，请重新设置。");
    EXPECT_TRUE(dialog.GetResult().empty());

    grid->SetTextMatrix(2, 4, "");
    Click(dialog, 1);
    ASSERT_EQ(dialog.GetResult().size(), 2u);
    EXPECT_EQ(dialog.GetResult()[0].nChannel, 37);
    EXPECT_FLOAT_EQ(dialog.GetResult()[0].fCorrect, 1.5f);
    EXPECT_EQ(dialog.GetResult()[1].fZero, 0.0f) << "an empty text downloads 0";
    EXPECT_EQ(platform::GetPrivateProfileString("ChannelID39", "Zero", "-", file), "")
        << "every listed channel";

    CDlgParamDownload again(folder.Path());
    again.SetChannels({37});
    again.SetZeroSource([](int channel) { return channel * 10; });
    again.OnInitDialog();
    Click(again, 1474);
    EXPECT_EQ(again.GetGrid()->GetTextMatrix(1, 3), "370");
}

TEST_F(LinkSettingsDialogsTest, DigitalChannelsAddDeleteAndKeepAnUnlistedRate) {
    DigitalChannelTable table{};
    CDlgDigitalParam dialog;
    dialog.SetChannels(0, table);
    dialog.SetPort(3, 38400);
    dialog.OnInitDialog();
    EXPECT_EQ(Control<QComboBox>(dialog, 1407)->currentIndex(), -1);
    EXPECT_FALSE(Control<QPushButton>(dialog, 1406)->isEnabled());
    for (int i = 0; i < 8; ++i)
        Click(dialog, 1404);
    EXPECT_FALSE(Control<QPushButton>(dialog, 1404)->isEnabled());
    dialog.GetGrid()->SelectRange(1, 2, 1, 2);
    for (int i = 0; i < 5; ++i)
        Click(dialog, 1406);
    EXPECT_TRUE(Control<QPushButton>(dialog, 1404)->isEnabled());
    EXPECT_EQ(dialog.GetGrid()->GetTextMatrix(1, 2), "数字量6");
    dialog.GetGrid()->SetTextMatrix(2, 4, std::string(40, 'x') + "描述描述描述描述描述描述描述");
    Click(dialog, 1);
    int count = 0, port = 0, baud = 0;
    dialog.GetChannels(count, table);
    dialog.GetPort(port, baud);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(port, 3);
    EXPECT_EQ(baud, 38400) << "no choice: the stored rate stays";
    EXPECT_STREQ(table[0].szName, "数字量6");
    EXPECT_EQ(table[2].nIndex, 2);
    EXPECT_LE(std::strlen(table[1].szDescription), 63u);
    EXPECT_EQ(std::string(table[1].szDescription).substr(0, 40), std::string(40, 'x'));
}

TEST_F(LinkSettingsDialogsTest, HighSpeedChoicesBuildChannelNumbers) {
    CDlgHighSpeedChannel dialog({{"10.0.0.1", 0, {0, 1, 2}}, {"192.168.100.200", 1, {0}}});
    dialog.SetChannels({18, 20, 130, 9999});
    dialog.OnInitDialog();
    auto* list = dialog.findChild<QTreeWidget*>();
    ASSERT_NE(list, nullptr);
    EXPECT_GE(list->columnWidth(1), list->fontMetrics().horizontalAdvance("192.168.100.200"))
        << "the address is cut";
    ASSERT_EQ(dialog.GetRows().size(), 4u);
    EXPECT_EQ(dialog.GetRows()[1].nChoice, 2) << "the lowest listed channel of the module";
    EXPECT_EQ(dialog.GetRows()[3].nChoice, 2);
    dialog.OnChoose(0, 3, true); // "03" with Shift on the first module
    EXPECT_EQ(dialog.GetRows()[2].nChoice, 2);
    EXPECT_EQ(dialog.GetRows()[3].nChoice, 2) << "another controller keeps its own";
    dialog.OnChoose(1, 0, false);
    dialog.OnChoose(3, 16, false);
    Click(dialog, 1);
    EXPECT_EQ(dialog.GetChannels(), (std::vector<int>{2, 34, 143}));
}

TEST_F(LinkSettingsDialogsTest, ModuleGroupSendsEveryTickedCaseAPauseApart) {
    std::vector<std::tuple<int, std::string, std::string>> sent;
    CDlgModuleGroup dialog(
        {0, 1, 8, 9}, [&](int c, const std::string& p, const std::string& t) { sent.emplace_back(c, p, t); });
    dialog.OnInitDialog();
    auto* pan = Control<QLineEdit>(dialog, 1045);
    auto* target = Control<QLineEdit>(dialog, 1046);
    EXPECT_EQ(pan->maxLength(), 4);
    EXPECT_EQ(target->maxLength(), 16);
    pan->setText("ABCD");
    auto* list = Control<QListWidget>(dialog, 1410);
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(2)->text().toStdString(), "9");
    for (int i : {0, 2, 3})
        list->item(i)->setCheckState(Qt::Checked);
    const auto start = std::chrono::steady_clock::now();
    Click(dialog, 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1], std::make_tuple(8, std::string("ABCD"), std::string()));
    EXPECT_TRUE(Control<QPushButton>(dialog, 1)->isEnabled());

    CDlgModuleGroup empty({}, [&](int, const std::string&, const std::string&) { sent.clear(); });
    empty.OnInitDialog();
    Click(empty, 1);
    EXPECT_EQ(sent.size(), 3u);
}

TEST_F(LinkSettingsDialogsTest, FaultReminderFillsAtMost32RowsAndSlidesOutWhenEmpty) {
    CDlgModuleFaultAlert alert;
    std::vector<FaultModuleEntry> modules;
    for (int i = 0; i < 40; ++i)
        modules.push_back({i, "10.0.0." + std::to_string(i)});
    alert.SetModuleList(modules);
    EXPECT_EQ(alert.GetGrid()->GetRows(), 33);
    EXPECT_EQ(alert.GetGrid()->GetTextMatrix(32, 1), "32");
    EXPECT_EQ(alert.GetGrid()->GetTextMatrix(1, 0), "!");

    g_nCaseStatusMax = 2;
    alert.SlideIn();
    EXPECT_EQ(alert.windowTitle().toStdString(), "异常! ＊请检查网络或同步线连接");
    g_nCaseStatusMax = 0;
    for (int i = 0; i < 30; ++i)
        alert.OnTimer(1);
    EXPECT_EQ(alert.GetSlideHeight(), 208);
    EXPECT_EQ(alert.height(), 200);

    g_bSampling = 1;
    alert.SetModuleList({});
    EXPECT_TRUE(alert.IsClosedDuringSampling());
    g_bSampling = 0;
    for (int i = 0; i < 30 && alert.isVisible(); ++i)
        alert.OnTimer(2);
    EXPECT_FALSE(alert.isVisible());
    EXPECT_EQ(alert.GetGrid()->GetTextMatrix(1, 2), "") << "the grid is reset";

    alert.show();
    Control<QLineEdit>(alert, 1012)->setText("-5");
    Click(alert, 1);
    EXPECT_EQ(alert.GetQuietSeconds(), 1);
}

TEST_F(LinkSettingsDialogsTest, ModuleInfoAndSinglePointPaintTheirTexts) {
    QWidget area;
    area.resize(800, 400);
    CDlgModuleInfo info(&area);
    area.show();
    EXPECT_FALSE(info.isWindow());
    EXPECT_EQ(CDlgModuleInfo::HeightForText("a\nb\nc"), 98);
    info.SetInfoText("IP: 10.0.0.1\n!IP: 10.0.0.2\nIP: 10.0.0.3");
    EXPECT_EQ(info.height(), 98);
    const int margin = CDlgModuleInfo::kMargin;
    EXPECT_EQ(info.geometry().bottom(), 399 - margin) << "grown upward from the area's bottom";
    EXPECT_EQ(info.geometry().left(), margin);
    const QImage image = info.grab().toImage();
    bool red = false, redInFirst = false;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                (y < 32 ? redInFirst : red) = true;
        }
    }
    EXPECT_TRUE(red) << "the line with ! is red";
    EXPECT_FALSE(redInFirst);
    const int narrow = info.width();
    info.SetInfoText("IP: 10.0.0.1  机箱: 01  模块: 01 02 03 04 05 06 07 08\n");
    EXPECT_GT(info.width(), narrow) << "a longer line widens it";
    // An area too narrow for the line at full size gets the whole line in a
    // smaller text rather than a cut one.
    area.resize(600, 400);
    const QString line = info.GetInfoText().section('\n', 0, 0);
    EXPECT_LT(info.GetTextPixelSize(), CDlgModuleInfo::kLinePitch);
    QFont font = CDlgModuleInfo::InfoFont();
    font.setPixelSize(info.GetTextPixelSize());
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(line) + 2, info.width());
    EXPECT_LE(info.geometry().right(), 599 - margin);
    // Never beyond its area, however small the area becomes.
    area.resize(300, 60);
    EXPECT_TRUE(area.rect().adjusted(margin, margin, -margin, -margin).contains(info.geometry()));

    CDlgSinglePointMonitor monitor;
    monitor.SetChannel(37);
    EXPECT_EQ(monitor.GetCaption().toStdString(), "01-03-06");
    monitor.SetValue(12.345f, 0);
    EXPECT_EQ(monitor.GetValueText().toStdString(), "12.35");
    monitor.SetValue(12.345f, 1);
    EXPECT_TRUE(monitor.IsAlarm());
}

} // namespace
