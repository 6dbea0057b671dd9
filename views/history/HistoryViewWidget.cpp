// The history view window: painting, scrolling, input and commands over
// the history model.
#include "views/history/HistoryViewWidget.h"

#include "model/RunFlags.h"
#include "platform/Files.h"
#include "views/curve/ChannelPanelPainter.h"
#include "views/curve/CurveViewWidget.h"
#include "views/curve/CurveWorldFromApp.h"
#include "views/curve/MarkerDrawer.h"
#include "views/curve/StoredCursorEdit.h"
#include "views/history/PropHistoryViewSheet.h"
#include "views/shared/EnvelopePainter.h"
#include "views/shared/GraphPaintTools.h"
#include "views/shared/StoredDataSave.h"
#include "views/shared/ViewMenu.h"
#include "views/shared/ViewRegistry.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace {

using Registry = ViewRegistry<CHistoryViewWidget>;

QRect ToQRect(const PlotRect& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

const ViewMenuItem kContextItems[] = {
    {ID_SINGLE_CURSOR, "单光标(&O)"},
    {ID_DOUBLE_CURSOR, "双光标(&T)"},
    {ID_PEAK_CURSOR, "峰值光标(&P)"},
    {ID_CURSOR_SYNC, "光标同步(&S)"},
    {ID_DATA_SYNC, "数据同步(&Y)"},
    {0, nullptr},
    {ID_ZOOM_IN_Y, "纵向放大(&V)"},
    {ID_ZOOM_OUT_Y, "纵向缩小(&W)"},
    {ID_AUTO_SCALE, "自动刻度(&A)"},
    {ID_SHOW_SPLIT, "显示拆分(&L)"},
    {ID_CURVE_PROPERTIES, "图形属性(&G)"},
    {0, nullptr},
    {ID_EDIT_DATA, "数据编辑(&D)"},
    {0, nullptr},
    {ID_SAVE_AS_TEXT, "另存为文本(&T)"},
    {ID_SAVE_AS_EXCEL, "另存为Excel文件"},
    {ID_SAVE_AS_MATLAB, "另存为Matlab文件"},
    {ID_SAVE_AS_BITMAP, "另存为位图(&B)"},
    {0, nullptr},
    {ID_CURVE_PRINT, "打印(&P)..."},
    {ID_CURVE_PRINT_PREVIEW, "打印预览(&V)"},
};

const ViewMenuItem kCursorItems[] = {
    {ID_SINGLE_CURSOR, "单光标(&O)"},
    {ID_DOUBLE_CURSOR, "双光标(&T)"},
    {ID_PEAK_CURSOR, "峰值光标(&P)"},
    {ID_CURSOR_SYNC, "光标同步(&S)"},
};

QMenu* BuildMenu(CHistoryViewWidget* view, QWidget* parent, const ViewMenuItem* items, std::size_t count) {
    ViewMenuCommands commands;
    commands.isEnabled = [view](int id) { return view->IsCommandEnabled(id); };
    commands.isSwitch = [](int id) {
        return id == ID_SINGLE_CURSOR || id == ID_DOUBLE_CURSOR || id == ID_PEAK_CURSOR ||
               id == ID_CURSOR_SYNC || id == ID_DATA_SYNC || id == ID_AUTO_SCALE || id == ID_SHOW_SPLIT;
    };
    commands.isChecked = [view](int id) { return view->IsCommandChecked(id); };
    commands.run = [view](int id) { view->OnCommand(id); };
    return BuildViewMenu(parent, view, items, count, commands);
}

} // namespace

CHistoryViewWidget* CHistoryViewWidget::Create(QWidget* parent) {
    if (Registry::IsFull(kMaxHistoryViews))
        return nullptr;
    return new CHistoryViewWidget(parent);
}

const std::vector<CHistoryViewWidget*>& CHistoryViewWidget::HistoryViews() {
    return Registry::List();
}

CHistoryViewWidget::CHistoryViewWidget(QWidget* parent)
    : QWidget(parent), m_pPainter(std::make_unique<CChannelPanelPainter>()),
      m_pScroll(new QScrollBar(Qt::Vertical, this)) {
    setObjectName("HistoryView");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    Registry::Add(this);
    fillWorld = [](CurveWorld& world) { FillCurveWorldFromAppTables(world); };
    m_pPainter->TakeOptions(m_model.m_Options);
    m_exportOptions.nDataRange = 0;
    connect(m_pScroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_model.ScrollTo(value))
            return;
        AfterChange(true);
    });
    m_model.AllocBuffers();
}

