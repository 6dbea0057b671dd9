// The curve view window: painting, input and commands over the curve model.
#include "views/curve/CurveViewWidget.h"

#include "datafiles/SampleFileFormat.h"
#include "model/RunFlags.h"
#include "platform/Files.h"
#include "views/curve/ChannelPanelPainter.h"
#include "views/curve/CurveResults.h"
#include "views/curve/CurveWorldFromApp.h"
#include "views/shared/EnvelopePainter.h"
#include "views/shared/GraphPaintTools.h"
#include "views/shared/ViewMenu.h"
#include "views/shared/ViewRegistry.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Registry = ViewRegistry<CCurveViewWidget>;

bool IsGapValue(float value) {
    return !std::isfinite(value) || IsSpecialValue(value) != 0;
}

QRect PlotQRect(const PlotRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

struct MenuItem {
    int id; // 0 a separator; kSubmenu opens a submenu with the text, kSubmenuEnd closes it
    const char* text;
    bool isSwitch = false; // carries a check mark
};
constexpr int kSubmenu = -1;
constexpr int kSubmenuEnd = -2;

const MenuItem kContextItems[] = {
    {ID_SELECT_SIGNALS, "选择观察测点(&S)"},
    {ID_CURVE_PROPERTIES, "图形属性(&A)"},
    {0, nullptr},
    {ID_AUTO_SCALE, "自动刻度(&A)", true},
    {ID_ZOOM_IN_Y, "纵向放大(&V)"},
    {ID_ZOOM_OUT_Y, "纵向缩小(W)"},
    {0, nullptr},
    {ID_SINGLE_CURSOR, "单光标(&O)", true},
    {ID_DOUBLE_CURSOR, "双光标(&T)", true},
    {ID_PEAK_CURSOR, "峰值光标(&P)", true},
    {ID_CURSOR_SYNC, "光标同步(&S)", true},
    {ID_CURSOR_DISPLAY, "光标显示开关", true},
    {ID_CURSOR_FOLLOW, "光标实时跟随", true},
    {ID_EDIT_DATA, "数据编辑(&D)"},
    {0, nullptr},
    {ID_DRAW_MODE_NORMAL, "普通绘图方式", true},
    {ID_DRAW_MODE_XY, "XY方式", true},
    {ID_DRAW_MODE_DISTRIBUTION, "分布方式", true},
    {ID_SELECT_DISTRIBUTION_BATCH, "选择分布批次(&G)"},
    {ID_DISTRIBUTION_AUTO, "分布模式下的自动显示方式", true},
    {ID_DISTRIBUTION_MANUAL, "分布模式下的手动显示方式", true},
    {0, nullptr},
    {kSubmenu, "采样标记与书签"},
    {ID_SHOW_SAMPLE_MARKS, "显示采样标记", true},
    {ID_PREV_SAMPLE_MARK, "上一采样标记"},
    {ID_NEXT_SAMPLE_MARK, "下一采样标记"},
    {0, nullptr},
    {ID_TOGGLE_BOOKMARK, "添加/删除书签"},
    {ID_PREV_BOOKMARK, "上一书签"},
    {ID_NEXT_BOOKMARK, "下一书签"},
    {ID_CLEAR_BOOKMARKS, "清除全部书签"},
    {ID_BOOKMARKS_TO_MARKS, "书签标记转换成采样标签"},
    {kSubmenuEnd, nullptr},
    {ID_THEORY_VALUES, "显示理论值", true},
    {ID_CONFIRM_ZERO_TIME, "确认0时刻值"},
    {0, nullptr},
    {ID_CURVE_PRINT, "打印(&P)..."},
    {ID_CURVE_PRINT_PREVIEW, "打印预览(&V)"},
    {ID_SAVE_AS_BITMAP, "另存为位图(&B)"},
    {0, nullptr},
    {ID_SAVE_DATA_FILE, "数据输出(&E)"},
    {0, nullptr},
    {ID_COPY_BITMAP, "复制位图(&C)"},
    {0, nullptr},
    {ID_PEAK_LIST, "峰值列表(&F)", true},
    {ID_PEAK_OUTPUT, "峰值输出(&E)"},
};

const MenuItem kCursorItems[] = {
    {ID_SINGLE_CURSOR, "单光标(&O)", true},    {ID_DOUBLE_CURSOR, "双光标(&T)", true},
    {ID_PEAK_CURSOR, "峰值光标(&P)", true},    {ID_CURSOR_SYNC, "光标同步(&S)", true},
    {ID_CURSOR_DISPLAY, "光标显示开关", true}, {ID_CURSOR_FOLLOW, "光标实时跟随", true},
};

} // namespace

CCurveViewWidget* CCurveViewWidget::Create(QWidget* parent) {
    if (Registry::IsFull(kMaxCurveViews))
        return nullptr;
    return new CCurveViewWidget(parent);
}

const std::vector<CCurveViewWidget*>& CCurveViewWidget::CurveViews() {
    return Registry::List();
}

CCurveViewWidget::CCurveViewWidget(QWidget* parent)
    : QWidget(parent), m_pPainter(std::make_unique<CChannelPanelPainter>()) {
    setObjectName("CurveView");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    Registry::Add(this);
    fillWorld = [](CurveWorld& world) { FillCurveWorldFromAppTables(world); };
    m_pPainter->TakeOptions(m_model.m_Options);
}

CCurveViewWidget::~CCurveViewWidget() {
    Unregister();
    m_model.FreeCurveBuffers();
}

