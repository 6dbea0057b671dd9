// CPPToolTip: the HTML tip window. Its owner creates it, and asks it to show
// a tip at a screen point; the tip is drawn by the tip renderer inside a
// balloon with an anchor and a drop shadow, and hides on a click, a key, a
// wheel turn, deactivation or a new tip. A top-level tool-tip window that
// never takes the focus.
#pragma once

#include "tooltip/TipHtmlRenderer.h"
#include "tooltip/TipPlacement.h"
#include "tooltip/TipStateMachine.h"
#include "tooltip/TipToolTable.h"

#include <QBrush>
#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <map>

#include <string>

class QPainter;
class QTimer;
class QToolBar;

class CPPToolTip : public QWidget, private ITipStateHost {
    Q_OBJECT
public:
    CPPToolTip();
    ~CPPToolTip() override;

    // Makes the window, owned by parent; events of the parent (and of the
    // widgets given to RelayEventsOf) then pass through RelayEvent.
    bool Create(QWidget* parent, bool balloon);
    void RelayEventsOf(QObject* source);
    void DestroyWindow();

    // Shows the tip at once at a screen point; with an icon, the icon stands
    // left of the text. It stays until hidden.
    void ShowTipAtPoint(const QPoint& screenPoint, const std::string& text, const QImage* icon = nullptr);
    void HideNow();

    void SetSize(int index, int value);
    void SetDefaultSizes(bool balloon) { m_sizes = TipSizes::Defaults(balloon); }
    void SetTipStyle(int style) { m_nStyle = style; }
    void SetTipFlags(unsigned flags) { m_machine.SetDefaultFlags(flags); }
    void SetBackColors(TipColor first, TipColor middle, TipColor last);
    void SetBackColors(TipColor color) { SetBackColors(color, color, color); }
    // A solid border; SetBorderBrush takes any brush. A border needs a brush
    // and a nonzero width and height, else the tip has none.
    void SetBorder(TipColor color, int cx, int cy);
    void SetBorderBrush(const QBrush& brush, int cx, int cy);
    void ClearBorder();
    void SetTipShadow(int dx, int dy, int darkness, bool gradient, int depthX, int depthY);
    // 0 opaque to 100 invisible.
    void SetTransparency(int transparency);
    // which: 2 auto-hide, 3 show delay, 4 fade-in step, 5 fade-out step, 6 animation period (ms).
    void SetTipDelay(int which, int ms) { m_machine.SetTipDelay(which, ms); }
    // Input of the owner: moves, button-downs, wheel turns and keys.
    void RelayEvent(QEvent* event);

    // Tools: the program adds none; the look-up rules serve any added all the same.
    void AddTool(QWidget* window, const TipToolInfo& record);
    void AddToolBar(QToolBar* toolBar);
    void RemoveAllTools();

    CTipHtmlRenderer& GetRenderer() { return m_renderer; }
    int GetState() const { return m_machine.GetState(); }
    int GetAnchorDirection() const { return m_placement.direction; }
    const TipPlacement& GetPlacement() const { return m_placement; }
    const std::string& GetText() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Frames the tip's outline with the border brush; a subclass may draw
    // its own border.
    virtual void DrawBorder(QPainter& painter, const QPainterPath& outline);

private:
    void StartTimer(int id, int ms) override;
    void KillTimer(int id) override;
    void ShowTipWindow(TipPoint point, int transparency) override;
    void HideTipWindow() override;
    bool IsTipWindowVisible() const override;
    void RepaintTip(int transparency) override;
    TipPoint GetCursorPos() const override;
    bool AdvanceAnimations() override;
    int FindTool(TipPoint screen, TipToolInfo* record) override;
    void MoveTipTo(TipPoint screen) override;
    int WindowId(QWidget* window);

    void ShowTip(const QPoint& screenPoint);
    QImage ComposeTip();
    void ReleaseIcon();
    QRect ScreenArea(const QPoint& point) const;

    CTipHtmlRenderer m_renderer;
    QPointer<QWidget> m_pParent;
    bool m_bCreated = false;
    CTipStateMachine m_machine{*this};
    std::map<int, QTimer*> m_timers;
    CTipToolTable m_tools;
    std::map<QWidget*, int> m_windowIds;
    std::vector<QPointer<QToolBar>> m_toolBars;
    int m_nCurTransparency = 0;
    bool m_bOpaqueRepaint = false;
    std::string m_text;
    int m_nIconId = 0; // the icon tip's picture in the store
    TipSizes m_sizes;
    int m_nStyle = 16;
    TipColor m_colors[3];
    int m_nEffect = 0;
    int m_nGranularity = 0;
    QBrush m_borderBrush;
    int m_nBorderCx = 0;
    int m_nBorderCy = 0;
    int m_nShadowDx = 6;
    int m_nShadowDy = 6;
    int m_nDarkness = 50;
    bool m_bShadowGradient = true;
    int m_nShadowDepthX = 7;
    int m_nShadowDepthY = 7;
    QImage m_screen; // what lay under the tip when it showed
    TipPlacement m_placement;
    QPainterPath m_outline;
    QImage m_back;
    TipRandom m_random;
};
