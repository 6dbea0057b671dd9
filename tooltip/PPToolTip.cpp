// The HTML tip window.
#include "tooltip/PPToolTip.h"

#include "platform/MulDiv.h"
#include "tooltip/TipDrawHelper.h"
#include "tooltip/TipPictureStore.h"
#include "tooltip/TipQtCanvas.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>

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
    m_borderColor = FromQColor(palette.color(QPalette::ToolTipText));
    // System colour names follow the palette.
    CTipVocabulary& v = m_renderer.GetVocabulary();
    v.SetSystemColor("infobackground", info);
    v.SetSystemColor("infotext", m_borderColor);
    v.SetSystemColor("window", FromQColor(palette.color(QPalette::Base)));
    v.SetSystemColor("windowtext", FromQColor(palette.color(QPalette::Text)));
    v.SetSystemColor("buttonface", FromQColor(palette.color(QPalette::Button)));
    v.SetSystemColor("buttontext", FromQColor(palette.color(QPalette::ButtonText)));
    v.SetSystemColor("buttonshadow", FromQColor(palette.color(QPalette::Dark)));
    v.SetSystemColor("highlight", FromQColor(palette.color(QPalette::Highlight)));
    v.SetSystemColor("highlighttext", FromQColor(palette.color(QPalette::HighlightedText)));
    m_renderer.SetDisabledColor(FromQColor(palette.color(QPalette::Dark)));
    m_renderer.SetMaxWidth(0);
    m_renderer.SetHoverNotify([this](int) { update(); });
    m_sizes = TipSizes::Defaults(true);
}

CPPToolTip::~CPPToolTip() {
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
    return true;
}

void CPPToolTip::RelayEventsOf(QObject* source) {
    if (source != nullptr)
        source->installEventFilter(this);
}

void CPPToolTip::DestroyWindow() {
    HideNow();
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
    m_borderColor = color;
    m_nBorderCx = cx;
    m_nBorderCy = cy;
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
    HideNow();
    ReleaseIcon();
    m_text = text;
    if (icon != nullptr && !icon->isNull()) {
        // The icon goes with the tip: registered by id, never by address.
        m_nIconId = CTipPictureStore::Instance().Register(*icon);
        m_text = "<table><tr><td><icon handle=" + std::to_string(m_nIconId) + "></td><td>" + text +
                 "</td></tr></table>";
    }
    m_nState = 2;
    ShowTip(screenPoint);
}

void CPPToolTip::HideNow() {
    m_nState = 0;
    if (isVisible())
        hide();
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
    if (m_nBorderCx > 0 && m_nBorderCy > 0) {
        p.setPen(QPen(CTipQtCanvas::ToQColor(m_borderColor), std::max(m_nBorderCx, m_nBorderCy)));
        p.setBrush(Qt::NoBrush);
        p.drawPath(m_outline);
    }
    return tip;
}

void CPPToolTip::paintEvent(QPaintEvent*) {
    if (m_back.isNull())
        return;
    const int transparency = std::clamp(m_nTransparency, 0, 100);
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
    if (m_bCreated && m_nState != 0) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonDblClick:
            HideNow();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