CHistoryViewWidget::~CHistoryViewWidget() {
    Unregister();
    m_model.FreeBuffers();
}

void CHistoryViewWidget::Unregister() {
    Registry::Remove(this);
}

// ------------------------------------------------------- frame and document

void CHistoryViewWidget::RefreshRunFlags() {
    m_model.m_bSampling = g_bSampling.load() != 0;
    m_model.m_bPaused = g_bSamplePaused.load() != 0;
    m_model.m_nStoredTotal = m_world.nStoredCount;
}

void CHistoryViewWidget::RefreshWorld() {
    if (fillWorld)
        fillWorld(m_world);
    RefreshRunFlags();
}

void CHistoryViewWidget::InitialUpdate() {
    RefreshWorld();
    if (defaultsFile) {
        const std::string file = defaultsFile();
        if (!file.empty() && platform::FileExists(file))
            m_model.m_Options.Load(file, "HistoryView", 0);
    }
    CHistoryViewModel& m = m_model;
    if (!m.m_bSampling && m_world.HoldsData()) {
        m.UseMeasChannelList(m_world);
        m.m_bStoredData = true;
        m.AllocBuffers();
        m.ClampCursors();
        m.LoadCurveData(m_world);
    } else {
        m.UseMeasChannelList(m_world);
        m.AllocBuffers();
    }
    AfterChange(false);
}

void CHistoryViewWidget::SyncWithDocument(int first, int windowCount, int validCount, bool storedData) {
    CHistoryViewModel& m = m_model;
    RefreshRunFlags();
    m.m_bStoredData = storedData;
    if (m_bLive && !m.m_bSampling)
        m_bLive = false;
    if (m_bLive)
        return;
    m.m_nFirstSample = std::max(first, 0);
    const int window = std::clamp(windowCount, 1, 1 << 24);
    if (window != m.m_nWindowCount || !m.HasBuffers()) {
        m.m_nWindowCount = window;
        m.AllocBuffers();
    }
    m.m_nValidCount = std::clamp(validCount, 0, window);
    m.ClampCursors();
    m_bEnvelopesDirty = true;
}

bool CHistoryViewWidget::LoadCurveData() {
    RefreshWorld();
    const bool ok = m_model.LoadCurveData(m_world);
    m_bEnvelopesDirty = true;
    SendInfoRows();
    Invalidate();
    return ok;
}

void CHistoryViewWidget::UseMeasChannelList() {
    RefreshWorld();
    m_model.UseMeasChannelList(m_world);
    Relayout();
}

void CHistoryViewWidget::ReloadChannels() {
    UseMeasChannelList();
    AfterChange(true);
}

void CHistoryViewWidget::SetBandChannel(int band, int channel) {
    if (!m_model.SetBandChannel(band, channel))
        return;
    // A live band takes its whole window with the next sample.
    AfterChange(!m_bLive);
}

void CHistoryViewWidget::PrepareForSampling(int blockSize) {
    RefreshWorld();
    CHistoryViewModel& m = m_model;
    m.m_bDataSync = false;
    m.m_bSampling = true;
    m.m_bStoredData = false;
    m.m_nFirstSample = 0;
    m.m_nWindowCount = std::max(blockSize, 1);
    m.m_nValidCount = 0;
    m.m_nLiveSpan = m.m_nWindowCount;
    m.UseMeasChannelList(m_world);
    m.AllocBuffers();
    m.ResetCursors();
    m_bLive = true;
    m_nEnvelopePoints = 0;
    Relayout();
    Invalidate();
}

int CHistoryViewWidget::ReceiveData(int kind, int count, const float* set, const float* const* arrays,
                                    int from) {
    RefreshRunFlags();
    // Bands that took other channels since the last sample copy their whole window.
    if (m_bBandsChanged && kind == 2 && arrays != nullptr) {
        from = 0;
        m_bBandsChanged = false;
    }
    const int valid = m_model.ReceiveData(kind, count, set, arrays, m_world.setPosition, from);
    SendInfoRows();
    return valid;
}

