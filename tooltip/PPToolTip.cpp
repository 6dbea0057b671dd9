// The HTML tip window.
#include "tooltip/PPToolTip.h"

#include "platform/MulDiv.h"
#include "tooltip/TipDrawHelper.h"
#include "tooltip/TipPictureStore.h"
#include "tooltip/TipQtCanvas.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>

namespace {

TipColor FromQColor(const QColor& c) {
    return TipRgb(c.red(), c.green(), c.blue());
}

QRect ToQRect(const TipRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

} // namespace

CPPToolTip::CPPToolTip() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    const QPalette palette = QApplication::palette();
    const TipColor info = FromQColor(palette.color(QPalette::ToolTipBase));
    m_colors[0] = m_colors[1] = m_colors[2] = info;
    const TipColor infoText = FromQColor(palette.color(QPalette::ToolTipText));
    SetBorder(infoText, 1, 1);
    // System colour names follow the palette.
    CTipVocabulary& v = m_renderer.GetVocabulary();
    v.SetSystemColor("infobackground", info);
    v.SetSystemColor("infotext", infoText);
    v.SetSystemColor("window", FromQColor(palette.color(QPalette::Base)));
    v.SetSystemColor("windowtext", FromQColor(palette.color(QPalette::Text)));
    v.SetSystemColor("buttonface", FromQColor(palette.color(QPalette::Button)));
    v.SetSystemColor("buttontext", FromQColor(palette.color(QPalette::ButtonText)));
    v.SetSystemColor("buttonshadow", FromQColor(palette.color(QPalette::Dark)));
    v.SetSystemColor("highlight", FromQColor(palette.color(QPalette::Highlight)));
    v.SetSystemColor("highlighttext", FromQColor(palette.color(QPalette::HighlightedText)));
    m_renderer.SetDisabledColor(FromQColor(palette.color(QPalette::Dark)));
    m_renderer.SetMaxWidth(0);
    // A hovered link changes: repainted at once, fully opaque.
    m_renderer.SetHoverNotify([this](int) {
        m_bOpaqueRepaint = true;
        repaint();
        m_bOpaqueRepaint = false;
    });
    // Links open through the desktop, never through a command line built from the target.
    m_renderer.SetLinkOpener([](const std::string& target) {
        return QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(target))) ? 33 : 0;
    });
    m_sizes = TipSizes::Defaults(true);
    setMouseTracking(true);
}

CPPToolTip::~CPPToolTip() {
    RemoveAllTools();
    ReleaseIcon();
}

bool CPPToolTip::Create(QWidget* parent, bool balloon) {
    m_pParent = parent;
    m_bCreated = true;
    SetDefaultSizes(balloon);
    if (parent != nullptr)
        RelayEventsOf(parent);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            HideNow();
    });
    m_machine.SetTipDelay(6, 100); // the animation tick
    return true;
}

void CPPToolTip::RelayEventsOf(QObject* source) {
    if (source == nullptr)
        return;
    source->installEventFilter(this);
    // Moves without a button held reach a widget only while it tracks the mouse.
    if (auto* widget = qobject_cast<QWidget*>(source))
        widget->setMouseTracking(true);
}

void CPPToolTip::DestroyWindow() {
    HideNow();
    m_machine.SetTipDelay(6, 0);
    m_bCreated = false;
}

void CPPToolTip::SetSize(int index, int value) {
    if (index >= 0 && index < static_cast<int>(m_sizes.v.size()))
        m_sizes.v[index] = value;
}

void CPPToolTip::SetBackColors(TipColor first, TipColor middle, TipColor last) {
    m_colors[0] = first;
    m_colors[1] = middle;
    m_colors[2] = last;
}

void CPPToolTip::SetBorder(TipColor color, int cx, int cy) {
    SetBorderBrush(QBrush(CTipQtCanvas::ToQColor(color)), cx, cy);
}

void CPPToolTip::SetBorderBrush(const QBrush& brush, int cx, int cy) {
    ClearBorder();
    if (brush.style() == Qt::NoBrush || cx == 0 || cy == 0)
        return;
    m_borderBrush = brush;
    m_nBorderCx = cx;
    m_nBorderCy = cy;
}

void CPPToolTip::ClearBorder() {
    m_borderBrush = QBrush();
    m_nBorderCx = 0;
    m_nBorderCy = 0;
}

