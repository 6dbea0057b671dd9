// The repaints a live view asks for, handed to its window at most once a
// step: at thousands of sets a second the window thread takes a batch every
// few milliseconds, and a view painted after each one would cost more than
// all the rest of the run. What is painted is the view's state at the time,
// so a step's picture is the one a repaint after every set would end with.
#pragma once

#include <QElapsedTimer>
#include <QRegion>
#include <QTimer>

class QWidget;

class CLiveRepaint {
public:
    static constexpr int kStepMs = 100;

    explicit CLiveRepaint(QWidget* widget);
    CLiveRepaint(const CLiveRepaint&) = delete;
    CLiveRepaint& operator=(const CLiveRepaint&) = delete;

    // A part, or the whole window, to be painted anew: at once when the
    // last step is over, else at the end of the current one.
    void Request(const QRect& area);
    void RequestAll();

private:
    void Schedule();
    void Flush();

    QWidget* m_pWidget;
    QRegion m_pending;
    bool m_bAll = false;
    QElapsedTimer m_sinceFlush;
    QTimer m_timer;
};
