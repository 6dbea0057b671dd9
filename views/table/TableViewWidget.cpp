// The table view window.
// The table logic comes before any Qt header: the online layout it reads has
// a member named like one of Qt's keywords.
#include "views/table/TableData.h"
#include "views/table/TableSaveCommand.h"

#include "views/table/TableViewWidget.h"

#include "views/curve/CurveViewWidget.h"
#include "views/shared/AlarmSoundPlayer.h"
#include "views/shared/DlgPageSetup.h"
#include "views/table/DlgTableProperty.h"
#include "views/table/TableCellPainter.h"
#include "views/table/TableGridModel.h"
#include "views/table/TablePrinter.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>

#include <algorithm>

namespace {

constexpr int kStripHeight = 22;
constexpr int kTwipsPerPixel = 15;
// Room around a cell's text: the item margins and the grid line.
constexpr int kCellPadding = 12;

std::vector<CTableViewWidget*>& Registry() {
    static std::vector<CTableViewWidget*> views;
    return views;
}

} // namespace

const std::vector<CTableViewWidget*>& CTableViewWidget::TableViews() {
    return Registry();
}

CTableViewWidget* CTableViewWidget::Create(const TableWorld& world, QWidget* parent) {
    if (Registry().size() >= std::size_t(kMaxTableViews))
        return nullptr;
    return new CTableViewWidget(world, parent);
}

CTableViewWidget::CTableViewWidget(const TableWorld& world, QWidget* parent)
    : QWidget(parent), m_pData(std::make_unique<CTableData>(world)), m_data(*m_pData) {
    setObjectName("CTableView");
    Registry().push_back(this);
    m_data.m_nChansPerUnit = world.nModelType == 1 ? 8 : 16;
    m_pAlarmSound = std::make_unique<CAlarmSoundPlayer>();
    // A fill with a cell in alarm plays the sound again from its start.
    m_data.onAlarm = [this] {
        if (onAlarmSound) {
            onAlarmSound();
            return;
        }
        if (m_pAlarmSound->IsRunning())
            m_pAlarmSound->Stop();
        m_pAlarmSound->Start();
    };
    m_model = new CTableGridModel(m_data.m_grid, this);
    m_grid = new QTableView(this);
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new CTableCellPainter(m_grid));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(kTableRowHeight / kTwipsPerPixel);
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    // Rows scrolled into view may hold wider texts.
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { FitColumns(); });
    m_status = new QPushButton(this);
    m_status->setFlat(true);
    m_topTabs = new QTabBar(this);
    m_bottomTabs = new QTabBar(this);
    m_bottomTabs->setShape(QTabBar::RoundedSouth);
    m_topTabs->hide();
    m_bottomTabs->hide();
    connect(m_grid, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (QApplication::keyboardModifiers() & Qt::ControlModifier)
            m_data.m_bCtrlDown = true;
        OnCellClicked(index.row(), index.column());
    });
    connect(m_topTabs, &QTabBar::currentChanged, this, [this](int index) {
        if (!m_bSyncingTabs)
            OnTabChosen(true, index);
    });
    connect(m_bottomTabs, &QTabBar::currentChanged, this, [this](int index) {
        if (!m_bSyncingTabs)
            OnTabChosen(false, index);
    });
    resize(640, 400);
}

CTableViewWidget::~CTableViewWidget() {
    auto& views = Registry();
    views.erase(std::remove(views.begin(), views.end(), this), views.end());
    m_data.FreeDataBuffer();
}

bool CTableViewWidget::IsCommandEnabled(int id) const {
    return m_data.IsCommandEnabled(id);
}

bool CTableViewWidget::IsCommandChecked(int id) const {
    return m_data.IsCommandChecked(id);
}

void CTableViewWidget::InitialUpdate() {
    m_data.InitialUpdate();
    SyncView();
}

void CTableViewWidget::ReceiveData(int kind, const CaseSampleBlock* sampleSet, const float* values) {
    m_data.ReceiveData(kind, sampleSet, values);
}

void CTableViewWidget::UpdateStatusText(const std::string& timeText, const std::string& statusText) {
    m_data.UpdateStatusText(timeText, statusText);
    SyncTabs();
}

