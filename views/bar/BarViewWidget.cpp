// The bar view window: drawing, scrolling and commands over the bar model.
// The data-file headers come before any Qt header (a member of the online
// layout is named like a Qt keyword).
#include "datafiles/DataFileAccess.h"

#include "views/bar/BarViewWidget.h"

#include "model/ChannelNaming.h"
#include "views/bar/BarWorldFromApp.h"
#include "views/bar/PropSheetBarGraph.h"
#include "views/shared/GraphPaintTools.h"
#include "views/shared/StoredDataSave.h"
#include "views/shared/TableAlarm.h"
#include "views/shared/ViewMenu.h"
#include "views/shared/ViewRegistry.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFontMetrics>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// A cell's name reaches 15 pixels into the next cell and its texts'
// descents a few below it: a cell this much larger holds all it draws.
constexpr int kCellReach = 20;

using Registry = ViewRegistry<CBarViewWidget>;

const ViewMenuItem kContextItems[] = {
    {ID_BAR_CHANNELS, "选择测点(&S)"},
    {ID_BAR_PROPERTIES, "棒图属性(&A)"},
    {0, nullptr},
    {ID_SAVE_AS_TEXT, "另存为文本(&T)"},
    {ID_SAVE_AS_EXCEL, "另存为Excel文件"},
    {ID_SAVE_AS_MATLAB, "另存为Matlab文件"},
    {ID_SAVE_AS_BITMAP, "另存为位图(&B)"},
};

// A text's font: the view's font, smaller when the text would not fit the
// width it has, but never below a readable size.
QFont FittedFont(const QFont& font, const QString& text, int width) {
    QFont fitted = font;
    for (int size = font.pixelSize(); size > 8; --size) {
        fitted.setPixelSize(size);
        if (QFontMetrics(fitted).horizontalAdvance(text) <= width)
            break;
    }
    return fitted;
}

// A value in at most six significant digits, for the short scale numbers.
QString ScaleText(double value) {
    return QString::asprintf("%.6g", std::fabs(value) < 1e-6 ? 0.0 : value);
}

// Draws a text from x in its cell's own columns [left, right): smaller when it
// would not fit before right, moved left only when it still does not; it never
// reaches into the next bar's cell.
void DrawCellText(QPainter& painter, const QFont& font, const QString& text, int x, int baseline, int left,
                  int right) {
    const QFont fitted = FittedFont(font, text, right - std::max(x, left));
    painter.setFont(fitted);
    const int width = QFontMetrics(fitted).horizontalAdvance(text);
    x = std::max(std::min(x, right - width), left);
    painter.drawText(QPoint(x, baseline), text);
    painter.setFont(font);
}

} // namespace

CBarViewWidget* CBarViewWidget::Create(QWidget* parent) {
    if (Registry::IsFull(kMaxBarViews))
        return nullptr;
    return new CBarViewWidget(parent);
}

const std::vector<CBarViewWidget*>& CBarViewWidget::BarViews() {
    return Registry::List();
}

CBarViewWidget::CBarViewWidget(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("BarView");
    setMinimumSize(150, 150);
    Registry::Add(this);
    fillWorld = [](BarWorld& world) { FillBarWorldFromAppTables(world); };
    verticalScrollBar()->setSingleStep(10);
    horizontalScrollBar()->setSingleStep(10);
}

CBarViewWidget::~CBarViewWidget() {
    Unregister();
}

void CBarViewWidget::Unregister() {
    Registry::Remove(this);
}

// ------------------------------------------------------- frame and document

void CBarViewWidget::RefreshWorld() {
    if (fillWorld)
        fillWorld(m_world);
}

void CBarViewWidget::TakeOnlineChannels() {
    RefreshWorld();
    m_model.TakeOnlineChannels(m_world);
    FreeDataBuffer();
    AllocDataBuffer();
}

bool CBarViewWidget::AllocDataBuffer() {
    return m_model.AllocDataBuffer(int(m_world.table.caseList.size()));
}

void CBarViewWidget::FreeDataBuffer() {
    m_model.FreeDataBuffer();
}

