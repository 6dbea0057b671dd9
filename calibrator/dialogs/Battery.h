// The generator's battery at the top right of the calibrator's frame: a gauge
// of three green bars, "?" until the first answer, blinking when empty. A
// worker asks the generator every 15 s.
#pragma once

#include "platform/Message.h"

#include <QWidget>

#include <atomic>
#include <thread>

class KelvaneDialogHost;
class QTimer;

class CBattery : public QWidget, public platform::MessageTarget {
    Q_OBJECT
public:
    static constexpr int kPollMs = 15000;
    static constexpr int kBlinkMs = 5000;
    static constexpr int kStartLevel = 95;

    // Bars of a level: more than 75 three, more than 50 two, more than 25 one.
    static int Bars(int level);

    CBattery(KelvaneDialogHost& host, QWidget* parent = nullptr);
    ~CBattery() override;

    // Starts the worker.
    void Start();
    // Ends the worker: it confirms through its flag, then is joined.
    void Stop();
    // Tells the worker to end without waiting: a question it asks may wait
    // for the port, behind another thread's.
    void RequestStop() { m_bStop.store(true); }

    int Level() const { return m_nLevel; }
    bool HasAnswer() const { return m_bAnswered; }
    bool IsStopped() const { return m_bStopped.load(); }
    // Switches the empty gauge on and off.
    QTimer* BlinkTimer() const { return m_pBlinkTimer; }

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Poll();
    void SetLevel(int level);

    KelvaneDialogHost& m_host;
    int m_nLevel = kStartLevel;
    bool m_bAnswered = false;
    bool m_bGaugeShown = true; // off during the dark half of a blink
    QTimer* m_pBlinkTimer;
    std::thread m_worker;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bStopped{true};
};