void CTableViewWidget::UpdateTable() {
    m_data.UpdateTable();
    SyncView();
}

void CTableViewWidget::Refresh() {
    m_data.Refresh();
    SyncView();
}

void CTableViewWidget::LoadBatchData() {
    m_data.LoadBatchData();
}

void CTableViewWidget::Relayout() {
    m_data.RebuildGrid();
    m_data.AllocDataBuffer();
    SyncView();
}

void CTableViewWidget::ShowStoredSample(int position) {
    m_data.m_nPosition = position;
    m_data.m_bStoredData = true;
    if (m_data.World().bSampling)
        return;
    m_data.LoadBatchData();
    m_data.UpdateTable();
    m_data.UpdateStatusText("", "");
    SyncView();
}

void CTableViewWidget::SetShowDataType(int mode) {
    if (!m_data.SetShowDataType(mode))
        return;
    SyncView();
    if (onModeChanged)
        onModeChanged();
}

void CTableViewWidget::SyncTabs() {
    m_bSyncingTabs = true;
    auto fill = [](QTabBar* bar, const std::vector<std::string>& texts, int selected, bool shown) {
        // The tabs are rebuilt only when the units change: a tab bar lays
        // itself out again on every tab added or removed.
        const int count = static_cast<int>(texts.size());
        bool same = bar->count() == count;
        for (int i = 0; same && i < count; ++i)
            same = bar->tabText(i) == QString::fromStdString(texts[std::size_t(i)]);
        if (!same) {
            while (bar->count() > 0)
                bar->removeTab(0);
            for (const std::string& text : texts)
                bar->addTab(QString::fromStdString(text));
        }
        if (selected >= 0 && selected < bar->count())
            bar->setCurrentIndex(selected);
        bar->setVisible(shown);
    };
    fill(m_topTabs, m_data.m_topTabs, m_data.m_nTopTabSelected, m_data.m_bShowTopTabs);
    fill(m_bottomTabs, m_data.m_bottomTabs, m_data.m_nBottomTabSelected, m_data.m_bShowBottomTabs);
    m_status->setVisible(m_data.m_bShowStatusStrip);
    m_status->setText(QString::fromStdString(m_data.m_strStatus));
    m_bSyncingTabs = false;
    LayoutChildren();
}

void CTableViewWidget::SyncView() {
    m_model->Sync();
    FitColumns();
    SyncTabs();
}

void CTableViewWidget::FitColumns() {
    // A column is as wide as the layout gives it, and never narrower than
    // the texts it shows (the heading rows and the rows in view), so that no
    // heading or value is cut short.
    const TableGrid& grid = m_data.m_grid;
    const int first = std::max(m_grid->rowAt(0), 0);
    const int last = m_grid->rowAt(std::max(m_grid->viewport()->height() - 1, 0));
    const int end = last < 0 ? grid.Rows() : last + 1;
    const QFontMetrics metrics(m_grid->font());
    // A live refresh must not shape every text anew: values (ASCII) add up
    // their characters' advances, other texts are measured once.
    if (m_asciiWidths.empty())
        for (int c = 0; c < 128; ++c)
            m_asciiWidths.push_back(metrics.horizontalAdvance(QChar(c)));
    if (m_textWidths.size() > 4096)
        m_textWidths.clear();
    const auto textWidth = [&](int row, int column) {
        const std::string& text = grid.At(row, column).text;
        int ascii = 0;
        for (const char c : text) {
            if (static_cast<unsigned char>(c) >= 128) {
                const auto [it, added] = m_textWidths.try_emplace(text, 0);
                if (added)
                    it->second = metrics.horizontalAdvance(QString::fromStdString(text));
                return it->second;
            }
            ascii += m_asciiWidths[std::size_t(c)];
        }
        return ascii;
    };
    for (int c = 0; c < grid.Columns(); ++c) {
        int widest = 0;
        for (int r = 0; r < grid.FixedRows() && r < grid.Rows(); ++r)
            widest = std::max(widest, textWidth(r, c));
        for (int r = std::max(first, grid.FixedRows()); r < end && r < grid.Rows(); ++r)
            widest = std::max(widest, textWidth(r, c));
        const int twips = c < int(grid.columnWidths.size()) ? grid.columnWidths[std::size_t(c)] : 0;
        const int width = std::max(twips / kTwipsPerPixel, widest + kCellPadding);
        if (m_grid->columnWidth(c) != width)
            m_grid->setColumnWidth(c, width);
    }
}

