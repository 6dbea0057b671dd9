// The alarm lamp.
#include "panels/alarms/DlgAlarmState.h"

#include <QMouseEvent>
#include <QPainter>

CDlgAlarmState::CDlgAlarmState(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QString::fromUtf8("报警状态"));
    setFixedSize(24, 24);
    setToolTip(QString::fromUtf8("报警状态"));
}

void CDlgAlarmState::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor colour = m_bAlarm ? QColor(255, 0, 0) : QColor(0, 255, 0);
    painter.setPen(colour);
    painter.setBrush(colour);
    painter.drawEllipse(rect().adjusted(0, 0, -1, -1));
}

void CDlgAlarmState::mouseDoubleClickEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint()) && m_hOwner != 0)
        platform::SendMessage(m_hOwner, WM_SHOW_TEST_ALARM, 0, 0);
    QWidget::mouseDoubleClickEvent(event);
}
