// Colours, fonts and pens of the graph options in Qt's terms, and the colour chooser.
#include "views/shared/GraphPaintTools.h"

#include <QColorDialog>

#include <algorithm>
#include <cstdlib>

QFont FontFromLogFont(const LOGFONT& lf) {
    QFont font(QString::fromStdString(lf.GetFaceName()));
    font.setPixelSize(std::clamp(std::abs(lf.lfHeight), 6, 200));
    font.setWeight(lf.lfWeight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    return font;
}

QPen PenFromStyle(int style, int width, COLORREF colour) {
    static const Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                           Qt::DashDotDotLine};
    const int w = std::clamp(width, 1, 5);
    QPen pen(ToQColor(colour), w);
    pen.setStyle(w > 1 || style < 0 || style > 4 ? Qt::SolidLine : kStyles[style]);
    return pen;
}

bool PickColourRef(COLORREF& colour, QWidget* parent) {
    const QColor chosen = QColorDialog::getColor(ToQColor(colour), parent);
    if (!chosen.isValid())
        return false;
    colour = ToColorRef(chosen);
    return true;
}
