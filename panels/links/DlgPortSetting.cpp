// The port settings dialog: the interface radios, COM port and baud rate.
#include "panels/links/DlgPortSetting.h"

#include "widgets/DialogControls.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const int kBauds[4] = {4800, 9600, 14400, 19200};

QGroupBox* RadioGroup(const char* title, const char* const texts[], int count, int firstId,
                      QButtonGroup* group, QWidget* parent) {
    auto* box = new QGroupBox(QString::fromUtf8(title), parent);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < count; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(texts[i]), box);
        radio->setObjectName(ControlName(firstId + i));
        group->addButton(radio, firstId + i);
        layout->addWidget(radio);
    }
    return box;
}

} // namespace

CDlgPortSetting::CDlgPortSetting(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("端口设置"));
    m_pInterface = new QButtonGroup(this);
    m_pBaud = new QButtonGroup(this);
    const char* const interfaces[] = {"USB", "232", "Network"};
    const char* const bauds[] = {"4800", "9600", "14400", "19200"};
    auto* interfaceBox = RadioGroup("通讯端口", interfaces, 3, 1200, m_pInterface, this);
    auto* baudBox = RadioGroup("波特率", bauds, 4, 1210, m_pBaud, this);
    auto* portBox = new QGroupBox(QString::fromUtf8("端口号"), this);
    m_pComPort = new QComboBox(portBox);
    m_pComPort->setObjectName(ControlName(1022));
    (new QVBoxLayout(portBox))->addWidget(m_pComPort);
    auto* ok = NewDialogButton("确定(&O)", 1, this);
    auto* cancel = NewDialogButton("取消(&C)", 2, this);
    ok->setDefault(true);

    auto* groups = new QHBoxLayout;
    groups->addWidget(interfaceBox);
    groups->addWidget(baudBox);
    groups->addWidget(portBox, 0, Qt::AlignTop);
    auto* buttons = NewButtonRow({ok, cancel});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);

    connect(m_pInterface, &QButtonGroup::idClicked, this, [this](int id) { OnInterfaceClicked(id - 1200); });
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgPortSetting::EnableSerial(bool enable) {
    for (QAbstractButton* radio : m_pBaud->buttons())
        radio->setEnabled(enable);
    m_pComPort->setEnabled(enable);
}

void CDlgPortSetting::OnInitDialog() {
    if (QAbstractButton* radio = m_pInterface->button(1200 + m_nInterfaceMode))
        radio->setChecked(true);
    m_pComPort->clear();
    for (int n = 1; n <= 8; ++n)
        m_pComPort->addItem(QStringLiteral("COM%1").arg(n));
    m_pComPort->setCurrentIndex(m_nComPort - 1);
    int baud = 0;
    while (baud < 3 && kBauds[baud] != m_nBaudRate)
        ++baud;
    m_pBaud->button(1210 + (kBauds[baud] == m_nBaudRate ? baud : 0))->setChecked(true);
    EnableSerial(m_nInterfaceMode == 1);
    // Of the interfaces only the network can be chosen.
    m_pInterface->button(1200)->setEnabled(false);
    m_pInterface->button(1201)->setEnabled(false);
}

int CDlgPortSetting::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgPortSetting::OnInterfaceClicked(int mode) {
    // The choice is taken on OK, so Cancel leaves the stored mode.
    EnableSerial(mode == 1);
}

void CDlgPortSetting::accept() {
    if (m_pInterface->checkedId() >= 1200)
        m_nInterfaceMode = m_pInterface->checkedId() - 1200;
    m_nComPort = m_pComPort->currentIndex() + 1;
    if (m_pBaud->checkedId() >= 1210)
        m_nBaudRate = kBauds[m_pBaud->checkedId() - 1210];
    QDialog::accept();
}
