// The sensor matching window.
#include "panels/channels/DlgSensorMatch.h"

#include "model/ChannelNaming.h"
#include "model/SensorMatch.h"
#include "platform/MessageBox.h"
#include "widgets/DialogControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace {
constexpr int kComboIds[SENSOR_MATCH_COUNT] = {1022, 1023, 1024, 1025, 1027, 1028, 1029, 1030};
constexpr int kFirstEditId = 1462;
constexpr const char* kCaption = "提示";
} // namespace

CDlgSensorMatch::CDlgSensorMatch(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("传感器匹配设置"));
    auto* grid = new QGridLayout;
    grid->addWidget(NewDialogLabel("通道", this), 0, 1);
    grid->addWidget(NewDialogLabel("a (x²)", this), 0, 2);
    grid->addWidget(NewDialogLabel("b (x)", this), 0, 3);
    grid->addWidget(NewDialogLabel("c", this), 0, 4);
    for (int s = 0; s < SENSOR_MATCH_COUNT; ++s) {
        grid->addWidget(NewDialogLabel(SensorMatchName(s), this), s + 1, 0);
        auto* combo = new QComboBox(this);
        combo->setObjectName(ControlName(kComboIds[s]));
        m_pCombos[std::size_t(s)] = combo;
        grid->addWidget(combo, s + 1, 1);
        for (int c = 0; c < 3; ++c) {
            QLineEdit* edit = NewDialogEdit(kFirstEditId + s * 3 + c, this);
            m_pEdits[std::size_t(s)][std::size_t(c)] = edit;
            grid->addWidget(edit, s + 1, 2 + c);
        }
    }
    auto* ok = NewDialogButton("确定", 1460, this);
    auto* cancel = NewDialogButton("取消", 1461, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(NewButtonRow({ok, cancel}));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { hide(); });
}

void CDlgSensorMatch::FillChannelLists() {
    const std::vector<int> channels = channelSource ? channelSource() : std::vector<int>{};
    for (int s = 0; s < SENSOR_MATCH_COUNT; ++s) {
        QComboBox* combo = m_pCombos[std::size_t(s)];
        combo->clear();
        for (int channel : channels)
            combo->addItem(QString::fromStdString(FormatChannelName(channel)));
        const int selection = g_SensorMapSel[std::size_t(s)];
        combo->setCurrentIndex(selection >= 0 && selection < combo->count() ? selection : -1);
        for (int c = 0; c < 3; ++c)
            m_pEdits[std::size_t(s)][std::size_t(c)]->setText(QString::fromStdString(
                SensorCoefficientText(g_SensorCoefficients[std::size_t(s)][std::size_t(c)])));
    }
}

void CDlgSensorMatch::OnOK() {
    SensorMapList selections;
    for (int s = 0; s < SENSOR_MATCH_COUNT; ++s)
        selections[std::size_t(s)] = m_pCombos[std::size_t(s)]->currentIndex();
    switch (CheckSensorSelections(selections)) {
    case SensorSelectionCheck::Incomplete:
        platform::MessageBox("匹配不正确!", kCaption, platform::MB_OK);
        return;
    case SensorSelectionCheck::Duplicate:
        platform::MessageBox("匹配有重复!", kCaption, platform::MB_OK);
        return;
    case SensorSelectionCheck::Ok:
        break;
    }
    const std::vector<int> channels = channelSource ? channelSource() : std::vector<int>{};
    SensorMatchTables tables;
    tables.sel = selections;
    for (int s = 0; s < SENSOR_MATCH_COUNT; ++s) {
        const int selection = selections[std::size_t(s)];
        tables.id[std::size_t(s)] = selection < int(channels.size()) ? channels[std::size_t(selection)] : -1;
        for (int c = 0; c < 3; ++c)
            tables.coef[std::size_t(s)][std::size_t(c)] =
                LeadingNumber(m_pEdits[std::size_t(s)][std::size_t(c)]->text().toStdString());
    }
    SetCurrentSensorMatch(tables);
    FillChannelLists();
    if (settingsPath)
        SaveSensorMatch(settingsPath(), tables);
    platform::MessageBox("匹配成功!", kCaption, platform::MB_OK);
    hide();
}
