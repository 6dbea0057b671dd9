// The information view, its layout rules and the child window's splitter.
#include "views/history/ShowInfoView.h"

#include "model/ChannelNaming.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kMaxLines = 4;
const char* const kLabels[kMaxLines] = {"测 点 号", "当 前 值", "单    位", "描    述"};

} // namespace

std::vector<InfoRowRect> InfoRowRects(int height, int rows) {
    std::vector<InfoRowRect> rects;
    const int n = std::max(rows, 1);
    for (int i = 0; i < rows; ++i)
        rects.push_back(
            {int(std::lround(double(i) * height / n)), int(std::lround(double(i + 1) * height / n))});
    return rects;
}

int InfoLinesByWidth(int width, double scale) {
    if (width > 80 * scale)
        return 4;
    if (width > 60 * scale)
        return 3;
    if (width > 40 * scale)
        return 2;
    return 1;
}

int InfoLinesByHeight(int rowHeight, int textHeight) {
    int lines = kMaxLines;
    while (lines > 1 && rowHeight / lines < textHeight)
        --lines;
    return lines;
}

int SnapInfoColumn(int width, bool& hide) {
    hide = width < 20;
    return std::min(width, 202);
}

CShowInfoView::CShowInfoView(QWidget* parent) : QWidget(parent), m_pList(new QComboBox(this)) {
    setObjectName("CShowInfoView");
    m_pList->setGeometry(1, 1, 50, 30);
    m_pList->hide();
    for (int i = 0; i < 4; ++i)
        m_rows.push_back({i, 0.0f});
    connect(m_pList, &QComboBox::activated, this, [this](int index) {
        // A malformed entry gives channel -1.
        const int id = ParseChannelName(m_pList->itemText(index).toStdString());
        m_pList->hide();
        if (m_nListRow < 0 || m_nListRow >= int(m_rows.size()))
            return;
        m_rows[std::size_t(m_nListRow)].nChannel = id;
        if (onChannelChosen)
            onChannelChosen(m_nListRow, id);
        update();
    });
}

void CShowInfoView::SetRows(const std::vector<HistoryInfoRow>& rows, int precision) {
    m_rows = rows;
    m_nPrecision = std::clamp(precision, 0, 12);
    update();
}

std::vector<std::string> CShowInfoView::RowTexts(int row) const {
    std::vector<std::string> texts;
    if (row < 0 || row >= int(m_rows.size()))
        return texts;
    const HistoryInfoRow& r = m_rows[std::size_t(row)];
    const std::vector<InfoRowRect> rects = InfoRowRects(height(), int(m_rows.size()));
    const int lines = std::min(InfoLinesByWidth(width()),
                               InfoLinesByHeight(rects[std::size_t(row)].bottom - rects[std::size_t(row)].top,
                                                 fontMetrics().height()));
    texts.push_back(r.nChannel >= 0 ? FormatChannelName(r.nChannel) : std::string());
    char value[64];
    std::snprintf(value, sizeof value, "%.*f", m_nPrecision, double(r.fValue));
    texts.push_back(value);
    texts.push_back(channelUnit && r.nChannel >= 0 ? channelUnit(r.nChannel) : std::string());
    texts.push_back(channelDescription && r.nChannel >= 0 ? channelDescription(r.nChannel) : std::string());
    texts.resize(std::size_t(lines));
    return texts;
}

bool CShowInfoView::ClickAt(int x, int y) {
    const std::vector<InfoRowRect> rects = InfoRowRects(height(), int(m_rows.size()));
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const int lines = InfoLinesByHeight(rects[i].bottom - rects[i].top, fontMetrics().height());
        const int lineHeight = (rects[i].bottom - rects[i].top) / std::max(lines, 1);
        if (y < rects[i].top || y >= rects[i].top + lineHeight || x < 0 || x >= width())
            continue;
        m_nListRow = int(i);
        m_pList->clear();
        const std::vector<int> measured = measuredChannels ? measuredChannels() : std::vector<int>{};
        int selected = -1;
        for (std::size_t k = 0; k < measured.size(); ++k) {
            m_pList->addItem(QString::fromStdString(FormatChannelName(measured[k])));
            if (measured[k] == m_rows[i].nChannel)
                selected = int(k);
        }
        m_pList->setCurrentIndex(selected);
        m_pList->setGeometry(0, rects[i].top, width(), lineHeight + 10);
        m_pList->show();
        m_pList->setFocus();
        return true;
    }
    return false;
}

void CShowInfoView::paintEvent(QPaintEvent*) {
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const std::vector<InfoRowRect> rects = InfoRowRects(height(), int(m_rows.size()));
    const int labelWidth = fontMetrics().horizontalAdvance(QString::fromUtf8(kLabels[0]));
    // The labels take 0.4 of the width when the width is more than twice theirs.
    const int labels = width() > 2 * labelWidth ? int(width() * 0.4) : 0;
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const QRect row(0, rects[i].top, width() - 1, rects[i].bottom - rects[i].top - 1);
        painter.setPen(Qt::black);
        painter.drawRect(row);
        const std::vector<std::string> texts = RowTexts(int(i));
        const int lineHeight = row.height() / std::max(int(texts.size()), 1);
        for (std::size_t k = 0; k < texts.size(); ++k) {
            const int top = row.top() + int(k) * lineHeight;
            if (labels > 0)
                painter.drawText(QRect(0, top, labels, lineHeight), Qt::AlignCenter,
                                 QString::fromUtf8(kLabels[k]));
            painter.drawText(QRect(labels, top, width() - labels, lineHeight),
                             Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(texts[k]));
        }
    }
}

void CShowInfoView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        ClickAt(event->position().toPoint().x(), event->position().toPoint().y());
}

void CShowInfoView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_pList->hide();
}

CInfoViewSplitter::CInfoViewSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    // The column is placed when the drag ends.
    setOpaqueResize(false);
    connect(this, &QSplitter::splitterMoved, this, [this] { FinishDrag(); });
}

void CInfoViewSplitter::FinishDrag() {
    if (count() < 2 || widget(0)->isHidden())
        return;
    QList<int> sizes = this->sizes();
    bool hide = false;
    const int width = SnapInfoColumn(sizes[0], hide);
    if (hide) {
        widget(0)->hide();
        if (onColumnHidden)
            onColumnHidden();
        return;
    }
    if (width != sizes[0]) {
        sizes[1] += sizes[0] - width;
        sizes[0] = width;
        setSizes(sizes);
    }
}
