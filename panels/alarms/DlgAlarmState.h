// The alarm lamp of the main frame ("报警状态"): one round lamp, red while
// an alarm is active on the latest sample set, green otherwise. A double
// click asks the frame (window message 0x8FB) to show the test-alarm window.
#pragma once

#include "platform/Message.h"

#include <QWidget>

constexpr platform::UINT WM_SHOW_TEST_ALARM = 0x8FB;

class CDlgAlarmState : public QWidget {
    Q_OBJECT
public:
    explicit CDlgAlarmState(QWidget* parent = nullptr);

    void SetOwner(platform::HWND owner) { m_hOwner = owner; }
    // Written before the lamp is repainted.
    void SetAlarm(bool alarm) { m_bAlarm = alarm; }
    bool GetAlarm() const { return m_bAlarm; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    platform::HWND m_hOwner = 0;
    bool m_bAlarm = false;
};
