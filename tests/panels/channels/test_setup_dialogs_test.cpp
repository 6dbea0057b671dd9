// Offscreen tests of a test's set-up dialogs and windows: operator rights,
// single-point monitoring, strain compensation, sensor matching, fouling
// parameters, the key-point window and the theory values.
#include "app/ModalDialogSupport.h"
#include "panels/PanelsTestApp.h"

#include "model/OperatorRights.h"
#include "model/SensorMatch.h"
#include "panels/channels/DlgChannelSelect.h"
#include "panels/channels/DlgFoulingResistance.h"
#include "panels/channels/DlgKeyPointWatch.h"
#include "panels/channels/DlgMonitorSetting.h"
#include "panels/channels/DlgSensorMatch.h"
#include "panels/channels/DlgStrainCompensate.h"
#include "panels/channels/DlgTheoryValue.h"
#include "panels/run/DlgSecurityRights.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "project/FoulingParams.h"
#include "widgets/MSFlexGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::vector<std::string> Texts(const platform::MessageBoxRecorder& boxes) {
    std::vector<std::string> texts;
    for (const auto& record : boxes.Records())
        texts.push_back(record.text);
    return texts;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Scratch {
public:
    Scratch() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv_setup_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

class TestSetupDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { EnsurePanelsTestApp(); }
    platform::MessageBoxRecorder m_boxes;
};

TEST_F(TestSetupDialogsTest, SecurityRightsShowAndTakeBackTheRecord) {
    struct Case {
        int rightCancel;
        bool restoreVisible;
        bool tickRestore;
        int expectedCancel;
    };
    const Case cases[] = {
        {1, true, false, 1}, // default: the prompts stay off
        {1, true, true, 0},  // "恢复权限验证提示" turns them back on
        {0, false, false, 0},
    };
    for (const Case& c : cases) {
        COperatorRights rights;
        rights.m_strSettingCode = "in";
        rights.m_strOperationCode = "op";
        rights.m_nSysParmEditRight = 1;
        rights.m_nZeroValueEditRight = 1;
        rights.m_nRightCancel = c.rightCancel;
        CDlgSecurityRights dialog;
        dialog.SetRights(rights);
        dialog.OnInitDialog();
        dialog.show();
        EXPECT_EQ(Control<QLineEdit>(dialog, 1045)->text(), "in");
        EXPECT_FALSE(Control<QCheckBox>(dialog, 1383)->isVisible());
        EXPECT_FALSE(Control<QCheckBox>(dialog, 1385)->isVisible());
        EXPECT_EQ(Control<QCheckBox>(dialog, 1387)->isVisible(), c.restoreVisible) << c.rightCancel;
        if (c.tickRestore)
            Control<QCheckBox>(dialog, 1387)->setChecked(true);
        Control<QLineEdit>(dialog, 1046)->setText("Op 2");
        Control<QCheckBox>(dialog, 1384)->setChecked(true);
        Control<QCheckBox>(dialog, 1382)->setChecked(true);
        Click(dialog, 1);
        COperatorRights out;
        dialog.GetRights(out);
        EXPECT_EQ(out.m_nRightCancel, c.expectedCancel) << c.rightCancel << c.tickRestore;
        EXPECT_EQ(out.m_strOperationCode, "Op 2");
        EXPECT_EQ(out.m_nStopControlRight, 1);
        EXPECT_EQ(out.m_nChannelEditRight, 1);
        EXPECT_EQ(out.IsChannelEditAllowed(), 0);
        EXPECT_EQ(out.m_nSysParmEditRight, 1) << "hidden flags go back unchanged";
        EXPECT_EQ(out.m_nZeroValueEditRight, 1);
    }
}

