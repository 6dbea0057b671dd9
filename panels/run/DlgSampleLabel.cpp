// The mark-text dialog: its text goes to the main frame on either button.
#include "panels/run/DlgSampleLabel.h"

#include "project/SampleMarks.h"
#include "views/shared/RoundButton.h"

#include <QGridLayout>
#include <QPlainTextEdit>

namespace {

CRoundButton* NewRoundButton(const char* text, const char* name, QWidget* parent) {
    auto* button = new CRoundButton(parent);
    button->setText(QString::fromUtf8(text));
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setFixedSize(56, 56);
    button->MakeRound();
    return button;
}

} // namespace

CDlgSampleLabel::CDlgSampleLabel(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("采样标签编辑"));
    setModal(false);
    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName("label");
    CRoundButton* ok = NewRoundButton("确定", "ok", this);
    CRoundButton* cancel = NewRoundButton("取消", "cancel", this);
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_edit, 0, 0, 1, 2);
    layout->addWidget(ok, 1, 0, Qt::AlignCenter);
    layout->addWidget(cancel, 1, 1, Qt::AlignCenter);
    connect(ok, &QPushButton::clicked, this, &CDlgSampleLabel::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgSampleLabel::reject);
}

void CDlgSampleLabel::ClearLabel() {
    m_edit->clear();
}

std::string CDlgSampleLabel::GetLabel() const {
    return m_edit->toPlainText().toStdString();
}

void CDlgSampleLabel::accept() {
    Deliver(MarkTextOnOneLine(GetLabel()));
    QDialog::accept();
}

void CDlgSampleLabel::reject() {
    Deliver(std::string());
    QDialog::reject();
}

void CDlgSampleLabel::Deliver(const std::string& text) {
    if (m_hTarget != 0)
        platform::SendMessage(m_hTarget, WM_SAMPLE_LABEL_TEXT, reinterpret_cast<platform::WPARAM>(&text));
}
