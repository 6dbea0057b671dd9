// Page margins, header and footer of printed views (centimetres), their
// checks against the printer's paper, and the geometry of the page-setup
// dialog's preview.
#pragma once

#include <string>

struct PageSetupValues {
    std::string strHeader = "QVTestVelmor测试_7411N";
    std::string strFooter = "--- pagefoot ---";
    float fHeaderHeight = 1.0f;
    float fFooterHeight = 1.0f;
    float fTopMargin = 1.0f;
    float fBottomMargin = 1.0f;
    float fLeftMargin = 2.0f;
    float fRightMargin = 1.0f;
};

// The paper of the default printer; no printer: no checks.
struct PaperInfo {
    bool bHasPrinter = false;
    bool bLandscape = false;
    double fWidthCm = 0.0;
    double fHeightCm = 0.0;
};

constexpr float kPageSetupMaxLength = 10.0f;
constexpr int kPageSetupMaxText = 50;

// The range check of one field: lengths 0..10, texts up to 50 characters.
bool IsPageLengthInRange(float value);
bool IsPageTextInRange(const std::string& utf8);
// The message for values that do not fit the paper, empty when they fit.
std::string CheckPageSetup(const PageSetupValues& values, const PaperInfo& paper);

struct PreviewRect {
    double left = 0, top = 0, right = 0, bottom = 0;
    double Width() const { return right - left; }
    double Height() const { return bottom - top; }
};

struct PagePreview {
    bool bDrawn = false; // the text area fits inside the page
    PreviewRect page;
    PreviewRect textArea;
    bool bHeader = false; // header text drawn between page top and text area
    bool bFooter = false; // footer text drawn in the 15 pixels above the page bottom
    int nHeaderCharWidth = 1;
    int nFooterCharWidth = 1;
};

PagePreview ComputePagePreview(const PageSetupValues& values, const PaperInfo& paper, int boxWidth,
                               int boxHeight);