void CCurveViewWidget::Unregister() {
    Registry::Remove(this);
}

// ------------------------------------------------------- frame and document

void CCurveViewWidget::RefreshRunFlags() {
    m_model.m_bSampling = g_bSampling.load() != 0;
    m_model.m_bPaused = g_bSamplePaused.load() != 0;
    m_model.m_bNewSampleData = g_bNewSampleData.load() != 0;
}

void CCurveViewWidget::RefreshWorld() {
    if (fillWorld)
        fillWorld(m_world);
    m_model.TakeTheoryValues(m_world);
    RefreshRunFlags();
}

void CCurveViewWidget::InitialUpdate() {
    RefreshWorld();
    if (defaultsFile) {
        const std::string file = defaultsFile();
        if (!file.empty() && platform::FileExists(file) && m_model.m_Options.Load(file, "RealView", 0) != 0)
            m_pPainter->TakeOptions(m_model.m_Options);
    }
    m_model.FreeCurveBuffers();
    m_model.AllocCurveBuffers(m_world);
    m_model.InitRangeFromChannels(m_world);
    if (m_world.HoldsData() && !m_model.m_bSampling)
        m_model.LoadCurveData(m_world);
    AfterModelChange(false);
}

void CCurveViewWidget::SyncWithDocument(int first, int pointCount, int windowCount, bool storedData) {
    CCurveViewModel& m = m_model;
    m.m_bStoredData = storedData;
    // Back on stored data after a run: the buffers take the window again.
    if (m_bLive && !m.m_bSampling) {
        m_bLive = false;
        m.FreeCurveBuffers();
        m.AllocCurveBuffers(m_world);
    }
    if (m.m_nShowGraphType == 3)
        return;
    m.m_nFirstSample = std::max(first, 0);
    const int window = std::clamp(windowCount, 1, 1 << 24);
    if (window != m.m_nWindowCount && !m.m_bSampling) {
        m.m_nWindowCount = window;
        m.FreeCurveBuffers();
        m.AllocCurveBuffers(m_world);
    }
    m.SetPointCount(pointCount);
    m.ClampCursors();
    m_bEnvelopesDirty = true;
}

bool CCurveViewWidget::LoadCurveData() {
    RefreshWorld();
    const bool ok = m_model.LoadCurveData(m_world);
    m_bEnvelopesDirty = true;
    Invalidate();
    return ok;
}

void CCurveViewWidget::SetVirtualChannelValues(std::map<int, float> values) {
    m_model.m_VirtualValues = std::move(values);
}

int CCurveViewWidget::AppendRealTimeData(int kind, int count, const float* sampleSet,
                                         const float* const* blocks) {
    RefreshRunFlags();
    const int points = m_model.AppendRealTimeData(kind, count, sampleSet, blocks, m_world);
    m_model.FollowLatestPoint();
    if (kind == 1 && m_model.m_nShowGraphType == 1 && !m_bEnvelopesDirty) {
        for (std::size_t c = 0; c < m_envelopes.size() && c < m_model.m_Curves.size(); ++c)
            m_envelopes[c].Add(m_model.m_Curves[c], points - 1);
    } else {
        m_bEnvelopesDirty = true;
    }
    return points;
}

void CCurveViewWidget::Invalidate() {
    m_bCacheDirty = true;
    if (m_bLive)
        m_repaint.RequestAll();
    else
        update();
}

void CCurveViewWidget::DrawNewPoints(int first, int last) {
    const CCurveViewModel& m = m_model;
    const bool wholeView = m.m_STRealViewOption.nStatistics != 0 || m.m_bCursorFollow != 0;
    if (m.m_nShowGraphType != 1 || wholeView || m.m_Options.m_nScareType == 1 || m_bCacheDirty ||
        m_bEnvelopesDirty || m_cache.size() != size() || !m.HasCurves()) {
        Invalidate();
        return;
    }
    // The new segment goes onto the cached picture; the screen takes it on
    // its next paint, which Qt gathers to the screen's rate.
    const CCurveSeries& curve0 = m.m_Curves.front();
    const int fromX = curve0.IndexToX(std::max(first, 0)) - 1;
    const int toX = curve0.IndexToX(std::max(last, 0)) + 1;
    QPainter painter(&m_cache);
    painter.setClipRect(PlotQRect(m.GetPlotRect()));
    if (CurvesShown()) {
        for (int c = 0; c < int(m.m_Curves.size()); ++c)
            PaintTimeSegment(painter, c, fromX, toX);
    }
    m_repaint.Request(QRect(fromX - 4, m.GetPlotRect().top, toX - fromX + 8,
                            m.GetPlotRect().bottom - m.GetPlotRect().top + 1));
}

void CCurveViewWidget::PrepareForSampling(int pageWidth) {
    RefreshRunFlags();
    m_model.m_bSampling = true;
    m_model.m_bStoredData = false;
    const int w = std::max(pageWidth, 1);
    m_model.m_nPageLength = w;
    if (m_model.m_nShowGraphType != 3)
        m_model.m_nWindowCount = w;
    m_model.FreeCurveBuffers();
    m_model.AllocCurveBuffers(m_world);
    // Samples of the run before the view's first one were never fed to it.
    m_model.ClearPointValues();
    m_model.SetPointCount(0);
    m_bEnvelopesDirty = true;
    m_bLive = true;
    Invalidate();
}

void CCurveViewWidget::SetHoldFlag(int showTime) {
    m_model.m_Options.m_nXShowType = showTime != 0 ? 1 : 0;
}