void CPPToolTip::DrawBorder(QPainter& painter, const QPainterPath& outline) {
    painter.setPen(QPen(m_borderBrush, std::max(std::abs(m_nBorderCx), std::abs(m_nBorderCy))));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}

void CPPToolTip::SetTipShadow(int dx, int dy, int darkness, bool gradient, int depthX, int depthY) {
    m_nShadowDx = dx;
    m_nShadowDy = dy;
    m_nDarkness = std::min(darkness, 100);
    m_bShadowGradient = gradient;
    m_nShadowDepthX = depthX;
    m_nShadowDepthY = depthY;
}

void CPPToolTip::ReleaseIcon() {
    if (m_nIconId != 0)
        CTipPictureStore::Instance().Unregister(m_nIconId);
    m_nIconId = 0;
}

void CPPToolTip::ShowTipAtPoint(const QPoint& screenPoint, const std::string& text, const QImage* icon) {
    if (!m_bCreated)
        return;
    ReleaseIcon();
    TipToolInfo record;
    record.text = text;
    if (icon != nullptr && !icon->isNull()) {
        // The icon goes with the tip: registered by id, never by address.
        m_nIconId = CTipPictureStore::Instance().Register(*icon);
        record.text = "<table><tr><td><icon handle=" + std::to_string(m_nIconId) + "></td><td>" + text +
                      "</td></tr></table>";
    }
    m_machine.ShowRecordAtPoint({screenPoint.x(), screenPoint.y()}, record);
}

void CPPToolTip::HideNow() {
    m_machine.HideNow();
}

// ---- the state machine's host ----

void CPPToolTip::StartTimer(int id, int ms) {
    QTimer*& timer = m_timers[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { m_machine.OnTimer(id); });
    }
    timer->start(ms);
}

void CPPToolTip::KillTimer(int id) {
    const auto it = m_timers.find(id);
    if (it != m_timers.end())
        it->second->stop();
}

void CPPToolTip::ShowTipWindow(TipPoint point, int transparency) {
    m_nCurTransparency = transparency;
    m_text = m_machine.GetCurrentTip().text;
    ShowTip(QPoint(point.x, point.y));
}

void CPPToolTip::HideTipWindow() {
    hide();
}

bool CPPToolTip::IsTipWindowVisible() const {
    return isVisible();
}

void CPPToolTip::RepaintTip(int transparency) {
    m_nCurTransparency = transparency;
    repaint();
}

