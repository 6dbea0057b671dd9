// Packing the top tool bars into rows.
#include "app/ToolBarRows.h"

#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <QToolBar>

namespace {

// Room the window's layout keeps around and between the bars.
constexpr int kRowSlack = 12;

} // namespace

std::vector<bool> ToolBarRowStarts(const std::vector<int>& widths, int rowWidth) {
    std::vector<bool> starts(widths.size(), false);
    int used = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (widths[i] <= 0)
            continue;
        if (used > 0 && used + widths[i] > rowWidth) {
            starts[i] = true;
            used = 0;
        }
        used += widths[i];
    }
    return starts;
}

CToolBarRows::CToolBarRows(QMainWindow& window, std::vector<QToolBar*> bars)
    : QObject(&window), m_window(window), m_bars(std::move(bars)) {
    m_window.installEventFilter(this);
    for (QToolBar* bar : m_bars)
        bar->installEventFilter(this);
    Arrange();
}

bool CToolBarRows::eventFilter(QObject* watched, QEvent* event) {
    const bool window = watched == &m_window && event->type() == QEvent::Resize;
    const bool bar = watched != &m_window &&
                     (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent ||
                      event->type() == QEvent::LayoutRequest);
    if ((window || bar) && !m_bPending) {
        // Once the window has settled: a break changes the layout itself.
        m_bPending = true;
        QTimer::singleShot(0, this, [this] {
            m_bPending = false;
            Arrange();
        });
    }
    return QObject::eventFilter(watched, event);
}

void CToolBarRows::Arrange() {
    std::vector<QToolBar*> top;
    std::vector<int> widths;
    for (QToolBar* bar : m_bars) {
        // A bar the user moved elsewhere keeps its place.
        if (m_window.toolBarArea(bar) != Qt::TopToolBarArea)
            continue;
        top.push_back(bar);
        widths.push_back(bar->isHidden() ? 0 : bar->sizeHint().width());
    }
    const std::vector<bool> starts = ToolBarRowStarts(widths, m_window.width() - kRowSlack);
    for (std::size_t i = 0; i < top.size(); ++i) {
        if (m_window.toolBarBreak(top[i]) == starts[i])
            continue;
        if (starts[i])
            m_window.insertToolBarBreak(top[i]);
        else
            m_window.removeToolBarBreak(top[i]);
    }
}
