// The module information panel: its size from the text and its painting.
#include "panels/DlgModuleInfo.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace {

constexpr QRgb kBackground = 0xECECEC;
constexpr int kCharWidth = 16;

QStringList Lines(const QString& text) {
    QString plain = text;
    plain.remove(QLatin1Char('\r'));
    return plain.split(QLatin1Char('\n'));
}

QFont InfoFont() {
    QFont font(QString::fromUtf8("宋体"));
    font.setPixelSize(CDlgModuleInfo::kLinePitch);
    return font;
}

} // namespace

CDlgModuleInfo::CDlgModuleInfo(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setWindowTitle(QString::fromUtf8("模块信息"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A status panel: it starts in the bottom-right corner of the screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setGeometry(area.right() - 480 + 1, area.bottom() - kBaseHeight + 1, 480, kBaseHeight);
}

int CDlgModuleInfo::HeightForText(const QString& text) {
    return kBaseHeight + kLinePitch * static_cast<int>(text.count(QLatin1Char('\n')));
}

void CDlgModuleInfo::SetInfoText(const QString& text) {
    m_strText = text;
    const int height = HeightForText(text);
    QRect frame = geometry();
    if (frame.height() < height)
        frame.setTop(frame.bottom() - height + 1); // grows upward, the bottom stays
    // Wide enough for the longest line, so no module is cut off.
    const QFontMetrics metrics(InfoFont());
    int widest = 0;
    for (const QString& line : Lines(text))
        widest = std::max(widest, metrics.horizontalAdvance(line) + 4);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    if (frame.width() < widest) {
        // Wider to the right, over the work area it was placed on, up to the
        // screen's edge: growing to the left would cover the bars beside the
        // work area and the controls on them.
        frame.setWidth(std::max(frame.width(), std::min(widest, area.right() - frame.left() + 1)));
    }
    if ((frame & area).height() * 2 <= frame.height() || (frame & area).width() * 2 <= frame.width()) {
        // Half or more off the screen: the bottom-right corner, as wide as the
        // longest line (the text usually ends with a line break).
        const int width = std::max(widest, kCharWidth);
        frame = QRect(area.right() - width + 1, area.bottom() - height + 1, width, height);
    }
    setGeometry(frame);
    update();
}

void CDlgModuleInfo::DrawInfoText(const QString& text) {
    m_strText = text;
    update();
}

void CDlgModuleInfo::paintEvent(QPaintEvent*) {
    QPixmap buffer(size());
    buffer.fill(QColor(kBackground));
    QPainter painter(&buffer);
    painter.setPen(QColor(kBackground));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setFont(InfoFont());
    int y = 0;
    for (const QString& line : Lines(m_strText)) {
        painter.setPen(line.contains(QLatin1Char('!')) ? QColor(255, 0, 0) : QColor(0, 0, 0));
        painter.drawText(QRect(2, y, width() - 2, kLinePitch), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += kLinePitch;
    }
    painter.end();
    QPainter(this).drawPixmap(0, 0, buffer);
}
