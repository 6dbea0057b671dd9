// The table view window: a grid over the table logic with a status strip
// above it and tab strips for paging, its context menu, commands, printing,
// page setup, properties dialog and save commands. The main frame feeds it
// after every new sample set; with no run it shows the document's sample.
#pragma once

#include "datafiles/SaveDataOptions.h"
#include "views/shared/PageSetupValues.h"
#include "views/shared/TableSaveTypes.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct CaseSampleBlock;
struct ExportContext;
struct TableWorld;
class CAlarmSoundPlayer;
class CDlgPageSetup;
class CTableData;
class CTableGridModel;
class CDlgTableProperty;
class QMenu;
class QPrinter;
class QPushButton;
class QTabBar;
class QTableView;

class CTableViewWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxTableViews = 4;

    // A new table view, or nullptr when four are open already.
    static CTableViewWidget* Create(const TableWorld& world, QWidget* parent = nullptr);
    // The open table views in the order they were opened.
    static const std::vector<CTableViewWidget*>& TableViews();
    ~CTableViewWidget() override;

    CTableData& Data() { return *m_pData; }
    const CTableData& Data() const { return *m_pData; }
    QTableView* Grid() const { return m_grid; }
    CTableGridModel* Model() const { return m_model; }
    QPushButton* StatusStrip() const { return m_status; }
    QTabBar* TopTabs() const { return m_topTabs; }
    QTabBar* BottomTabs() const { return m_bottomTabs; }

    // --- what the main frame and the document call ---
    void InitialUpdate();
    void ReceiveData(int kind, const CaseSampleBlock* sampleSet, const float* values);
    void UpdateStatusText(const std::string& timeText, const std::string& statusText);
    void UpdateTable();
    void Refresh();
    void SetShowDataType(int mode);
    void LoadBatchData();
    // The world changed (other units online, another project): the grid is
    // laid out anew for it, the value buffer sized for it, the columns fitted.
    void Relayout();
    // The document moved its window: show the stored sample at position.
    void ShowStoredSample(int position);
    bool OnCommand(int id);
    bool IsCommandEnabled(int id) const;
    bool IsCommandChecked(int id) const;
    void OnCellClicked(int row, int column);
    void OnTabChosen(bool top, int index);

    // --- printing, page setup, properties, saving ---
    int PrintTo(QPrinter& printer) const;
    bool ShowPageSetup();
    void ShowPropertyDialog();
    int SaveData(TableSaveKind kind);
    bool SaveBitmap(const QString& path);

    PageSetupValues m_PageSetup;
    SaveDataOptions m_SaveOptions;

    // --- what the frame hands in ---
    void SetExportContext(const ExportContext* context) { m_pExportContext = context; }
    void SetMeasureTypes(const std::vector<int>& types) { m_measureTypes = types; }
    // Dialog runners; tests answer the dialogs through them. The save
    // commands do nothing without the options dialog's runner
    // (MakeTableSaveOptionsDialogRunner).
    RunSaveOptionsDialogFn runSaveOptionsDialog;
    std::function<int(CDlgTableProperty&)> runPropertyDialog;
    std::function<int(CDlgPageSetup&)> runPageSetupDialog;
    // The print dialog: true when the printer is set up and printing goes on.
    std::function<bool(QPrinter&)> runPrintDialog;
    // The frame's copy of the decimals map is replaced by a new one.
    std::function<void(const std::map<int, int>&)> onPrecisionChanged;
    // The mode changed: the document re-titles its window.
    std::function<void()> onModeChanged;
    // Replaces the view's own alarm-sound player (tests).
    std::function<void()> onAlarmSound;

    std::vector<QString> ContextMenuTexts() const;
    // The context menu ("TableView"); each item carries its command id.
    QMenu* BuildContextMenu(QWidget* parent);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CTableViewWidget(const TableWorld& world, QWidget* parent);
    void SyncView();
    void FitColumns();
    void SyncTabs();
    void LayoutChildren();
    int RunDefaultSaveOptionsDialog(const TableSavePreset& preset, TableSaveKind kind,
                                    SaveDataOptions& options);

    std::unique_ptr<CTableData> m_pData;
    std::unique_ptr<CAlarmSoundPlayer> m_pAlarmSound;
    CTableData& m_data;
    CTableGridModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QPushButton* m_status = nullptr;
    QTabBar* m_topTabs = nullptr;
    QTabBar* m_bottomTabs = nullptr;
    const ExportContext* m_pExportContext = nullptr;
    std::vector<int> m_measureTypes{0, 1, 2, 3, 4, 5, 6};
    bool m_bSyncingTabs = false;
    // Pixel widths in the grid's font: of the ASCII characters, and of the
    // other texts met so far.
    std::vector<int> m_asciiWidths;
    std::unordered_map<std::string, int> m_textWidths;
};