void CBarViewWidget::ReceiveData(int kind, const float* values) {
    m_model.ReceiveData(kind, values, int(m_world.table.caseList.size()));
}

bool CBarViewWidget::RefreshValues(int newData) {
    const bool done = m_model.RefreshValues(newData, m_world);
    UpdateScrollBars();
    viewport()->update();
    return done;
}

bool CBarViewWidget::LoadBatchData(int sample) {
    const TableWorld& table = m_world.table;
    if (!m_model.HasBuffer() || table.channelTable == nullptr || sample < 0 || sample >= table.nStoredCount)
        return false;
    std::vector<float> values(std::size_t(table.caseList.size()) * 16, 0.0f);
    std::vector<int> channels;
    std::vector<float*> out;
    for (std::size_t slot = 0; slot < table.caseList.size(); ++slot) {
        for (int ch = 0; ch < 16; ++ch) {
            channels.push_back(table.caseList[slot] * 16 + ch);
            out.push_back(&values[slot * 16 + std::size_t(ch)]);
        }
    }
    const CDataFileAccess access(table.layout, *table.channelTable);
    if (access.ReadChannelColumns(table.dataPath, channels, sample, 1, out.data()) == 0)
        return false;
    m_model.ReceiveData(1, values.data(), int(table.caseList.size()));
    return true;
}

// ---------------------------------------------------------------- commands

bool CBarViewWidget::IsCommandEnabled(int id) const {
    const TableWorld& table = m_world.table;
    const bool stored = !table.bSampling && (table.nProjectState == 2 || table.nProjectState == 3);
    switch (id) {
    case ID_BAR_CHANNELS:
    case ID_BAR_PROPERTIES:
    case ID_SAVE_AS_BITMAP:
        return true;
    case ID_SAVE_AS_TEXT:
    case ID_SAVE_AS_EXCEL:
    case ID_SAVE_AS_MATLAB:
        return stored && table.nStoredCount > 0;
    default:
        return false;
    }
}

bool CBarViewWidget::OnCommand(int id) {
    RefreshWorld();
    if (!IsCommandEnabled(id))
        return false;
    switch (id) {
    case ID_BAR_CHANNELS:
        OnChooseChannels();
        return true;
    case ID_BAR_PROPERTIES:
        ShowPropertySheet();
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
        if (prepareExport)
            prepareExport();
        RunSaveAsBitmap(
            this, askExportFileName, [this](const std::string& path) { return SaveBitmap(path); },
            m_pExportContext);
        return true;
    default:
        return false;
    }
}

QMenu* CBarViewWidget::BuildContextMenu(QWidget* parent) {
    ViewMenuCommands commands;
    commands.isEnabled = [this](int id) { return IsCommandEnabled(id); };
    commands.isSwitch = [](int) { return false; };
    commands.isChecked = [](int) { return false; };
    commands.run = [this](int id) { OnCommand(id); };
    return BuildViewMenu(parent, this, kContextItems, std::size(kContextItems), commands);
}

void CBarViewWidget::OnChooseChannels() {
    std::vector<int> ids = m_model.BarIds();
    if (!runChannelChoice || !runChannelChoice(ids) || !m_model.SetBars(ids))
        return;
    RefreshValues(1);
}

void CBarViewWidget::ShowPropertySheet() {
    CPropSheetBarGraph sheet(this);
    sheet.SetColours(m_model.m_Colours);
    sheet.onApply = [this](CPropSheetBarGraph& applied, bool toAll) {
        const std::vector<CBarViewWidget*> targets = toAll ? BarViews() : std::vector<CBarViewWidget*>{this};
        for (CBarViewWidget* view : targets)
            view->ApplyColours(applied.Colours());
    };
    const int result = runPropertySheet ? runPropertySheet(sheet) : sheet.exec();
    if (result == QDialog::Accepted)
        ApplyColours(sheet.Colours());
}

void CBarViewWidget::ApplyColours(const BarColours& colours) {
    m_model.m_Colours = colours;
    viewport()->update();
}

void CBarViewWidget::SetExportContext(const ExportContext* context, int storedCount) {
    m_pExportContext = context;
    m_nExportStoredCount = storedCount;
}

