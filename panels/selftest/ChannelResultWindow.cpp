// The shared grid of the lead-wire and self-test result windows.
#include "panels/selftest/ChannelResultWindow.h"

#include "model/ChannelNaming.h"
#include "project/LeadWireResults.h"
#include "widgets/MSFlexGrid.h"

#include <QHeaderView>
#include <QResizeEvent>

#include <algorithm>

namespace {

constexpr unsigned kBlue = 0xFF0000; // 0x00BBGGRR
constexpr int kTwipsPerPixel = 15;
constexpr int kColumnWidthTwips = 1200;
constexpr int kRowHeightTwips = 500;

} // namespace

CChannelResultWindow::CChannelResultWindow(const char* caption, int columns, int leastColumns,
                                           QWidget* parent)
    : QDialog(parent), m_nColumns(columns), m_nLeastColumns(leastColumns) {
    setWindowTitle(QString::fromUtf8(caption));
    setModal(false);
    m_grid = new CMSFlexGrid(this);
    m_grid->setObjectName("resultGrid");
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont font = m_grid->font();
    font.setPointSize(12);
    m_grid->setFont(font);
    resize(760, 480);
}

void CChannelResultWindow::RefreshGrid() {
    m_channels = ListStrainChannels();
    BuildGrid();
    FillValues();
}

void CChannelResultWindow::BuildGrid() {
    const int cells = CellsPerChannel();
    const int perRow = std::max(1, m_nColumns / cells);
    const int count = static_cast<int>(m_channels.size());
    m_grid->SetRedraw(false);
    m_grid->clear();
    std::string heading;
    for (int g = 0; g < perRow; ++g)
        heading += (g == 0 ? "" : "|") + GroupHeading();
    m_grid->SetFormatString(heading);
    m_grid->SetRows((count + perRow - 1) / perRow + 1);
    m_grid->verticalHeader()->setMinimumSectionSize(kRowHeightTwips / kTwipsPerPixel);
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeightTwips / kTwipsPerPixel);
    for (int c = 0; c < m_grid->GetCols(); ++c)
        m_grid->setColumnWidth(c, kColumnWidthTwips / kTwipsPerPixel);
    for (int i = 0; i < count; ++i)
        SetCell(i / perRow + 1, i % perRow * cells, FormatChannelName(m_channels[i]), kBlue);
    m_grid->SetRedraw(true);
}

void CChannelResultWindow::FillValues() {
    if (!m_bHasData)
        return;
    const int cells = CellsPerChannel();
    const int perRow = std::max(1, m_nColumns / cells);
    for (int i = 0; i < static_cast<int>(m_channels.size()); ++i)
        FillValueCells(i / perRow + 1, i % perRow * cells, m_channels[i]);
}

void CChannelResultWindow::SetCell(int row, int col, const std::string& text, unsigned colour) {
    m_grid->SetTextMatrix(row, col, text);
    if (QTableWidgetItem* cell = m_grid->item(row - 1, col))
        cell->setForeground(QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
}

void CChannelResultWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_grid->setGeometry(rect());
    const int columns = ResultGridColumns(m_grid->width(), CellsPerChannel(), m_nLeastColumns);
    if (columns != m_nColumns) {
        m_nColumns = columns;
        BuildGrid();
        FillValues();
    }
}
