// Drawings of the measuring bridge for each input mode: the four arms of a
// Wheatstone bridge, active gauges drawn as grids (a transverse gauge across
// its arm, a compensating one in grey, the sign of its strain beside each
// active one), completion resistors as boxes, with the mode's name below.
#include "tooltip/TipBridgePictures.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace {

enum class Arm {
    Fixed,        // completion resistor inside the instrument
    Tension,      // active gauge along the load, +ε
    Compression,  // active gauge on the opposite face, −ε
    Transverse,   // active gauge across the load, −με (Poisson)
    Compensating, // unloaded gauge for the temperature
    None,
};

struct Mode {
    int id;
    std::array<Arm, 4> arms; // top-left, top-right, bottom-right, bottom-left
    const char* caption;
};

const Mode kModes[] = {
    {225, {Arm::Tension, Arm::Fixed, Arm::Fixed, Arm::Fixed}, "1/4桥"},
    {226, {Arm::Tension, Arm::Compensating, Arm::Fixed, Arm::Fixed}, "1/4桥公共补偿"},
    {227, {Arm::Tension, Arm::Transverse, Arm::Fixed, Arm::Fixed}, "半桥泊松比"},
    {228, {Arm::Tension, Arm::Compression, Arm::Fixed, Arm::Fixed}, "半桥弯曲"},
    {229, {Arm::Tension, Arm::Transverse, Arm::Tension, Arm::Transverse}, "全桥泊松比"},
    {230, {Arm::Tension, Arm::Compression, Arm::Tension, Arm::Compression}, "全桥"},
    {200, {Arm::None, Arm::None, Arm::None, Arm::None}, "传感器"},
};

const QColor kActive(0, 70, 200);
const QColor kCompensating(120, 120, 120);

// A gauge grid centred on the arm: a zig-zag along the arm, or across it
// for a transverse gauge.
void DrawGrid(QPainter& p, Arm arm) {
    QPainterPath zig;
    if (arm == Arm::Transverse) {
        zig.moveTo(-14, 0);
        zig.lineTo(-10, 0);
        for (int i = 0; i < 6; ++i) {
            const double x = -10 + i * 4;
            zig.lineTo(x, (i % 2 == 0) ? -9 : 9);
            zig.lineTo(x + 4, (i % 2 == 0) ? -9 : 9);
        }
        zig.lineTo(14, 0);
    } else {
        zig.moveTo(-14, 0);
        for (int i = 0; i < 7; ++i)
            zig.lineTo(-12 + i * 4, (i % 2 == 0) ? -6 : 6);
        zig.lineTo(14, 0);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(arm == Arm::Compensating ? kCompensating : kActive, 2));
    p.drawPath(zig);
}

const char* SignOf(Arm arm) {
    switch (arm) {
    case Arm::Tension:
        return "+";
    case Arm::Compression:
    case Arm::Transverse:
        return "−";
    default:
        return nullptr;
    }
}

void DrawArm(QPainter& p, QPointF a, QPointF b, QPointF centre, Arm arm) {
    const QPointF mid = (a + b) / 2;
    const QLineF line(a, b);
    p.save();
    p.translate(mid);
    p.rotate(-line.angle());
    const double half = line.length() / 2;
    p.drawLine(QPointF(-half, 0), QPointF(-14, 0));
    p.drawLine(QPointF(14, 0), QPointF(half, 0));
    if (arm == Arm::Fixed) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(-14, -5, 28, 10));
    } else {
        DrawGrid(p, arm);
    }
    p.restore();
    if (const char* sign = SignOf(arm)) {
        // The sign stands outside the bridge, away from its centre.
        const QPointF out = mid + (mid - centre) * 0.45;
        p.save();
        p.setPen(kActive);
        p.drawText(QRectF(out.x() - 8, out.y() - 8, 16, 16), Qt::AlignCenter, QString::fromUtf8(sign));
        p.restore();
    }
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
    QFont font = p.font();
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(QPen(Qt::black, 1.5));
    const QPointF top(90, 14), right(150, 66), bottom(90, 118), left(30, 66);
    const QPointF centre(90, 66);
    if (mode->arms[0] == Arm::None) {
        // A sensor: a closed box with its four leads.
        p.setBrush(QColor(230, 236, 250));
        p.drawRoundedRect(QRectF(45, 30, 90, 70), 8, 8);
        p.drawText(QRectF(45, 30, 90, 70), Qt::AlignCenter, QStringLiteral("S"));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(57 + i * 22, 100), QPointF(57 + i * 22, 118));
    } else {
        DrawArm(p, left, top, centre, mode->arms[0]);
        DrawArm(p, top, right, centre, mode->arms[1]);
        DrawArm(p, right, bottom, centre, mode->arms[2]);
        DrawArm(p, bottom, left, centre, mode->arms[3]);
        p.setBrush(Qt::black);
        p.setPen(QPen(Qt::black, 1.5));
        for (const QPointF& node : {top, right, bottom, left})
            p.drawEllipse(node, 3, 3);
    }
    p.setPen(Qt::black);
    p.drawText(QRectF(0, 126, 180, 22), Qt::AlignCenter, QString::fromUtf8(mode->caption));
    return image;
}
