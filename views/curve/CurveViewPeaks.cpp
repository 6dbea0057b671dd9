// The curve view's peak list: the largest local maxima of the active curve,
// marked on it, listed in a box and written to a text file on request.
#include "views/curve/CurveViewWidget.h"

#include "model/AppSettings.h"
#include "model/ChannelNaming.h"
#include "platform/MessageBox.h"
#include "views/shared/GraphPaintTools.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>

bool CCurveViewWidget::PeakCommandsEnabled() const {
    const CCurveViewModel& m = m_model;
    return m.m_nShowGraphType == 1 && m_world.HoldsData() && m.m_bStoredData && !m_world.bSampling;
}

void CCurveViewWidget::UpdatePeakList() {
    const CCurveViewModel& m = m_model;
    const int K = std::max(m.m_nPeakListCount, 0);
    const int active = std::clamp(m.m_nActiveLine, 0, std::max(int(m.m_Curves.size()) - 1, 0));
    if (!m.m_bStoredData || m.m_Curves.empty()) {
        // Live display: the entries only count.
        m_peaks = PeakList{};
        for (int i = 0; i < K; ++i)
            m_peaks.entries.push_back({i, float(i), 0.0f});
        return;
    }
    const CCurveSeries& curve = m.m_Curves[std::size_t(active)];
    const int count = std::min({m.PointCount(), int(curve.m_Times.size()), int(curve.m_Values.size())});
    m_peaks = BuildPeakList(K, count, curve.m_Times.data(), curve.m_Values.data());
}

void CCurveViewWidget::OnPeakList() {
    CCurveViewModel& m = m_model;
    m.m_nPeakListCount = m.m_STRealViewOption.nPeakListCount;
    m.m_bPeakListShown = !m.m_bPeakListShown;
    if (m.m_bPeakListShown)
        UpdatePeakList();
    else
        m_peaks = PeakList{};
    Invalidate();
}

void CCurveViewWidget::PaintPeaks(QPainter& painter) {
    const CCurveViewModel& m = m_model;
    if (!m.m_bPeakListShown || m.m_nShowGraphType != 1 || m.m_Curves.empty())
        return;
    const int active = std::clamp(m.m_nActiveLine, 0, int(m.m_Curves.size()) - 1);
    const CCurveSeries& curve = m.m_Curves[std::size_t(active)];
    const int points = m.PointCount();
    painter.setPen(PenFromStyle(m.m_Options.m_PenStyle_Line[active % 8],
                                m.m_Options.m_PenWidth_Line[active % 8], m.m_Options.m_Line[active % 8]));
    const QFontMetrics metrics = painter.fontMetrics();
    // Markers of the real peaks.
    for (int i = 0; i < m_peaks.found; ++i) {
        const PeakRecord& peak = m_peaks.entries[std::size_t(i)];
        if (peak.nIndex < 0 || peak.nIndex >= points)
            continue;
        const int x = curve.IndexToX(peak.nIndex), y = curve.YValueToPixel(peak.fValue);
        painter.drawLine(x - 5, y - 5, x + 3, y + 3);
        painter.drawLine(x, y - 5, x, y + 5);
        painter.drawLine(x + 3, y - 3, x - 5, y + 5);
        painter.drawLine(x + 5, y, x - 5, y);
        const QString number = QString::number(i + 1);
        painter.drawText(x - metrics.horizontalAdvance(number) / 2, y - 5 - 5 - metrics.descent(), number);
    }
    // The list box.
    std::vector<std::string> lines;
    const int channel = m.CurveChannel(active);
    lines.push_back(FormatChannelName(channel));
    lines.push_back("Peak#   X   Y");
    for (const std::string& line : PeakListBoxLines(m_peaks, points, m.m_Options.m_nXPrecision,
                                                    m.m_Options.m_nYPrecision, m.m_bStoredData))
        lines.push_back(line);
    const PlotRect& plot = m.GetPlotRect();
    const bool placed = m.m_PeakListBox[0] != 0 || m.m_PeakListBox[1] != 0;
    PaintTextBox(painter, lines, placed ? m.m_PeakListBox[0] : plot.left + 4,
                 placed ? m.m_PeakListBox[1] : plot.bottom - 4 - metrics.height() * int(lines.size() + 1),
                 QRect(0, 0, width(), height()));
}

int CCurveViewWidget::SavePeakFile(const std::string& chosen) {
    const QFileInfo info(QString::fromStdString(chosen));
    if (chosen.empty() || info.completeBaseName().isEmpty())
        return 0;
    // Always the chosen title with ".txt", in the chosen folder.
    const std::string path = (info.absolutePath() + "/" + info.completeBaseName() + ".txt").toStdString();
    const CCurveViewModel& m = m_model;
    return WriteTextFileCrLf(path,
                             PeakFileText(m_peaks, m.m_Options.m_nXPrecision, m.m_Options.m_nYPrecision))
               ? 1
               : 0;
}

void CCurveViewWidget::OnPeakOutput() {
    if (!m_model.m_bPeakListShown || m_peaks.entries.empty())
        return;
    std::string path;
    if (askPeakFilePath)
        path = askPeakFilePath();
    else
        path = QFileDialog::getSaveFileName(this, QString::fromUtf8("保存峰值输出文件"), QString(),
                                            QString::fromUtf8("峰值输出文件 (*.txt)"))
                   .toStdString();
    SavePeakFile(path);
}
