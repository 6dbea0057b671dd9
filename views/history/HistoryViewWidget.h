// The history curve view window: paints the bands of the history model
// through the channel-value painter from a cached picture with the cursors
// drawn over it; scrolls through the channels; takes the mouse, the keys
// and the view's commands; runs the property sheet, the data edit, the
// exports and printing. The main frame feeds it during a run.
#pragma once

#include "views/curve/CurveViewWidget.h"
#include "views/curve/CurveWorld.h"
#include "views/history/HistoryViewModel.h"
#include "views/shared/CurveEnvelope.h"
#include "views/shared/LiveRepaint.h"
#include "views/shared/PageSetupValues.h"
#include "views/shared/TableSaveTypes.h"

#include <QPixmap>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QPrinter;
class QScrollBar;
class CChannelPanelPainter;
class CCursorEditDlg;
class CPropHistoryViewSheet;
struct ExportContext;

// Commands of the history view besides those it shares with the curve view.
constexpr int ID_DATA_SYNC = 32833;
constexpr int ID_SHOW_SPLIT = 32835;
constexpr int ID_CURSOR_SWITCH = 32848;

class CHistoryViewWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxHistoryViews = 4;

    // A new history view, or nullptr when four are open already.
    static CHistoryViewWidget* Create(QWidget* parent = nullptr);
    static const std::vector<CHistoryViewWidget*>& HistoryViews();
    ~CHistoryViewWidget() override;
    void Unregister();

    CHistoryViewModel& Model() { return m_model; }
    const CHistoryViewModel& Model() const { return m_model; }
    CurveWorld& World() { return m_world; }

    // --- what the main frame and the document call ---
    void RefreshWorld();
    void InitialUpdate();
    void SyncWithDocument(int first, int windowCount, int validCount, bool storedData);
    bool LoadCurveData();
    void UseMeasChannelList();
    // The channels changed: the list, the stored data and the picture anew.
    void ReloadChannels();
    // The information column chose another channel for a band.
    void SetBandChannel(int band, int channel);
    // A run starts: data synchronisation off, buffers of the batch length.
    void PrepareForSampling(int blockSize);
    bool IsLive() const { return m_bLive; }
    // Kind 2: points from .. count - 1 of the per-position arrays.
    int ReceiveData(int kind, int count, const float* set, const float* const* arrays, int from = 0);
    void SetLiveSpan(int span);
    // Draws the points first..last just received, or repaints.
    void DrawNewPoints(int first, int last);
    void Invalidate();

    bool OnCommand(int id);
    bool IsCommandEnabled(int id) const;
    bool IsCommandChecked(int id) const;
    // The view's context menu ("HistoryView") and the cursor popup ("HistoryCursor").
    QMenu* BuildContextMenu(QWidget* parent);
    QMenu* BuildCursorMenu(QWidget* parent);

    void ShowPropertySheet();
    // A property sheet's result reaches the view.
    void ApplySheet(const CGraphDisplayOptions& options, int isGrid, int bandsPerPage);
    void OnEditData();
    // The exports' context (paths, conversions, file question) and the
    // stored total; renewed before each export.
    void SetExportContext(const ExportContext* context, int storedCount);
    // Text, spreadsheet or MATLAB file of the stored run; 1 written.
    int OnExport(TableSaveKind kind);
    bool SaveBitmap(const std::string& path);
    void OnSaveAsBitmap();
    // "显示拆分": the information column shown or hidden.
    void ShowColumn(bool show);
    // The child frame hid the column (the splitter was dragged shut).
    void ColumnHidden() { m_model.m_bShowCol = false; }

    void SaveLayout(const std::string& file, int index) const;
    void LoadLayout(const std::string& file, int index);

    QImage RenderImage();
    void PaintPicture(QPainter& painter);
    // Laid out for a printed place of that size, on white paper when asked.
    void PaintPicture(QPainter& painter, const QSize& size, bool paper);
    void OnPrint(bool preview);
    // The curve and history views shown with this one, arranged as on the
    // screen; this view alone when it is maximised or shown alone.
    std::vector<PrintedPicture> PicturesToPrint();

    // --- what the owner hands in ---
    std::function<void(CurveWorld&)> fillWorld;
    std::function<std::string()> defaultsFile;
    // Data synchronisation: the other views go to this sample.
    std::function<void(int sample)> onSyncSample;
    // The rows of the information column changed (or its precision).
    std::function<void(const std::vector<HistoryInfoRow>& rows, int precision)> onInfoRows;
    // "显示拆分" asks the child frame to show or hide the column.
    std::function<void(bool show)> onShowColumn;
    std::function<void(int count)> onStoredRunChanged;
    // Hands the view the export context of the project as it is now, ahead
    // of an export.
    std::function<void()> prepareExport;
    std::function<void(int validCount)> onFocus;
    std::function<PageSetupValues()> pageSetup;
    std::function<void(bool previewing)> onPrintPreview;
    // The pictures printed with this view's: the other curve windows shown.
    std::function<std::vector<QWidget*>()> printedViews;
    // Dialog runners; tests answer the dialogs through them.
    std::function<int(CCursorEditDlg&)> runCursorEditDialog;
    std::function<int(CPropHistoryViewSheet&)> runPropertySheet;
    RunSaveOptionsDialogFn runSaveOptionsDialog;
    std::function<int(int type, std::string& folder, std::string& title, std::string& extension)>
        askExportFileName;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    explicit CHistoryViewWidget(QWidget* parent);
    void RefreshRunFlags();
    QRect BandArea() const;
    void Relayout();
    void UpdateScrollBar();
    void RebuildCache();
    void RebuildEnvelopes();
    void PaintBands(QPainter& painter);
    void PaintCurves(QPainter& painter);
    void PaintCursors(QPainter& painter);
    // The points received since the cached picture was last painted go onto it.
    void DrawUndrawnPoints();
    void AfterCursorMove();
    void SendInfoRows();
    void AfterChange(bool reload);

    CHistoryViewModel m_model;
    CurveWorld m_world;
    std::unique_ptr<CChannelPanelPainter> m_pPainter;
    std::array<CCurveEnvelope, CHistoryViewModel::kMaxBands> m_envelopes;
    int m_nEnvelopePoints = 0;
    bool m_bEnvelopesDirty = true;
    // Bands that took other channels copy their whole live window at the next sample.
    bool m_bBandsChanged = true;
    QPixmap m_cache;
    bool m_bCacheDirty = true;
    int m_nUndrawnFrom = -1; // points not on the cached picture yet, -1 for none
    int m_nUndrawnTo = -1;
    bool m_bLive = false;
    // A live run repaints in steps, never after every set.
    CLiveRepaint m_repaint{this};
    QScrollBar* m_pScroll;
    SaveDataOptions m_exportOptions;
    const ExportContext* m_pExportContext = nullptr;
    int m_nExportStoredCount = 0;
};
