// The controller network-parameter dialog: reading on selection, writing on 设置.
#include "panels/links/DlgControllerNetParam.h"

#include "acquisition/CommBase.h"
#include "model/AppSettings.h"
#include "model/FieldTexts.h"
#include "platform/MessageBox.h"
#include "platform/Time.h"
#include "widgets/DialogControls.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include <cstring>
#include <string>
#include <utility>

namespace {

void Warn(const std::string& text) {
    platform::MessageBox(text, g_strAppTitle, platform::MB_ICONEXCLAMATION);
}

} // namespace

CDlgControllerNetParam::CDlgControllerNetParam(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("控制器网络参数"));
    m_pList = new QListWidget(this);
    m_pList->setObjectName(ControlName(1422));
    m_pGateway = NewDialogEdit(1420, this);
    m_pMask = NewDialogEdit(1421, this);
    m_pMac = NewDialogEdit(1045, this);
    m_pAddress = NewDialogEdit(1423, this);
    m_pPort = NewDialogEdit(1046, this);
    m_pDestAddress = NewDialogEdit(1424, this);
    m_pDestPort = NewDialogEdit(1425, this);
    m_pWorkMode = new QComboBox(this);
    m_pWorkMode->setObjectName(ControlName(1022));
    m_pWorkMode->addItems({"TCP_SERVER", "TCP_CLIENT", "UDP_MODE"});
    m_pWorkMode->setEnabled(false);
    m_pPort->setEnabled(false);
    m_pDestPort->setEnabled(false);
    auto* read = NewDialogButton("读取", 1426, this);
    read->setVisible(false);
    auto* set = NewDialogButton("设置", 1, this);
    auto* quit = NewDialogButton("退出", 2, this);

    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("IP地址"), m_pAddress);
    form->addRow(QString::fromUtf8("端口号"), m_pPort);
    form->addRow(QString::fromUtf8("网关IP地址"), m_pGateway);
    form->addRow(QString::fromUtf8("子网掩码"), m_pMask);
    form->addRow(QString::fromUtf8("MAC地址"), m_pMac);
    form->addRow(QString::fromUtf8("目的IP地址"), m_pDestAddress);
    form->addRow(QString::fromUtf8("目的端口号"), m_pDestPort);
    form->addRow(QString::fromUtf8("工作模式"), m_pWorkMode);
    auto* top = new QHBoxLayout;
    top->addWidget(m_pList);
    top->addLayout(form);
    auto* buttons = NewButtonRow({set, quit}, read);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(m_pList, &QListWidget::currentRowChanged, this, [this](int row) { OnSelectController(row); });
    connect(read, &QPushButton::clicked, this, [this] { OnReadButton(); });
    connect(set, &QPushButton::clicked, this, [this] { OnSet(); });
    connect(quit, &QPushButton::clicked, this, [this] { reject(); });
}

CDlgControllerNetParam::~CDlgControllerNetParam() {
    UnregisterTarget();
}

void CDlgControllerNetParam::SetControllerIpList(const std::vector<std::string>& addresses) {
    m_controllers.assign(addresses.begin(),
                         addresses.begin() + std::min<std::size_t>(addresses.size(), kMaxControllers));
}

void CDlgControllerNetParam::OnInitDialog() {
    m_pMac->setEnabled(g_bSoftwareMAC);
    const QSignalBlocker quiet(m_pList);
    m_pList->clear();
    for (const std::string& address : m_controllers)
        m_pList->addItem(QString::fromStdString(address));
    if (!m_controllers.empty()) {
        m_pList->setCurrentRow(0);
        m_nSelected = 0;
        m_strSelected = m_controllers[0];
        ReadSelected();
    }
}

int CDlgControllerNetParam::exec() {
    OnInitDialog();
    return QDialog::exec();
}

platform::LRESULT CDlgControllerNetParam::WindowProc(platform::UINT message, platform::WPARAM,
                                                     platform::LPARAM lParam) {
    if (message == kBlockMessage && lParam != 0)
        std::memcpy(m_block, reinterpret_cast<const void*>(lParam), kControllerBlockSize);
    return 0;
}

