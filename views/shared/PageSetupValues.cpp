// Checks and preview geometry of the page setup.
#include "views/shared/PageSetupValues.h"

#include <algorithm>

namespace {

// Characters of a UTF-8 text (the dialog counts characters, not bytes).
int CharacterCount(const std::string& utf8) {
    int count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

int CharWidth(double areaWidth, const std::string& text) {
    const int length = std::max(1, CharacterCount(text));
    return std::clamp(int(areaWidth / length), 1, 10);
}

} // namespace

bool IsPageLengthInRange(float value) {
    return value >= 0.0f && value <= kPageSetupMaxLength;
}

bool IsPageTextInRange(const std::string& utf8) {
    return CharacterCount(utf8) <= kPageSetupMaxText;
}

std::string CheckPageSetup(const PageSetupValues& v, const PaperInfo& paper) {
    if (!paper.bHasPrinter)
        return "";
    if (double(v.fLeftMargin) + v.fRightMargin > paper.fWidthCm)
        return "左右页边距设置超出页宽!";
    if (double(v.fTopMargin) + v.fBottomMargin + v.fHeaderHeight + v.fFooterHeight > paper.fHeightCm)
        return "上下页边距加上页眉页脚高度之和超出页面高度!";
    return "";
}

PagePreview ComputePagePreview(const PageSetupValues& v, const PaperInfo& paper, int boxWidth,
                               int boxHeight) {
    PagePreview preview;
    PreviewRect page{20.0, 10.0, boxWidth - 20.0, boxHeight - 10.0};
    if (paper.bHasPrinter) {
        if (paper.bLandscape) {
            page.top += 30;
            page.bottom -= 30;
        } else {
            page.left += 30;
            page.right -= 30;
        }
    }
    double sx = 15.0;
    double sy = 5.0;
    if (paper.bHasPrinter && paper.fWidthCm > 0 && paper.fHeightCm > 0) {
        sx = page.Width() / paper.fWidthCm;
        sy = page.Height() / paper.fHeightCm;
    }
    PreviewRect text{page.left + v.fLeftMargin * sx, page.top + (v.fTopMargin + v.fHeaderHeight) * sy + 10,
                     page.right - v.fRightMargin * sx,
                     page.bottom - (v.fBottomMargin + v.fFooterHeight) * sy - 10};
    preview.page = page;
    preview.textArea = text;
    preview.bDrawn = text.left >= page.left && text.right <= page.right && text.top >= page.top &&
                     text.bottom <= page.bottom && text.left < text.right && text.top < text.bottom;
    if (!preview.bDrawn)
        return preview;
    preview.bHeader = v.fHeaderHeight > 0.0f;
    preview.bFooter = v.fFooterHeight > 0.0f;
    preview.nHeaderCharWidth = CharWidth(text.Width(), v.strHeader);
    preview.nFooterCharWidth = CharWidth(text.Width(), v.strFooter);
    return preview;
}
