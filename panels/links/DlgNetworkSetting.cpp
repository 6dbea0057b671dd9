// The network module dialog: scan, read on selection, write on 设置, "END" on closing.
#include "panels/links/DlgNetworkSetting.h"

#include "widgets/DialogControls.h"

#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int kHostPort = 6000;
// Control ids and labels of the six fields, in protocol order.
const int kFieldIds[netmodule::kFieldCount] = {1422, 1424, 1420, 1421, 1423, 1425};
const char* const kFieldLabels[netmodule::kFieldCount] = {"设备IP地址", "端口号",     "网关IP地址",
                                                          "子网掩码",   "目的IP地址", "目的端口号"};
const char* const kFieldHelp[netmodule::kFieldCount] = {"设置%1的IP地址。",
                                                        "设置%1的端口号。",
                                                        "设置%1所在网络的网关服务器IP地址。",
                                                        "设置%1的子网掩码。",
                                                        "设置%1远程主机（通信目的主机）的IP地址。",
                                                        "设置%1的远程主机（通信目的主机）的端口号。"};

} // namespace

CDlgNetworkSetting::CDlgNetworkSetting(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("网络设置"));
    m_pScan = NewDialogButton("扫描设备", 1417, this);
    m_pSet = NewDialogButton("设置", 1418, this);
    auto* quit = NewDialogButton("退出", 2, this);
    m_pList = new QListWidget(this);
    m_pList->setObjectName(ControlName(1412));
    m_pList->setSortingEnabled(true);
    auto* fieldsBox = new QGroupBox(QString::fromUtf8("以太网通信参数"), this);
    auto* form = new QFormLayout(fieldsBox);
    for (int field = 0; field < netmodule::kFieldCount; ++field) {
        m_pFields[field] = NewDialogEdit(kFieldIds[field], fieldsBox);
        m_pFields[field]->installEventFilter(this);
        form->addRow(QString::fromUtf8(kFieldLabels[field]), m_pFields[field]);
        connect(m_pFields[field], &QLineEdit::textEdited, this, [this, field] { ShowFieldHelp(field); });
    }
    auto* helpBox = new QGroupBox(QString::fromUtf8("帮助"), this);
    m_pHelp = new QPlainTextEdit(helpBox);
    m_pHelp->setObjectName(ControlName(1426));
    m_pHelp->setReadOnly(true);
    (new QVBoxLayout(helpBox))->addWidget(m_pHelp);

    auto* left = new QVBoxLayout;
    left->addWidget(m_pScan);
    left->addWidget(m_pList);
    auto* right = new QVBoxLayout;
    right->addWidget(fieldsBox);
    right->addWidget(helpBox);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(right, 1);
    auto* buttons = NewButtonRow({m_pSet, quit});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    resize(620, 420);

    connect(m_pScan, &QPushButton::clicked, this, [this] { OnScan(); });
    connect(m_pSet, &QPushButton::clicked, this, [this] { OnSet(); });
    connect(quit, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_pList, &QListWidget::itemSelectionChanged, this, [this] { OnSelectDevice(); });
}

CDlgNetworkSetting::~CDlgNetworkSetting() = default;

NetworkModuleOptions& CDlgNetworkSetting::SocketOptions() {
    static NetworkModuleOptions options;
    return options;
}

QString CDlgNetworkSetting::StateText(int state, const std::string& hostIp, int count) {
    switch (state) {
    case 0:
        return QString::fromUtf8(
                   "当前主机的IP地址：%1\r\n当前主机的端口号：%2\r\n\r\n"
                   "请先扫描网络中的设备，然后再对每一台设备的参数进行修改。这个过程可能需要几秒钟的时间。")
            .arg(QString::fromStdString(hostIp))
            .arg(kHostPort);
    case 1:
        return QString::fromUtf8("计算机正在扫描网络中的设备。");
    case 2:
        return QString::fromUtf8("检测到%1台设备。").arg(count);
    case 3:
        return QString::fromUtf8("未检查到网络中的设备！");
    case 4:
        return QString::fromUtf8("读取指定的设备数据成功！");
    case 5:
        return QString::fromUtf8("读取指定的设备数据不成功！");
    case 6:
        return QString::fromUtf8("对设备参数进行设置...");
    case 7:
        return QString::fromUtf8("设置设备数据成功！");
    case 8:
        return QString::fromUtf8("设置设备数据不成功！");
    case 9:
        return QString::fromUtf8("初始化网络属性不成功！");
    default:
        return {};
    }
}

