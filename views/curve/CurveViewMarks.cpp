// The curve view's cursor sync, distribution batches, sample marks,
// bookmarks and zero-time mark.
#include "views/curve/CurveViewWidget.h"

#include "model/AppSettings.h"
#include "model/GlobalDataLock.h"
#include "model/RunFlags.h"
#include "platform/MessageBox.h"
#include "views/shared/GraphPaintTools.h"

#include <QPainter>

#include <algorithm>
#include <mutex>

void CCurveViewWidget::SyncCursorToOtherViews() {
    const CCurveViewModel& m = m_model;
    if (!m.m_bCursorSync || m.m_nCursorType == 3 || CurveViews().size() < 2 || !onCursorSync)
        return;
    const int cursor = m.m_nCursorType == 2 && m.m_nActiveCursor == 1 ? m.m_Cursor1 : m.m_Cursor0;
    onCursorSync(m.m_nFirstSample + cursor);
}

void CCurveViewWidget::GoToSample(int sample) {
    RefreshWorld();
    const int first = CentredWindowStart(sample, m_model.PointCount(), m_world.nStoredCount);
    if (onMoveWindow)
        onMoveWindow(first);
    Invalidate();
}

void CCurveViewWidget::OnShowSampleMarks() {
    RefreshWorld();
    m_bMarksShown = !m_bMarksShown;
    m_sampleMarks.clear();
    if (!m_bMarksShown) {
        m_nCurrentMark = 0;
        Invalidate();
        return;
    }
    m_sampleMarks = LoadSampleMarks(m_world.markPath);
    for (SampleMarkEntry& mark : m_sampleMarks)
        mark.text = mark.text.substr(0, SAMPLE_MARK_TEXT_SIZE);
    m_nCurrentMark = std::clamp(m_nCurrentMark, 0, std::max(int(m_sampleMarks.size()) - 1, 0));
    if (!m_sampleMarks.empty())
        GoToSample(m_sampleMarks[std::size_t(m_nCurrentMark)].nSampleIndex);
    Invalidate();
}

void CCurveViewWidget::OnStepSampleMark(int step) {
    const int next = m_nCurrentMark + step;
    if (next < 0 || next >= int(m_sampleMarks.size()))
        return;
    m_nCurrentMark = next;
    GoToSample(m_sampleMarks[std::size_t(next)].nSampleIndex);
}

void CCurveViewWidget::OnToggleBookmark() {
    const CCurveViewModel& m = m_model;
    const int cursor = m.m_nCursorType == 2 && m.m_nActiveCursor == 1 ? m.m_Cursor1 : m.m_Cursor0;
    m_bookmarks.Toggle(m.m_nFirstSample + cursor);
    Invalidate();
}

void CCurveViewWidget::OnBookmarksToSampleMarks() {
    RefreshWorld();
    const std::string& path = m_world.markPath;
    if (path.empty() || m_bookmarks.Samples().empty())
        return;
    if (GetSampleMarkCount(path) > 0 &&
        platform::MessageBox("是否覆盖当前采样标签?", g_strAppTitle,
                             platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    std::vector<int> marks;
    for (const SampleMarkEntry& mark : LoadSampleMarks(path))
        marks.push_back(mark.nSampleIndex);
    WriteSampleMarkList(path, MergeBookmarks(marks, m_bookmarks.Samples()));
    m_bMarksShown = false;
    m_sampleMarks.clear();
    m_nCurrentMark = 0;
    m_bookmarks.Clear();
    Invalidate();
}

void CCurveViewWidget::OnConfirmZeroTime() {
    RefreshWorld();
    if (platform::MessageBox("是否确定该值为0时刻值?", "确认0时刻值", platform::MB_OKCANCEL) !=
        platform::IDOK)
        return;
    std::vector<float> values;
    for (int c = 0; c < int(m_model.m_Curves.size()); ++c)
        values.push_back(m_model.PointValue(c, m_model.m_Cursor0));
    // The matched sensors as they are set now.
    ZeroTimeTable& table = ZeroTimeValues();
    table.channels = m_world.matchedSensorChannels;
    ConfirmZeroTimeValues(table, m_model.GetChannelIDs(), values, m_world.zeroTimePath);
}

void CCurveViewWidget::OnDistributionManual() {
    RefreshWorld();
    {
        // The acquisition writes the live buffers under the data lock.
        std::unique_lock<platform::CriticalSection> lock(g_csData, std::defer_lock);
        if (m_model.m_bSampling)
            lock.lock();
        if (!m_model.SetDistributionManual(m_world.nStoredCount))
            return;
        if (m_model.m_bStoredData || m_model.m_bSampling)
            m_model.LoadCurveData(m_world);
    }
    AfterModelChange(false);
}

void CCurveViewWidget::OnSelectDistributionBatch() {
    RefreshWorld();
    CCurveViewModel& m = m_model;
    if (!runBatchDialog || !m.IsManualDistribution())
        return;
    std::vector<int> batches(m.m_nSelIndex_Group.begin(), m.m_nSelIndex_Group.begin() + m.GetChannelCount());
    const std::vector<int> ids = m.GetChannelIDs();
    const int channel = m.m_nActiveLine < int(ids.size()) ? ids[std::size_t(m.m_nActiveLine)] : 0;
    if (runBatchDialog(batches, channel) == 0 || batches.empty())
        return;
    // A batch past the stored samples would read nothing.
    for (int& batch : batches)
        batch = std::clamp(batch, 0, std::max(m_world.nStoredCount - 1, 0));
    {
        std::lock_guard<platform::CriticalSection> lock(g_csData);
        m.SetDistributionBatches(batches, m_world);
    }
    AfterModelChange(true);
}

void CCurveViewWidget::PaintMarks(QPainter& painter) {
    const CCurveViewModel& m = m_model;
    if (m.m_nShowGraphType != 1 || !m.m_bStoredData || m.m_bSampling || m.m_Curves.empty())
        return;
    const PlotRect& plot = m.GetPlotRect();
    const CCurveSeries& curve = m.m_Curves.front();
    const auto line = [&](int sample, const QColor& colour, const std::string& text) {
        const int index = sample - m.m_nFirstSample;
        if (index < 0 || index >= m.PointCount())
            return;
        const int x = curve.IndexToX(index);
        painter.setPen(QPen(colour, 1, Qt::DashLine));
        painter.drawLine(x, plot.top, x, plot.bottom);
        if (!text.empty())
            painter.drawText(x + 3, plot.top + 12, QString::fromStdString(text));
    };
    if (m_bMarksShown)
        for (const SampleMarkEntry& mark : m_sampleMarks)
            line(mark.nSampleIndex, QColor(0, 0, 255), mark.text);
    for (int sample : m_bookmarks.Samples())
        line(sample, QColor(255, 128, 0), std::string());
}