void CHistoryViewWidget::SetLiveSpan(int span) {
    if (span != m_model.m_nLiveSpan) {
        m_model.m_nLiveSpan = std::max(span, 1);
        Invalidate();
    }
}

void CHistoryViewWidget::Invalidate() {
    m_bCacheDirty = true;
    if (m_bLive)
        m_repaint.RequestAll();
    else
        update();
}

void CHistoryViewWidget::DrawNewPoints(int first, int last) {
    CHistoryViewModel& m = m_model;
    // Points already in the envelopes changed (a new page, a squeeze): all anew at the next paint.
    if (m_bEnvelopesDirty || last < m_nEnvelopePoints - 1 || first < 0) {
        m_bEnvelopesDirty = true;
        Invalidate();
        return;
    }
    const int drawnUpTo = m_nEnvelopePoints - 1;
    const int to = std::min(last, m.m_nValidCount - 1);
    const int bands = std::clamp(m.m_nBandsPerPage, 1, CHistoryViewModel::kMaxBands);
    // The envelopes take the new points even while the picture waits for
    // its repaint, so a sample never costs more than its own points.
    for (int b = 0; b < bands; ++b) {
        const HistoryBand& band = m.m_Bands[std::size_t(b)];
        if (band.nChannel >= 0)
            for (int i = m_nEnvelopePoints; i <= to; ++i)
                m_envelopes[std::size_t(b)].Add(band.series, i);
    }
    m_nEnvelopePoints = std::max(m_nEnvelopePoints, to + 1);
    if (m.m_Options.m_nScareType == 1 || m_bCacheDirty || m_cache.size() != size()) {
        Invalidate();
        return;
    }
    // The new stretch goes onto the cached picture at the next paint, from
    // the last point drawn, whose line leads to the first new one: a step
    // of a live run paints its sets' points at once.
    if (m_nUndrawnFrom < 0)
        m_nUndrawnFrom = std::max(drawnUpTo, 0);
    m_nUndrawnTo = std::max(to, 0);
    QRect changed;
    for (int b = 0; b < bands; ++b) {
        const HistoryBand& band = m.m_Bands[std::size_t(b)];
        if (band.nChannel < 0)
            continue;
        const int fromX = band.series.IndexToX(std::max(drawnUpTo, 0)) - 1;
        const int toX = band.series.IndexToX(std::max(to, 0)) + 1;
        changed |=
            QRect(fromX - 4, band.rcBand.top, toX - fromX + 8, band.rcBand.bottom - band.rcBand.top + 1);
    }
    m_repaint.Request(changed);
}

void CHistoryViewWidget::DrawUndrawnPoints() {
    if (m_nUndrawnFrom < 0)
        return;
    const CHistoryViewModel& m = m_model;
    QPainter painter(&m_cache);
    const CGraphDisplayOptions& o = m.m_Options;
    painter.setPen(PenFromStyle(o.m_PenStyle_Line[0], o.m_PenWidth_Line[0], o.m_Line[0]));
    for (int b = 0; b < std::clamp(m.m_nBandsPerPage, 1, CHistoryViewModel::kMaxBands); ++b) {
        const HistoryBand& band = m.m_Bands[std::size_t(b)];
        if (band.nChannel < 0)
            continue;
        painter.save();
        painter.setClipRect(ToQRect(band.series.m_rcPlot));
        PaintEnvelope(painter, m_envelopes[std::size_t(b)], band.series,
                      band.series.IndexToX(m_nUndrawnFrom) - 1, band.series.IndexToX(m_nUndrawnTo) + 1);
        painter.restore();
    }
    m_nUndrawnFrom = m_nUndrawnTo = -1;
}

// ---------------------------------------------------------------- commands