QString CDlgNetworkSetting::GetHelpText() const {
    return m_pHelp->toPlainText();
}

void CDlgNetworkSetting::ShowState(int state, int count) {
    m_pHelp->setPlainText(StateText(state, m_strHostIp, count));
    if (state == 0 || state == 3 || state == 5)
        EnableFields(false);
    else if (state == 4)
        EnableFields(true);
}

void CDlgNetworkSetting::EnableFields(bool enable) {
    for (int field = 0; field < netmodule::kFieldCount; ++field)
        m_pFields[field]->setEnabled(enable && netmodule::IsIpField(field)); // ports go back as read
    m_pSet->setEnabled(enable);
}

void CDlgNetworkSetting::ShowFieldHelp(int field) {
    if (!m_strSelected.empty())
        m_pHelp->setPlainText(
            QString::fromUtf8(kFieldHelp[field]).arg(QString::fromStdString(m_strSelected)));
}

bool CDlgNetworkSetting::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        for (int field = 0; field < netmodule::kFieldCount; ++field)
            if (watched == m_pFields[field])
                ShowFieldHelp(field);
    return QDialog::eventFilter(watched, event);
}

void CDlgNetworkSetting::OnInitDialog() {
    m_strHostIp = netmodule::HostIpAddress();
    ShowState(0);
    if (!m_setup.Open(SocketOptions())) {
        ShowState(9);
        m_pScan->setEnabled(false);
        m_pSet->setEnabled(false);
    }
}

int CDlgNetworkSetting::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgNetworkSetting::OnScan() {
    m_pList->clear();
    m_strSelected.clear();
    if (!m_setup.IsOpen())
        return;
    const QString before = GetHelpText();
    ShowState(1);
    m_pHelp->repaint();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const int count = m_setup.Scan();
    QGuiApplication::restoreOverrideCursor();
    if (count < 0) {
        m_pHelp->setPlainText(before); // the "SETUP" did not go out: nothing to say
        return;
    }
    const QSignalBlocker quiet(m_pList);
    for (const NetworkModuleDevice& device : m_setup.GetDevices())
        m_pList->addItem(QString::fromStdString(device.strText));
    ShowState(count > 0 ? 2 : 3, count);
    m_bChanged = 1;
}

void CDlgNetworkSetting::OnSelectDevice() {
    const QList<QListWidgetItem*> selected = m_pList->selectedItems();
    if (selected.isEmpty())
        return;
    m_strSelected = selected.front()->text().toStdString();
    const NetworkModuleDevice* device = m_setup.FindDevice(m_strSelected);
    if (device == nullptr)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    netmodule::Values values;
    const bool read = m_setup.ReadValues(*device, values);
    QGuiApplication::restoreOverrideCursor();
    if (!read) {
        ShowState(5);
        return;
    }
    for (int field = 0; field < netmodule::kFieldCount; ++field)
        m_pFields[field]->setText(QString::fromStdString(values[field]));
    ShowState(4);
}

void CDlgNetworkSetting::OnSet() {
    const NetworkModuleDevice* device = m_setup.FindDevice(m_strSelected);
    if (device == nullptr)
        return;
    netmodule::Values values;
    for (int field = 0; field < netmodule::kFieldCount; ++field)
        values[field] = m_pFields[field]->text().toStdString();
    ShowState(6);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = m_setup.WriteValues(*device, values);
    QGuiApplication::restoreOverrideCursor();
    ShowState(written ? 7 : 8);
    if (written)
        m_bChanged = 1;
}

void CDlgNetworkSetting::done(int result) {
    if (!m_bClosed) {
        m_bClosed = true;
        if (m_bChanged)
            m_setup.SendEndToAll();
        m_setup.Close();
    }
    QDialog::done(result);
}