TEST_F(TestSetupDialogsTest, MonitorSettingsFollowTheOnlineCases) {
    CDlgMonitorSetting dialog;
    dialog.SetCases({0, 2});
    dialog.SetSettings({2, 40, 12.346f, 0, 1, 0});
    dialog.OnInitDialog();
    auto* caseCombo = Control<QComboBox>(dialog, 1427);
    auto* point = Control<QComboBox>(dialog, 1428);
    ASSERT_EQ(caseCombo->count(), 2);
    EXPECT_EQ(caseCombo->currentText(), "3");
    EXPECT_EQ(point->count(), 16);
    EXPECT_EQ(point->currentText(), "01-03-09") << "channel 40 is the ninth of unit 2";
    EXPECT_EQ(Control<QLineEdit>(dialog, 1429)->text(), "12.35");
    EXPECT_TRUE(Control<QRadioButton>(dialog, 1432)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(dialog, 1433)->isChecked());

    // Auto trigger off: the trigger kind is kept but cannot be changed.
    Control<QCheckBox>(dialog, 1430)->click();
    EXPECT_FALSE(Control<QRadioButton>(dialog, 1434)->isEnabled());
    emit caseCombo->activated(0);
    EXPECT_EQ(point->currentText(), "01-01-01");
    emit point->activated(5);
    Control<QLineEdit>(dialog, 1429)->setText("7.5abc");
    dialog.accept();
    const SingleMonitorSettings out = dialog.GetSettings();
    EXPECT_EQ(out.nCase, 0);
    EXPECT_EQ(out.nPoint, 5);
    EXPECT_FLOAT_EQ(out.fThreshold, 7.5f);
    EXPECT_EQ(out.bAutoTrigger, 0);
    EXPECT_EQ(out.bMultiTrigger, 0);
    EXPECT_EQ(out.bOverLimit, 0);

    // A stored point outside its case becomes the case's first; no case online keeps both.
    CDlgMonitorSetting other;
    other.SetCases({0, 2});
    other.SetSettings({2, 3, 0.0f, 1, 1, 1});
    other.OnInitDialog();
    EXPECT_EQ(other.GetSettings().nPoint, 32);
    CDlgMonitorSetting none;
    none.SetSettings({5, 83, 1.0f, 1, 1, 1});
    none.OnInitDialog();
    EXPECT_EQ(Control<QComboBox>(none, 1427)->count(), 0);
    EXPECT_FALSE(Control<QComboBox>(none, 1428)->isEnabled());
    none.accept();
    EXPECT_EQ(none.GetSettings().nCase, 5);
    EXPECT_EQ(none.GetSettings().nPoint, 83);
}

TEST_F(TestSetupDialogsTest, StrainCompensationNeedsAListedChannel) {
    struct Case {
        const char* name;
        int state;
        int used;
        int channel;
        bool comboEnabled;
        bool accepted;
    };
    const Case cases[] = {
        {"listed channel", 1, 1, 17, true, true},
        {"channel no longer strain", 1, 1, 40, true, false},
        {"compensation off", 1, 0, 40, false, true},
        {"opened project: read-only", 2, 1, 40, false, true},
    };
    for (const Case& c : cases) {
        CDlgStrainCompensate dialog;
        dialog.SetStrainChannels({16, 17, 20});
        dialog.SetCompensation(c.used, c.channel);
        dialog.SetProjectState(c.state);
        dialog.OnInitDialog();
        EXPECT_EQ(Control<QComboBox>(dialog, 1022)->isEnabled(), c.comboEnabled) << c.name;
        const std::size_t before = m_boxes.Records().size();
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.name;
        if (!c.accepted)
            EXPECT_EQ(m_boxes.Records().at(before).text, "应变参考通道设置错误！");
    }
    CDlgStrainCompensate dialog;
    dialog.SetStrainChannels({16, 17, 20});
    dialog.SetCompensation(1, 17);
    dialog.OnInitDialog();
    auto* combo = Control<QComboBox>(dialog, 1022);
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    Control<QCheckBox>(dialog, 1429)->click();
    EXPECT_FALSE(combo->isEnabled());
    dialog.accept();
    int used = -1, channel = -1;
    dialog.GetCompensation(used, channel);
    EXPECT_EQ(used, 0);
    EXPECT_EQ(channel, 20) << "the channel stays for the next time";

    CDlgStrainCompensate empty;
    empty.SetCompensation(1, 0);
    empty.OnInitDialog();
    EXPECT_FALSE(Control<QCheckBox>(empty, 1429)->isEnabled()) << "no strain channel";
}

