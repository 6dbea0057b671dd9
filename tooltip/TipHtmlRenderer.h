// CTipHtmlRenderer lays out and paints the tip markup (text with inline
// tags, tables, pictures, a small style sheet) on a canvas, in two passes
// over the same markup: Measure records line, table and animation facts;
// Draw paints with them.
#pragma once

#include "tooltip/TipCanvas.h"
#include "tooltip/TipFillEffects.h"
#include "tooltip/TipStyleSheet.h"
#include "tooltip/TipTypes.h"
#include "tooltip/TipVocabulary.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CTipHtmlRenderer {
public:
    CTipHtmlRenderer();

    // Size of the laid-out markup plus one unit each way; 0 x 0 for empty
    // markup, 1 x 1 for markup that lays out to nothing.
    TipSize Measure(ITipCanvas& canvas, const std::string& markup);
    // Paints what the last Measure laid out into `area`.
    void Draw(ITipCanvas& canvas, const TipRect& area);

    void SetMaxWidth(int width) { m_nMaxWidth = std::max(width, 0); }
    int GetMaxWidth() const { return m_nMaxWidth; }
    void EnableLineBreakTags(bool enable) { m_bLineBreakTags = enable; }
    void EnableColors(bool enable);
    void SetDisabledColor(TipColor color) { m_vocabulary.SetDisabledColor(color); }
    CTipVocabulary& GetVocabulary() { return m_vocabulary; }
    CTipStyleSheet& GetStyleSheet() { return m_sheet; }
    void SetStyleSheet(const char* text);
    void SetImageShadow(int offsetX, int offsetY, int darkness, bool gradient, int depthX, int depthY);

    // Links: hit-testing, hover (the notify callback gets the new index, -2
    // on leaving all links), clicks.
    int FindLinkAt(TipPoint point) const;
    bool OnSetCursor(TipPoint point);
    void OnLButtonDown(TipPoint point);
    void SetHoverNotify(std::function<void(int)> notify) { m_hoverNotify = std::move(notify); }
    // Opens a hyperlink target; returns above 32 when opened.
    void SetLinkOpener(std::function<int(const std::string&)> opener) { m_linkOpener = std::move(opener); }
    int GetHoveredLink() const { return m_nHoverLink; }
    const std::vector<TipLinkArea>& GetLinkAreas() const { return m_links; }
    bool AdvanceAnimations();

    // What a pass recorded, for the window and for tests.
    const std::vector<TipLineInfo>& GetLines() const { return m_lines; }
    const std::deque<TipTableLayout>& GetTables() const { return m_tables; }
    const std::vector<TipAnimState>& GetAnimations() const { return m_anims; }
    const std::string& GetDocument() const { return m_text; }

    // Tags and attributes, exposed for their own tests.
    std::pair<int, int> CountTableGrid(const std::string& tableText);
    TipImageAttrs ParseImageAttributes(const std::string& params);
    std::uint16_t ParseImageStyle(const std::string& letters) const;
    static bool ImageHasShadow(const TipImageAttrs& attrs);

    // Bounds that keep any markup's work and memory linear in its length.
    static constexpr int kMaxRepeat = 256;    // br= and t= counts
    static constexpr int kMaxColumns = 128;   // counted table columns
    static constexpr int kMaxRows = 1024;     // counted table rows
    static constexpr int kMaxTableDepth = 16; // nested tables
    static constexpr int kMaxPicture = 2048;  // picture side

private:
    enum class Box { Table, Row, Cell };
    struct Shadow {
        int dx = 4;
        int dy = 4;
        int darkness = 50;
        bool gradient = true;
        int depthX = 7;
        int depthY = 7;
    };

    TipSize RenderBlocks(const TipRect& area);
    TipSize RenderText(const std::string& run, const TipRect& area);
    TipSize RenderTable(const std::string& text, const TipRect& area);
    void RenderTableRow(const std::string& rowText, const TipRect& inner, int row, int cs,
                        TipTableLayout& layout, const std::vector<int>& widths,
                        const std::vector<int>& heights);
    void RenderTableCell(const std::string& cellText, const TipRect& cellRect, TipCellInfo& cell,
                         int maxColSpan, int maxRowSpan);
    TipSize RenderCellContent(const std::string& text, std::size_t from, const TipRect& area);

    void LayOutText(std::string text, int& x, int& y, int& widest);
    std::string BreakLine(std::string* text, int* avail, bool lineEmpty);
    void HandleTag(const std::string& name, const std::string& params, int& x, int& y, int& widest);
    void ApplyTagEffect(int kind, const std::string& name, const std::string& params);
    void RenderRule(const std::string& params, int& x, int y);
    void RenderPicture(int kind, const std::string& params, int& x, int& y, int& widest);
    TipPicture OpenPicture(const TipImageAttrs& attrs, bool icon, TipSize request);

    int BeginLine(int x);
    void NewLine(int count, int& x, int& y, int& widest);
    int AlignTextInLine(int y, int textHeight);
    int AlignImageInLine(int y, int imageHeight);
    int AdvanceTab(int x, int count) const;
    void AddLinkArea(int left, int top, int right, int bottom);
    int PlaceInline(int& x, int& y, int& widest, int w, int h, bool picture);

    void ResetStyle();
    void PushPopStyle(bool closing);
    void SelectStyleFont();
    void ApplyClassStyle(const std::string& name, TipStyle* style);
    void ApplyClassStyle(const std::string& name) { ApplyClassStyle(name, &m_style); }
    std::pair<int, int> ParseBoxAttributes(const std::string& params, Box box);
    std::pair<int, int> OpenBox(const std::string& text, const char* name, Box box, std::size_t* behind);
    void CloseBox(const char* name);
    TipUnits Units() const;
    int Length(const std::string& value, int old, bool sizeKeywords = false) const;
    void DrawBackgroundPicture(const std::string& ref, const TipRect& box);
    bool Measuring() const { return m_nMode == 1; }

    CTipVocabulary m_vocabulary;
    CTipStyleSheet m_sheet;
    TipRandom m_random;
    ITipCanvas* m_pCanvas = nullptr; // the canvas of the pass running now

    std::deque<TipTableLayout> m_tables;
    int m_nTable = -1;
    int m_nTableDepth = 0;
    TipStyle m_style;
    std::vector<TipStyle> m_styles;
    TipRect m_rc;
    std::string m_text;
    int m_nMode = 1;
    int m_nMaxWidth = 0;
    TipLineInfo m_line;
    int m_nLineBeginX = 0;
    int m_nLine = 0;
    std::vector<TipLineInfo> m_lines;
    int m_nLink = -1;
    int m_nHoverLink = -2;
    int m_nMeasuredHover = -2;
    bool m_bStale = true; // Draw must measure first
    int m_nAnim = -1;
    std::vector<TipAnimState> m_anims;
    TipTextMetrics m_tm;
    int m_nTabWidth = 32;
    bool m_bLineBreakTags = true;
    Shadow m_shadow;
    std::vector<TipLinkArea> m_links;
    std::function<void(int)> m_hoverNotify;
    std::function<int(const std::string&)> m_linkOpener;
};
