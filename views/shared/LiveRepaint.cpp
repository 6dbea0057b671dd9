// Live repaints gathered into steps.
#include "views/shared/LiveRepaint.h"

#include <QWidget>

CLiveRepaint::CLiveRepaint(QWidget* widget) : m_pWidget(widget) {
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Flush(); });
}

void CLiveRepaint::Request(const QRect& area) {
    if (!m_bAll)
        m_pending += area;
    Schedule();
}

void CLiveRepaint::RequestAll() {
    m_bAll = true;
    Schedule();
}

void CLiveRepaint::Schedule() {
    if (m_timer.isActive())
        return;
    const qint64 since = m_sinceFlush.isValid() ? m_sinceFlush.elapsed() : qint64(kStepMs);
    if (since >= kStepMs)
        Flush();
    else
        m_timer.start(int(kStepMs - since));
}

void CLiveRepaint::Flush() {
    m_sinceFlush.start();
    if (m_bAll)
        m_pWidget->update();
    else if (!m_pending.isEmpty())
        m_pWidget->update(m_pending);
    m_bAll = false;
    m_pending = QRegion();
}