TEST_F(TestSetupDialogsTest, SensorMatchStoresTheChannelsAndWritesCoeIni) {
    Scratch folder;
    const std::string path = folder.Path() + "/coe.ini";
    SensorMatchTables start;
    start.sel = {0, 1, 2, 3, 4, 5, 6, 12}; // the last is beyond the list
    start.coef[0] = {1.5, 2.0, 0.0};
    SetCurrentSensorMatch(start);
    CDlgSensorMatch dialog;
    std::vector<int> channels = {16, 17, 18, 19, 20, 21, 22, 23, 24};
    dialog.channelSource = [&] { return channels; };
    dialog.settingsPath = [&] { return path; };
    dialog.FillChannelLists();
    dialog.show();
    EXPECT_EQ(dialog.Combo(0)->count(), 9);
    EXPECT_EQ(dialog.Combo(0)->currentText(), "01-02-01");
    EXPECT_EQ(dialog.CoefficientEdit(0, 0)->text(), "1.5");
    EXPECT_EQ(dialog.CoefficientEdit(0, 1)->text(), "2");
    EXPECT_EQ(dialog.CoefficientEdit(0, 2)->text(), "");
    EXPECT_EQ(dialog.Combo(7)->currentIndex(), -1);

    Click(dialog, 1460);
    dialog.Combo(7)->setCurrentIndex(0); // the same channel as "Ⅰ循进"
    Click(dialog, 1460);
    EXPECT_EQ(Texts(m_boxes), (std::vector<std::string>{"匹配不正确!", "匹配有重复!"}));
    EXPECT_EQ(m_boxes.Records()[0].caption, "提示");
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing is stored";
    EXPECT_EQ(g_SensorMapSel[7], 12);

    dialog.Combo(7)->setCurrentIndex(8);
    dialog.CoefficientEdit(7, 2)->setText("-3.25x");
    Click(dialog, 1460);
    EXPECT_EQ(Texts(m_boxes).back(), "匹配成功!");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(g_SensorMapId, (SensorMapList{16, 17, 18, 19, 20, 21, 22, 24}));
    EXPECT_EQ(g_SensorCoefficients[7][2], -3.25);
    platform::FlushProfileCache();
    EXPECT_EQ(LoadSensorMatch(path).id, g_SensorMapId);
    SetCurrentSensorMatch(SensorMatchTables{});
}

TEST_F(TestSetupDialogsTest, FoulingParametersAreCheckedKeptAndSaved) {
    Scratch folder;
    const std::string path = folder.Path() + "/rezu.ini";
    g_FoulingValues.fCalc[3] = 1.0f;
    CDlgFoulingResistance dialog;
    dialog.settingsPath = [&] { return path; };
    EXPECT_EQ(g_FoulingValues.fCalc[3], FOULING_NOT_SET) << "built with every value unset";
    dialog.LoadSettings(path);
    dialog.RefreshFields();
    for (int id : {1462, 1454, 1455, 1457, 1458})
        EXPECT_EQ(dialog.Field(id)->text(), "") << id;
    EXPECT_EQ(g_FoulingValues.fArea, FOULING_NOT_SET);

    dialog.Field(1454)->setText("1000");
    dialog.Field(1455)->setText("1000");
    Click(dialog, 1456);
    EXPECT_EQ(dialog.Field(1457)->text(), "0.277778");
    dialog.Field(1458)->setText("4186");
    dialog.Field(1462)->setText("0");
    EXPECT_FALSE(dialog.OnApply(false));
    EXPECT_EQ(Texts(m_boxes).back(), "换热面积有误!");
    EXPECT_FALSE(std::filesystem::exists(path));

    dialog.Field(1462)->setText("2.5");
    dialog.Field(1455)->setText("-1");
    Click(dialog, 1456);
    EXPECT_EQ(Texts(m_boxes).back(), "输入有误!");
    dialog.show();
    Click(dialog, 1461); // 应用: a negative density does not block it
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FLOAT_EQ(g_FoulingValues.fMassFlow, 0.277778f);
    EXPECT_EQ(dialog.m_fDensity, -1.0f);
    platform::FlushProfileCache();
    EXPECT_EQ(ReadBytes(path), "[param]\r\nA=2.500000\r\nMc=0.277778\r\nCpc=4186.000000\r\nQ=1000.000000\r\n"
                               "P=-1.000000\r\n");
    Click(dialog, 1459);
    EXPECT_FALSE(dialog.isVisible());
    dialog.RefreshFields();
    EXPECT_EQ(dialog.Field(1455)->text(), "") << "a value not above 0 shows empty";
}