void CCurveViewWidget::RevalidateChannels() {
    RefreshWorld();
    m_model.RevalidateChannels(m_world);
}

void CCurveViewWidget::ResetSignalKind() {
    RefreshWorld();
    if (m_model.ResetSignalKind(m_world))
        AfterModelChange(true);
    else
        Invalidate();
}

void CCurveViewWidget::AfterModelChange(bool reload) {
    RefreshRunFlags();
    if (reload && m_model.m_bStoredData && !m_model.m_bSampling)
        m_model.LoadCurveData(m_world);
    m_model.LayoutPlot(width(), height());
    m_pPainter->TakeOptions(m_model.m_Options);
    m_bEnvelopesDirty = true;
    if (onBuffersChanged)
        onBuffersChanged();
    Invalidate();
}

void CCurveViewWidget::Repaint() {
    Invalidate();
}

// ---------------------------------------------------------------- commands

bool CCurveViewWidget::IsCommandEnabled(int id) const {
    const CCurveViewModel& m = m_model;
    switch (id) {
    case ID_ZOOM_IN_Y:
        return m.CanZoomIn();
    case ID_ZOOM_OUT_Y:
        return m.CanZoomOut();
    case ID_DOUBLE_CURSOR:
        return m.m_nShowGraphType != 2;
    case ID_CURSOR_SYNC:
        return g_bSampling.load() == 0 && m.m_nCursorType != 3 && m.m_nShowGraphType != 3;
    case ID_SELECT_SIGNALS:
        return m_world.nCaseCount >= 1;
    case ID_DRAW_MODE_NORMAL:
    case ID_DRAW_MODE_XY:
    case ID_DRAW_MODE_DISTRIBUTION:
    case ID_CURVE_PROPERTIES:
    case ID_AUTO_SCALE:
    case ID_SINGLE_CURSOR:
    case ID_PEAK_CURSOR:
    case ID_CURVE_PRINT:
    case ID_CURVE_PRINT_PREVIEW:
    case ID_EDIT_DATA:
    case ID_COPY_BITMAP:
    case ID_SAVE_AS_BITMAP:
        return true;
    case ID_SAVE_DATA_FILE:
        return m.PointCount() >= 1 && m.HasCurves();
    case ID_SAVE_AS_TEXT:
    case ID_CURSOR_DISPLAY:
    case ID_THEORY_VALUES:
        return true;
    case ID_CURSOR_FOLLOW:
        return m.m_nCursorType == 1 || m.m_nCursorType == 2;
    case ID_SELECT_DISTRIBUTION_BATCH:
        return m.IsManualDistribution();
    case ID_DISTRIBUTION_AUTO:
    case ID_DISTRIBUTION_MANUAL: {
        const bool manual = m.m_STRealViewOption.nAutoDistribution == 0;
        return m.m_nShowGraphType == 3 && (id == ID_DISTRIBUTION_AUTO) == manual && g_bSampling.load() == 0 &&
               m.m_bStoredData;
    }
    case ID_CURVE_ZOOM_IN_X:
    case ID_CURVE_ZOOM_OUT_X:
        return m.CanZoomX(id == ID_CURVE_ZOOM_IN_X);
    case ID_CONFIRM_ZERO_TIME:
        return m.m_nCursorType > 0 && CurvesShown();
    case ID_SHOW_SAMPLE_MARKS:
        return g_bSampling.load() == 0 && m.m_bStoredData && GetSampleMarkCount(m_world.markPath) > 0;
    case ID_PREV_SAMPLE_MARK:
        return m_bMarksShown && !m_sampleMarks.empty() && m_nCurrentMark >= 1;
    case ID_NEXT_SAMPLE_MARK:
        return m_bMarksShown && !m_sampleMarks.empty() && m_nCurrentMark < int(m_sampleMarks.size()) - 1;
    case ID_TOGGLE_BOOKMARK:
        return g_bSampling.load() == 0 && m.m_bStoredData && m.m_nCursorType == 1 && m_bookmarks.CanAdd();
    case ID_NEXT_BOOKMARK:
        return g_bSampling.load() == 0 && m.m_bStoredData && m_bookmarks.HasNext();
    case ID_PREV_BOOKMARK:
        return g_bSampling.load() == 0 && m.m_bStoredData && m_bookmarks.HasPrevious();
    case ID_CLEAR_BOOKMARKS:
    case ID_BOOKMARKS_TO_MARKS:
        return g_bSampling.load() == 0 && m.m_bStoredData && !m_bookmarks.Samples().empty();
    case ID_SAVE_AS_EXCEL:
        return m.m_nLineType == 1 || m.m_nLineType == 2 || m.m_nLineType == 4;
    case ID_SAVE_AS_MATLAB:
        return m.m_nLineType == 1;
    case ID_PEAK_LIST:
        return PeakCommandsEnabled();
    case ID_PEAK_OUTPUT:
        return PeakCommandsEnabled() && m.m_bPeakListShown;
    default:
        return false;
    }
}

