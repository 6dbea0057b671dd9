// The online link settings dialog.
#include "panels/links/DlgOnlineSetting.h"

#include "model/AppSettings.h"
#include "model/FieldTexts.h"
#include "platform/MessageBox.h"
#include "platform/Socket.h"
#include "widgets/DialogControls.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

CDlgOnlineSetting::CDlgOnlineSetting(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("联机设置"));
    m_pAddress = NewDialogEdit(1463, this);
    m_pControlPort = NewDialogEdit(1464, this);
    m_pListenPort = NewDialogEdit(1465, this);
    auto* ok = NewDialogButton("确定", 1, this);
    auto* cancel = NewDialogButton("取消", 2, this);
    ok->setDefault(true);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("控制端IP："), m_pAddress);
    form->addRow(QString::fromUtf8("控制端通讯端口："), m_pControlPort);
    form->addRow(QString::fromUtf8("采集端侦听端口："), m_pListenPort);
    auto* buttons = NewButtonRow({ok, cancel});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

std::string CDlgOnlineSetting::ShownAddress(const std::string& text) {
    std::uint32_t address = 0;
    // Anything but four octets shows as 0.0.0.0 rather than shifting an
    // octet into the next one.
    if (text.empty() || !platform::ParseIPv4(text, address))
        return "0.0.0.0";
    return platform::FormatIPv4(address);
}

void CDlgOnlineSetting::OnInitDialog() {
    m_pAddress->setText(QString::fromStdString(ShownAddress(m_strControlIp)));
    m_pControlPort->setText(QString::number(m_nControlPort));
    m_pListenPort->setText(QString::number(m_nListenPort));
}

int CDlgOnlineSetting::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgOnlineSetting::accept() {
    // A typo must not become 0.0.0.0 or port 0 in the link and its file:
    // the dialog stays open with the field named.
    const std::string address = m_pAddress->text().trimmed().toStdString();
    int controlPort = 0, listenPort = 0;
    std::string refusal;
    if (!IsIPv4Text(address))
        refusal = InvalidAddressMessage("控制端IP");
    else if (!ParsePortText(m_pControlPort->text().trimmed().toStdString(), controlPort))
        refusal = InvalidPortMessage("控制端通讯端口");
    else if (!ParsePortText(m_pListenPort->text().trimmed().toStdString(), listenPort))
        refusal = InvalidPortMessage("采集端侦听端口");
    if (!refusal.empty()) {
        platform::MessageBox(refusal, g_strAppTitle, platform::MB_ICONEXCLAMATION);
        return;
    }
    m_strControlIp = ShownAddress(address);
    m_nControlPort = controlPort;
    m_nListenPort = listenPort;
    QDialog::accept();
}
