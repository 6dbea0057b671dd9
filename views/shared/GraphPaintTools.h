// Turning the graph options' Windows-style records into Qt's: colours,
// logical fonts and pen styles.
#pragma once

#include "views/shared/GraphDisplayOptions.h"

#include <QColor>
#include <QFont>
#include <QPen>

class QWidget;

inline QColor ToQColor(COLORREF colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

inline COLORREF ToColorRef(const QColor& colour) {
    return COLORREF(colour.red()) | COLORREF(colour.green()) << 8 | COLORREF(colour.blue()) << 16;
}

// The standard colour chooser over the colour; false when it was cancelled.
bool PickColourRef(COLORREF& colour, QWidget* parent);

// The font of a logical font: its height in pixels (either sign), weight,
// italic, underline and strike-out.
QFont FontFromLogFont(const LOGFONT& font);
// Styles 0..4: solid, dash, dot, dash-dot, dash-dot-dot; a wider pen is solid.
QPen PenFromStyle(int style, int width, COLORREF colour);
