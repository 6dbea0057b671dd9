// The module-fault reminder: its grid, its quiet time and its slide in and out.
#include "panels/links/DlgModuleFaultAlert.h"

#include "model/CaseTables.h"
#include "model/RunFlags.h"
#include "widgets/DialogControls.h"
#include "widgets/MSFlexGrid.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdlib>

int CDlgModuleFaultAlert::s_nSlideHeight = 0;

namespace {

constexpr int kSlideInTimer = 1;
constexpr int kSlideOutTimer = 2;
constexpr int kTickMs = 20;

QRect WorkArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

CDlgModuleFaultAlert::CDlgModuleFaultAlert(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QString::fromUtf8("模块异常提醒"));
    m_pGrid = new CMSFlexGrid(this);
    m_pGrid->setObjectName(ControlName(1542));
    m_pQuiet = NewDialogEdit(1012, this);
    m_pQuiet->setText(QString::number(m_nQuietSeconds));
    auto* confirm = NewDialogButton("确认", 1, this);
    ResetGrid();

    auto* quiet = new QHBoxLayout;
    quiet->addWidget(NewDialogLabel("确认后持续时间", this));
    quiet->addWidget(m_pQuiet);
    quiet->addWidget(NewDialogLabel("秒", this));
    quiet->addWidget(confirm);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_pGrid);
    layout->addLayout(quiet);

    m_pSlideIn = new QTimer(this);
    m_pSlideIn->setInterval(kTickMs);
    connect(m_pSlideIn, &QTimer::timeout, this, [this] { OnTimer(kSlideInTimer); });
    m_pSlideOut = new QTimer(this);
    m_pSlideOut->setInterval(kTickMs);
    connect(m_pSlideOut, &QTimer::timeout, this, [this] { OnTimer(kSlideOutTimer); });
    connect(confirm, &QPushButton::clicked, this, [this] { OnConfirm(); });
    connect(m_pQuiet, &QLineEdit::editingFinished, this, [this] { ReadQuietTime(); });
}

void CDlgModuleFaultAlert::ResetGrid() {
    m_pGrid->SetCols(3);
    m_pGrid->SetRows(kRows + 1);
    m_pGrid->SetFormatString("^ |^模块编号|^           模块IP");
    for (int row = 1; row <= kRows; ++row)
        for (int col = 0; col < 3; ++col)
            m_pGrid->SetTextMatrix(row, col, "");
}

void CDlgModuleFaultAlert::SetModuleList(const std::vector<FaultModuleEntry>& modules) {
    if (modules.empty()) {
        SlideOut();
        return;
    }
    ResetGrid();
    int row = 1;
    for (const FaultModuleEntry& entry : modules) {
        if (row > kRows)
            break;
        m_pGrid->SetTextMatrix(row, 0, "!");
        m_pGrid->SetTextMatrix(row, 1, std::to_string(entry.nModule + 1));
        m_pGrid->SetTextMatrix(row, 2, entry.strAddress);
        ++row;
    }
}

void CDlgModuleFaultAlert::SlideIn() {
    m_bClosedDuringSampling = false;
    s_nSlideHeight = 0;
    m_pSlideOut->stop();
    MoveToHeight(0);
    show();
    m_pSlideIn->start();
    if (g_nCaseStatusMax.load() >= 2)
        setWindowTitle(QString::fromUtf8("异常! ＊请检查网络或同步线连接"));
}

void CDlgModuleFaultAlert::SlideOut() {
    m_pSlideIn->stop();
    m_pSlideOut->start();
    if (g_bSampling.load())
        m_bClosedDuringSampling = true;
}

bool CDlgModuleFaultAlert::IsSliding() const {
    return m_pSlideIn->isActive() || m_pSlideOut->isActive();
}

void CDlgModuleFaultAlert::MoveToHeight(int height) {
    const QRect area = WorkArea();
    setGeometry(area.x() + area.width() - kWidth, area.y() + area.height() - height, kWidth,
                std::max(height, 0));
}

void CDlgModuleFaultAlert::OnTimer(int id) {
    if (id == kSlideInTimer) {
        if (s_nSlideHeight <= kHeight) {
            s_nSlideHeight += kStep;
            const QRect area = WorkArea();
            setGeometry(area.x() + area.width() - kWidth, area.y() + area.height() - s_nSlideHeight, kWidth,
                        kHeight);
        } else {
            m_pSlideIn->stop();
        }
    } else if (id == kSlideOutTimer) {
        if (s_nSlideHeight >= 0) {
            s_nSlideHeight -= kStep;
            MoveToHeight(s_nSlideHeight);
        } else {
            m_pSlideOut->stop();
            ResetGrid();
            QDialog::reject();
        }
    }
}

void CDlgModuleFaultAlert::ReadQuietTime() {
    const int seconds = std::atoi(m_pQuiet->text().toStdString().c_str());
    m_nQuietSeconds = seconds < 0 ? 1 : seconds;
    m_pQuiet->setText(QString::number(m_nQuietSeconds));
}

void CDlgModuleFaultAlert::OnConfirm() {
    ReadQuietTime();
    m_pSlideIn->stop();
    m_pSlideOut->stop();
    accept();
}

void CDlgModuleFaultAlert::reject() {
    SlideOut();
}

void CDlgModuleFaultAlert::closeEvent(QCloseEvent* event) {
    event->ignore();
    SlideOut();
}