void CTableViewWidget::LayoutChildren() {
    const int w = width();
    const int h = height();
    m_status->setGeometry(0, 0, w, kStripHeight);
    m_topTabs->setGeometry(0, 0, w, kStripHeight);
    m_bottomTabs->setGeometry(0, h - kStripHeight, w, kStripHeight);
    const bool paging = m_data.m_bPageByUnit || m_data.m_bPageByController;
    m_grid->setGeometry(0, kStripHeight, w, std::max(0, h - kStripHeight - (paging ? kStripHeight : 0)));
}

void CTableViewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutChildren();
}

bool CTableViewWidget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
        // The grid's client area has its size only once the grid itself was
        // laid out (a window not yet shown lays it out when it shows).
        if (watched == m_grid->viewport()) {
            m_data.m_nClientWidth = static_cast<QResizeEvent*>(event)->size().width();
            m_data.SetColumnWidths();
            SyncView();
        }
        break;
    case QEvent::KeyPress:
        m_data.m_bCtrlDown = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Control;
        break;
    case QEvent::KeyRelease:
        m_data.m_bCtrlDown = false;
        break;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            m_data.m_bCtrlDown = false;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CTableViewWidget::OnCellClicked(int row, int column) {
    m_data.OnGridClick(row, column);
    m_model->Sync();
}

void CTableViewWidget::OnTabChosen(bool top, int index) {
    m_data.OnTabSelected(top, index);
    SyncView();
}

std::vector<QString> CTableViewWidget::ContextMenuTexts() const {
    std::vector<QString> texts{"显示平衡状态(&S)", "显示平衡结果(&V)", "显示测量数据(&R)",
                               "显示应变花值(&Y)", "显示历史数据(&H)", "表格属性(&G)"};
    if (m_data.World().bDigitalUsed)
        texts.push_back("数字量历史数据(&D)");
    return texts;
}

QMenu* CTableViewWidget::BuildContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    static const int ids[] = {ID_TABLE_SHOW_BALANCE_STATE, ID_TABLE_SHOW_BALANCE_VALUES,
                              ID_TABLE_SHOW_MEASURED,      ID_TABLE_SHOW_ROSETTE,
                              ID_TABLE_SHOW_HISTORY,       ID_TABLE_PROPERTIES};
    const std::vector<QString> texts = ContextMenuTexts();
    auto add = [&](const QString& text, int id) {
        QAction* action = menu->addAction(text, this, [this, id] { OnCommand(id); });
        action->setData(id);
        const int mode = TableModeOfCommand(id);
        action->setCheckable(mode >= 0);
        action->setChecked(mode >= 0 && mode == m_data.m_nShowDataType);
    };
    for (int i = 0; i < 6; ++i) {
        if (i == 5)
            menu->addSeparator();
        add(texts[std::size_t(i)], ids[i]);
    }
    if (texts.size() > 6) {
        menu->addSeparator();
        add(texts[6], ID_TABLE_SHOW_DIGITAL_HISTORY);
    }
    return menu;
}

void CTableViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (m_data.m_bCtrlDown)
        return;
    std::unique_ptr<QMenu> menu(BuildContextMenu(nullptr));
    menu->exec(event->globalPos());
}

