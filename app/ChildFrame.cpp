// Child window placement and its information pane.
#include "app/ChildFrame.h"

#include <QCloseEvent>
#include <QStyle>

#include "views/history/HistoryViewWidget.h"

#include <algorithm>

namespace {

constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;

} // namespace

CChildFrame::CChildFrame(IDocumentHost* host, int viewType, QWidget* parent)
    : QMdiSubWindow(parent), m_pSplitter(new CInfoViewSplitter), m_pInfoView(new CShowInfoView),
      m_pView(CreateDataView(viewType)) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_pSplitter->addWidget(m_pInfoView);
    m_pSplitter->addWidget(m_pView);
    m_pSplitter->setSizes({m_nLeftViewWidth, 200});
    m_pInfoView->hide();
    setWidget(m_pSplitter);
    m_pDocument = std::make_unique<CQV7411N_NewFrameDoc>(host, viewType, m_pView);
    m_pDocument->m_nShowGraphType = m_pView->GetDefaultShowGraphType();
    m_pView->SetDocument(m_pDocument.get());
    connect(m_pView, &CDataViewBase::titleChanged, this, &QWidget::setWindowTitle);
    ConnectHistoryView();
    resize(400, 300);
}

void CChildFrame::ConnectHistoryView() {
    auto* view = qobject_cast<CHistoryView*>(m_pView);
    CHistoryViewWidget* history = view != nullptr ? view->GetHistory() : nullptr;
    if (history == nullptr)
        return;
    history->onInfoRows = [this](const std::vector<HistoryInfoRow>& rows, int precision) {
        m_pInfoView->SetRows(rows, precision);
    };
    history->onShowColumn = [this](bool show) {
        // A column too narrow to read opens at 200 pixels.
        const int width = m_pSplitter->sizes().value(0, 0);
        ShowInfoView(show, IsInfoViewShown() && width >= 80 ? width : 200);
    };
    m_pSplitter->onColumnHidden = [this, history] {
        m_bShowInfoView = 0;
        history->ColumnHidden();
    };
    m_pInfoView->channelUnit = [history](int channel) {
        return channel >= 0 && channel < int(history->World().channels.size())
                   ? history->World().channels[std::size_t(channel)].strUnit
                   : std::string();
    };
    m_pInfoView->channelDescription = [history](int channel) {
        return channel >= 0 && channel < int(history->World().channels.size())
                   ? history->World().channels[std::size_t(channel)].strDescription
                   : std::string();
    };
    m_pInfoView->measuredChannels = [history] { return history->World().measChanList; };
    m_pInfoView->onChannelChosen = [history](int row, int channel) { history->SetBandChannel(row, channel); };
}

CChildFrame::~CChildFrame() {
    // The view goes with the splitter; it must not call back into a freed document.
    m_pView->SetDocument(nullptr);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) {
        // The window goes at once for the counters, though Qt deletes it later.
        m_pView->ViewClosing();
    }
}

bool CChildFrame::IsInfoViewShown() const {
    return !m_pInfoView->isHidden();
}

void CChildFrame::ShowInfoView(bool show, int width) {
    m_bShowInfoView = show ? 1 : 0;
    if (!show) {
        m_pInfoView->hide();
        return;
    }
    m_pInfoView->show();
    m_nLeftViewWidth = std::max(width, 2);
    const int total = std::max(m_pSplitter->width(), m_nLeftViewWidth + 200);
    m_pSplitter->setSizes({m_nLeftViewWidth, total - m_nLeftViewWidth});
}

void CChildFrame::SaveWindowPlacement(const std::string& fileName, int index) const {
    ChildWindowPlacement p;
    p.flags = 0;
    p.showCmd = isMaximized() ? SW_SHOWMAXIMIZED : (isMinimized() ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    const QRect r = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    p.windowLeft = r.left();
    p.windowRight = r.left() + r.width();
    p.windowTop = r.top();
    p.windowBottom = r.top() + r.height();
    p.m_bShowInfoView = IsInfoViewShown() ? 1 : 0;
    p.m_nLeftViewWidth =
        IsInfoViewShown() ? m_pSplitter->sizes().value(0, m_nLeftViewWidth) : m_nLeftViewWidth;
    SaveChildPlacement(fileName, index, p);
}

void CChildFrame::LoadWindowPlacement(const std::string& fileName, int index) {
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const ChildWindowPlacement p = LoadChildPlacement(fileName, index, border, border);
    setGeometry(p.windowLeft, p.windowTop, std::max(p.windowRight - p.windowLeft, 1),
                std::max(p.windowBottom - p.windowTop, 1));
    if (p.showCmd == SW_SHOWMAXIMIZED) {
        showMaximized();
    } else if (p.showCmd == SW_SHOWMINIMIZED) {
        showMinimized();
    }
    m_bShowInfoView = p.m_bShowInfoView;
    ShowInfoView(p.m_bShowInfoView == 1, p.m_nLeftViewWidth);
}
