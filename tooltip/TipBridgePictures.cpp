// Drawings of the measuring bridge for each input mode: the four arms of a
// Wheatstone bridge, active gauges drawn as grids, completion resistors as
// boxes, with the mode's name below.
#include "tooltip/TipBridgePictures.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace {

enum class Arm { Fixed, Gauge, Compensating, None };

struct Mode {
    int id;
    std::array<Arm, 4> arms; // top-left, top-right, bottom-right, bottom-left
    const char* caption;
};

const Mode kModes[] = {
    {225, {Arm::Gauge, Arm::Fixed, Arm::Fixed, Arm::Fixed}, "1/4 bridge"},
    {226, {Arm::Gauge, Arm::Compensating, Arm::Fixed, Arm::Fixed}, "1/4 bridge, common compensation"},
    {227, {Arm::Gauge, Arm::Gauge, Arm::Fixed, Arm::Fixed}, "half bridge, Poisson"},
    {228, {Arm::Gauge, Arm::Gauge, Arm::Fixed, Arm::Fixed}, "half bridge, bending"},
    {229, {Arm::Gauge, Arm::Gauge, Arm::Gauge, Arm::Gauge}, "full bridge, Poisson"},
    {230, {Arm::Gauge, Arm::Gauge, Arm::Gauge, Arm::Gauge}, "full bridge"},
    {200, {Arm::None, Arm::None, Arm::None, Arm::None}, "bridge sensor"},
};

void DrawArm(QPainter& p, QPointF a, QPointF b, Arm arm) {
    const QPointF mid = (a + b) / 2;
    const QLineF line(a, b);
    const double angle = line.angle();
    p.save();
    p.translate(mid);
    p.rotate(-angle);
    const double half = line.length() / 2;
    p.drawLine(QPointF(-half, 0), QPointF(-14, 0));
    p.drawLine(QPointF(14, 0), QPointF(half, 0));
    if (arm == Arm::Fixed) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(-14, -5, 28, 10));
    } else {
        // A gauge grid: a zig-zag, filled blue for an active gauge, grey for compensation.
        QPainterPath zig;
        zig.moveTo(-14, 0);
        for (int i = 0; i < 7; ++i)
            zig.lineTo(-12 + i * 4, (i % 2 == 0) ? -6 : 6);
        zig.lineTo(14, 0);
        p.setPen(QPen(arm == Arm::Gauge ? QColor(0, 70, 200) : QColor(120, 120, 120), 2));
        p.drawPath(zig);
    }
    p.restore();
}

} // namespace

QImage DrawBridgePicture(int id) {
    const Mode* mode = nullptr;
    for (const Mode& m : kModes)
        if (m.id == id)
            mode = &m;
    if (mode == nullptr)
        return {};
    QImage image(180, 150, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    const QPointF top(90, 12), right(150, 66), bottom(90, 120), left(30, 66);
    if (mode->arms[0] == Arm::None) {
        // A sensor: a closed box with its four leads.
        p.setBrush(QColor(230, 236, 250));
        p.drawRoundedRect(QRectF(45, 30, 90, 70), 8, 8);
        p.drawText(QRectF(45, 30, 90, 70), Qt::AlignCenter, QStringLiteral("S"));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(57 + i * 22, 100), QPointF(57 + i * 22, 118));
    } else {
        DrawArm(p, left, top, mode->arms[0]);
        DrawArm(p, top, right, mode->arms[1]);
        DrawArm(p, right, bottom, mode->arms[2]);
        DrawArm(p, bottom, left, mode->arms[3]);
        p.setBrush(Qt::black);
        for (const QPointF& node : {top, right, bottom, left})
            p.drawEllipse(node, 3, 3);
    }
    p.setPen(Qt::black);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    p.drawText(QRectF(0, 126, 180, 22), Qt::AlignCenter, QString::fromUtf8(mode->caption));
    return image;
}
