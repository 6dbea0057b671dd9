// The permission-code dialog.
#include "views/shared/DlgRightsVerify.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

CDlgRightsVerify::CDlgRightsVerify(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("权限验证"));
    auto* layout = new QFormLayout(this);
    m_pCode = new QLineEdit(this);
    m_pCode->setEchoMode(QLineEdit::Password);
    m_pNoRepeat = new QCheckBox(QString::fromUtf8("取消反复验证提示"), this);
    layout->addRow(QString::fromUtf8("权限验证码"), m_pCode);
    layout->addRow(m_pNoRepeat);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addRow(buttons);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    m_pOk->setEnabled(false);
    m_pNoRepeat->setEnabled(false);
    // The whole text against the code, byte for byte in the code's own encoding.
    connect(m_pCode, &QLineEdit::textChanged, this, [this](const QString& text) {
        const bool match = text.toStdString() == m_strCode;
        m_pOk->setEnabled(match);
        m_pNoRepeat->setEnabled(match);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!m_pOk->isEnabled())
            return;
        m_bNoRepeat = m_pNoRepeat->isChecked();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}