void CDlgControllerNetParam::OnSelectController(int row) {
    if (row < 0 || row >= static_cast<int>(m_controllers.size()))
        return;
    m_nSelected = row;
    m_strSelected = m_controllers[static_cast<std::size_t>(row)];
    ReadSelected();
}

void CDlgControllerNetParam::OnReadButton() {
    if (m_nSelected < 0) {
        Warn("未选择控制器IP地址，读取网络参数失败！");
        return;
    }
    ReadSelected();
}

void CDlgControllerNetParam::ReadSelected() {
    m_bReadOk = 0;
    if (m_pComm == nullptr)
        return;
    if (!m_pComm->SendModuleCmdF0(GetSafeHwnd(), m_strSelected)) {
        // Another controller's values must not stand for this one's.
        for (QLineEdit* edit :
             {m_pGateway, m_pMask, m_pMac, m_pAddress, m_pPort, m_pDestAddress, m_pDestPort})
            edit->clear();
        m_pWorkMode->setCurrentIndex(-1);
        Warn("获取控制器参数失败！请检查网络设置问题。");
        return;
    }
    m_bReadOk = 1;
    ShowBlock();
}

void CDlgControllerNetParam::ShowBlock() {
    const ControllerNetFields f = ReadControllerBlock(m_block);
    m_pGateway->setText(QString::fromStdString(f.strGateway));
    m_pMask->setText(QString::fromStdString(f.strSubnetMask));
    m_pMac->setText(QString::fromStdString(f.strMac));
    m_pAddress->setText(QString::fromStdString(f.strAddress));
    m_pPort->setText(QString::fromStdString(f.strPort));
    m_pDestAddress->setText(QString::fromStdString(f.strDestAddress));
    m_pDestPort->setText(QString::fromStdString(f.strDestPort));
    m_pWorkMode->setCurrentIndex(f.nWorkMode < m_pWorkMode->count() ? f.nWorkMode : -1);
}

ControllerNetFields CDlgControllerNetParam::TakeFields() const {
    ControllerNetFields f;
    f.strGateway = m_pGateway->text().toStdString();
    f.strSubnetMask = m_pMask->text().toStdString();
    f.strMac = m_pMac->text().toStdString();
    f.strAddress = m_pAddress->text().toStdString();
    f.strPort = m_pPort->text().toStdString();
    f.strDestAddress = m_pDestAddress->text().toStdString();
    f.strDestPort = m_pDestPort->text().toStdString();
    f.nWorkMode = m_pWorkMode->currentIndex() < 0 ? 0 : m_pWorkMode->currentIndex();
    return f;
}

void CDlgControllerNetParam::OnSet() {
    if (!m_bReadOk)
        return;
    if (m_nSelected < 0) {
        Warn("未选择控制器IP地址，不能设置网络参数！");
        return;
    }
    const ControllerNetFields fields = TakeFields();
    // An octet out of range would go out wrapped and could leave the
    // controller unreachable: nothing is sent until all four are addresses.
    const std::pair<const char*, const std::string*> addresses[] = {{"网关IP地址", &fields.strGateway},
                                                                    {"子网掩码", &fields.strSubnetMask},
                                                                    {"IP地址", &fields.strAddress},
                                                                    {"目的IP地址", &fields.strDestAddress}};
    for (const auto& [label, text] : addresses)
        if (!IsIPv4Text(*text)) {
            Warn(InvalidAddressMessage(label));
            return;
        }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::uint8_t first[kControllerSetBlock1Size];
    BuildControllerSetBlock1(fields, first);
    if (!m_pComm->SendModuleCmdF1(GetSafeHwnd(), m_strSelected, first)) {
        QGuiApplication::restoreOverrideCursor();
        Warn("设置控制器网络参数失败！");
        return;
    }
    platform::Sleep(500);
    std::uint8_t second[kControllerSetBlock2Size];
    BuildControllerSetBlock2(fields, second);
    if (!m_pComm->SendModuleCmdF2(GetSafeHwnd(), m_strSelected, second)) {
        QGuiApplication::restoreOverrideCursor();
        Warn("设置网络参数失败！");
        return;
    }
    ShowBlock();
    m_bChanged = 1;
    QGuiApplication::restoreOverrideCursor();
    Warn("设置网络参数成功！");
}
