// Fuzzes the tip renderer: the input is a style sheet and a markup split at
// the first NUL byte (no NUL: all markup), measured with and without a
// maximum width, then drawn, on the fixed-metrics canvas.
#include "tooltip/TipHtmlRenderer.h"
#include "tooltip/TipRecordingCanvas.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    CTipHtmlRenderer renderer;
    if (nul != std::string::npos)
        renderer.SetStyleSheet(input.substr(0, nul).c_str());
    const std::string markup = nul == std::string::npos ? input : input.substr(nul + 1);

    CTipRecordingCanvas canvas;
    canvas.maxOps = 2000;
    canvas.bitmaps = {{101, {40, 20}}, {200, {64, 16}}};
    canvas.icons = {{1, {32, 32}}};
    canvas.strings = {{7, "string seven"}};
    canvas.registered = {{1, {16, 16}}};
    for (const int width : {0, 120}) {
        renderer.SetMaxWidth(width);
        const TipSize size = renderer.Measure(canvas, markup);
        renderer.Draw(canvas, {0, 0, size.cx, size.cy});
        renderer.OnSetCursor({size.cx / 2, size.cy / 2});
        renderer.AdvanceAnimations();
        renderer.Draw(canvas, {0, 0, size.cx + 50, size.cy});
        canvas.ops.clear();
    }
    return 0;
}