TEST_F(TestSetupDialogsTest, KeyPointWindowListsTheChosenPoints) {
    CDlgKeyPointWatch window;
    window.SetPrecisionTable({{0, 1}, {5, 4}});
    window.onlineChannels = [] { return std::vector<int>{16, 17, 18}; };
    window.virtualChannelNames = [] { return std::vector<std::string>{"合力"}; };
    window.measureTypeOf = [](int channel) { return channel == 16 ? 0 : channel == 17 ? 5 : 2; };
    std::vector<std::string> offered;
    window.runChannelSelect = [&](CDlgChannelSelect& dialog) {
        QListWidget* list = dialog.List();
        for (int row = 0; row < list->count(); ++row)
            offered.push_back(list->item(row)->text().toStdString());
        for (int row : {0, 1, 2, 3})
            list->item(row)->setCheckState(row == 1 ? Qt::Unchecked : Qt::Checked);
        dialog.accept();
        return int(QDialog::Accepted);
    };
    window.OnChannelSelect();
    EXPECT_EQ(offered, (std::vector<std::string>{"01-02-01", "01-02-02", "01-02-03", "合力"}));
    ASSERT_EQ(window.GetPoints(), (std::vector<int>{16, 18, 4096}));
    CMSFlexGrid* grid = window.Grid();
    ASSERT_EQ(grid->GetRows(), 4);
    EXPECT_EQ(grid->GetTextMatrix(3, 1), "合力");

    std::vector<float> values(4096, 0.0f);
    values[16] = 12.345f;
    values[18] = -1.0f;
    window.UpdateValues(values.data(), {{0, 2.5f}});
    EXPECT_EQ(grid->GetTextMatrix(1, 2), "12.3");
    EXPECT_EQ(grid->GetTextMatrix(2, 2), "-1.000") << "a type without a precision shows three decimals";
    EXPECT_EQ(grid->GetTextMatrix(3, 2), "2.500");
    window.UpdateValues(values.data(), {});
    EXPECT_EQ(grid->GetTextMatrix(3, 2), "") << "no current virtual value";

    window.runChannelSelect = [](CDlgChannelSelect& dialog) {
        for (int row = 0; row < dialog.List()->count(); ++row)
            dialog.List()->item(row)->setCheckState(Qt::Unchecked);
        dialog.accept();
        return int(QDialog::Accepted);
    };
    window.OnChannelSelect();
    EXPECT_EQ(grid->GetRows(), 1) << "the heading row alone";
}

class TheoryValueDialogTest : public TestSetupDialogsTest {
protected:
    void Open(const TheoryValueTable& table, std::vector<std::string> descriptions = {}) {
        m_dialog = std::make_unique<CDlgTheoryValue>(m_folder.Path());
        m_dialog->SetChannels({{16, "A"}, {17, "B"}, {18, "C"}});
        m_dialog->SetTheoryValues(table, descriptions);
        m_dialog->chooseFile = [this](bool, const std::string&, const std::string&, const std::string&,
                                      std::string& path) {
            path = m_chosen;
            return !m_chosen.empty();
        };
        m_dialog->OnInitDialog();
    }
    std::vector<std::string> Column(CMSFlexGrid* grid, int col) const {
        std::vector<std::string> texts;
        for (int row = 1; row < grid->GetRows(); ++row)
            texts.push_back(grid->GetTextMatrix(row, col));
        return texts;
    }
    QListWidgetItem* Entry(int row) const { return m_dialog->List()->item(row); }

    Scratch m_folder;
    std::string m_chosen;
    std::unique_ptr<CDlgTheoryValue> m_dialog;
};

TEST_F(TheoryValueDialogTest, OpeningShowsAllOrTheLastChannelGroup) {
    Open({{-1, {1.0f, 2.0f}}, {17, {3.0f}}}, {"一", "二"});
    EXPECT_EQ(Entry(0)->text(), "All");
    EXPECT_EQ(Entry(2)->text(), "01-02-02[B]");
    EXPECT_EQ(Entry(0)->checkState(), Qt::Checked);
    EXPECT_EQ(Entry(2)->checkState(), Qt::Unchecked);
    EXPECT_EQ(m_dialog->List()->currentRow(), 0);
    EXPECT_EQ(Column(m_dialog->ValueGrid(), 1), (std::vector<std::string>{"1.000", "2.000"}));
    EXPECT_EQ(m_dialog->CountEdit()->text(), "2");
    EXPECT_EQ(Column(m_dialog->DescriptionGrid(), 1), (std::vector<std::string>{"一", "二"}));

    Open({{16, {1.0f}}, {18, {4.0f, 5.0f}}});
    EXPECT_EQ(Entry(1)->checkState(), Qt::Checked);
    EXPECT_EQ(Entry(3)->checkState(), Qt::Checked);
    EXPECT_EQ(m_dialog->List()->currentRow(), 3);
    EXPECT_EQ(Column(m_dialog->ValueGrid(), 1), (std::vector<std::string>{"4.000", "5.000"}));
    EXPECT_TRUE(m_dialog->IsChecked("01-02-03[C]"));
    EXPECT_FALSE(m_dialog->IsChecked("01-02-03[C] "));
}