bool CCurveViewWidget::IsCommandChecked(int id) const {
    const CCurveViewModel& m = m_model;
    switch (id) {
    case ID_AUTO_SCALE:
        return m.m_Options.m_nScareType == 1;
    case ID_SINGLE_CURSOR:
        return m.m_nCursorType == 1;
    case ID_DOUBLE_CURSOR:
        return m.m_nCursorType == 2;
    case ID_PEAK_CURSOR:
        return m.m_nCursorType == 3;
    case ID_CURSOR_SYNC:
        return m.m_bCursorSync;
    case ID_PEAK_LIST:
        return m.m_bPeakListShown;
    case ID_CURSOR_DISPLAY:
        return m.m_nCursorType > 0;
    case ID_CURSOR_FOLLOW:
        return m.m_bCursorFollow != 0;
    case ID_DISTRIBUTION_AUTO:
    case ID_DISTRIBUTION_MANUAL:
        // While sampling neither carries a check.
        return g_bSampling.load() == 0 &&
               (m.m_STRealViewOption.nAutoDistribution != 0) == (id == ID_DISTRIBUTION_AUTO);
    case ID_THEORY_VALUES:
        return m.m_bTheoryShown;
    case ID_SHOW_SAMPLE_MARKS:
        return m_bMarksShown;
    case ID_DRAW_MODE_NORMAL:
    case ID_DRAW_MODE_XY:
    case ID_DRAW_MODE_DISTRIBUTION:
        return m.m_nShowGraphType == id - ID_DRAW_MODE_NORMAL + 1;
    default:
        return false;
    }
}

bool CCurveViewWidget::OnCommand(int id) {
    RefreshWorld();
    if (!IsCommandEnabled(id))
        return false;
    CCurveViewModel& m = m_model;
    switch (id) {
    case ID_DRAW_MODE_NORMAL:
    case ID_DRAW_MODE_XY:
    case ID_DRAW_MODE_DISTRIBUTION:
        m.SetDrawingMode(id - ID_DRAW_MODE_NORMAL + 1, m_world);
        if (onModeChanged)
            onModeChanged(m.m_nShowGraphType);
        AfterModelChange(true);
        return true;
    case ID_ZOOM_IN_Y:
    case ID_ZOOM_OUT_Y:
        m.ZoomY(id == ID_ZOOM_IN_Y);
        break;
    case ID_AUTO_SCALE:
        m.ToggleAutoScale();
        break;
    case ID_SINGLE_CURSOR:
        m.ToggleCursorType(1);
        break;
    case ID_DOUBLE_CURSOR:
        m.ToggleCursorType(2);
        break;
    case ID_PEAK_CURSOR:
        m.ToggleCursorType(3);
        break;
    case ID_CURSOR_SYNC:
        m.m_bCursorSync = !m.m_bCursorSync;
        break;
    case ID_CURSOR_DISPLAY:
        m.m_nCursorType = m.m_nCursorType == 0 ? 1 : 0;
        break;
    case ID_CURSOR_FOLLOW: {
        const int follow = m.m_bCursorFollow != 0 ? 0 : 1;
        for (CCurveViewWidget* view : CurveViews())
            view->m_model.m_bCursorFollow = follow;
        m.m_bCursorFollow = follow;
        if (m.m_nCursorType == 0)
            m.m_nCursorType = 1;
        break;
    }
    case ID_THEORY_VALUES:
        m.m_bTheoryShown = !m.m_bTheoryShown;
        if (m.m_bTheoryShown)
            m.ApplyCurveLimits();
        break;
    case ID_CURVE_ZOOM_IN_X:
    case ID_CURVE_ZOOM_OUT_X:
        // Zooming out multiplies (mode 0), zooming in divides (mode 1).
        if (m.m_nShowGraphType == 3)
            m.Zoom(id == ID_CURVE_ZOOM_IN_X ? 1 : 0, 1.0f, 2.0f, 1);
        else
            m.Zoom(id == ID_CURVE_ZOOM_IN_X ? 1 : 0, 2.0f, 1.0f, 1);
        break;
    case ID_DISTRIBUTION_AUTO:
        m.m_STRealViewOption.nAutoDistribution = 1;
        AfterModelChange(true);
        return true;
    case ID_DISTRIBUTION_MANUAL:
        OnDistributionManual();
        return true;
    case ID_SELECT_DISTRIBUTION_BATCH:
        OnSelectDistributionBatch();
        return true;
    case ID_CONFIRM_ZERO_TIME:
        OnConfirmZeroTime();
        return true;
    case ID_SHOW_SAMPLE_MARKS:
        OnShowSampleMarks();
        return true;
    case ID_PREV_SAMPLE_MARK:
    case ID_NEXT_SAMPLE_MARK:
        OnStepSampleMark(id == ID_NEXT_SAMPLE_MARK ? 1 : -1);
        return true;
    case ID_TOGGLE_BOOKMARK:
        OnToggleBookmark();
        return true;
    case ID_NEXT_BOOKMARK:
        GoToSample(m_bookmarks.Next());
        return true;
    case ID_PREV_BOOKMARK:
        GoToSample(m_bookmarks.Previous());
        return true;
    case ID_CLEAR_BOOKMARKS:
        m_bookmarks.Clear();
        break;
    case ID_BOOKMARKS_TO_MARKS:
        OnBookmarksToSampleMarks();
        return true;
    case ID_CURVE_PROPERTIES:
        ShowPropertySheet();
        return true;
    case ID_SELECT_SIGNALS:
        OnSignalSelect();
        return true;
    case ID_CURVE_PRINT:
    case ID_CURVE_PRINT_PREVIEW:
        OnPrint(id == ID_CURVE_PRINT_PREVIEW);
        return true;
    case ID_EDIT_DATA:
        OnEditData();
        return true;
    case ID_SAVE_DATA_FILE:
        OnSaveDataFile();
        return true;
    case ID_SAVE_AS_TEXT:
        SaveData(TableSaveKind::Text);
        return true;
    case ID_SAVE_AS_EXCEL:
        SaveData(TableSaveKind::Spreadsheet);
        return true;
    case ID_SAVE_AS_MATLAB:
        SaveData(TableSaveKind::Matlab);
        return true;
    case ID_COPY_BITMAP:
        OnCopyToClipboard();
        return true;
    case ID_SAVE_AS_BITMAP:
        OnSaveAsBitmap();
        return true;
    case ID_PEAK_LIST:
        OnPeakList();
        return true;
    case ID_PEAK_OUTPUT:
        OnPeakOutput();
        return true;
    default:
        return false;
    }
    Repaint();
    return true;
}

