// The single-point monitor settings dialog.
#include "panels/channels/DlgMonitorSetting.h"

#include "model/ChannelNaming.h"
#include "platform/Text.h"
#include "widgets/DialogControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace {
constexpr int kChannelsPerCase = 16;

QRadioButton* NewRadio(const char* text, int id, QWidget* parent) {
    auto* radio = new QRadioButton(QString::fromUtf8(text), parent);
    radio->setObjectName(ControlName(id));
    return radio;
}

QHBoxLayout* Pair(QWidget* a, QWidget* b) {
    auto* row = new QHBoxLayout;
    row->addWidget(a);
    row->addWidget(b);
    return row;
}
} // namespace

CDlgMonitorSetting::CDlgMonitorSetting(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("单点监控设置"));
    m_pCase = new QComboBox(this);
    m_pCase->setObjectName(ControlName(1427));
    m_pPoint = new QComboBox(this);
    m_pPoint->setObjectName(ControlName(1428));
    m_pThreshold = NewDialogEdit(1429, this);
    m_pOver = NewRadio("超限", 1431, this);
    m_pUnder = NewRadio("低限", 1432, this);
    m_pAuto = new QCheckBox(QString::fromUtf8("自动触发采集"), this);
    m_pAuto->setObjectName(ControlName(1430));
    m_pSingle = NewRadio("单次触发", 1433, this);
    m_pMulti = NewRadio("多次触发", 1434, this);
    // Two groups of two radios each.
    auto* limit = new QButtonGroup(this);
    limit->addButton(m_pOver);
    limit->addButton(m_pUnder);
    auto* trigger = new QButtonGroup(this);
    trigger->addButton(m_pSingle);
    trigger->addButton(m_pMulti);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("机箱号："), m_pCase);
    form->addRow(QString::fromUtf8("测点号："), m_pPoint);
    form->addRow(QString::fromUtf8("采样阀值："), m_pThreshold);
    form->addRow(Pair(m_pOver, m_pUnder));
    form->addRow(m_pAuto);
    form->addRow(QString::fromUtf8("触发类型："), Pair(m_pSingle, m_pMulti));
    auto* ok = NewDialogButton("确定", 1, this);
    auto* quit = NewDialogButton("退出", 2, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(NewButtonRow({ok, quit}));
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(quit, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_pCase, &QComboBox::activated, this, [this](int index) { OnCaseChanged(index); });
    connect(m_pPoint, &QComboBox::activated, this,
            [this](int index) { m_Settings.nPoint = m_nShownCase * kChannelsPerCase + index; });
    connect(m_pAuto, &QCheckBox::clicked, this, [this] { OnAutoTrigger(); });
}

void CDlgMonitorSetting::OnInitDialog() {
    m_pCase->clear();
    int selected = -1;
    for (int unit : m_Cases) {
        if (unit == m_Settings.nCase)
            selected = m_pCase->count();
        m_pCase->addItem(QString::number(unit + 1));
    }
    m_pCase->setCurrentIndex(selected);
    m_nShownCase = selected >= 0 ? m_Settings.nCase : -1;
    FillPoints();
    m_pThreshold->setText(QString::fromStdString(platform::Format("%.2f", double(m_Settings.fThreshold))));
    m_pOver->setChecked(m_Settings.bOverLimit != 0);
    m_pUnder->setChecked(m_Settings.bOverLimit == 0);
    m_pAuto->setChecked(m_Settings.bAutoTrigger != 0);
    m_pMulti->setChecked(m_Settings.bMultiTrigger != 0);
    m_pSingle->setChecked(m_Settings.bMultiTrigger == 0);
    m_pSingle->setEnabled(m_Settings.bAutoTrigger != 0);
    m_pMulti->setEnabled(m_Settings.bAutoTrigger != 0);
}

void CDlgMonitorSetting::FillPoints() {
    m_pPoint->clear();
    m_pPoint->setEnabled(m_nShownCase >= 0);
    if (m_nShownCase < 0)
        return;
    const int first = m_nShownCase * kChannelsPerCase;
    for (int i = 0; i < kChannelsPerCase; ++i)
        m_pPoint->addItem(QString::fromStdString(FormatChannelName(first + i)));
    if (m_Settings.nPoint < first || m_Settings.nPoint >= first + kChannelsPerCase)
        m_Settings.nPoint = first;
    m_pPoint->setCurrentIndex(m_Settings.nPoint - first);
}

void CDlgMonitorSetting::OnCaseChanged(int index) {
    if (index < 0)
        return;
    const int unit = std::atoi(m_pCase->itemText(index).toStdString().c_str()) - 1;
    if (unit == m_nShownCase)
        return;
    m_Settings.nCase = m_nShownCase = unit;
    FillPoints();
}

void CDlgMonitorSetting::OnAutoTrigger() {
    m_Settings.bAutoTrigger = m_pAuto->isChecked() ? 1 : 0;
    m_pMulti->setChecked(m_Settings.bMultiTrigger != 0);
    m_pSingle->setChecked(m_Settings.bMultiTrigger == 0);
    m_pSingle->setEnabled(m_Settings.bAutoTrigger != 0);
    m_pMulti->setEnabled(m_Settings.bAutoTrigger != 0);
}

int CDlgMonitorSetting::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgMonitorSetting::accept() {
    m_Settings.fThreshold = static_cast<float>(std::atof(m_pThreshold->text().toStdString().c_str()));
    m_Settings.bAutoTrigger = m_pAuto->isChecked() ? 1 : 0;
    m_Settings.bMultiTrigger = m_pMulti->isChecked() ? 1 : 0;
    m_Settings.bOverLimit = m_pOver->isChecked() ? 1 : 0;
    QDialog::accept();
}
