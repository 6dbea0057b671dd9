// The tip renderer against QTextDocument: measuring and painting typical
// tips into an image (the channel bar's picture tip; a few hundred bytes of
// styled text with a two-column table, a span, a link and a rule).
#include "tooltip/TipDrawHelper.h"
#include "tooltip/TipHtmlRenderer.h"
#include "tooltip/TipPictureStore.h"
#include "tooltip/TipQtCanvas.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

#include "OffscreenBenchMain.h"

#include <benchmark/benchmark.h>

namespace {

const char* const kPictureTip = "<table><tr><td><bmp idres=227></td></tr></table>";
const char* const kPictureHtml = "<table><tr><td><img src=\"tip:227\"></td></tr></table>";

const char* const kTextTip =
    "<h2>Channel 21</h2><b>Strain</b> gauge, <i>quarter bridge</i> at <font color=red>350 ohm</font>.<br>"
    "<table border=1 "
    "cellpadding=2><tr><td>Zero</td><td>777</td></tr><tr><td>Coefficient</td><td>2.000</td></tr>"
    "<tr><td colspan=2 align=center>last balanced at 10:42</td></tr></table>"
    "<br><hr width=100% size=1><br>See <a href=\"http://example.com/manual\">the manual</a> for the bridge "
    "modes.";
const char* const kTextHtml =
    "<h2>Channel 21</h2><b>Strain</b> gauge, <i>quarter bridge</i> at <font color=red>350 ohm</font>.<br>"
    "<table border=1 "
    "cellpadding=2><tr><td>Zero</td><td>777</td></tr><tr><td>Coefficient</td><td>2.000</td></tr>"
    "<tr><td colspan=2 align=center>last balanced at 10:42</td></tr></table>"
    "<hr>See <a href=\"http://example.com/manual\">the manual</a> for the bridge modes.";

void RenderTip(benchmark::State& state, const char* markup) {
    CTipHtmlRenderer renderer;
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        CTipQtCanvas measuring(nullptr, &scratch);
        const TipSize size = renderer.Measure(measuring, markup);
        QImage image(size.cx, size.cy, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        CTipQtCanvas canvas(&p, &image);
        renderer.Draw(canvas, {0, 0, size.cx, size.cy});
        benchmark::DoNotOptimize(image.bits());
    }
}

void RenderDocument(benchmark::State& state, const char* html) {
    const QImage picture = CTipPictureStore::Instance().LoadBitmap(227);
    for (auto _ : state) {
        QTextDocument doc;
        doc.addResource(QTextDocument::ImageResource, QUrl("tip:227"), picture);
        doc.setHtml(QString::fromUtf8(html));
        const QSizeF size = doc.documentLayout()->documentSize();
        QImage image(static_cast<int>(size.width()) + 1, static_cast<int>(size.height()) + 1,
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        doc.drawContents(&p);
        benchmark::DoNotOptimize(image.bits());
    }
}

void BM_TipRenderer_PictureTip(benchmark::State& state) {
    RenderTip(state, kPictureTip);
}
void BM_QTextDocument_PictureTip(benchmark::State& state) {
    RenderDocument(state, kPictureHtml);
}
void BM_TipRenderer_StyledText(benchmark::State& state) {
    RenderTip(state, kTextTip);
}
void BM_QTextDocument_StyledText(benchmark::State& state) {
    RenderDocument(state, kTextHtml);
}

// A soft shadow under a 400 x 300 tip: the blur's running sums keep the
// cost flat in the depth.
void BM_DrawShadow(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    QImage mask(400, 300, QImage::Format_RGB32);
    mask.fill(Qt::white);
    {
        QPainter p(&mask);
        p.setBrush(QColor(128, 128, 128));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(10, 10, 380, 280, 8, 8);
    }
    QImage screen(406, 306, QImage::Format_RGB32);
    for (auto _ : state) {
        screen.fill(QColor(0, 128, 255));
        CTipDrawHelper::DrawShadow(screen, 6, 6, 400, 300, mask, true, depth, depth);
        benchmark::DoNotOptimize(screen.bits());
    }
}
BENCHMARK(BM_DrawShadow)->Arg(7)->Arg(63);

BENCHMARK(BM_TipRenderer_PictureTip);
BENCHMARK(BM_QTextDocument_PictureTip);
BENCHMARK(BM_TipRenderer_StyledText);
BENCHMARK(BM_QTextDocument_StyledText);

} // namespace

QV_OFFSCREEN_BENCHMARK_MAIN()
