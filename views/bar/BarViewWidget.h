// The bar view window: draws the bar model's cells (bar, scale, channel
// name, maximum pointer and both values) into a picture of the layout's
// size and scrolls over it; takes the view's commands (channel choice,
// property sheet, exports, bitmap). The main frame feeds it during a run.
#pragma once

#include "views/bar/BarViewModel.h"
#include "views/curve/CurveViewWidget.h"
#include "views/shared/TableSaveTypes.h"

#include <QAbstractScrollArea>

#include <functional>
#include <string>
#include <vector>

class QMenu;
class CPropSheetBarGraph;
struct ExportContext;

// Commands of the bar view.
constexpr int ID_BAR_CHANNELS = 32879;
constexpr int ID_BAR_PROPERTIES = 32880;

class CBarViewWidget : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kMaxBarViews = 4;

    // A new bar view, or nullptr when four are open already.
    static CBarViewWidget* Create(QWidget* parent = nullptr);
    static const std::vector<CBarViewWidget*>& BarViews();
    ~CBarViewWidget() override;
    void Unregister();

    CBarViewModel& Model() { return m_model; }
    BarWorld& World() { return m_world; }

    // --- what the main frame and the document call ---
    void RefreshWorld();
    // The first 128 online channels, a fresh buffer.
    void TakeOnlineChannels();
    bool AllocDataBuffer();
    void FreeDataBuffer();
    void ReceiveData(int kind, const float* values);
    // 0 clears the bars; 1 takes the buffer's values. False without a buffer.
    bool RefreshValues(int newData);
    // The stored sample set at the sample into the buffer; false when it cannot be read.
    bool LoadBatchData(int sample);

    bool OnCommand(int id);
    bool IsCommandEnabled(int id) const;
    QMenu* BuildContextMenu(QWidget* parent);
    void ShowPropertySheet();
    // A sheet's colours reach the view.
    void ApplyColours(const BarColours& colours);
    void OnChooseChannels();
    void SetExportContext(const ExportContext* context, int storedCount);
    int OnExport(TableSaveKind kind);
    bool SaveBitmap(const std::string& path);

    void SaveLayout(const std::string& file, int index) const;
    void LoadLayout(const std::string& file, int index);

    // The whole layout's picture.
    QImage RenderImage();
    BarLayout CurrentLayout() const;

    // --- what the owner hands in ---
    std::function<void(BarWorld&)> fillWorld;
    // The channel choice (the owner's signal-selection dialog): the ids in,
    // the chosen ids out; false when cancelled.
    std::function<bool(std::vector<int>& ids)> runChannelChoice;
    std::function<int(CPropSheetBarGraph&)> runPropertySheet;
    RunSaveOptionsDialogFn runSaveOptionsDialog;
    ExportFileQuestion askExportFileName;
    // Hands the view the export context of the project as it is now, ahead
    // of an export.
    std::function<void()> prepareExport;
    // The sample shown when the project holds stored data.
    std::function<int()> currentSample;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    explicit CBarViewWidget(QWidget* parent);
    void UpdateScrollBars();
    // Paints the cells that reach into area (in layout coordinates), with
    // the layout's point origin at the painter's (0, 0): the picture there
    // is the whole layout's.
    void Paint(QPainter& painter, const BarLayout& layout, const QRect& area, QPoint origin);

    CBarViewModel m_model;
    BarWorld m_world;
    SaveDataOptions m_exportOptions;
    const ExportContext* m_pExportContext = nullptr;
    int m_nExportStoredCount = 0;
};