TEST_F(TheoryValueDialogTest, SelectionChangesKeepEachEntrysValues) {
    Open({{16, {1.0f}}});
    EXPECT_EQ(m_dialog->List()->currentRow(), 1);
    m_dialog->ValueGrid()->SetTextMatrix(1, 1, "9.5");
    Entry(2)->setCheckState(Qt::Checked);
    m_dialog->List()->setCurrentRow(2); // stores the grid into 16, shows nothing for 17
    EXPECT_EQ(m_dialog->GetTheoryValues().at(16), std::vector<float>{9.5f});
    EXPECT_EQ(m_dialog->ValueGrid()->GetRows(), 2);
    m_dialog->CountEdit()->setText("3");
    Click(*m_dialog, 1490);
    EXPECT_EQ(Column(m_dialog->ValueGrid(), 0), (std::vector<std::string>{"1", "2", "3"}));
    m_dialog->ValueGrid()->SetTextMatrix(2, 1, "4");
    m_dialog->OnSelChange(2); // the same entry again: stored, reset, shown again
    EXPECT_EQ(m_dialog->GetTheoryValues().at(17), (std::vector<float>{0.0f, 4.0f, 0.0f}));
    EXPECT_EQ(Column(m_dialog->ValueGrid(), 1), (std::vector<std::string>{"0.000", "4.000", "0.000"}));
    Entry(2)->setCheckState(Qt::Unchecked);
    m_dialog->OnSelChange(2);
    EXPECT_EQ(Column(m_dialog->ValueGrid(), 1), std::vector<std::string>{""}) << "one empty row";

    for (const char* count : {"0", "", "x"}) {
        m_dialog->CountEdit()->setText(count);
        Click(*m_dialog, 1490);
        EXPECT_EQ(Texts(m_boxes).back(), "输入理论值个数不规范，请检查") << count;
    }
}

TEST_F(TheoryValueDialogTest, SavingWritesOnlyCheckedGroups) {
    Open({{-1, {1.0f}}, {16, {2.0f}}, {17, {3.0f}}});
    // "All" checked: it stands alone.
    Click(*m_dialog, 1488);
    EXPECT_EQ(ReadBytes(m_folder.Path() + "/Theory.try"), "1\r\n-1\r\n1\r\n1.000\r\n0\r\n");
    EXPECT_EQ(m_dialog->GetTheoryValues(), (TheoryValueTable{{-1, {1.0f}}}));

    // An unchecked "All" never empties the table: the checked channel groups stay.
    Open({{-1, {1.0f}}, {16, {2.0f}}, {17, {3.0f}}});
    Entry(0)->setCheckState(Qt::Unchecked);
    Entry(1)->setCheckState(Qt::Checked);
    m_dialog->CountEdit()->setText("1");
    Click(*m_dialog, 1493);
    m_dialog->DescriptionGrid()->SetTextMatrix(1, 1, "预载");
    m_chosen = m_folder.Path() + "/run.txt";
    Click(*m_dialog, 1489);
    EXPECT_EQ(m_dialog->GetTheoryValues(), (TheoryValueTable{{16, {2.0f}}}));
    EXPECT_EQ(ReadBytes(m_folder.Path() + "/run.try"), "1\r\n16\r\n1\r\n2.000\r\n1\r\n\xD4\xA4\xD4\xD8\r\n");
    EXPECT_EQ(m_dialog->GetDescriptions(), std::vector<std::string>{"预载"});

    // Read back into a fresh dialog: the group's entry is checked and shown.
    Open({{18, {7.0f}}});
    m_chosen = m_folder.Path() + "/run.try";
    Click(*m_dialog, 1491);
    EXPECT_EQ(m_dialog->GetTheoryValues(), (TheoryValueTable{{16, {2.0f}}}));
    EXPECT_EQ(Entry(1)->checkState(), Qt::Checked);
    EXPECT_EQ(Entry(3)->checkState(), Qt::Unchecked);
    EXPECT_EQ(Column(m_dialog->ValueGrid(), 1), std::vector<std::string>{"2.000"});
    EXPECT_EQ(Column(m_dialog->DescriptionGrid(), 1), std::vector<std::string>{"预载"});

    m_chosen = m_folder.Path() + "/missing.try";
    Click(*m_dialog, 1491);
    EXPECT_EQ(Texts(m_boxes).back(), "打开理论值设置文件失败！");
    EXPECT_EQ(m_dialog->GetTheoryValues(), (TheoryValueTable{{16, {2.0f}}})) << "the table is unchanged";
}

} // namespace
