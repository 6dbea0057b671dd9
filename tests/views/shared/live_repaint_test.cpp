// A live view's repaints gathered into steps: the first request of a quiet
// window is painted at once, the many of a busy step come as few paints,
// and no request of a burst is lost.
#include "views/ViewsTestSupport.h"

#include "views/shared/LiveRepaint.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPaintEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

class CountingWidget : public QWidget {
public:
    int paints = 0;
    QRegion painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        painted += event->region();
    }
};

// Delivers events until done or five seconds have passed.
bool WaitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST(LiveRepaint, RequestsOfAStepComeAsFewPaintsAndNoneIsLost) {
    EnsureViewsTestApp();
    CountingWidget widget;
    widget.resize(200, 100);
    widget.show();
    ASSERT_TRUE(WaitFor([&] { return widget.paints > 0; }));
    CLiveRepaint repaint(&widget);

    widget.paints = 0;
    repaint.Request(QRect(0, 0, 10, 10));
    ASSERT_TRUE(WaitFor([&] { return widget.paints == 1; })) << "a quiet window paints at once";

    // A burst of requests: a few paints at the steps' ends, with every part asked for.
    widget.paints = 0;
    widget.painted = QRegion();
    for (int x = 0; x < 200; x += 10)
        repaint.Request(QRect(x, 20, 10, 10));
    ASSERT_TRUE(WaitFor([&] { return widget.painted.contains(QRect(0, 20, 200, 10)); }))
        << "the burst's last requests were lost";
    EXPECT_LT(widget.paints, 10) << "a paint for every request";

    // A whole repaint asked for in a step covers the window.
    widget.painted = QRegion();
    repaint.Request(QRect(0, 0, 5, 5));
    repaint.RequestAll();
    EXPECT_TRUE(WaitFor([&] { return widget.painted.contains(widget.rect()); }));
}

} // namespace
