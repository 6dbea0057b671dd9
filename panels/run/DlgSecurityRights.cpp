// The operation-permission settings dialog.
#include "panels/run/DlgSecurityRights.h"

#include "widgets/DialogControls.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace {
QCheckBox* NewCheck(const char* text, int id, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(ControlName(id));
    return box;
}
} // namespace

CDlgSecurityRights::CDlgSecurityRights(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("安全权限设置"));
    m_pSettingCode = NewDialogEdit(1045, this);
    m_pOperationCode = NewDialogEdit(1046, this);
    m_pChannelLocked = NewCheck("禁止通道参数栏设置", 1382, this);
    m_pSampleBarLocked = NewCheck("禁止采样参数栏设置", 1383, this);
    m_pStopGuarded = NewCheck("停止采集操作需要权限", 1384, this);
    m_pZeroGuarded = NewCheck("零点编辑操作需要权限", 1385, this);
    m_pRestorePrompts = NewCheck("恢复权限验证提示", 1387, this);
    auto* form = new QFormLayout;
    form->addRow(QString::fromUtf8("进入权限设置验证码"), m_pSettingCode);
    form->addRow(QString::fromUtf8("用户操作权限验证码"), m_pOperationCode);
    auto* ok = NewDialogButton("确定(&O)", 1, this);
    auto* cancel = NewDialogButton("取消(&C)", 2, this);
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    for (QCheckBox* box :
         {m_pChannelLocked, m_pSampleBarLocked, m_pStopGuarded, m_pZeroGuarded, m_pRestorePrompts})
        layout->addWidget(box);
    layout->addLayout(NewButtonRow({ok, cancel}));
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void CDlgSecurityRights::SetRights(const COperatorRights& rights) {
    rights.CopyTo(m_Rights);
}

void CDlgSecurityRights::GetRights(COperatorRights& rights) const {
    m_Rights.CopyTo(rights);
}

void CDlgSecurityRights::OnInitDialog() {
    m_pSettingCode->setText(QString::fromStdString(m_Rights.m_strSettingCode));
    m_pOperationCode->setText(QString::fromStdString(m_Rights.m_strOperationCode));
    m_pSampleBarLocked->setChecked(m_Rights.m_nSysParmEditRight == 1);
    m_pStopGuarded->setChecked(m_Rights.m_nStopControlRight == 1);
    m_pZeroGuarded->setChecked(m_Rights.m_nZeroValueEditRight == 1);
    m_pChannelLocked->setChecked(m_Rights.m_nChannelEditRight == 1);
    // The restore box is offered only while the prompts are cancelled.
    const bool cancelled = m_Rights.m_nRightCancel == 1;
    m_pRestorePrompts->setChecked(!cancelled);
    m_pRestorePrompts->setVisible(cancelled);
    m_pSampleBarLocked->setVisible(false);
    m_pZeroGuarded->setVisible(false);
}

int CDlgSecurityRights::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgSecurityRights::accept() {
    m_Rights.m_strSettingCode = m_pSettingCode->text().toStdString();
    m_Rights.m_strOperationCode = m_pOperationCode->text().toStdString();
    m_Rights.m_nSysParmEditRight = m_pSampleBarLocked->isChecked() ? 1 : 0;
    m_Rights.m_nStopControlRight = m_pStopGuarded->isChecked() ? 1 : 0;
    m_Rights.m_nZeroValueEditRight = m_pZeroGuarded->isChecked() ? 1 : 0;
    m_Rights.m_nChannelEditRight = m_pChannelLocked->isChecked() ? 1 : 0;
    m_Rights.m_nRightCancel = m_pRestorePrompts->isChecked() ? 0 : 1;
    QDialog::accept();
}
