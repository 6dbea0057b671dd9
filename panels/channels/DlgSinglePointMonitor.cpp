// The single-point display: caption, value and its painting.
#include "panels/channels/DlgSinglePointMonitor.h"

#include "model/ChannelNaming.h"

#include <QPainter>

CDlgSinglePointMonitor::CDlgSinglePointMonitor(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setWindowTitle(m_strCaption);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(240, 100);
}

void CDlgSinglePointMonitor::SetChannel(int channel) {
    m_strCaption = QString::fromStdString(FormatChannelName(channel));
    setWindowTitle(m_strCaption);
}

void CDlgSinglePointMonitor::SetValue(float value, int state) {
    m_fValue = value;
    m_nState = state;
    update();
}

QString CDlgSinglePointMonitor::GetValueText() const {
    return QString::asprintf("%.2f", static_cast<double>(m_fValue));
}

void CDlgSinglePointMonitor::paintEvent(QPaintEvent*) {
    QPixmap buffer(size());
    buffer.fill(QColor(0xECECEC));
    QPainter painter(&buffer);
    // The font fits the longer of the two sample texts into the window.
    QFont font(QStringLiteral("Arial"));
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(height() * 3 / 4, 8));
    const QString sample = QStringLiteral("1.23456");
    const int sampleWidth = QFontMetrics(font).horizontalAdvance(sample);
    if (sampleWidth > width() && sampleWidth > 0)
        font.setPixelSize(std::max(font.pixelSize() * width() / sampleWidth, 8));
    painter.setFont(font);
    painter.setPen(m_nState != 0 ? QColor(255, 0, 0) : QColor(0, 0, 0));
    painter.drawText(rect(), Qt::AlignCenter, GetValueText());
    painter.end();
    QPainter(this).drawPixmap(0, 0, buffer);
}

void CDlgSinglePointMonitor::resizeEvent(QResizeEvent*) {
    update();
}