namespace {

QMenu* BuildMenu(CCurveViewWidget* view, QWidget* parent, const MenuItem* items, std::size_t count) {
    auto* top = new QMenu(parent);
    QMenu* menu = top;
    for (std::size_t i = 0; i < count; ++i) {
        const int id = items[i].id;
        if (id == kSubmenu) {
            menu = top->addMenu(QString::fromUtf8(items[i].text));
            continue;
        }
        if (id == kSubmenuEnd) {
            menu = top;
            continue;
        }
        if (id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(items[i].text));
        action->setData(id);
        action->setEnabled(view->IsCommandEnabled(id));
        action->setCheckable(items[i].isSwitch);
        action->setChecked(items[i].isSwitch && view->IsCommandChecked(id));
        QObject::connect(action, &QAction::triggered, view, [view, id] { view->OnCommand(id); });
    }
    return top;
}

} // namespace

QMenu* CCurveViewWidget::BuildContextMenu(QWidget* parent) {
    return BuildMenu(this, parent, kContextItems, std::size(kContextItems));
}

QMenu* CCurveViewWidget::BuildCursorMenu(QWidget* parent) {
    return BuildMenu(this, parent, kCursorItems, std::size(kCursorItems));
}

void CCurveViewWidget::ApplyGraphAttributes(const CGraphDisplayOptions& options,
                                            const RealViewOption& option) {
    RefreshWorld();
    m_model.ApplyGraphAttributes(options, option, m_world);
    if (defaultsFile) {
        const std::string file = defaultsFile();
        if (!file.empty())
            m_model.m_Options.Save(file, "RealView", 0);
    }
    AfterModelChange(true);
}

void CCurveViewWidget::SaveLayout(const std::string& file, int index) const {
    m_model.SaveLayout(file, index);
}

void CCurveViewWidget::LoadLayout(const std::string& file, int index) {
    m_model.FreeCurveBuffers();
    m_model.LoadLayout(file, index);
    m_pPainter->TakeOptions(m_model.m_Options);
}

// ---------------------------------------------------------------- painting

bool CCurveViewWidget::CurvesShown() const {
    const CCurveViewModel& m = m_model;
    if (!m.HasCurves())
        return false;
    if (m.m_bSampling)
        return m.m_bNewSampleData;
    return m.m_bStoredData;
}

void CCurveViewWidget::PrepareFrameStep() {
    CCurveViewModel& m = m_model;
    m.ApplyFrameRanges();
    ChannelPanelFields& f = m_pPainter->m_Fields;
    f.rcClient = m.GetClientRect();
    f.rcPlot = m.GetPlotRect();
    f.bGridShown = m.m_STRealViewOption.nGrid != 0;
    f.bLabelShown = true;
    f.bUnitXShown = f.bUnitYShown = true;
    f.nSignalKind = m.m_nLineType;
    f.nActiveIndex = m.m_nActiveLine;
    f.fXStep = m.m_fSampleInterval;
    f.distributionIds.clear();
    const int active = m.CurveChannel(m.m_nActiveLine);
    switch (m.m_nShowGraphType) {
    case 2: {
        f.nGraphKind = 3;
        f.nLabelChannel = m.CurveChannel(0);
        f.nSecondChannel = active;
        if (m.m_bXYRet != 0) {
            f.nLabelChannel = m.m_nXYRefChannelID;
            f.nSecondChannel = active;
            if (m.m_bXYRefFixX != 0)
                std::swap(f.nLabelChannel, f.nSecondChannel);
        } else {
            const int pair = std::clamp(m.m_nActiveLine, 0, std::max(m.GetChannelCount() / 2, 1) - 1);
            f.nLabelChannel = m.CurveChannel(2 * pair);
            f.nSecondChannel = m.CurveChannel(2 * pair + 1);
        }
        // The label channel gives X, the second channel Y: each axis its own unit.
        f.strUnitX = CurveChannelUnit(f.nLabelChannel, m_world);
        f.strUnitY = CurveChannelUnit(f.nSecondChannel, m_world);
        break;
    }
    case 3:
        f.nGraphKind = 2;
        f.distributionIds.assign(m.m_nSelLineID_Group.begin(),
                                 m.m_nSelLineID_Group.begin() + std::clamp(m.m_nWindowCount, 0, 4096));
        f.nLabelChannel = m.ChannelUnderActiveCursor();
        // The X axis names channels: it has no unit.
        f.strUnitX.clear();
        f.strUnitY =
            f.distributionIds.empty() ? std::string() : CurveChannelUnit(f.distributionIds.front(), m_world);
        break;
    default:
        f.nGraphKind = 1;
        f.nLabelChannel = active;
        f.strUnitX = m.m_Options.m_nXShowType == 1 ? "s" : "次";
        f.strUnitY = m.m_nLineType == 1 ? CurveChannelUnit(active, m_world)
                                        : ResultCurveUnit(m.m_nLineType, m.m_Options.m_nYType);
        break;
    }
    m.ApplyCurveLimits();
}