bool CHistoryViewWidget::IsCommandEnabled(int id) const {
    const CHistoryViewModel& m = m_model;
    const bool sampling = g_bSampling.load() != 0;
    switch (id) {
    case ID_DATA_SYNC:
        return !sampling && m_world.HoldsData() && m_world.nStoredCount > 0;
    case ID_ZOOM_IN_Y:
    case ID_ZOOM_OUT_Y:
        return m.CanZoom();
    case ID_EDIT_DATA:
        return !sampling && m_world.HoldsData() && m.m_bStoredData;
    case ID_SAVE_AS_TEXT:
    case ID_SAVE_AS_EXCEL:
    case ID_SAVE_AS_MATLAB:
        return !sampling && m_world.HoldsData() && m_world.nStoredCount > 0;
    case ID_CURVE_PRINT:
    case ID_CURVE_PRINT_PREVIEW:
        return !sampling;
    case ID_SINGLE_CURSOR:
    case ID_DOUBLE_CURSOR:
    case ID_PEAK_CURSOR:
    case ID_CURSOR_SWITCH:
    case ID_CURSOR_SYNC:
    case ID_AUTO_SCALE:
    case ID_SHOW_SPLIT:
    case ID_CURVE_PROPERTIES:
    case ID_SAVE_AS_BITMAP:
        return true;
    default:
        return false;
    }
}

bool CHistoryViewWidget::IsCommandChecked(int id) const {
    const CHistoryViewModel& m = m_model;
    switch (id) {
    case ID_SINGLE_CURSOR:
        return m.m_nCursorType == 1;
    case ID_DOUBLE_CURSOR:
        return m.m_nCursorType == 2;
    case ID_PEAK_CURSOR:
        return m.m_nCursorType == 3;
    case ID_CURSOR_SWITCH:
        return m.m_nCursorType != 0;
    case ID_CURSOR_SYNC:
        return m.m_bCursorSync;
    case ID_DATA_SYNC:
        return m.m_bDataSync;
    case ID_AUTO_SCALE:
        return m.m_Options.m_nScareType == 1;
    case ID_SHOW_SPLIT:
        return m.m_bShowCol;
    default:
        return false;
    }
}

bool CHistoryViewWidget::OnCommand(int id) {
    RefreshWorld();
    if (!IsCommandEnabled(id))
        return false;
    CHistoryViewModel& m = m_model;
    switch (id) {
    case ID_SINGLE_CURSOR:
        m.ToggleCursorType(1);
        break;
    case ID_DOUBLE_CURSOR:
        m.ToggleCursorType(2);
        break;
    case ID_PEAK_CURSOR:
        m.ToggleCursorType(3);
        break;
    case ID_CURSOR_SWITCH:
        m.m_nCursorType = m.m_nCursorType == 0 ? 1 : 0;
        break;
    case ID_CURSOR_SYNC:
        m.m_bCursorSync = !m.m_bCursorSync;
        break;
    case ID_DATA_SYNC:
        m.m_bDataSync = !m.m_bDataSync;
        if (m.m_bDataSync && onSyncSample)
            onSyncSample(m.SyncSample());
        break;
    case ID_ZOOM_IN_Y:
    case ID_ZOOM_OUT_Y:
        m.ZoomY(id == ID_ZOOM_IN_Y);
        AfterChange(false);
        return true;
    case ID_AUTO_SCALE:
        m.ToggleAutoScale();
        AfterChange(false);
        return true;
    case ID_SHOW_SPLIT:
        ShowColumn(!m.m_bShowCol);
        return true;
    case ID_CURVE_PROPERTIES:
        ShowPropertySheet();
        return true;
    case ID_EDIT_DATA:
        OnEditData();
        return true;
    case ID_SAVE_AS_TEXT:
        OnExport(TableSaveKind::Text);
        return true;
    case ID_SAVE_AS_EXCEL:
        OnExport(TableSaveKind::Spreadsheet);
        return true;
    case ID_SAVE_AS_MATLAB:
        OnExport(TableSaveKind::Matlab);
        return true;
    case ID_SAVE_AS_BITMAP:
        OnSaveAsBitmap();
        return true;
    case ID_CURVE_PRINT:
    case ID_CURVE_PRINT_PREVIEW:
        OnPrint(id == ID_CURVE_PRINT_PREVIEW);
        return true;
    default:
        return false;
    }
    SendInfoRows();
    update();
    return true;
}

QMenu* CHistoryViewWidget::BuildContextMenu(QWidget* parent) {
    return BuildMenu(this, parent, kContextItems, std::size(kContextItems));
}

QMenu* CHistoryViewWidget::BuildCursorMenu(QWidget* parent) {
    return BuildMenu(this, parent, kCursorItems, std::size(kCursorItems));
}

