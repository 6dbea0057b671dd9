// The table-properties dialog.
#include "views/table/DlgTableProperty.h"

#include "model/ChannelNaming.h"
#include "model/ValueConversion.h"
#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

CDlgTableProperty::CDlgTableProperty(const std::vector<int>& units, const std::vector<int>& measureTypes,
                                     QWidget* parent)
    : QDialog(parent), m_units(units), m_measureTypes(measureTypes) {
    setWindowTitle("表格属性");
    m_unit = new QComboBox(this);
    m_unitGroup = new QGroupBox(this);
    auto* unitForm = new QFormLayout(m_unitGroup);
    unitForm->addRow("机号:", m_unit);
    m_describ = new QCheckBox("显示测点描述", this);
    m_showUnit = new QCheckBox("显示单位", this);
    auto* decimalsGroup = new QGroupBox("小数位设置 ", this);
    m_type = new QComboBox(this);
    m_decimals = new QLineEdit(this);
    m_decimals->installEventFilter(this);
    auto* decimalsForm = new QFormLayout(decimalsGroup);
    decimalsForm->addRow(m_type);
    decimalsForm->addRow(m_decimals);
    m_rows = new QLineEdit(this);
    m_applyAll = new QCheckBox("应用于同类型窗口", this);
    auto* form = new QFormLayout;
    form->addRow("表格显示行数:", m_rows);
    auto* ok = new QPushButton("确定", this);
    auto* cancel = new QPushButton("取消", this);
    connect(ok, &QPushButton::clicked, this, &CDlgTableProperty::accept);
    connect(cancel, &QPushButton::clicked, this, &CDlgTableProperty::reject);
    connect(m_type, &QComboBox::currentIndexChanged, this, &CDlgTableProperty::OnTypeChosen);
    connect(m_decimals, &QLineEdit::editingFinished, this, &CDlgTableProperty::OnDecimalsLeft);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_unitGroup);
    layout->addWidget(m_describ);
    layout->addWidget(m_showUnit);
    layout->addWidget(decimalsGroup);
    layout->addLayout(form);
    layout->addWidget(m_applyAll);
    layout->addLayout(buttons);
}

void CDlgTableProperty::OnInitDialog() {
    m_unit->blockSignals(true);
    m_unit->clear();
    for (int unit : m_units)
        m_unit->addItem(QString::fromStdString(FormatModuleName(unit)));
    const auto it = std::find(m_units.begin(), m_units.end(), m_nCaseNumber);
    m_unit->setCurrentIndex(it == m_units.end() ? -1 : int(it - m_units.begin()));
    m_unit->blockSignals(false);
    m_unitGroup->setTitle(m_bPagedByUnit ? "机箱号选择" : "历史数据机箱号选择");
    m_describ->setChecked(m_bShowDescrib);
    m_showUnit->setChecked(m_bShowUnit);
    m_rows->setText(QString::number(m_nRows));
    m_applyAll->setChecked(m_bApplyToAll);
    m_decimals->setText(QString::number(m_nDecimals));
    m_type->blockSignals(true);
    m_type->clear();
    for (int type : m_measureTypes)
        m_type->addItem(QString::fromUtf8(GetMeasureTypeName(type)), type);
    m_type->blockSignals(false);
    if (m_type->count() > 0) {
        m_type->setCurrentIndex(0);
        OnTypeChosen(0);
    }
}

int CDlgTableProperty::exec() {
    OnInitDialog();
    return QDialog::exec();
}

void CDlgTableProperty::OnTypeChosen(int index) {
    if (index < 0)
        return;
    const auto it = m_DecimalsByType.find(m_type->itemData(index).toInt());
    if (it != m_DecimalsByType.end())
        m_decimals->setText(QString::asprintf("%d", it->second));
}

void CDlgTableProperty::OnDecimalsLeft() {
    if (m_type->currentIndex() < 0)
        return;
    bool ok = false;
    const int value = m_decimals->text().trimmed().toInt(&ok);
    if (ok)
        m_DecimalsByType[m_type->currentData().toInt()] = value;
}

bool CDlgTableProperty::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_decimals && event->type() == QEvent::FocusOut)
        OnDecimalsLeft();
    return QDialog::eventFilter(watched, event);
}

void CDlgTableProperty::accept() {
    bool okDecimals = false;
    bool okRows = false;
    const int decimals = m_decimals->text().trimmed().toInt(&okDecimals);
    const int rows = m_rows->text().trimmed().toInt(&okRows);
    if (!okDecimals || decimals < 0 || decimals > 15) {
        platform::MessageBox("请输入一个介于 0 和 15 之间的整数。", windowTitle().toStdString(),
                             platform::MB_OK);
        m_decimals->setFocus();
        return;
    }
    if (!okRows || rows < 6 || rows > 10000) {
        platform::MessageBox("请输入一个介于 6 和 10000 之间的整数。", windowTitle().toStdString(),
                             platform::MB_OK);
        m_rows->setFocus();
        return;
    }
    m_nDecimals = std::max(decimals, 0);
    m_nRows = rows;
    m_bShowDescrib = m_describ->isChecked();
    m_bShowUnit = m_showUnit->isChecked();
    m_bApplyToAll = m_applyAll->isChecked();
    m_nCaseNumber = ParseModuleName(m_unit->currentText().toStdString());
    QDialog::accept();
}
