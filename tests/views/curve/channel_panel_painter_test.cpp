// The channel-value painter's background: every pixel of the client is
// painted, the plot in its own colour inside its frame and the rest in the
// view's, wherever the plot lies (a cached picture starts as garbage).
#include "../ViewsTestSupport.h"

#include "views/curve/ChannelPanelPainter.h"
#include "views/curve/CurveWorld.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kUnpainted = 0xFFFF00FF;

TEST(ChannelPanelPainter, BackgroundCoversTheClientAroundAndUnderThePlot) {
    EnsureViewsTestApp();
    CGraphDisplayOptions options;
    options.m_clrViewBack = 0x302010;
    options.m_clrDataLineBack = 0xD0E0F0;
    options.m_LineFrame = 0x000080;
    options.m_nXGridCount = 0; // no grid, ticks or labels: the background alone
    options.m_nYGridCount = 0;
    const QRgb back = qRgb(0x10, 0x20, 0x30), plotBack = qRgb(0xF0, 0xE0, 0xD0), frame = qRgb(0x80, 0, 0);
    CurveWorld world;
    struct Case {
        PlotRect plot;
        const char* what;
    } cases[] = {{{10, 5, 50, 30}, "inside"},
                 {{0, 0, 60, 40}, "the whole client"},
                 {{1, 1, 59, 39}, "one pixel from each edge"},
                 {{40, 20, 90, 70}, "beyond the bottom right"},
                 {{-20, -10, 15, 12}, "beyond the top left"}};
    for (const Case& c : cases) {
        CChannelPanelPainter painter;
        painter.m_Fields.rcClient = {0, 0, 60, 40};
        painter.m_Fields.rcPlot = c.plot;
        painter.m_Fields.bLabelShown = false;
        painter.m_Fields.bGridShown = false;
        QImage image(60, 40, QImage::Format_RGB32);
        image.fill(kUnpainted);
        {
            QPainter p(&image);
            painter.Draw(p, options, world);
        }
        // A one-pixel frame round the plot's pixels left .. right - 1 takes
        // the column and row beyond them too.
        const QRect plot(QPoint(c.plot.left, c.plot.top), QPoint(c.plot.right, c.plot.bottom));
        const QRect inside = plot.adjusted(1, 1, -1, -1);
        int wrong = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                // Qt may leave a corner of a frame cut by the window's edge
                // undrawn: there the background shows.
                const bool right = inside.contains(x, y) ? pixel == plotBack
                                   : plot.contains(x, y) ? pixel == frame || pixel == back
                                                         : pixel == back;
                if (!right && ++wrong <= 3)
                    ADD_FAILURE() << c.what << ": pixel " << x << "," << y << " is " << std::hex << pixel;
            }
        }
        EXPECT_EQ(wrong, 0) << c.what;
    }
}

} // namespace
