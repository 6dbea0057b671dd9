// Page setup over the print parameters.
#include "app/PageSetupDialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>

namespace {

struct Field {
    const char* label;
    float PrintParameters::*value;
};
const Field kFields[6] = {
    {"上边距", &PrintParameters::fltMarginTop},      {"下边距", &PrintParameters::fltMarginDown},
    {"左边距", &PrintParameters::fltMarginLeft},     {"右边距", &PrintParameters::fltMarginRight},
    {"页眉高度", &PrintParameters::fltHeaderHeight}, {"页脚高度", &PrintParameters::fltFootHeight},
};

} // namespace

CPageSetupDialog::CPageSetupDialog(const PrintParameters& params, QWidget* parent) : QDialog(parent) {
    setWindowTitle("页面设置");
    auto* form = new QFormLayout(this);
    for (int i = 0; i < 6; ++i) {
        m_pValues[i] = new QDoubleSpinBox(this);
        m_pValues[i]->setRange(0.0, 1000.0);
        m_pValues[i]->setDecimals(2);
        m_pValues[i]->setValue(params.*kFields[i].value);
        form->addRow(QString::fromUtf8(kFields[i].label), m_pValues[i]);
    }
    m_pHeader = new QLineEdit(QString::fromStdString(params.strHeaderContent), this);
    m_pFoot = new QLineEdit(QString::fromStdString(params.strFootContent), this);
    form->addRow("页眉内容", m_pHeader);
    form->addRow("页脚内容", m_pFoot);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

PrintParameters CPageSetupDialog::GetParameters() const {
    PrintParameters params;
    for (int i = 0; i < 6; ++i)
        params.*kFields[i].value = static_cast<float>(m_pValues[i]->value());
    params.strHeaderContent = m_pHeader->text().toStdString();
    params.strFootContent = m_pFoot->text().toStdString();
    return params;
}
