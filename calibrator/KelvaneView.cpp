#include "calibrator/KelvaneView.h"

#include "calibrator/CalibrateFiles.h"
#include "widgets/MSFlexGrid.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kRows = kCalibrateChannels + 1;
constexpr int kCols = kCalibratePoints + 2;
constexpr int kErrorCol = kCalibratePoints + 1;
constexpr int kZeroCol = kZeroPoint + 1;
constexpr int kMinRowPixels = 300 / 15;

const char* const kDetectLabels[8] = {"被检设备名称", "被检设备编号", "被检仪器名称", "被检仪器编号",
                                      "检定人员",     "校对",         "审核",         "日期"};

} // namespace

CKelvaneView::CKelvaneView(CalibrateData& data, const std::string& settingsPath, QWidget* parent)
    : QWidget(parent), m_data(data), m_strSettingsPath(settingsPath) {
    auto* layout = new QVBoxLayout(this);
    m_pTabs = new QTabBar(this);
    m_pTabs->addTab("应变通道");
    m_pTabs->addTab("电压通道");
    layout->addWidget(m_pTabs);
    m_pGrid = new CMSFlexGrid(this);
    m_pGrid->setObjectName("ResultGrid");
    m_pGrid->SetCols(kCols);
    m_pGrid->SetRows(kRows);
    m_pGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // The columns share the width, but never below the widest heading
    // ("-20000"): a narrower grid scrolls sideways instead of cutting them.
    m_pGrid->horizontalHeader()->setMinimumSectionSize(
        m_pGrid->horizontalHeader()->fontMetrics().horizontalAdvance("-20000") + 8);
    layout->addWidget(m_pGrid, 1);
    auto* fields = new QGridLayout;
    for (int i = 0; i < 8; ++i) {
        fields->addWidget(new QLabel(kDetectLabels[i], this), i / 4, (i % 4) * 2);
        m_detectFields[static_cast<std::size_t>(i)] = new QLineEdit(this);
        m_detectFields[static_cast<std::size_t>(i)]->setMaxLength(63);
        fields->addWidget(m_detectFields[static_cast<std::size_t>(i)], i / 4, (i % 4) * 2 + 1);
    }
    layout->addLayout(fields);
    m_pPointEditor = new QLineEdit(m_pGrid->viewport());
    m_pPointEditor->hide();
    connect(m_pPointEditor, &QLineEdit::editingFinished, this, [this] {
        if (m_nEditCol >= 0 && m_pPointEditor->isVisible())
            EndPointEdit(m_nEditCol, m_pPointEditor->text().toStdString());
    });
    connect(m_pTabs, &QTabBar::currentChanged, this, [this](int) { RefreshGrid(false); });
    connect(m_pGrid, &QTableWidget::cellClicked, this,
            [this](int row, int col) { OnGridClick(row + 1, col); });
    connect(m_pGrid->horizontalHeader(), &QHeaderView::sectionPressed, this,
            [this](int col) { OnGridClick(0, col); });
    RefreshGrid(false);
}

int CKelvaneView::Tab() const {
    return m_pTabs->currentIndex() == 1 ? CHAN_TYPE_VOLTAGE : CHAN_TYPE_STRAIN;
}

void CKelvaneView::SetTab(int runType) {
    m_pTabs->setCurrentIndex(runType == CHAN_TYPE_VOLTAGE ? 1 : 0);
    RefreshGrid(false);
}

