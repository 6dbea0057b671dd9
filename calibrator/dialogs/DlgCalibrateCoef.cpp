// The channel marks start selected and the range marks not: a range is
// written only when the user chose it. A cell that does not hold a number
// is not written.
#include "calibrator/dialogs/DlgCalibrateCoef.h"

#include "calibrator/KelvaneDialogHost.h"
#include "calibrator/NamedWidget.h"
#include "calibrator/dialogs/ChannelMark.h"
#include "calibrator/dialogs/CoefWriting.h"
#include "platform/Text.h"
#include "widgets/MSFlexGrid.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

constexpr int kRows = kCalibrateChannels + 1;

std::string RangeHeading(int range, bool selected) {
    return platform::Format("%dmV %s", range, selected ? kMarkSelected : kMarkUnselected);
}

bool HeadingSelected(const std::string& text) {
    return text.size() >= std::string(kMarkSelected).size() &&
           text.compare(text.size() - std::string(kMarkSelected).size(), std::string::npos, kMarkSelected) ==
               0;
}

} // namespace

CDlgCalibrateCoef::CDlgCalibrateCoef(KelvaneDialogHost& host, QWidget* parent)
    : QDialog(parent), m_host(host), m_ranges(host.FullValues()) {
    setWindowTitle("通道修正系数");
    m_pGrid = Named(new CMSFlexGrid(this), "CoefGrid");
    m_pGrid->SetCols(1 + static_cast<int>(m_ranges.size()));
    m_pGrid->SetRows(kRows);
    m_pEditor = new QPlainTextEdit(m_pGrid->viewport());
    m_pEditor->hide();
    m_pEditor->installEventFilter(this);
    m_pSet = Named(new QPushButton("设置", this), "Set");
    m_pSet->setEnabled(host.HasCoefReply());
    auto* quit = Named(new QPushButton("退出", this), "IDCANCEL");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pGrid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pSet);
    buttons->addWidget(quit);
    layout->addLayout(buttons);
    resize(160 + 110 * static_cast<int>(m_ranges.size()), 520);

    connect(m_pGrid, &QTableWidget::cellClicked, this,
            [this](int row, int col) { OnGridClick(row + 1, col); });
    connect(m_pGrid->horizontalHeader(), &QHeaderView::sectionPressed, this,
            [this](int col) { OnGridClick(0, col); });
    connect(m_pSet, &QPushButton::clicked, this, &CDlgCalibrateCoef::OnSet);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    FillGrid();
}

void CDlgCalibrateCoef::FillGrid() {
    const CalibrateChannelParam block = m_host.ChannelBlock();
    m_pGrid->SetTextMatrix(0, 0, platform::Format("%d / %d", block.nCase + 1, block.nModule + 1));
    for (int r = 1; r < kRows; ++r)
        m_pGrid->SetTextMatrix(r, 0, MarkedText(true, r));
    const std::vector<CalibrateCoefRecord> records = m_host.CoefRecords();
    for (std::size_t i = 0; i < m_ranges.size(); ++i) {
        const int col = static_cast<int>(i) + 1;
        m_pGrid->SetTextMatrix(0, col, RangeHeading(m_ranges[i], false));
        for (int r = 1; r < kRows && i < records.size(); ++r)
            m_pGrid->SetTextMatrix(
                r, col,
                platform::Format("%f", static_cast<double>(records[i][static_cast<std::size_t>(r - 1)])));
    }
}

void CDlgCalibrateCoef::OnGridClick(int row, int col) {
    EndEdit();
    if (row == 0 || col == 0) {
        ToggleMark(row, col);
        return;
    }
    m_nEditRow = row;
    m_nEditCol = col;
    m_pEditor->setPlainText(QString::fromStdString(m_pGrid->GetTextMatrix(row, col)));
    const QRect cell = m_pGrid->GetCellRect(row, col);
    m_pEditor->setGeometry(cell.x(), cell.y(), std::max(cell.width(), 100), cell.height() * 4);
    m_pEditor->show();
    m_pEditor->setFocus();
}

void CDlgCalibrateCoef::ToggleMark(int row, int col) {
    if (row == 0 && col > 0) {
        const std::size_t range = static_cast<std::size_t>(col - 1);
        m_pGrid->SetTextMatrix(
            0, col, RangeHeading(m_ranges[range], !HeadingSelected(m_pGrid->GetTextMatrix(0, col))));
    } else if (row > 0) {
        m_pGrid->SetTextMatrix(row, 0, MarkedText(!IsMarkedSelected(m_pGrid->GetTextMatrix(row, 0)), row));
    }
}

void CDlgCalibrateCoef::EndEdit() {
    if (m_nEditRow < 0)
        return;
    const int row = m_nEditRow;
    m_nEditRow = -1;
    m_pEditor->hide();
    PasteLines(row, m_nEditCol, m_pEditor->toPlainText());
}

void CDlgCalibrateCoef::PasteLines(int row, int col, const QString& text) {
    QStringList lines = text.split('\n');
    if (lines.size() > 1 && lines.back().trimmed().isEmpty())
        lines.removeLast();
    for (int i = 0; i < lines.size() && i < kCalibrateChannels && row + i < kRows; ++i)
        m_pGrid->SetTextMatrix(row + i, col, lines[i].trimmed().toStdString());
}

bool CDlgCalibrateCoef::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pEditor && event->type() == QEvent::FocusOut)
        EndEdit();
    return QDialog::eventFilter(watched, event);
}

std::vector<int> CDlgCalibrateCoef::MarkedChannels() const {
    std::vector<int> channels;
    for (int r = 1; r < kRows; ++r)
        if (IsMarkedSelected(m_pGrid->GetTextMatrix(r, 0)))
            channels.push_back(r - 1);
    return channels;
}

void CDlgCalibrateCoef::OnSet() {
    EndEdit();
    if (!m_host.HasCoefReply() || !coef_writing::Confirm())
        return;
    const std::vector<int> marked = MarkedChannels();
    for (std::size_t i = 0; i < m_ranges.size(); ++i) {
        const int col = static_cast<int>(i) + 1;
        if (!HeadingSelected(m_pGrid->GetTextMatrix(0, col)))
            continue;
        std::vector<int> channels;
        std::array<float, kCalibrateChannels> coefs{};
        for (int channel : marked) {
            const std::string text = m_pGrid->GetTextMatrix(channel + 1, col);
            if (!IsNumericText(text))
                continue;
            channels.push_back(channel);
            coefs[static_cast<std::size_t>(channel)] = static_cast<float>(std::atof(text.c_str()));
        }
        if (channels.empty())
            continue;
        m_host.SetMeasureRange(m_ranges[i]);
        if (coef_writing::WriteAndWait(m_host, channels, coefs))
            coef_writing::HandleEventsFor(500);
    }
    coef_writing::ReportDone();
}
