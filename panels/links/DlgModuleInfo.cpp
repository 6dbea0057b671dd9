// The module information panel: its size from the text, its place in its
// area, and its painting.
#include "panels/links/DlgModuleInfo.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr QRgb kBackground = 0xECECEC;
constexpr int kCharWidth = 16;
constexpr int kSmallestPixelSize = 14;

QStringList Lines(const QString& text) {
    QString plain = text;
    plain.remove(QLatin1Char('\r'));
    return plain.split(QLatin1Char('\n'));
}

} // namespace

CDlgModuleInfo::CDlgModuleInfo(QWidget* parent) : QWidget(parent) {
    setObjectName("ModuleInfo");
    setWindowTitle(QString::fromUtf8("模块信息"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Information only: the windows beneath it keep their mouse.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(kCharWidth, kBaseHeight);
    SetArea(parent);
}

QFont CDlgModuleInfo::InfoFont() {
    QFont font(QString::fromUtf8("宋体"));
    font.setPixelSize(kLinePitch);
    return font;
}

int CDlgModuleInfo::HeightForText(const QString& text) {
    return kBaseHeight + kLinePitch * static_cast<int>(text.count(QLatin1Char('\n')));
}

void CDlgModuleInfo::SetArea(QWidget* area) {
    if (m_pArea != nullptr)
        m_pArea->removeEventFilter(this);
    m_pArea = area;
    if (m_pArea != nullptr)
        m_pArea->installEventFilter(this);
    Place();
}

bool CDlgModuleInfo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pArea && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        Place();
    return QWidget::eventFilter(watched, event);
}

void CDlgModuleInfo::SetInfoText(const QString& text) {
    m_strText = text;
    Place();
    update();
}

void CDlgModuleInfo::Place() {
    QWidget* parent = parentWidget();
    if (parent == nullptr)
        return;
    QRect area = parent->rect();
    if (m_pArea != nullptr && m_pArea != parent)
        area = QRect(m_pArea->mapTo(parent, QPoint(0, 0)), m_pArea->size());
    area.adjust(kMargin, kMargin, -kMargin, -kMargin);
    // As wide as the longest line, so that no module is cut off: when the
    // area is narrower, the text shrinks (never below a readable size).
    const QFontMetrics metrics(InfoFont());
    int widest = kCharWidth;
    for (const QString& line : Lines(m_strText))
        widest = std::max(widest, metrics.horizontalAdvance(line) + 4);
    m_nPixelSize = kLinePitch;
    if (widest > area.width() && area.width() > 0)
        m_nPixelSize = std::max(kSmallestPixelSize, kLinePitch * area.width() / widest);
    const int lineBreaks = static_cast<int>(m_strText.count(QLatin1Char('\n')));
    const int height = HeightForText(m_strText) - (kLinePitch - m_nPixelSize) * (lineBreaks + 1);
    const int width = widest * m_nPixelSize / kLinePitch;
    QRect frame(area.left(), area.bottom() - height + 1, width, height);
    setGeometry(frame & area);
    raise();
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
    QFont font = InfoFont();
    font.setPixelSize(m_nPixelSize);
    painter.setFont(font);
    int y = 0;
    for (const QString& line : Lines(m_strText)) {
        painter.setPen(line.contains(QLatin1Char('!')) ? QColor(255, 0, 0) : QColor(0, 0, 0));
        painter.drawText(QRect(2, y, width() - 2, m_nPixelSize), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += m_nPixelSize;
    }
    painter.end();
    QPainter(this).drawPixmap(0, 0, buffer);
}
