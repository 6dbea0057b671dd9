// The controller machine-number dialog: list, machine numbers, 自动设置 and 设置.
#include "panels/links/DlgControllerMap.h"

#include "model/AppSettings.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "widgets/DialogControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>

CDlgControllerMap::CDlgControllerMap(const std::string& programFolder, QWidget* parent)
    : QDialog(parent), m_mapping(platform::JoinPath(programFolder, "MapCfg.ini")) {
    setWindowTitle(QString::fromUtf8("控制器机号设置"));
    m_pList = new QListWidget(this);
    m_pList->setObjectName(ControlName(1436));
    m_pMachine = new QComboBox(this);
    m_pMachine->setObjectName(ControlName(1022));
    auto* autoSet = NewDialogButton("自动设置", 1437, this);
    auto* set = NewDialogButton("设置", 1, this);
    auto* quit = NewDialogButton("退出", 2, this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_pList, 0, 0, 4, 1);
    layout->addWidget(NewDialogLabel("机号：", this), 0, 1);
    layout->addWidget(m_pMachine, 1, 1);
    layout->addWidget(autoSet, 2, 1);
    auto* buttons = NewButtonRow({set, quit});
    layout->addLayout(buttons, 4, 0, 1, 2);

    connect(m_pList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_bFilling)
            OnSelectController(row);
    });
    connect(m_pMachine, qOverload<int>(&QComboBox::activated), this, [this](int i) { OnChooseMachine(i); });
    connect(autoSet, &QPushButton::clicked, this, [this] { OnAutoSet(); });
    connect(set, &QPushButton::clicked, this, [this] { OnSet(); });
    connect(quit, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgControllerMap::SetControllerList(const std::vector<std::string>& addresses) {
    m_controllers.assign(addresses.begin(),
                         addresses.begin() + std::min<std::size_t>(addresses.size(), kMaxControllers));
}

void CDlgControllerMap::OnInitDialog() {
    m_bFilling = true;
    m_pMachine->clear();
    for (int k = 1; k <= CControllerMapping::kMachineCount; ++k)
        m_pMachine->addItem(QString::fromUtf8("%1号机").arg(k));
    m_bFilling = false;
    m_mapping.Clear();
    m_mapping.Load(m_controllers);
    m_nSelected = 0;
    RefreshList();
    OnSelectController(m_nSelected);
}

int CDlgControllerMap::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgControllerMap::done(int result) {
    if (m_bChanged)
        platform::MessageBox("控制器映射设置已被修改，请重新执行查找机箱操作！", g_strAppTitle);
    QDialog::done(result);
}

void CDlgControllerMap::RefreshList() {
    m_bFilling = true;
    m_pList->clear();
    for (const std::string& address : m_controllers)
        m_pList->addItem(QString::fromStdString(m_mapping.ListText(address)));
    if (m_nSelected >= 0 && m_nSelected < m_pList->count())
        m_pList->setCurrentRow(m_nSelected);
    m_bFilling = false;
}

void CDlgControllerMap::OnSelectController(int row) {
    if (row < 0 || row >= static_cast<int>(m_controllers.size()))
        return;
    m_nSelected = row;
    const int index = m_mapping.Find(m_controllers[static_cast<std::size_t>(row)]);
    if (index >= 0)
        m_pMachine->setCurrentIndex(index);
}

void CDlgControllerMap::OnChooseMachine(int index) {
    if (m_nSelected < 0 || m_nSelected >= static_cast<int>(m_controllers.size()) || index < 0)
        return;
    const std::string& address = m_controllers[static_cast<std::size_t>(m_nSelected)];
    if (m_mapping.Assign(address, index, m_controllers))
        return;
    platform::MessageBox("不能重复设置" + m_pMachine->itemText(index).toStdString() + "！", g_strAppTitle);
    if (m_mapping.Find(address) >= 0)
        m_pMachine->setCurrentIndex(m_mapping.Find(address));
}

void CDlgControllerMap::OnSet() {
    m_bChanged = 1;
    m_mapping.Save(m_controllers);
    RefreshList();
}

void CDlgControllerMap::OnAutoSet() {
    m_mapping.AutoAssign(m_controllers);
    OnSelectController(m_nSelected);
    RefreshList();
    m_mapping.Save(m_controllers);
    m_bChanged = 1;
}