bool CTableViewWidget::OnCommand(int id) {
    const int mode = TableModeOfCommand(id);
    if (mode >= 0) {
        SetShowDataType(mode);
        return true;
    }
    if (!IsCommandEnabled(id))
        return false;
    switch (id) {
    case ID_TABLE_PROPERTIES:
        ShowPropertyDialog();
        return true;
    case ID_TABLE_PAGE_SETUP:
        ShowPageSetup();
        return true;
    case ID_TABLE_PRINT: {
        QPrinter printer;
        if (runPrintDialog) {
            if (runPrintDialog(printer))
                PrintTo(printer);
            return true;
        }
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted)
            PrintTo(printer);
        return true;
    }
    case ID_TABLE_PRINT_PREVIEW: {
        QPrintPreviewDialog preview(this);
        connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                [this](QPrinter* printer) { PrintTo(*printer); });
        preview.exec();
        return true;
    }
    case ID_TABLE_SAVE_TEXT:
        SaveData(TableSaveKind::Text);
        return true;
    case ID_TABLE_SAVE_EXCEL:
        SaveData(TableSaveKind::Spreadsheet);
        return true;
    case ID_TABLE_SAVE_MATLAB:
        SaveData(TableSaveKind::Matlab);
        return true;
    case ID_TABLE_SAVE_BITMAP:
        // As the graph windows' pictures: the file asked, a failure said, and
        // what was written named in the status bar.
        if (m_pExportContext && m_pExportContext->askExportFileName)
            RunSaveAsBitmap(
                this, m_pExportContext->askExportFileName,
                [this](const std::string& path) { return SaveBitmap(QString::fromStdString(path)); },
                m_pExportContext);
        return true;
    default:
        return false;
    }
}

int CTableViewWidget::PrintTo(QPrinter& printer) const {
    return PrintTableGrid(m_data.m_grid, m_PageSetup, printer);
}

bool CTableViewWidget::ShowPageSetup() {
    CDlgPageSetup dialog(this);
    dialog.SetValues(m_PageSetup);
    const int result = runPageSetupDialog ? runPageSetupDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    m_PageSetup = dialog.GetValues();
    return true;
}

void CTableViewWidget::ShowPropertyDialog() {
    CDlgTableProperty dialog(m_data.World().caseList, m_measureTypes, this);
    dialog.m_bShowDescrib = m_data.m_bShowDescrib;
    dialog.m_nDecimals = m_data.m_nDataPrecision;
    dialog.m_nCaseNumber = m_data.m_nSelCaseID;
    dialog.m_bShowUnit = m_data.m_bShowUnit;
    dialog.m_nRows = m_data.m_nRowLimit;
    dialog.m_bPagedByUnit = m_data.m_bPageByUnit;
    dialog.m_DecimalsByType = m_data.m_PrecisionByType;
    const int result = runPropertyDialog ? runPropertyDialog(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return;
    m_data.m_nSelCaseID = dialog.m_nCaseNumber;
    m_data.m_nSelFirstChannel = dialog.m_nCaseNumber * 16;
    auto take = [&dialog](CTableData& data) {
        data.m_nDataPrecision = dialog.m_nDecimals;
        data.m_bShowDescrib = dialog.m_bShowDescrib;
        data.m_bShowUnit = dialog.m_bShowUnit;
        data.m_nRowLimit = dialog.m_nRows;
        data.m_PrecisionByType = dialog.m_DecimalsByType;
    };
    take(m_data);
    if (onPrecisionChanged)
        onPrecisionChanged(dialog.m_DecimalsByType);
    if (!dialog.m_bApplyToAll) {
        Refresh();
        return;
    }
    for (CTableViewWidget* view : TableViews()) {
        take(view->m_data);
        view->Refresh();
    }
}

int CTableViewWidget::SaveData(TableSaveKind kind) {
    if (m_pExportContext == nullptr ||
        !IsCommandEnabled(kind == TableSaveKind::Text          ? ID_TABLE_SAVE_TEXT
                          : kind == TableSaveKind::Spreadsheet ? ID_TABLE_SAVE_EXCEL
                                                               : ID_TABLE_SAVE_MATLAB))
        return 0;
    CTableSaveCommand command(m_data, *m_pExportContext, m_SaveOptions);
    command.runOptionsDialog = runSaveOptionsDialog;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int result = command.Run(kind);
    QApplication::restoreOverrideCursor();
    return result;
}

bool CTableViewWidget::SaveBitmap(const QString& path) {
    repaint();
    return grab().save(path, "BMP");
}
