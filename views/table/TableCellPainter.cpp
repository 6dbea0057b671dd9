// The table view's cell painter.
#include "views/table/TableCellPainter.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace {

// The space kept free on each side of a cell's text.
constexpr int kTextMargin = 3;

QPalette::ColorGroup GroupOf(const QStyleOptionViewItem& option) {
    if (!(option.state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
}

} // namespace

void CTableCellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = GroupOf(option);
    const QVariant background = index.data(Qt::BackgroundRole);
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    else if (background.canConvert<QColor>())
        painter->fillRect(option.rect, background.value<QColor>());

    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        const QRect box = option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
        const QFontMetrics& metrics = option.fontMetrics;
        const bool fits = metrics.horizontalAdvance(text) <= box.width();
        const QVariant foreground = index.data(Qt::ForegroundRole);
        painter->setPen(selected ? option.palette.color(group, QPalette::HighlightedText)
                        : foreground.canConvert<QColor>() ? foreground.value<QColor>()
                                                          : option.palette.color(group, QPalette::Text));
        painter->drawText(box, int(Qt::AlignCenter | Qt::TextSingleLine),
                          fits ? text : metrics.elidedText(text, Qt::ElideRight, box.width()));
    }

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.backgroundColor = option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
}
