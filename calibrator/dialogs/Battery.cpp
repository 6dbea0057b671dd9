// The worker only posts the levels it reads; the window keeps and draws them.
#include "calibrator/dialogs/Battery.h"

#include "calibrator/KelvaneDialogHost.h"
#include "libs/serial/StrainSignalControl.h"

#include <QPainter>
#include <QTimer>

#include <chrono>

namespace {
constexpr platform::UINT WM_BATTERY_LEVEL = platform::WM_USER + 1;
constexpr int kStopCheckMs = 100;
} // namespace

int CBattery::Bars(int level) {
    if (level > 75)
        return 3;
    if (level > 50)
        return 2;
    return level > 25 ? 1 : 0;
}

CBattery::CBattery(KelvaneDialogHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
    setObjectName("Battery");
    setFixedSize(56, 26);
    m_pBlinkTimer = new QTimer(this);
    m_pBlinkTimer->setInterval(kBlinkMs);
    connect(m_pBlinkTimer, &QTimer::timeout, this, [this] {
        m_bGaugeShown = !m_bGaugeShown;
        update();
    });
}

CBattery::~CBattery() {
    Stop();
    UnregisterTarget();
}

void CBattery::Start() {
    if (m_worker.joinable())
        return;
    m_bStop.store(false);
    m_bStopped.store(false);
    m_worker = std::thread([this] { Poll(); });
}

void CBattery::Stop() {
    m_bStop.store(true);
    if (m_worker.joinable())
        m_worker.join();
}

void CBattery::Poll() {
    const platform::HWND window = GetSafeHwnd();
    while (!m_bStop.load()) {
        int level = 0;
        if (m_host.Generator().GetBattery(level) == 1)
            platform::PostMessage(window, WM_BATTERY_LEVEL, static_cast<platform::WPARAM>(level));
        for (int waited = 0; waited < kPollMs && !m_bStop.load(); waited += kStopCheckMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(kStopCheckMs));
    }
    m_bStopped.store(true);
}

platform::LRESULT CBattery::WindowProc(platform::UINT message, platform::WPARAM wParam, platform::LPARAM) {
    if (message == WM_BATTERY_LEVEL)
        SetLevel(static_cast<int>(wParam));
    return 0;
}

void CBattery::SetLevel(int level) {
    m_nLevel = level;
    m_bAnswered = true;
    if (Bars(level) == 0) {
        if (!m_pBlinkTimer->isActive())
            m_pBlinkTimer->start();
    } else {
        m_pBlinkTimer->stop();
        m_bGaugeShown = true;
    }
    update();
}

void CBattery::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!m_bAnswered) {
        QFont font("宋体");
        font.setBold(true);
        font.setPixelSize(height() - 6);
        painter.setFont(font);
        painter.drawText(rect(), Qt::AlignCenter, "?");
        return;
    }
    if (!m_bGaugeShown)
        return;
    // The case, its terminal and a slot per bar.
    const QRect body(2, 3, width() - 10, height() - 6);
    painter.setPen(Qt::black);
    painter.drawRect(body);
    painter.fillRect(QRect(body.right() + 1, body.top() + body.height() / 3, 4, body.height() / 3),
                     Qt::black);
    const int slot = (body.width() - 2) / 3;
    for (int bar = 0; bar < Bars(m_nLevel); ++bar)
        painter.fillRect(QRect(body.left() + 2 + bar * slot, body.top() + 2, slot - 2, body.height() - 3),
                         Qt::green);
}