void CHistoryViewWidget::ShowColumn(bool show) {
    m_model.m_bShowCol = show;
    if (onShowColumn)
        onShowColumn(show);
    SendInfoRows();
}

void CHistoryViewWidget::ApplySheet(const CGraphDisplayOptions& options, int isGrid, int bandsPerPage) {
    RefreshWorld();
    CHistoryViewModel& m = m_model;
    if (m.ApplySheet(options, isGrid, bandsPerPage, m_world)) {
        if (m_bLive)
            m_bEnvelopesDirty = m_bBandsChanged = true;
        else if (m.m_bStoredData && !m.m_bSampling)
            m.LoadCurveData(m_world);
    }
    if (defaultsFile) {
        const std::string file = defaultsFile();
        if (!file.empty())
            m.m_Options.Save(file, "HistoryView", 0);
    }
    AfterChange(false);
}

void CHistoryViewWidget::OnEditData() {
    RefreshWorld();
    CHistoryViewModel& m = m_model;
    if (!m_world.HoldsData() || m.m_bSampling || !m.m_bStoredData)
        return;
    m.ClampCursors();
    const int band = std::clamp(m.m_nSelectedBand, 0, CHistoryViewModel::kMaxBands - 1);
    const HistoryBand& b = m.m_Bands[std::size_t(band)];
    if (b.nChannel < 0)
        return;
    StoredCursorEditRequest request;
    request.nCursorType = m.m_nCursorType;
    request.nChannel = b.nChannel;
    request.nFirst = m.m_nFirstSample + b.nCursor[0];
    request.nLast = m.m_nCursorType == 2 ? m.m_nFirstSample + b.nCursor[1] : request.nFirst;
    request.strX = FormatEditNumber(m.m_Options.m_nXPrecision, double(request.nFirst));
    request.strOldY = FormatEditNumber(m.m_Options.m_nYPrecision, double(b.series.GetValue(b.nCursor[0])));
    request.strDeleteQuestion = "此操作将删除指定范围内的数据! 是否进行此操作?";
    int count = -1;
    if (!RunStoredCursorEdit(this, m_world, request, runCursorEditDialog, count))
        return;
    if (onStoredRunChanged) {
        onStoredRunChanged(count);
    } else {
        if (count >= 0)
            m_world.nStoredCount = count;
        LoadCurveData();
    }
}

bool CHistoryViewWidget::SaveBitmap(const std::string& path) {
    return !path.empty() && RenderImage().save(QString::fromStdString(path), "BMP");
}

void CHistoryViewWidget::OnSaveAsBitmap() {
    if (prepareExport)
        prepareExport();
    RunSaveAsBitmap(
        this, askExportFileName, [this](const std::string& path) { return SaveBitmap(path); },
        m_pExportContext);
}

void CHistoryViewWidget::SaveLayout(const std::string& file, int index) const {
    m_model.SaveLayout(file, index);
}

void CHistoryViewWidget::LoadLayout(const std::string& file, int index) {
    RefreshWorld();
    m_model.UseMeasChannelList(m_world);
    m_model.LoadLayout(file, index);
    m_pPainter->TakeOptions(m_model.m_Options);
    Relayout();
}

// ------------------------------------------------------------------ layout

QRect CHistoryViewWidget::BandArea() const {
    return QRect(0, 0, std::max(width() - m_pScroll->sizeHint().width(), 1), height());
}

void CHistoryViewWidget::UpdateScrollBar() {
    const QSignalBlocker block(m_pScroll);
    m_pScroll->setRange(0, m_model.MaxPageOff());
    m_pScroll->setPageStep(std::max(m_model.m_nBandsPerPage, 1));
    m_pScroll->setSingleStep(1);
    m_pScroll->setValue(m_model.m_nPageOff);
    const int w = m_pScroll->sizeHint().width();
    m_pScroll->setGeometry(width() - w, 0, w, height());
}

void CHistoryViewWidget::Relayout() {
    const QRect area = BandArea();
    m_model.ClampPageOff();
    m_model.AssignChannels();
    m_model.LayoutBands(area.left(), area.top(), area.width(), area.height());
    UpdateScrollBar();
    m_bEnvelopesDirty = m_bBandsChanged = true;
    m_bCacheDirty = true;
}

