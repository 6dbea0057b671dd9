// The round button.
#include "views/shared/RoundButton.h"

#include "views/shared/GraphPaintTools.h"

#include <QLayout>
#include <QPainter>
#include <QRegion>
#include <QStyleOptionButton>

#include <cmath>

CRoundButton::CRoundButton(QWidget* parent) : QPushButton(parent) {
    MakeRound();
}

CRoundButton* CRoundButton::Replace(QPushButton* button) {
    auto* round = new CRoundButton(button->parentWidget());
    round->setText(button->text());
    round->setGeometry(button->geometry());
    if (QLayout* layout = button->parentWidget() ? button->parentWidget()->layout() : nullptr)
        delete layout->replaceWidget(button, round);
    button->hide();
    round->MakeRound();
    return round;
}

void CRoundButton::MakeRound() {
    if (m_bShaping)
        return;
    m_bShaping = true;
    m_shape = MakeRoundButtonShape(width(), height());
    if (!m_shape.keepsSize && (width() != m_shape.width || height() != m_shape.height))
        resize(m_shape.width, m_shape.height);
    setMask(QRegion(0, 0, m_shape.side, m_shape.side, QRegion::Ellipse));
    m_bShaping = false;
}

void CRoundButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    MakeRound();
}

void CRoundButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& p = palette();
    painter.fillRect(rect(), p.color(QPalette::Button));
    const bool pressed = isDown();
    const auto ring = [&](int radius, QColor light, QColor dark) {
        if (pressed)
            std::swap(light, dark);
        // Point by point round the circle, each in the colour of its angle.
        const int steps = std::max(8, int(radius * 8));
        for (int i = 0; i < steps; ++i) {
            const double angle = -M_PI + 2.0 * M_PI * i / steps;
            const int x = m_shape.centreX + int(std::lround(radius * std::cos(angle)));
            const int y = m_shape.centreY - int(std::lround(radius * std::sin(angle)));
            painter.setPen(ToQColor(RimColour(angle, ToColorRef(light), ToColorRef(dark))));
            painter.drawPoint(x, y);
        }
    };
    ring(m_shape.radius, p.color(QPalette::Light), p.color(QPalette::Shadow));
    ring(m_shape.radius - 1, p.color(QPalette::Midlight), p.color(QPalette::Dark));
    if (hasFocus()) {
        QPen pen(p.color(QPalette::WindowText), 1, Qt::DotLine);
        painter.setPen(pen);
        const int r = std::max(m_shape.radius - 4, 1);
        painter.drawEllipse(QPoint(m_shape.centreX, m_shape.centreY), r, r);
    }
    painter.setPen(isEnabled() ? p.color(QPalette::ButtonText) : p.color(QPalette::Dark));
    const QRect face(0, 0, m_shape.side, m_shape.side);
    painter.drawText(pressed ? face.translated(1, 1) : face, Qt::AlignCenter, text());
}
