// The zero-setting dialog.
#include "views/curve/DlgZeroSetting.h"

#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kColumns = 17;

QString ZeroText(float value) {
    return QString::fromStdString(platform::Format("%.3f", double(value)));
}

} // namespace

CDlgZeroSetting::CDlgZeroSetting(QWidget* parent) : QDialog(parent), m_zeros(kZeroCount, 0.0f) {
    setWindowTitle(QString::fromUtf8("零点设置"));
    auto* layout = new QVBoxLayout(this);
    const int rows = std::clamp<int>(g_nCaseCount, 0, MAX_CASE_COUNT) + 1;
    m_pGrid = new QTableWidget(rows, kColumns, this);
    m_pGrid->setObjectName("zeros");
    m_pGrid->horizontalHeader()->hide();
    m_pGrid->verticalHeader()->hide();
    m_pGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pGrid->setSelectionMode(QAbstractItemView::NoSelection);
    m_cellChannel.assign(std::size_t(rows) * kColumns, -1);
    const QBrush fixed = palette().button();
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            if (row == 0 || column == 0)
                item->setBackground(fixed);
            m_pGrid->setItem(row, column, item);
        }
    }
    m_pGrid->item(0, 0)->setText(QString::fromUtf8("机箱号"));
    for (int column = 1; column < kColumns; ++column)
        m_pGrid->item(0, column)->setText(QString::fromUtf8("测点%1(mV)").arg(column));
    for (int row = 1; row < rows; ++row)
        m_pGrid->item(row, 0)->setText(QString::fromStdString(FormatModuleName(g_CaseList[row - 1])));
    layout->addWidget(m_pGrid);

    m_pEditor = new QLineEdit(m_pGrid->viewport());
    m_pEditor->setObjectName("zeroEditor");
    m_pEditor->hide();
    connect(m_pGrid, &QTableWidget::cellClicked, this, &CDlgZeroSetting::EditCell);
    connect(m_pEditor, &QLineEdit::editingFinished, this, &CDlgZeroSetting::FinishEdit);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(900, 300);
    FillGrid();
}

void CDlgZeroSetting::SetZeroValues(const float* values) {
    if (values != nullptr)
        std::copy_n(values, kZeroCount, m_zeros.begin());
    FillGrid();
}

void CDlgZeroSetting::GetZeroValues(float* values) const {
    if (values != nullptr)
        std::copy(m_zeros.begin(), m_zeros.end(), values);
}

void CDlgZeroSetting::FillGrid() {
    // Entry i of the frame's channel list is on row i / 16 + 1, in the
    // column of its channel number within the unit.
    const int rows = m_pGrid->rowCount();
    std::fill(m_cellChannel.begin(), m_cellChannel.end(), -1);
    const int count = std::clamp<int>(g_nChannelCount, 0, MAX_CHANNEL_COUNT);
    for (int i = 0; i < count; ++i) {
        const int channel = g_ChannelList[i];
        const int row = i / 16 + 1;
        if (channel < 0 || channel >= kZeroCount || row >= rows)
            continue;
        const int column = channel % 16 + 1;
        m_cellChannel[std::size_t(row) * kColumns + std::size_t(column)] = channel;
        m_pGrid->item(row, column)->setText(ZeroText(m_zeros[std::size_t(channel)]));
    }
}

int CDlgZeroSetting::CellChannel(int row, int column) const {
    if (row <= 0 || row >= m_pGrid->rowCount() || column <= 0 || column >= kColumns)
        return -1;
    return m_cellChannel[std::size_t(row) * kColumns + std::size_t(column)];
}

void CDlgZeroSetting::EditCell(int row, int column) {
    if (CellChannel(row, column) < 0)
        return;
    m_nEditRow = row;
    m_nEditColumn = column;
    m_pEditor->setText(m_pGrid->item(row, column)->text());
    m_pEditor->setGeometry(m_pGrid->visualItemRect(m_pGrid->item(row, column)));
    m_pEditor->show();
    m_pEditor->setFocus();
    m_pEditor->selectAll();
}

void CDlgZeroSetting::FinishEdit() {
    // The refusal's message box takes the focus, which ends the edit again.
    if (m_bFinishing || m_pEditor->isHidden())
        return;
    m_bFinishing = true;
    const int channel = CellChannel(m_nEditRow, m_nEditColumn);
    bool isNumber = false;
    const float value = m_pEditor->text().trimmed().toFloat(&isNumber);
    m_pEditor->hide();
    if (channel >= 0 && isNumber && std::fabs(value) < kZeroLimit) {
        m_zeros[std::size_t(channel)] = value;
        m_pGrid->item(m_nEditRow, m_nEditColumn)->setText(ZeroText(value));
    } else if (channel >= 0) {
        platform::MessageBox("数据超范围，设置无效!", "零点输入提示", platform::MB_OK);
    }
    m_nEditRow = m_nEditColumn = -1;
    m_bFinishing = false;
}
