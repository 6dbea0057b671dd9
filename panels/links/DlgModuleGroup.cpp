// The module grouping dialog.
#include "panels/links/DlgModuleGroup.h"

#include "platform/Time.h"
#include "widgets/DialogControls.h"

#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

CDlgModuleGroup::CDlgModuleGroup(std::vector<int> onlineCases, SendFn send, QWidget* parent)
    : QDialog(parent), m_cases(std::move(onlineCases)), m_send(std::move(send)) {
    setWindowTitle(QString::fromUtf8("模块分组配置"));
    m_pPanId = NewDialogEdit(1045, this);
    m_pTarget = NewDialogEdit(1046, this);
    m_pList = new QListWidget(this);
    m_pList->setObjectName(ControlName(1410));
    m_pSet = NewDialogButton("设置(&S)", 1, this);
    auto* quit = NewDialogButton("退出(&C)", 2, this);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("PAN ID："), m_pPanId);
    form->addRow(QString::fromUtf8("目标地址："), m_pTarget);
    form->addRow(QString::fromUtf8("在线机箱号列表"), m_pList);
    auto* buttons = NewButtonRow({m_pSet, quit});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(m_pSet, &QPushButton::clicked, this, [this] { OnSet(); });
    connect(quit, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgModuleGroup::OnInitDialog() {
    m_pPanId->setMaxLength(4);
    m_pTarget->setMaxLength(16);
    m_pList->clear();
    for (int caseNo : m_cases) {
        auto* item = new QListWidgetItem(QString::number(caseNo + 1), m_pList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

int CDlgModuleGroup::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgModuleGroup::OnSet() {
    const std::string panId = m_pPanId->text().toStdString();
    const std::string target = m_pTarget->text().toStdString();
    m_pSet->setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    for (int i = 0; i < m_pList->count() && i < static_cast<int>(m_cases.size()); ++i) {
        if (m_pList->item(i)->checkState() != Qt::Checked)
            continue;
        if (m_send)
            m_send(m_cases[static_cast<std::size_t>(i)], panId, target);
        platform::Sleep(100);
    }
    QGuiApplication::restoreOverrideCursor();
    m_pSet->setEnabled(true);
}