void CKelvaneView::RefreshGrid(bool markCurrent) {
    const TextGrid texts = ResultGridTexts(m_data, Tab());
    m_pGrid->SetRedraw(false);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c)
            m_pGrid->SetTextMatrix(r, c, texts[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
    ClearGrid(true);
    const bool runTab = Tab() == m_data.RunType();
    if (markCurrent && runTab) {
        const int col = m_data.CurrentPoint() + 1;
        for (int r = 1; r < kRows; ++r)
            m_pGrid->SetCellBackColor(r, col, kColorCurrent);
        m_pGrid->SetCellBackColor(m_data.CurrentChannel() + 1, 0, kColorCurrent);
    } else if (Tab() == CHAN_TYPE_VOLTAGE) {
        for (int r = 1; r < kRows; ++r)
            m_pGrid->SetCellBackColor(r, m_data.VoltagePoint() + 1, kColorCurrent);
    }
    if (runTab)
        for (int c : m_data.OverLimit())
            m_pGrid->SetCellBackColor(c + 1, kErrorCol, kColorOverLimit);
    m_pGrid->SetRedraw(true);
}

void CKelvaneView::ClearGrid(bool marksOnly) {
    for (int r = 1; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            m_pGrid->SetCellBackColor(r, c, kColorCleared);
            if (!marksOnly && c > 0)
                m_pGrid->SetTextMatrix(r, c, "");
        }
}

DetectParam CKelvaneView::GetDetectParam() const {
    DetectParam d;
    std::string* fields[8] = {&d.DetectedName, &d.DetectedNumber, &d.DetectName, &d.DetectNumber,
                              &d.DetectPerson, &d.Corrector,      &d.Assessor,   &d.Date};
    for (int i = 0; i < 8; ++i)
        *fields[i] = m_detectFields[static_cast<std::size_t>(i)]->text().toStdString();
    return d;
}

void CKelvaneView::SetDetectParam(const DetectParam& d) {
    const std::string* fields[8] = {&d.DetectedName, &d.DetectedNumber, &d.DetectName, &d.DetectNumber,
                                    &d.DetectPerson, &d.Corrector,      &d.Assessor,   &d.Date};
    for (int i = 0; i < 8; ++i)
        m_detectFields[static_cast<std::size_t>(i)]->setText(QString::fromStdString(*fields[i]));
}

void CKelvaneView::SetDateText(const std::string& text) {
    m_detectFields[7]->setText(QString::fromStdString(text));
}

void CKelvaneView::OnGridClick(int row, int col) {
    if (!m_bEditable)
        return;
    if (row == 0 && col == 0) {
        m_data.ToggleAllChannels();
    } else if (row >= 1 && row < kRows && col == 0) {
        m_data.ToggleChannel(row - 1);
    } else if (row == 0 && col >= 1 && col <= kCalibratePoints && col != kZeroCol) {
        m_nEditCol = col;
        const QRect cell = m_pGrid->GetCellRect(0, col);
        m_pPointEditor->setGeometry(cell.x(), 0, cell.width(), m_pGrid->rowHeight(0));
        m_pPointEditor->setText(QString::fromStdString(m_pGrid->GetTextMatrix(0, col)));
        m_pPointEditor->show();
        m_pPointEditor->setFocus();
        return;
    } else if (row >= 1 && col >= 1 && col <= kCalibratePoints && Tab() == CHAN_TYPE_VOLTAGE) {
        m_data.SetVoltagePoint(col - 1);
    } else {
        return;
    }
    RefreshGrid(false);
}

void CKelvaneView::EndPointEdit(int col, const std::string& text) {
    m_pPointEditor->hide();
    m_nEditCol = -1;
    const int point = col - 1;
    if (point < 0 || point >= kCalibratePoints || point == kZeroPoint)
        return;
    const int runType = Tab();
    CalibratePointTable table = m_data.PointTable(runType);
    if (text.empty()) {
        table.erase(point);
    } else if (IsNumericText(text)) {
        const float magnitude = std::abs(static_cast<float>(std::atof(text.c_str())));
        // Points 0-9 are positive, points 11-20 negative.
        table[point] = point < kZeroPoint ? magnitude : -magnitude;
    } else {
        return;
    }
    m_data.SetPointTable(runType, table);
    SavePointTable(m_strSettingsPath, runType, m_data.PointTable(runType));
    RefreshGrid(false);
}

void CKelvaneView::LayoutGrid() {
    // The columns share the width and the rows the height, the heading row twice as high.
    const int height = std::max(kMinRowPixels, m_pGrid->height() / (kRows + 2));
    m_pGrid->verticalHeader()->setMinimumSectionSize(kMinRowPixels);
    m_pGrid->verticalHeader()->setDefaultSectionSize(height);
    for (int r = 0; r < kRows - 1; ++r)
        m_pGrid->setRowHeight(r, height);
    m_pGrid->horizontalHeader()->setFixedHeight(height * 2);
}

void CKelvaneView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutGrid();
}