void CCurveViewWidget::RebuildEnvelopes() {
    const CCurveViewModel& m = m_model;
    m_envelopes.resize(m.m_Curves.size());
    for (std::size_t c = 0; c < m.m_Curves.size(); ++c)
        m_envelopes[c].Build(m.m_Curves[c], m.PointCount());
    m_bEnvelopesDirty = false;
}

void CCurveViewWidget::RebuildCache() {
    RefreshRunFlags();
    m_model.LayoutPlot(width(), height());
    if (m_cache.size() != size())
        m_cache = QPixmap(size());
    PrepareFrameStep();
    QPainter painter(&m_cache);
    m_pPainter->Draw(painter, m_model.m_Options, m_world);
    if (CurvesShown())
        PaintCurves(painter);
    // The picture is made anew when the data change: so is the peak list.
    if (m_model.m_bPeakListShown)
        UpdatePeakList();
    m_bCacheDirty = false;
}

void CCurveViewWidget::PaintTimeSegment(QPainter& painter, int c, int fromX, int toX) {
    const CCurveViewModel& m = m_model;
    if (c >= int(m_envelopes.size()))
        return;
    const CCurveSeries& curve = m.m_Curves[std::size_t(c)];
    const COLORREF colour = m.m_Options.m_Line[c % CGraphDisplayOptions::kCurveCount];
    painter.setPen(
        PenFromStyle(m.m_Options.m_PenStyle_Line[c % 8], m.m_Options.m_PenWidth_Line[c % 8], colour));
    PaintEnvelope(painter, m_envelopes[std::size_t(c)], curve, fromX, toX);
}

void CCurveViewWidget::PaintXY(QPainter& painter) {
    const CCurveViewModel& m = m_model;
    const int curves = int(m.m_Curves.size());
    const int points = m.PointCount();
    // Pairs of (X curve, Y curve) and the colour of each.
    std::vector<std::array<int, 3>> pairs;
    if (m.m_bXYRet != 0) {
        for (int c = 1; c < curves; ++c)
            pairs.push_back(m.m_bXYRefFixX != 0 ? std::array<int, 3>{c, 0, c - 1}
                                                : std::array<int, 3>{0, c, c - 1});
    } else {
        for (int c = 0; c + 1 < curves; c += 2)
            pairs.push_back({c, c + 1, c / 2});
    }
    for (const auto& [xc, yc, colourIndex] : pairs) {
        const CCurveSeries& xs = m.m_Curves[std::size_t(xc)];
        const CCurveSeries& ys = m.m_Curves[std::size_t(yc)];
        painter.setPen(PenFromStyle(m.m_Options.m_PenStyle_Line[colourIndex % 8],
                                    m.m_Options.m_PenWidth_Line[colourIndex % 8],
                                    m.m_Options.m_Line[colourIndex % 8]));
        QPolygon line;
        const auto flush = [&] {
            if (line.size() > 1)
                painter.drawPolyline(line);
            else if (line.size() == 1)
                painter.drawPoint(line.front());
            line.clear();
        };
        for (int i = 0; i < points; ++i) {
            const float xv = m.PointValue(xc, i), yv = m.PointValue(yc, i);
            if (IsGapValue(xv) || IsGapValue(yv)) {
                flush();
                continue;
            }
            const QPoint p(xs.XValueToPixel(xv), ys.YValueToPixel(yv));
            // Points on one pixel are drawn once.
            if (line.isEmpty() || line.back() != p)
                line.append(p);
        }
        flush();
    }
}

void CCurveViewWidget::PaintDistribution(QPainter& painter) {
    const CCurveViewModel& m = m_model;
    const int points = std::min(m.m_nWindowCount, m.PointCount());
    for (int c = 0; c < int(m.m_Curves.size()); ++c) {
        const CCurveSeries& curve = m.m_Curves[std::size_t(c)];
        const COLORREF colour = m.m_Options.m_Line[c % 8];
        painter.setPen(
            PenFromStyle(m.m_Options.m_PenStyle_Line[c % 8], m.m_Options.m_PenWidth_Line[c % 8], colour));
        QPolygon line;
        for (int j = 0; j < points; ++j) {
            const float v = m.PointValue(c, j);
            if (IsGapValue(v)) {
                if (line.size() > 1)
                    painter.drawPolyline(line);
                line.clear();
                continue;
            }
            line.append(
                QPoint(curve.m_nCount > 1 ? curve.IndexToX(j) : curve.m_rcPlot.left, curve.YValueToPixel(v)));
        }
        if (line.size() > 1)
            painter.drawPolyline(line);
        painter.setBrush(ToQColor(colour));
        for (int j = 0; j < points; ++j) {
            const float v = m.PointValue(c, j);
            if (!IsGapValue(v))
                painter.drawEllipse(QPoint(curve.m_nCount > 1 ? curve.IndexToX(j) : curve.m_rcPlot.left,
                                           curve.YValueToPixel(v)),
                                    4, 4);
        }
        painter.setBrush(Qt::NoBrush);
    }
}

