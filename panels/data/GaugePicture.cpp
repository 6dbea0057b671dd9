// The gauge picture of the group dialogs.
#include "panels/data/GaugePicture.h"

#include <QPainter>

#include <cstdlib>

namespace {

constexpr int kSide = 175;

} // namespace

CGaugePicture::CGaugePicture(QWidget* parent) : QWidget(parent) {
    setObjectName("id1106");
    setFixedSize(kSide, kSide);
}

void CGaugePicture::SetAngles(const std::vector<std::string>& labels) {
    m_labels = labels;
    update();
}

void CGaugePicture::SetHole(bool hole) {
    m_bHole = hole;
    update();
}

void CGaugePicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    // The gauges spread over 0° to 135°: the centre sits left of and below the middle.
    painter.translate(kSide * 0.42, kSide * 0.62);
    if (m_bHole)
        painter.drawEllipse(QPointF(0, 0), 8, 8);
    for (const std::string& label : m_labels) {
        const double angle = std::atof(label.c_str());
        painter.save();
        // Angles count anticlockwise from the X axis; the screen's Y grows downwards.
        painter.rotate(-angle);
        painter.drawRect(QRectF(18, -6, 40, 12));
        for (int line = 1; line < 6; ++line)
            painter.drawLine(QPointF(18, -6 + 2 * line), QPointF(58, -6 + 2 * line));
        painter.translate(70, 0);
        painter.rotate(angle);
        painter.drawText(QRectF(-14, -8, 40, 16), Qt::AlignCenter, QString::fromStdString(label));
        painter.restore();
    }
}
