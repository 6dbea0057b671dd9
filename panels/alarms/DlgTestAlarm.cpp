// The test-alarm window: its grid and its size.
#include "panels/alarms/DlgTestAlarm.h"

#include "panels/alarms/TestAlarmRows.h"
#include "widgets/MSFlexGrid.h"

#include <QHeaderView>
#include <QResizeEvent>

#include <algorithm>

namespace {

constexpr int kColumns = 3;
constexpr int kTwipsPerPixel = 15;
constexpr int kRowHeightTwips = 500;

} // namespace

CDlgTestAlarm::CDlgTestAlarm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("试验报警"));
    setModal(false);
    m_grid = new CMSFlexGrid(this);
    m_grid->setObjectName("alarmGrid");
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resize(kMinGridWidth, kMinGridHeight);
    FitGrid();
}

void CDlgTestAlarm::UpdateAlarmList() {
    if (m_alarms.empty())
        return;
    m_grid->SetRedraw(false);
    m_grid->clear();
    m_grid->SetCols(kColumns);
    m_grid->SetRows(static_cast<int>(m_alarms.size()) + 1);
    m_grid->SetFormatString("^    名称|^  测量值|^    单位");
    m_grid->verticalHeader()->setMinimumSectionSize(kRowHeightTwips / kTwipsPerPixel);
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeightTwips / kTwipsPerPixel);
    for (std::size_t k = 0; k < m_alarms.size(); ++k) {
        const TestAlarmRow row = MakeTestAlarmRow(m_alarms[k]);
        const int r = static_cast<int>(k) + 1;
        m_grid->SetTextMatrix(r, 0, row.strName);
        m_grid->SetTextMatrix(r, 1, row.strValue);
        m_grid->item(r - 1, 1)->setForeground(QColor(255, 0, 0));
        m_grid->SetTextMatrix(r, 2, row.strUnit);
    }
    m_grid->SetRedraw(true);
    FitGrid();
}

void CDlgTestAlarm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FitGrid();
}

void CDlgTestAlarm::FitGrid() {
    // The grid fills the window but never shrinks below its least size.
    const int width = std::max(kMinGridWidth, this->width());
    m_grid->setGeometry(0, 0, width, std::max(kMinGridHeight, height()));
    const int columnWidth = TestAlarmColumnWidth(this->width(), kColumns) / kTwipsPerPixel;
    for (int c = 0; c < m_grid->columnCount(); ++c)
        m_grid->setColumnWidth(c, columnWidth);
}