void CCurveViewWidget::PaintCurves(QPainter& painter) {
    const CCurveViewModel& m = m_model;
    painter.save();
    painter.setClipRect(PlotQRect(m.GetPlotRect()));
    if (m.m_nShowGraphType == 1) {
        // Nothing while curve 0 holds fewer points than the count asks for.
        if (int(m.m_Curves.front().m_Values.size()) >= m.PointCount() - 1) {
            if (m_bEnvelopesDirty)
                RebuildEnvelopes();
            for (int c = 0; c < int(m.m_Curves.size()); ++c)
                PaintTimeSegment(painter, c, m.GetPlotRect().left, m.GetPlotRect().right);
        }
    } else if (m.m_nShowGraphType == 2) {
        PaintXY(painter);
    } else {
        PaintDistribution(painter);
    }
    painter.restore();
}

void CCurveViewWidget::PaintCursors(QPainter& painter) {
    CCurveViewModel& m = m_model;
    if (m.m_nCursorType == 0 || !m.HasCurves() || m.PointCount() < 1)
        return;
    const PlotRect& plot = m.GetPlotRect();
    const auto cursorPen = [&m](int n) {
        return PenFromStyle(m.m_Options.m_PenStyle_Cursor[n], m.m_Options.m_PenWidth_Cursor[n],
                            m.m_Options.m_Cursor[n]);
    };
    const auto mark = [&](int x, int y) { painter.drawRect(x - 3, y - 3, 6, 6); };
    if (m.m_nShowGraphType == 2) {
        if (m.m_bSampling && !m.m_bPaused)
            m.m_Cursor0 = m.PointCount() - 1;
        if (m.m_nCursorType == 3) {
            m.m_bCursorSync = false;
            m.m_Cursor0 = m.m_Curves.front().FindPeakIndex(0, m.PointCount());
        }
        const int xc = m.m_bXYRet != 0 ? (m.m_bXYRefFixX != 0 ? m.m_nActiveLine : 0) : 2 * m.m_nActiveLine;
        const int yc =
            m.m_bXYRet != 0 ? (m.m_bXYRefFixX != 0 ? 0 : m.m_nActiveLine) : 2 * m.m_nActiveLine + 1;
        if (xc >= int(m.m_Curves.size()) || yc >= int(m.m_Curves.size()))
            return;
        const float xv = m.PointValue(xc, m.m_Cursor0), yv = m.PointValue(yc, m.m_Cursor0);
        if (IsGapValue(xv) || IsGapValue(yv))
            return;
        painter.setPen(cursorPen(0));
        mark(m.m_Curves[std::size_t(xc)].XValueToPixel(xv), m.m_Curves[std::size_t(yc)].YValueToPixel(yv));
        return;
    }
    const auto drawAt = [&](int n, const std::vector<int>& indexes) {
        painter.setPen(cursorPen(n));
        const int x = m.m_Curves.front().IndexToX(indexes.front());
        if (m.m_nCursorType != 3)
            painter.drawLine(x, plot.top, x, plot.bottom);
        for (std::size_t c = 0; c < m.m_Curves.size(); ++c) {
            const CCurveSeries& curve = m.m_Curves[c];
            const float v = m.PointValue(int(c), indexes[c]);
            if (!IsGapValue(v))
                mark(curve.IndexToX(indexes[c]), curve.YValueToPixel(v));
        }
    };
    m.ClampCursors();
    if (m.m_nCursorType == 3) {
        m.m_bCursorSync = false;
        std::vector<int> peaks;
        for (const CCurveSeries& curve : m.m_Curves)
            peaks.push_back(curve.FindPeakIndex(0, m.PointCount()));
        m.m_Cursor0 = peaks.back();
        drawAt(0, peaks);
        return;
    }
    drawAt(0, std::vector<int>(m.m_Curves.size(), m.m_Cursor0));
    if (m.m_nCursorType == 2)
        drawAt(1, std::vector<int>(m.m_Curves.size(), m.m_Cursor1));
}

void CCurveViewWidget::PaintLegend(QPainter& painter) {
    const CCurveViewModel& m = m_model;
    if (m.m_STRealViewOption.nLegend == 0)
        return;
    for (const LegendEntry& entry : m.LegendEntries()) {
        const QRect r(QPoint(entry.rect.left, entry.rect.top),
                      QPoint(entry.rect.right - 1, entry.rect.bottom - 1));
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(ToQColor(m.m_Options.m_Line[entry.nColour % 8]));
        painter.drawRect(r);
        if (entry.bActive) {
            painter.setPen(
                PenFromStyle(m.m_Options.m_PenStyle_Line[0], m.m_Options.m_PenWidth_Line[0], 0xFFFFFF));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRect(QPoint(entry.rect.left + 3, entry.rect.top + 3),
                                   QPoint(entry.rect.left + 10, entry.rect.top + 10)));
        }
    }
    painter.setBrush(Qt::NoBrush);
}

void PaintTextBox(QPainter& painter, const std::vector<std::string>& lines, int x, int y,
                  const QRect& client) {
    if (lines.empty())
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    int width = 0;
    for (const std::string& line : lines)
        width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(line)));
    const int lineHeight = metrics.height();
    QRect box(x, y, width + 8, lineHeight * int(lines.size()) + 6);
    if (box.right() > client.right())
        box.moveLeft(std::max(0, box.left() - (box.right() - client.right())));
    if (box.bottom() > client.bottom())
        box.moveTop(std::max(0, box.top() - (box.bottom() - client.bottom())));
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    painter.setBrush(Qt::NoBrush);
    for (std::size_t i = 0; i < lines.size(); ++i)
        painter.drawText(box.left() + 4, box.top() + 3 + metrics.ascent() + int(i) * lineHeight,
                         QString::fromStdString(lines[i]));
}

