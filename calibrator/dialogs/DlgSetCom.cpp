// The port list shows the ports found as "COM%d"; the rate list the rates the
// generator may run at.
#include "calibrator/dialogs/DlgSetCom.h"

#include "platform/MessageBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

namespace {

constexpr int kBauds[] = {4800, 9600, 14400, 19200, 25600, 38400, 56000, 57600, 115200, 128000, 256000};
constexpr const char* kTitle = "应变仪通讯设置";

} // namespace

CDlgSetCom::CDlgSetCom(const std::vector<int>& ports, int port, int baud, QWidget* parent)
    : QDialog(parent), m_nPort(port), m_nBaud(baud) {
    setWindowTitle(kTitle);
    m_pPorts = new QComboBox(this);
    m_pPorts->setObjectName("1046");
    for (int p : ports)
        m_pPorts->addItem(QString("COM%1").arg(p), p);
    m_pPorts->setCurrentIndex(m_pPorts->findData(port));
    m_pBauds = new QComboBox(this);
    m_pBauds->setObjectName("1047");
    for (int b : kBauds)
        m_pBauds->addItem(QString::number(b), b);
    m_pBauds->setCurrentIndex(m_pBauds->findData(baud > 0 ? baud : kDefaultBaud));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow("串口号：", m_pPorts);
    layout->addRow("波特率：", m_pBauds);
    layout->addRow(buttons);
}

void CDlgSetCom::accept() {
    if (m_pPorts->currentIndex() < 0) {
        platform::MessageBox("串口号未选择！", kTitle, platform::MB_OK | platform::MB_ICONWARNING);
        return;
    }
    if (m_pBauds->currentIndex() < 0) {
        platform::MessageBox("通讯波特率未选择！", kTitle, platform::MB_OK | platform::MB_ICONWARNING);
        return;
    }
    m_nPort = m_pPorts->currentData().toInt();
    m_nBaud = m_pBauds->currentData().toInt();
    QDialog::accept();
}