void CHistoryViewWidget::AfterChange(bool reload) {
    RefreshRunFlags();
    Relayout();
    if (reload && m_model.m_bStoredData && !m_model.m_bSampling)
        m_model.LoadCurveData(m_world);
    m_pPainter->TakeOptions(m_model.m_Options);
    SendInfoRows();
    Invalidate();
}

void CHistoryViewWidget::SendInfoRows() {
    if (m_model.m_bShowCol && onInfoRows)
        onInfoRows(m_model.InfoRows(), m_model.m_Options.m_nYPrecision);
}

// ---------------------------------------------------------------- painting

void CHistoryViewWidget::PaintBands(QPainter& painter) {
    CHistoryViewModel& m = m_model;
    CGraphDisplayOptions o = m.m_Options;
    m.TimeAxis(o.m_fXmin, o.m_fXmax);
    o.m_nXShowType = m.m_fTimeStep > 0.0 ? 1 : 0;
    ChannelPanelFields& f = m_pPainter->m_Fields;
    for (int b = 0; b < std::clamp(m.m_nBandsPerPage, 1, CHistoryViewModel::kMaxBands); ++b) {
        const HistoryBand& band = m.m_Bands[std::size_t(b)];
        m.AxisRange(b, o.m_fYmax, o.m_fYmin);
        f.rcClient = band.rcBand;
        f.rcPlot = band.series.m_rcPlot;
        f.nLabelChannel = band.nChannel;
        f.nSecondChannel = band.nChannel;
        f.nGraphKind = 1;
        f.nSignalKind = 1;
        f.fXStep = float(m.m_fTimeStep);
        f.bGridShown = m.m_nIsGrid != 0;
        f.bLabelShown = true;
        f.bUnitXShown = f.bUnitYShown = !band.bPlotIsBand;
        f.strUnitX = m.m_fTimeStep > 0.0 ? "s" : "次";
        f.strUnitY = band.nChannel >= 0 ? CurveChannelUnit(band.nChannel, m_world) : std::string();
        painter.save();
        painter.setClipRect(ToQRect(band.rcBand).adjusted(0, 0, 1, 1));
        m_pPainter->Draw(painter, o, m_world);
        painter.restore();
    }
}

void CHistoryViewWidget::RebuildEnvelopes() {
    CHistoryViewModel& m = m_model;
    m.ApplyCurveLimits();
    for (int b = 0; b < CHistoryViewModel::kMaxBands; ++b) {
        const HistoryBand& band = m.m_Bands[std::size_t(b)];
        if (band.nChannel >= 0)
            m_envelopes[std::size_t(b)].Build(band.series, m.m_nValidCount);
        else
            m_envelopes[std::size_t(b)].Clear();
    }
    m_nEnvelopePoints = std::max(m.m_nValidCount, 0);
    m_bEnvelopesDirty = false;
}

void CHistoryViewWidget::PaintCurves(QPainter& painter) {
    const CHistoryViewModel& m = m_model;
    const CGraphDisplayOptions& o = m.m_Options;
    painter.save();
    painter.setPen(PenFromStyle(o.m_PenStyle_Line[0], o.m_PenWidth_Line[0], o.m_Line[0]));
    for (int b = 0; b < std::clamp(m.m_nBandsPerPage, 1, CHistoryViewModel::kMaxBands); ++b) {
        const HistoryBand& band = m.m_Bands[std::size_t(b)];
        if (band.nChannel < 0)
            continue;
        painter.setClipRect(ToQRect(band.series.m_rcPlot).adjusted(0, 0, 1, 1));
        PaintEnvelope(painter, m_envelopes[std::size_t(b)], band.series, band.series.m_rcPlot.left,
                      band.series.m_rcPlot.right);
    }
    painter.restore();
}