int CBarViewWidget::OnExport(TableSaveKind kind) {
    if (prepareExport)
        prepareExport();
    if (m_pExportContext == nullptr)
        return 0;
    StoredSaveJob job;
    // A bar's channel is offered when it is enabled or in no online unit.
    for (int id : m_model.BarIds())
        if (m_world.table.Channel(id).bEnabled || m_world.table.SlotOf(id / 16) < 0)
            job.preset.items.push_back(id);
    job.dataPath = m_pExportContext->dataPath;
    job.statusPath = m_pExportContext->statusPath;
    job.range = [this](int choice) {
        StoredSaveRange range;
        range.first = currentSample ? std::max(currentSample(), 0) : 0;
        range.count = choice == 1 ? 1 : m_nExportStoredCount;
        if (choice == 0)
            range.first = 0;
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

bool CBarViewWidget::SaveBitmap(const std::string& path) {
    return !path.empty() && RenderImage().save(QString::fromStdString(path), "BMP");
}

void CBarViewWidget::SaveLayout(const std::string& file, int index) const {
    m_model.SaveLayout(file, index);
}

void CBarViewWidget::LoadLayout(const std::string& file, int index) {
    RefreshWorld();
    m_model.LoadLayout(file, index, m_world);
    UpdateScrollBars();
}

// ---------------------------------------------------------------- drawing

BarLayout CBarViewWidget::CurrentLayout() const {
    return m_model.Layout(viewport()->width(), viewport()->height());
}

void CBarViewWidget::UpdateScrollBars() {
    const BarLayout layout = CurrentLayout();
    horizontalScrollBar()->setRange(0, std::max(layout.width - viewport()->width(), 0));
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setRange(0, std::max(layout.height - viewport()->height(), 0));
    verticalScrollBar()->setPageStep(viewport()->height());
}

void CBarViewWidget::Paint(QPainter& painter, const BarLayout& layout, const QRect& area, QPoint origin) {
    const BarColours& c = m_model.m_Colours;
    const TableWorld& table = m_world.table;
    painter.fillRect((QRect(0, 0, layout.width, layout.height) & area).translated(-origin),
                     ToQColor(c.viewBack));
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    for (int i = 0; i < m_model.BarCount(); ++i) {
        BarRect r = m_model.BarOf(i, layout.width);
        const QRect cell(r.left - 40 - kCellReach, r.top - 25 - kCellReach,
                         CBarViewModel::kCellWidth + 2 * kCellReach,
                         CBarViewModel::kCellHeight + 2 * kCellReach);
        // Thousands of bars, of which a window shows a few dozen.
        if (!cell.intersects(area))
            continue;
        r.left -= origin.x(), r.right -= origin.x();
        r.top -= origin.y(), r.bottom -= origin.y();
        const QRect bar(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
        painter.setPen(QPen(ToQColor(c.frame), 1));
        painter.setBrush(ToQColor(c.barBack));
        painter.drawRect(bar);
        painter.setBrush(Qt::NoBrush);
        // Name and scale.
        const int id = m_model.BarId(i);
        painter.setPen(ToQColor(c.channelTag));
        painter.drawText(QRect(r.left - 15, r.top - 20, 120, 18), Qt::AlignLeft | Qt::AlignTop,
                         QString::fromStdString(FormatChannelName(id)));
        painter.setPen(QPen(ToQColor(c.scale), 1));
        for (int k = 0; k < 10; ++k) {
            const int y = r.top + 18 * k;
            painter.drawLine(k == 0 || k == 5 ? r.left - 5 : r.left - 3, y, r.left - 1, y);
        }
        // The scale's numbers: full scale at the top, 0 at the middle, the
        // negative full scale at the bottom, right-aligned to the ticks.
        const int cellLeft = r.left - 40, cellRight = cellLeft + CBarViewModel::kCellWidth;
        {
            QFont small = font;
            small.setPixelSize(11);
            const double fullScale = m_model.FullScale(i);
            const QFontMetrics metrics(small);
            const std::pair<double, int> marks[] = {{fullScale, r.top + metrics.ascent()},
                                                    {0.0, r.top + 90 + metrics.ascent() / 2},
                                                    {-fullScale, r.bottom - metrics.descent()}};
            for (const auto& [value, baseline] : marks) {
                const QString text = ScaleText(value);
                DrawCellText(painter, small, text, r.left - 6 - metrics.horizontalAdvance(text), baseline,
                             cellLeft + 1, r.left - 6);
            }
        }
        // Fills, only for a shown channel of an online unit.
        const int middle = r.bottom - (r.bottom - r.top) / 2;
        const float fullScale = m_model.FullScale(i);
        const bool shown = table.IsShown(id) && table.SlotOf(id / 16) >= 0;
        const auto fill = [&](float value, QColor colour) {
            const int y = CBarViewModel::FillY(value, fullScale, r);
            if (y != middle)
                painter.fillRect(
                    QRect(QPoint(r.left + 1, std::min(y, middle)), QPoint(r.right - 2, std::max(y, middle))),
                    colour);
        };
        if (shown && m_model.HasMaximum(i))
            fill(m_model.Maximum(i), ToQColor(c.maxFore));
        if (shown && m_model.HasValue(i)) {
            const bool alarm = IsChannelInAlarm(table.Channel(id), m_model.Current(i));
            fill(m_model.Current(i), alarm ? ToQColor(0x0000FF) : ToQColor(c.fore));
        }
        // The maximum's pointer and text.
        if (m_model.HasMaximum(i)) {
            const int y = CBarViewModel::FillY(m_model.Maximum(i), fullScale, r);
            const QColor pointer = ToQColor(0xFF0000);
            painter.setPen(QPen(pointer, 1));
            painter.drawLine(r.right - 2, y, r.right + 3, y);
            const QPoint triangle[] = {{r.right + 3, y}, {r.right + 8, y - 4}, {r.right + 8, y + 4}};
            painter.setBrush(pointer);
            painter.drawPolygon(triangle, 3);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(ToQColor(c.maxText));
            DrawCellText(painter, font, QString::asprintf("%.2f", double(m_model.Maximum(i))), r.right + 10,
                         y - 8 + 14, r.left, cellRight - 1);
        }
        painter.setPen(ToQColor(c.nowText));
        DrawCellText(painter, font, QString::fromStdString(m_model.CurrentText(i)), r.left + 2,
                     r.bottom + 5 + 14, cellLeft + 1, cellRight - 1);
    }
}

QImage CBarViewWidget::RenderImage() {
    const BarLayout layout = CurrentLayout();
    QImage image(std::max(layout.width, 1), std::max(layout.height, 1), QImage::Format_RGB32);
    QPainter painter(&image);
    Paint(painter, layout, image.rect(), QPoint(0, 0));
    return image;
}

void CBarViewWidget::paintEvent(QPaintEvent* event) {
    // A window without area has nothing to show.
    if (viewport()->width() <= 0 || viewport()->height() <= 0)
        return;
    const BarLayout layout = CurrentLayout();
    // Only the cells the window shows are painted, onto a picture large
    // enough to hold them whole: an outline cut at a picture's edge would
    // differ from the saved picture's by a pixel.
    const QRect shown =
        event->rect().translated(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const int reachX = CBarViewModel::kCellWidth + 2 * kCellReach;
    const int reachY = CBarViewModel::kCellHeight + 2 * kCellReach;
    const QRect cover = shown.adjusted(-reachX, -reachY, reachX, reachY);
    QPixmap picture(cover.size());
    picture.fill(ToQColor(m_model.m_Colours.viewBack));
    {
        QPainter painter(&picture);
        Paint(painter, layout, shown, cover.topLeft());
    }
    QPainter painter(viewport());
    painter.drawPixmap(event->rect().topLeft(), picture,
                       QRect(shown.topLeft() - cover.topLeft(), shown.size()));
}

void CBarViewWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CBarViewWidget::scrollContentsBy(int, int) {
    viewport()->update();
}

void CBarViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    RefreshWorld();
    QMenu* menu = BuildContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