TipPoint CPPToolTip::GetCursorPos() const {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

bool CPPToolTip::AdvanceAnimations() {
    return m_renderer.AdvanceAnimations();
}

int CPPToolTip::WindowId(QWidget* window) {
    const auto it = m_windowIds.find(window);
    if (it != m_windowIds.end())
        return it->second;
    const int id = static_cast<int>(m_windowIds.size()) + 1;
    m_windowIds[window] = id;
    return id;
}

void CPPToolTip::AddTool(QWidget* window, const TipToolInfo& record) {
    m_tools.AddTool(WindowId(window), record);
}

void CPPToolTip::AddToolBar(QToolBar* toolBar) {
    m_toolBars.emplace_back(toolBar);
}

void CPPToolTip::RemoveAllTools() {
    m_tools.RemoveAllTools();
    m_toolBars.clear();
}

int CPPToolTip::FindTool(TipPoint screen, TipToolInfo* record) {
    const QPoint global(screen.x, screen.y);
    QWidget* under = QApplication::widgetAt(global);
    if (under == nullptr)
        return 0;
    // A tool-bar button: its command string's line 1 is the tip.
    for (const QPointer<QToolBar>& bar : m_toolBars) {
        if (bar == nullptr || (under != bar && !bar->isAncestorOf(under)))
            continue;
        QAction* action = bar->actionAt(bar->mapFromGlobal(global));
        if (action == nullptr)
            return 0;
        const QRect r = bar->actionGeometry(action);
        *record = TipToolInfo();
        record->id = action->data().toUInt();
        record->rcTool = {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
        record->text = CTipPictureStore::Instance().GetResourceStringLine(static_cast<int>(record->id), 1);
        return WindowId(bar);
    }
    QWidget* parent = under->parentWidget();
    if (parent == nullptr)
        return 0;
    // The edit of a combo box counts as the box; otherwise the child under the point.
    QWidget* window = qobject_cast<QComboBox*>(parent) != nullptr ? parent : under;
    if (!window->isEnabled())
        return 0;
    const auto id = m_windowIds.find(window);
    if (id == m_windowIds.end())
        return 0;
    const QPoint client = window->mapFromGlobal(global);
    return m_tools.FindToolInWindow(id->second, {client.x(), client.y()}, record) ? id->second : 0;
}

void CPPToolTip::MoveTipTo(TipPoint screen) {
    move(screen.x, screen.y);
    repaint();
}

void CPPToolTip::SetTransparency(int transparency) {
    m_machine.SetDefaultTransparency(transparency);
}

QRect CPPToolTip::ScreenArea(const QPoint& point) const {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
}

void CPPToolTip::ShowTip(const QPoint& pt) {
    if (m_text.empty())
        return; // a tip without text never shows
    QImage scratch(1, 1, QImage::Format_ARGB32);
    CTipQtCanvas measuring(nullptr, &scratch);
    const TipSize size = m_renderer.Measure(measuring, m_text);
    const int mx = m_sizes.v[2];
    const int my = m_sizes.v[3];
    TipRect text{0, 0, size.cx, size.cy};
    const TipRect body{0, 0, size.cx + 2 * mx, size.cy + 2 * my};
    text = {mx, my, mx + size.cx, my + size.cy};
    const QRect s = ScreenArea(pt);
    m_placement = PlaceTip(m_nStyle, {pt.x(), pt.y()}, body, text,
                           {s.left(), s.top(), s.right() + 1, s.bottom() + 1}, m_sizes);
    const TipRect& w = m_placement.window;
    const TipOutline outline =
        BuildTipOutline(m_placement.direction, m_placement.anchor, w.Width(), w.Height(), m_sizes);
    m_outline = QPainterPath();
    m_outline.addRoundedRect(
        QRectF(outline.body.left, outline.body.top, outline.body.Width() + 1, outline.body.Height() + 1),
        m_sizes.v[0] / 2.0, m_sizes.v[1] / 2.0);
    if (outline.hasAnchor) {
        QPainterPath triangle;
        triangle.moveTo(outline.triangle[0].x, outline.triangle[0].y);
        triangle.lineTo(outline.triangle[1].x, outline.triangle[1].y);
        triangle.lineTo(outline.triangle[2].x, outline.triangle[2].y);
        triangle.closeSubpath();
        m_outline = m_outline.united(triangle);
    }

    // The background, once per show: the effect over the body, the body's
    // edge line repeated over the anchor strip.
    m_back = QImage(w.Width(), w.Height(), QImage::Format_ARGB32_Premultiplied);
    m_back.fill(Qt::transparent);
    {
        QPainter p(&m_back);
        CTipQtCanvas canvas(&p, &m_back);
        TipFillEffect(canvas, m_nEffect, m_placement.body, m_colors[0], m_colors[1], m_colors[2],
                      m_nGranularity, 5, m_random);
        const TipRect& b = m_placement.body;
        const int dir = m_placement.direction;
        if (dir >= 0 && dir <= 2 && b.top > 0)
            p.drawTiledPixmap(0, 0, w.Width(), b.top,
                              QPixmap::fromImage(m_back.copy(0, b.top + 1, w.Width(), 1)));
        else if (dir >= 16 && dir <= 18 && b.bottom < w.Height())
            p.drawTiledPixmap(0, b.bottom, w.Width(), w.Height() - b.bottom,
                              QPixmap::fromImage(m_back.copy(0, b.bottom - 1, w.Width(), 1)));
        else if (dir >= 32 && dir <= 34 && b.left > 0)
            p.drawTiledPixmap(0, 0, b.left, w.Height(),
                              QPixmap::fromImage(m_back.copy(b.left + 1, 0, 1, w.Height())));
        else if (dir >= 48 && dir <= 50 && b.right < w.Width())
            p.drawTiledPixmap(b.right, 0, w.Width() - b.right, w.Height(),
                              QPixmap::fromImage(m_back.copy(b.right - 1, 0, 1, w.Height())));
    }

    QRegion region(m_outline.toFillPolygon().toPolygon());
    if (m_nShadowDx != 0 || m_nShadowDy != 0)
        region = region.united(region.translated(m_nShadowDx, m_nShadowDy));
    setMask(region);
    const QRect geometry(pt.x() - m_placement.anchor.x, pt.y() - m_placement.anchor.y,
                         w.Width() + m_nShadowDx, w.Height() + m_nShadowDy);
    // What lies under the tip, taken once before it shows: the shadow and
    // the translucency are composed over it. Where the platform gives no
    // screen, the window's own alpha carries them.
    m_screen = QImage();
    if (QScreen* screen = QGuiApplication::screenAt(pt); screen != nullptr && !isVisible()) {
        const QRect local = geometry.translated(-screen->geometry().topLeft());
        const QPixmap under = screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
        if (!under.isNull() && under.size() == geometry.size())
            m_screen = under.toImage().convertToFormat(QImage::Format_RGB32);
    }
    setGeometry(geometry);
    show();
    raise();
    update();
}

// The tip in memory: background, markup, border.
QImage CPPToolTip::ComposeTip() {
    QImage tip = m_back.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&tip);
    p.setClipPath(m_outline);
    CTipQtCanvas canvas(&p, &tip);
    m_renderer.Draw(canvas, m_placement.text);
    p.setClipping(false);
    if (m_borderBrush.style() != Qt::NoBrush && m_nBorderCx != 0 && m_nBorderCy != 0)
        DrawBorder(p, m_outline);
    return tip;
}

void CPPToolTip::paintEvent(QPaintEvent*) {
    if (m_back.isNull())
        return;
    const int transparency = m_bOpaqueRepaint ? 0 : std::clamp(m_nCurTransparency, 0, 100);
    const QImage tip = ComposeTip();
    // The shadow's grey, paler as the tip grows transparent.
    int grey = platform::MulDiv(255, 100 - m_nDarkness, 100);
    grey += (255 - grey) * transparency / 100;
    const bool shadow = m_nShadowDx != 0 || m_nShadowDy != 0;
    QPainter out(this);
    if (m_screen.isNull()) {
        if (shadow)
            out.fillPath(m_outline.translated(m_nShadowDx, m_nShadowDy), QColor(0, 0, 0, 255 - grey));
        out.setClipPath(m_outline);
        out.setOpacity((100 - transparency) / 100.0);
        out.drawImage(0, 0, tip);
        return;
    }
    QImage composition = m_screen;
    const int w = composition.width() - m_nShadowDx;
    const int h = composition.height() - m_nShadowDy;
    if (shadow) {
        QImage mask(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
        mask.fill(Qt::white);
        QPainter pm(&mask);
        pm.fillPath(m_outline, QColor(grey, grey, grey));
        pm.end();
        CTipDrawHelper::DrawShadow(composition, m_nShadowDx, m_nShadowDy, w, h, mask, m_bShadowGradient,
                                   m_nShadowDepthX, m_nShadowDepthY);
    }
    QImage blended = composition;
    CTipDrawHelper::AlphaBlend(blended, 0, 0, w, h, tip, 0, 0, 100 - transparency);
    {
        QPainter pc(&composition);
        pc.setClipPath(m_outline);
        pc.drawImage(0, 0, blended);
    }
    out.drawImage(0, 0, composition);
}

bool CPPToolTip::eventFilter(QObject* watched, QEvent* event) {
    if (m_bCreated)
        RelayEvent(event);
    return QWidget::eventFilter(watched, event);
}

// The owner's input: a move goes to the state machine; a button-down
// (after a click on a link of the tip), a wheel turn or a key hides the tip;
// button-ups and the rest change nothing.
void CPPToolTip::RelayEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove: {
        const QPoint global = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        m_machine.OnMouseMove({global.x(), global.y()}, isVisible() && geometry().contains(global));
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint global = mouse->globalPosition().toPoint();
        if (mouse->button() == Qt::LeftButton && isVisible() && geometry().contains(global)) {
            const QPoint local = mapFromGlobal(global);
            m_renderer.OnLButtonDown({local.x(), local.y()});
        }
        HideNow();
        break;
    }
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        HideNow();
        break;
    default:
        break;
    }
}

void CPPToolTip::mouseMoveEvent(QMouseEvent* event) {
    const QPoint local = event->position().toPoint();
    setCursor(m_renderer.OnSetCursor({local.x(), local.y()}) ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CPPToolTip::mousePressEvent(QMouseEvent* event) {
    RelayEvent(event);
}