void CHistoryViewWidget::PaintCursors(QPainter& painter) {
    CHistoryViewModel& m = m_model;
    if (m.m_nCursorType == 0)
        return;
    const CGraphDisplayOptions& o = m.m_Options;
    m.ClampCursors();
    for (int b = 0; b < std::clamp(m.m_nBandsPerPage, 1, CHistoryViewModel::kMaxBands); ++b) {
        HistoryBand& band = m.m_Bands[std::size_t(b)];
        if (band.nChannel < 0)
            continue;
        if (m.m_nCursorType == 3)
            band.nCursor[0] = band.series.FindPeakIndex(0, m.m_nValidCount);
        CMarkerDrawer marker;
        marker.SetPlotRect(ToQRect(band.series.m_rcPlot));
        const int cursors = m.m_nCursorType == 2 ? 2 : 1;
        for (int c = 0; c < cursors; ++c) {
            const int index = band.nCursor[std::size_t(c)];
            marker.SetPoint(0, QPoint(band.series.IndexToX(index),
                                      band.series.YValueToPixel(band.series.GetValue(index))));
            marker.DrawCursorMarkers(
                painter, PenFromStyle(o.m_PenStyle_Cursor[c], o.m_PenWidth_Cursor[c], o.m_Cursor[c]), 1);
        }
    }
}

void CHistoryViewWidget::RebuildCache() {
    RefreshRunFlags();
    if (m_cache.size() != size())
        m_cache = QPixmap(size());
    m_cache.fill(ToQColor(m_model.m_Options.m_clrViewBack));
    if (m_bEnvelopesDirty)
        RebuildEnvelopes();
    else
        m_model.ApplyCurveLimits();
    QPainter painter(&m_cache);
    PaintBands(painter);
    if (m_model.CurvesShown())
        PaintCurves(painter);
    m_bCacheDirty = false;
    m_nUndrawnFrom = m_nUndrawnTo = -1;
}

void CHistoryViewWidget::paintEvent(QPaintEvent*) {
    // A window without area has nothing to show.
    if (width() <= 0 || height() <= 0)
        return;
    if (m_bCacheDirty || m_cache.size() != size())
        RebuildCache();
    else
        DrawUndrawnPoints();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_cache);
    PaintCursors(painter);
}

void CHistoryViewWidget::PaintPicture(QPainter& painter) {
    RefreshRunFlags();
    Relayout();
    RebuildEnvelopes();
    painter.fillRect(BandArea(), ToQColor(m_model.m_Options.m_clrViewBack));
    PaintBands(painter);
    if (m_model.CurvesShown())
        PaintCurves(painter);
    PaintCursors(painter);
}

void CHistoryViewWidget::PaintPicture(QPainter& painter, const QSize& size, bool paper) {
    RefreshRunFlags();
    Relayout();
    // The bands fill the printed place (no scroll bar on paper).
    m_model.LayoutBands(0, 0, size.width(), size.height());
    RebuildEnvelopes();
    const COLORREF screenBack = m_model.m_Options.m_clrViewBack;
    // Paper is white: the window's background colour stays on the screen.
    if (paper)
        m_model.m_Options.m_clrViewBack = 0xFFFFFF;
    painter.fillRect(QRect(QPoint(0, 0), size), ToQColor(m_model.m_Options.m_clrViewBack));
    PaintBands(painter);
    if (m_model.CurvesShown())
        PaintCurves(painter);
    PaintCursors(painter);
    m_model.m_Options.m_clrViewBack = screenBack;
    Relayout();
}

QImage CHistoryViewWidget::RenderImage() {
    RebuildCache();
    QImage image = m_cache.toImage();
    QPainter painter(&image);
    PaintCursors(painter);
    return image;
}

void CHistoryViewWidget::OnPrint(bool preview) {
    RunPrintCommand(this, preview, pageSetup ? pageSetup() : PageSetupValues(), PicturesToPrint(),
                    onPrintPreview);
}

std::vector<PrintedPicture> CHistoryViewWidget::PicturesToPrint() {
    std::vector<PrintedPicture> pictures;
    for (CCurveViewWidget* view : CCurveViewWidget::CurveViews())
        if (view->isVisible() && view->window() == window())
            pictures.push_back(CurvePicture(view));
    for (CHistoryViewWidget* view : HistoryViews())
        if (view->isVisible() && view->window() == window())
            pictures.push_back({view, [view](QPainter& painter, const QSize& size) {
                                    view->PaintPicture(painter, size, true);
                                }});
    // A maximised window, or one alone, prints by itself.
    QWidget* frame = parentWidget();
    while (frame != nullptr && !frame->isWindow() && !frame->inherits("QMdiSubWindow"))
        frame = frame->parentWidget();
    if (pictures.size() < 2 || (frame != nullptr && frame->isMaximized()))
        pictures = {
            {this, [this](QPainter& painter, const QSize& size) { PaintPicture(painter, size, true); }}};
    return pictures;
}

void CHistoryViewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

// ------------------------------------------------------------------- input

void CHistoryViewWidget::AfterCursorMove() {
    CHistoryViewModel& m = m_model;
    if (m.m_bDataSync && onSyncSample && !m.m_bSampling)
        onSyncSample(m.SyncSample());
    SendInfoRows();
    update();
}

void CHistoryViewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus();
    RefreshRunFlags();
    const QPoint p = event->position().toPoint();
    if (m_model.ClickAt(p.x(), p.y()))
        AfterCursorMove();
}

void CHistoryViewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    RefreshRunFlags();
    if (m_model.DragTo(event->position().toPoint().x()))
        AfterCursorMove();
}

void CHistoryViewWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        RefreshRunFlags();
        if (m_model.MoveCursorByKey(event->key() == Qt::Key_Left ? -1 : 1))
            AfterCursorMove();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CHistoryViewWidget::wheelEvent(QWheelEvent* event) {
    if (m_model.Wheel(event->angleDelta().y()))
        AfterChange(true);
    event->accept();
}

void CHistoryViewWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (g_bSampling.load() == 0 && onFocus)
        onFocus(m_model.m_nValidCount);
}

void CHistoryViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    RefreshWorld();
    QMenu* menu = BuildContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// ------------------------------------------------ property sheet and exports

void CHistoryViewWidget::ShowPropertySheet() {
    CPropHistoryViewSheet sheet(m_model.m_Options, m_model.m_nIsGrid, m_model.m_nBandsPerPage, this);
    sheet.onApply = [this](CPropRealTimeViewSheet& applied, bool toAll) {
        auto& s = static_cast<CPropHistoryViewSheet&>(applied);
        // A copy: applying may close no view, but the list must not move under the loop.
        const std::vector<CHistoryViewWidget*> targets =
            toAll ? HistoryViews() : std::vector<CHistoryViewWidget*>{this};
        for (CHistoryViewWidget* view : targets)
            view->ApplySheet(s.Record(), s.IsGrid(), s.BandsPerPage());
    };
    if (runPropertySheet)
        runPropertySheet(sheet);
    else
        sheet.exec();
}

void CHistoryViewWidget::SetExportContext(const ExportContext* context, int storedCount) {
    m_pExportContext = context;
    m_nExportStoredCount = storedCount;
}

int CHistoryViewWidget::OnExport(TableSaveKind kind) {
    RefreshWorld();
    if (prepareExport)
        prepareExport();
    if (m_pExportContext == nullptr)
        return 0;
    const CHistoryViewModel& m = m_model;
    StoredSaveJob job;
    // The channels of the bands in view.
    for (int b = 0; b < std::clamp(m.m_nBandsPerPage, 1, CHistoryViewModel::kMaxBands); ++b) {
        const int channel = m.m_Bands[std::size_t(b)].nChannel;
        if (channel < 0)
            break;
        job.preset.items.push_back(channel);
    }
    job.decimals = m.m_Options.m_nYPrecision;
    job.dataPath = m_pExportContext->dataPath;
    job.statusPath = m_pExportContext->statusPath;
    job.range = [this](int choice) {
        const CHistoryViewModel& model = m_model;
        StoredSaveRange range;
        if (choice == 0) {
            range.count = m_nExportStoredCount;
        } else if (choice == 1) {
            range.first = model.m_nFirstSample;
            range.count = model.m_nValidCount;
        } else if (choice == 2) {
            const HistoryBand& band = model.m_Bands[std::size_t(
                std::clamp(model.m_nSelectedBand, 0, CHistoryViewModel::kMaxBands - 1))];
            range.first = model.m_nFirstSample + std::min(band.nCursor[0], band.nCursor[1]);
            range.count = std::abs(band.nCursor[1] - band.nCursor[0]) + 1;
        }
        // Never past the stored run.
        range.count = std::clamp(range.count, 0, std::max(m_nExportStoredCount - range.first, 0));
        return range;
    };
    CStoredDataSave save(*m_pExportContext, m_exportOptions);
    save.runOptionsDialog = runSaveOptionsDialog;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int result = save.Run(kind, job);
    QApplication::restoreOverrideCursor();
    return result;
}
