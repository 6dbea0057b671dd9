// The strain compensation settings dialog.
#include "panels/channels/DlgStrainCompensate.h"

#include "model/AppSettings.h"
#include "model/ChannelNaming.h"
#include "platform/MessageBox.h"
#include "widgets/DialogControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

CDlgStrainCompensate::CDlgStrainCompensate(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("应变补偿设置"));
    m_pUse = new QCheckBox(QString::fromUtf8("使用公共补偿通道"), this);
    m_pUse->setObjectName(ControlName(1429));
    m_pChannel = new QComboBox(this);
    m_pChannel->setObjectName(ControlName(1022));
    auto* form = new QFormLayout;
    form->addRow(m_pUse);
    form->addRow(QString::fromUtf8("通道选择："), m_pChannel);
    auto* ok = NewDialogButton("确定", 1, this);
    auto* cancel = NewDialogButton("取消", 2, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(NewButtonRow({ok, cancel}));
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_pUse, &QCheckBox::clicked, this, [this](bool checked) {
        m_bUsed = checked ? 1 : 0;
        m_pChannel->setEnabled(checked);
    });
    connect(m_pChannel, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            m_nChannel = ParseChannelName(m_pChannel->itemText(index).toStdString());
    });
}

void CDlgStrainCompensate::OnInitDialog() {
    m_pUse->setChecked(m_bUsed != 0);
    m_pChannel->clear();
    int selected = -1;
    for (int channel : m_Channels) {
        if (channel == m_nChannel)
            selected = m_pChannel->count();
        m_pChannel->addItem(QString::fromStdString(FormatChannelName(channel)));
    }
    m_pChannel->setCurrentIndex(selected);
    const bool editable = m_nProjectState != 2 && m_pChannel->count() > 0;
    m_pUse->setEnabled(editable);
    m_pChannel->setEnabled(editable && m_bUsed != 0);
}

int CDlgStrainCompensate::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgStrainCompensate::accept() {
    if (m_nProjectState != 2 && m_bUsed != 0 && m_pChannel->currentIndex() < 0) {
        platform::MessageBox("应变参考通道设置错误！", g_strAppTitle, platform::MB_ICONEXCLAMATION);
        return;
    }
    QDialog::accept();
}
