// The cursor-edit dialog.
#include "views/curve/CursorEditDlg.h"

#include "model/ChannelNaming.h"
#include "platform/MessageBox.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CCursorEditDlg::CCursorEditDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("光标编辑"));
    auto* layout = new QVBoxLayout(this);
    auto* single = new QGroupBox(QString::fromUtf8("单光标"), this);
    auto* form = new QFormLayout(single);
    m_pX = new QLineEdit(single);
    m_pOldY = new QLineEdit(single);
    m_pNewValue = new QLineEdit(single);
    m_pX->setReadOnly(true);
    m_pOldY->setReadOnly(true);
    form->addRow(QString::fromUtf8("X："), m_pX);
    form->addRow(QString::fromUtf8("原值  Y："), m_pOldY);
    form->addRow(QString::fromUtf8("新值"), m_pNewValue);
    layout->addWidget(single);

    auto* twin = new QGroupBox(QString::fromUtf8("双光标"), this);
    auto* twinLayout = new QVBoxLayout(twin);
    m_pZero = new QRadioButton(QString::fromUtf8("双光标内的数据置零"), twin);
    m_pDelete = new QRadioButton(QString::fromUtf8("双光标内的数据删除"), twin);
    m_pActive = new QRadioButton(QString::fromUtf8("当前活动测点"), twin);
    m_pAll = new QRadioButton(QString::fromUtf8("所有测点"), twin);
    m_pChannel = new QLabel(twin);
    auto* operations = new QButtonGroup(this);
    operations->addButton(m_pZero);
    operations->addButton(m_pDelete);
    auto* scopes = new QButtonGroup(this);
    scopes->addButton(m_pActive);
    scopes->addButton(m_pAll);
    for (QWidget* w :
         {static_cast<QWidget*>(m_pZero), static_cast<QWidget*>(m_pDelete), static_cast<QWidget*>(m_pActive),
          static_cast<QWidget*>(m_pAll), static_cast<QWidget*>(m_pChannel)})
        twinLayout->addWidget(w);
    layout->addWidget(twin);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryAccept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_pNewValue, &QLineEdit::textEdited, this, [this] { m_bChanged = true; });
    connect(m_pActive, &QRadioButton::clicked, this, [this] { m_bChanged = true; });
    connect(m_pAll, &QRadioButton::clicked, this, [this] { m_bChanged = true; });
    // Deletion removes whole samples, so it always covers every channel.
    connect(m_pDelete, &QRadioButton::clicked, this, [this] {
        m_nOperation = 1;
        m_nScope = 1;
        m_pActive->setEnabled(false);
        m_pAll->setChecked(true);
        m_bChanged = true;
    });
    connect(m_pZero, &QRadioButton::clicked, this, [this] {
        m_nOperation = 0;
        m_pActive->setEnabled(true);
        m_pAll->setEnabled(true);
        m_bChanged = true;
    });
}

void CCursorEditDlg::InitDialog() {
    m_pX->setText(QString::fromStdString(m_strX));
    m_pOldY->setText(QString::fromStdString(m_strOldY));
    m_pX->setEnabled(false);
    m_pOldY->setEnabled(false);
    m_pNewValue->setText(QString::number(double(m_fNewValue)));
    m_pChannel->setText(QString::fromUtf8("当前活动测点为") +
                        QString::fromStdString(FormatChannelName(m_nChannelId)));
    m_pZero->setChecked(true);
    m_pActive->setChecked(true);
    const bool single = m_nCursorType == 1, twin = m_nCursorType == 2;
    m_pNewValue->setEnabled(single);
    for (QRadioButton* button : {m_pZero, m_pDelete, m_pActive, m_pAll})
        button->setEnabled(twin);
}

bool CCursorEditDlg::TryAccept() {
    if (m_nCursorType == 1) {
        bool ok = false;
        const float value = m_pNewValue->text().trimmed().toFloat(&ok);
        if (!ok) {
            platform::MessageBox("请输入一个数。", "光标编辑",
                                 platform::MB_OK | platform::MB_ICONEXCLAMATION);
            return false;
        }
        m_fNewValue = value;
    }
    m_nOperation = m_pDelete->isChecked() ? 1 : 0;
    m_nScope = m_pAll->isChecked() ? 1 : 0;
    accept();
    return true;
}