void CCurveViewWidget::PaintReadouts(QPainter& painter) {
    CCurveViewModel& m = m_model;
    const PlotRect& plot = m.GetPlotRect();
    const QRect client(0, 0, width(), height());
    const auto corner = [&](const std::array<int, 2>& box, int x, int y) {
        return box[0] == 0 && box[1] == 0 ? QPoint(x, y) : QPoint(box[0], box[1]);
    };
    if (m.m_nCursorType > 0) {
        const double step = m.m_fSampleInterval > 0.0f ? double(m.m_fSampleInterval) : 1.0;
        const QPoint at = corner(m.m_CursorBox, plot.left + 4, plot.top + 4);
        PaintTextBox(painter, m.BuildCursorReadouts(step), at.x(), at.y(), client);
    }
    if (m.m_STRealViewOption.nStatistics != 0) {
        const QPoint at = corner(m.m_StatisticBox, plot.right - 120, plot.top + 4);
        PaintTextBox(painter, m.BuildStatisticsLines(), at.x(), at.y(), client);
    }
}

void CCurveViewWidget::PaintOverlay(QPainter& painter) {
    if (CurvesShown()) {
        PaintMarks(painter);
        PaintCursors(painter);
        PaintPeaks(painter);
        PaintReadouts(painter);
    }
    PaintLegend(painter);
    if (m_bBand) {
        painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(m_bandStart, m_bandEnd).normalized());
    }
}

void CCurveViewWidget::paintEvent(QPaintEvent*) {
    if (m_bCacheDirty || m_cache.size() != size())
        RebuildCache();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_cache);
    PaintOverlay(painter);
}

void CCurveViewWidget::PaintPicture(QPainter& painter) {
    PaintPicture(painter, size(), false);
}

void CCurveViewWidget::PaintPicture(QPainter& painter, const QSize& size, bool paper) {
    RefreshRunFlags();
    const bool relaid = size != this->size();
    m_model.LayoutPlot(size.width(), size.height());
    if (relaid)
        m_bEnvelopesDirty = true;
    PrepareFrameStep();
    CGraphDisplayOptions options = m_model.m_Options;
    // Paper is white: the window's background colour stays on the screen.
    if (paper)
        options.m_clrViewBack = 0xFFFFFF;
    m_pPainter->Draw(painter, options, m_world);
    if (CurvesShown())
        PaintCurves(painter);
    PaintOverlay(painter);
    if (relaid) {
        m_model.LayoutPlot(width(), height());
        m_bEnvelopesDirty = true;
        m_bCacheDirty = true;
    }
}

const ChannelPanelFields& CCurveViewWidget::PanelFields() const {
    return m_pPainter->m_Fields;
}

QImage CCurveViewWidget::RenderImage() {
    RebuildCache();
    QImage image = m_cache.toImage();
    QPainter painter(&image);
    PaintOverlay(painter);
    return image;
}

void CCurveViewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_model.LayoutPlot(width(), height());
    m_bEnvelopesDirty = true;
    m_bCacheDirty = true;
}

// ------------------------------------------------------------------- input

void CCurveViewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus();
    const QPoint p = event->position().toPoint();
    m_bandStart = m_bandEnd = p;
    m_bBand = false;
    const PlotRect& plot = m_model.GetPlotRect();
    const bool inPlot =
        p.x() >= plot.left && p.x() <= plot.right && p.y() >= plot.top && p.y() <= plot.bottom;
    RefreshRunFlags();
    if (inPlot && !(event->modifiers() & Qt::ControlModifier) && m_model.m_nShowGraphType != 2 &&
        m_model.PlaceCursorAt(p.x())) {
        SyncCursorToOtherViews();
        update();
    }
}

void CCurveViewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint p = event->position().toPoint();
    const PlotRect& plot = m_model.GetPlotRect();
    if (event->modifiers() & Qt::ControlModifier) {
        if (m_model.m_nShowGraphType == 1 && m_model.m_bStoredData && !m_model.m_bSampling) {
            m_bandEnd = QPoint(std::clamp(p.x(), plot.left, plot.right), p.y());
            m_bBand = std::abs(m_bandEnd.x() - m_bandStart.x()) > 5;
            update();
        }
        return;
    }
    if (p.x() >= plot.left && p.x() <= plot.right && p.y() >= plot.top && p.y() <= plot.bottom &&
        m_model.m_nShowGraphType != 2 && m_model.PlaceCursorAt(p.x())) {
        SyncCursorToOtherViews();
        update();
    }
}

void CCurveViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (m_bBand) {
        // A band dragged over stored curves zooms to its rows.
        m_bBand = false;
        if (m_model.ZoomToBand(m_bandStart.y(), m_bandEnd.y()))
            Invalidate();
        else
            update();
    }
    QWidget::mouseReleaseEvent(event);
}

void CCurveViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    m_model.LegendDoubleClick(p.x(), p.y());
    Invalidate();
}

void CCurveViewWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        if (m_model.MoveCursorByKey(event->key() == Qt::Key_Left ? -1 : 1)) {
            SyncCursorToOtherViews();
            update();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void CCurveViewWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (g_bSampling.load() == 0 && onFocus)
        onFocus(m_model.PointCount());
}

void CCurveViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    RefreshWorld();
    QMenu* menu = BuildContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
