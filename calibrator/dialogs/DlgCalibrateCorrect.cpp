// The correction file is read over the store's own last run, so a file cut
// short keeps the run's values for what it no longer holds. A coefficient of
// 0 comes from a channel that could not be fitted and is never written.
#include "calibrator/dialogs/DlgCalibrateCorrect.h"

#include "calibrator/KelvaneDialogHost.h"
#include "calibrator/NamedWidget.h"
#include "calibrator/dialogs/ChannelMark.h"
#include "calibrator/dialogs/CoefWriting.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "widgets/MSFlexGrid.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>

CDlgCalibrateCorrect::CDlgCalibrateCorrect(KelvaneDialogHost& host, bool afterRun, QWidget* parent)
    : QDialog(parent), m_host(host) {
    setWindowTitle("通道修正");
    m_content = CorrectContentOf(host.Data(), host.ChannelBlock());
    ReadCorrectFile(platform::JoinPath(host.ProgramFolder(), kCorrectFile), m_content);
    host.Data().SetCoefficients(m_content.coefs);

    m_pCase = Named(new QLabel(QString::number(m_content.nCase + 1), this), "1063");
    m_pModule = Named(new QLabel(QString::number(m_content.nModule + 1), this), "1064");
    m_pGrid = Named(new CMSFlexGrid(this), "CorrectGrid");
    m_pGrid->SetCols(3);
    m_pGrid->SetRows(1 + static_cast<int>(host.Data().ChannelList().size()));
    m_pCorrect = Named(new QPushButton("修正", this), "Correct");
    m_pCorrect->setEnabled(afterRun);
    auto* quit = Named(new QPushButton("退出", this), "IDCANCEL");

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("机号：", this), 0, 0);
    layout->addWidget(m_pCase, 0, 1);
    layout->addWidget(new QLabel("模块：", this), 0, 2);
    layout->addWidget(m_pModule, 0, 3);
    layout->addWidget(m_pGrid, 1, 0, 1, 6);
    layout->addWidget(m_pCorrect, 2, 4);
    layout->addWidget(quit, 2, 5);
    resize(420, 520);

    connect(m_pGrid, &QTableWidget::cellClicked, this,
            [this](int row, int col) { OnGridClick(row + 1, col); });
    connect(m_pCorrect, &QPushButton::clicked, this, &CDlgCalibrateCorrect::OnCorrect);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    FillGrid();
}

void CDlgCalibrateCorrect::FillGrid() {
    m_pGrid->SetTextMatrix(0, 0, "通道选择");
    m_pGrid->SetTextMatrix(0, 1, "非线性修正系数");
    m_pGrid->SetTextMatrix(0, 2, "最大误差");
    const std::vector<int> overLimit = m_host.Data().OverLimit();
    const std::vector<int> channels = m_host.Data().ChannelList();
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        const auto channel = static_cast<std::size_t>(channels[i]);
        const float coef = m_content.coefs[channel];
        const bool over = std::find(overLimit.begin(), overLimit.end(), channels[i]) != overLimit.end();
        m_pGrid->SetTextMatrix(row, 0, MarkedText(over && coef != 0.0f, channels[i] + 1));
        m_pGrid->SetTextMatrix(row, 1, platform::Format("%.6f", static_cast<double>(coef)));
        m_pGrid->SetTextMatrix(row, 2,
                               platform::Format("%.4f%%", static_cast<double>(m_content.errors[channel])));
    }
}

void CDlgCalibrateCorrect::OnGridClick(int row, int col) {
    if (row <= 0 || col != 0)
        return;
    const std::string heading = m_pGrid->GetTextMatrix(row, 0);
    const int number = MarkedNumber(heading);
    const bool fitted = std::atof(m_pGrid->GetTextMatrix(row, 1).c_str()) != 0.0;
    m_pGrid->SetTextMatrix(row, 0, MarkedText(fitted && !IsMarkedSelected(heading), number));
}

void CDlgCalibrateCorrect::OnCorrect() {
    if (!coef_writing::Confirm())
        return;
    const std::vector<CalibrateCoefRecord> records = m_host.CoefRecords();
    const std::vector<int> fullValues = m_host.FullValues();
    const int range = m_host.ChannelBlock().MeasureRange;
    std::vector<int> channels;
    std::array<float, kCalibrateChannels> coefs{};
    for (int row = 1; row < m_pGrid->GetRows(); ++row) {
        const std::string heading = m_pGrid->GetTextMatrix(row, 0);
        const int channel = MarkedNumber(heading) - 1;
        const float coef = static_cast<float>(std::atof(m_pGrid->GetTextMatrix(row, 1).c_str()));
        if (!IsMarkedSelected(heading) || channel < 0 || channel >= kCalibrateChannels || coef == 0.0f)
            continue;
        channels.push_back(channel);
        coefs[static_cast<std::size_t>(channel)] =
            CorrectedCoefficient(coef, channel, records, fullValues, range);
    }
    if (channels.empty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    coef_writing::WriteAndWait(m_host, channels, coefs);
    QApplication::restoreOverrideCursor();
    coef_writing::ReportDone();
}
