// The real-time and distribution curve view window: paints the curve model
// through the channel-value painter, from a cached picture of frame, grid
// and curves with the cursors and legend drawn over it; takes the mouse,
// the keys and the view's commands; runs the signal selection and the
// property sheet. The main frame feeds it after every new sample set.
#pragma once

#include "project/SampleMarks.h"
#include "views/curve/CurveMarks.h"
#include "views/curve/CurvePeaks.h"
#include "views/curve/CurveViewModel.h"
#include "views/curve/CurveWorld.h"
#include "views/shared/CurveEnvelope.h"
#include "views/shared/LiveRepaint.h"
#include "views/shared/PageSetupValues.h"
#include "views/shared/TableSaveTypes.h"

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct ChannelPanelFields;
struct ExportContext;
class QMenu;
class QPrinter;
class CChannelPanelPainter;
class CCursorEditDlg;
class CDlgPlotSignalSelect;
class CPropRealTimeViewSheet;

// Commands of the curve view.
constexpr int ID_DRAW_MODE_NORMAL = 32784;
constexpr int ID_DRAW_MODE_XY = 32785;
constexpr int ID_DRAW_MODE_DISTRIBUTION = 32786;
constexpr int ID_ZOOM_IN_Y = 32806;
constexpr int ID_ZOOM_OUT_Y = 32807;
constexpr int ID_CURVE_PROPERTIES = 32817;
constexpr int ID_AUTO_SCALE = 32818;
constexpr int ID_SINGLE_CURSOR = 32795;
constexpr int ID_DOUBLE_CURSOR = 32796;
constexpr int ID_PEAK_CURSOR = 32797;
constexpr int ID_CURSOR_SYNC = 32888;
constexpr int ID_SELECT_SIGNALS = 32832;
constexpr int ID_EDIT_DATA = 32840;
constexpr int ID_SAVE_DATA_FILE = 32838;
constexpr int ID_COPY_BITMAP = 32839;
constexpr int ID_SAVE_AS_BITMAP = 32846;
constexpr int ID_CURVE_ZOOM_IN_X = 32804;
constexpr int ID_CURVE_ZOOM_OUT_X = 32805;
constexpr int ID_CURSOR_DISPLAY = 32848;
constexpr int ID_CURSOR_FOLLOW = 32927;
constexpr int ID_SELECT_DISTRIBUTION_BATCH = 32849;
constexpr int ID_DISTRIBUTION_MANUAL = 32851;
constexpr int ID_DISTRIBUTION_AUTO = 32852;
constexpr int ID_THEORY_VALUES = 32935;
constexpr int ID_CONFIRM_ZERO_TIME = 34000;
constexpr int ID_SHOW_SAMPLE_MARKS = 32917;
constexpr int ID_NEXT_SAMPLE_MARK = 32918;
constexpr int ID_PREV_SAMPLE_MARK = 32919;
constexpr int ID_TOGGLE_BOOKMARK = 32921;
constexpr int ID_NEXT_BOOKMARK = 32922;
constexpr int ID_PREV_BOOKMARK = 32923;
constexpr int ID_CLEAR_BOOKMARKS = 32925;
constexpr int ID_BOOKMARKS_TO_MARKS = 32926;
constexpr int ID_SAVE_AS_TEXT = 32830;
constexpr int ID_SAVE_AS_EXCEL = 32847;
constexpr int ID_SAVE_AS_MATLAB = 32887;
constexpr int ID_PEAK_LIST = 32946;
constexpr int ID_PEAK_OUTPUT = 32947;
constexpr int ID_CURVE_PRINT = 57607;
constexpr int ID_CURVE_PRINT_PREVIEW = 57609;

class CCurveViewWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxCurveViews = 8;

    // A new curve view, or nullptr when eight are open already.
    static CCurveViewWidget* Create(QWidget* parent = nullptr);
    // The open curve views in the order they were opened.
    static const std::vector<CCurveViewWidget*>& CurveViews();
    ~CCurveViewWidget() override;
    // Leaves the list of open curve views (its window is closing).
    void Unregister();

    CCurveViewModel& Model() { return m_model; }
    const CCurveViewModel& Model() const { return m_model; }
    CurveWorld& World() { return m_world; }

    // --- what the main frame and the document call ---
    // Takes the program's tables and run flags again.
    void RefreshWorld();
    void InitialUpdate();
    void SyncWithDocument(int first, int pointCount, int windowCount, bool storedData);
    bool LoadCurveData();
    void SetVirtualChannelValues(std::map<int, float> values);
    int AppendRealTimeData(int kind, int count, const float* sampleSet, const float* const* blocks);
    // Draws the points first..last just appended, or repaints.
    void DrawNewPoints(int first, int last);
    // Repaints everything (with erasing: the cached picture is made anew).
    void Invalidate();
    // A run starts: the pages are W samples long and the buffers live.
    void PrepareForSampling(int pageWidth);
    // Fed by a run since its last preparation.
    bool IsLive() const { return m_bLive; }
    void SetHoldFlag(int showTime);
    void RevalidateChannels();
    // Hides the peak list and the theory values; a rosette or residual-strain
    // view returns to time curves and is drawn anew.
    void ResetSignalKind();

    bool OnCommand(int id);
    bool IsCommandEnabled(int id) const;
    bool IsCommandChecked(int id) const;
    // The view's context menu ("MainView") and the cursor popup ("MainCursor").
    QMenu* BuildContextMenu(QWidget* parent);
    QMenu* BuildCursorMenu(QWidget* parent);

    void OnSignalSelect();
    // "数据编辑": a new value at the single cursor, or zeroing or deleting
    // the samples between the double cursors, in the stored run.
    void OnEditData();
    void ShowPropertySheet();
    // A property sheet's result reaches the view.
    void ApplyGraphAttributes(const CGraphDisplayOptions& options, const RealViewOption& option);

    void SaveLayout(const std::string& file, int index) const;
    void LoadLayout(const std::string& file, int index);

    // --- cursors, marks and bookmarks ---
    // With cursor sync on and other curve views open: they follow the
    // active cursor's stored sample.
    void SyncCursorToOtherViews();
    // Moves the window so that the sample lies in its middle.
    void GoToSample(int sample);
    void OnShowSampleMarks();
    void OnStepSampleMark(int step);
    void OnToggleBookmark();
    void OnBookmarksToSampleMarks();
    void OnConfirmZeroTime();
    void OnDistributionManual();
    void OnSelectDistributionBatch();
    const CCurveBookmarks& Bookmarks() const { return m_bookmarks; }
    const std::vector<SampleMarkEntry>& SampleMarks() const { return m_sampleMarks; }
    bool SampleMarksShown() const { return m_bMarksShown; }
    int CurrentSampleMark() const { return m_nCurrentMark; }

    // --- pictures and the displayed-data file ---
    // The view's own rendering at its size.
    QImage GrabImage();
    bool SaveBitmap(const std::string& path);
    void OnSaveAsBitmap();
    void OnCopyToClipboard();
    // The name of a curve in the displayed-data file.
    std::string BuildCurveName(int curve) const;
    // The displayed-data file's text (UTF-8, "\n" line ends).
    std::string DisplayedDataText();
    // Writes it (GBK, CRLF); ".xls" is appended to a name ending in neither
    // ".xls" nor ".txt". 1 written; a file that cannot be made is reported.
    int SaveDisplayedData(std::string path);
    void OnSaveDataFile();

    // --- save-as of the stored run ---
    // The run's exports and the stored sample count, renewed before each save.
    void SetExportContext(const ExportContext* context, int storedCount);
    // The options dialog's preset: the curves' channels or groups.
    TableSavePreset SavePreset(TableSaveKind kind) const;
    // The samples of a data-range choice: all stored, the window, or those
    // under and between the cursors.
    StoredSaveRange SaveRange(int rangeChoice) const;
    // Text, spreadsheet or MATLAB files of the shown signals; 1 written.
    int SaveData(TableSaveKind kind);
    // The options kept for the view's lifetime.
    SaveDataOptions m_SaveOptions;

    // --- the peak list ---
    // Its entries over the active curve, rebuilt when the data change.
    void UpdatePeakList();
    const PeakList& Peaks() const { return m_peaks; }
    void OnPeakList();
    // Writes the list to the chosen folder and title with ".txt"; 1 written,
    // a file that cannot be made is reported.
    int SavePeakFile(const std::string& chosen);
    void OnPeakOutput();

    // The picture the screen shows, at the widget's size.
    QImage RenderImage();
    // What the axes of the last picture were drawn with.
    const ChannelPanelFields& PanelFields() const;
    // Draws the whole picture (frame, curves, cursors, legend) as on the
    // screen; with a size, laid out for that size on white paper (printing),
    // the screen layout kept.
    void PaintPicture(QPainter& painter);
    void PaintPicture(QPainter& painter, const QSize& size, bool paper);
    // The views printed by this view's print command: the curve views shown
    // on screen when more than one is, else this view alone.
    std::vector<CCurveViewWidget*> ViewsToPrint();
    // Prints the views on one page, arranged as on the screen, with the
    // header and footer of the page setup; 1 on success.
    static int PrintViews(QPrinter& printer, const PageSetupValues& setup,
                          const std::vector<CCurveViewWidget*>& views);
    void OnPrint(bool preview);

    // --- what the owner hands in ---
    std::function<void(CurveWorld&)> fillWorld;
    // The graph defaults file ("defaultGraph.def" of the project or program folder).
    std::function<std::string()> defaultsFile;
    // The drawing mode changed: the document keeps it.
    std::function<void(int mode)> onModeChanged;
    // A distribution selection set the window length.
    std::function<void(int count)> onDistributionWindow;
    // A selection was made: the frame's keep-view-data flag is cleared.
    std::function<void()> onSelectionChanged;
    std::function<void()> onBuffersChanged;
    // The view took the focus outside a run: the status bar shows its point count.
    std::function<void(int pointCount)> onFocus;
    // Dialog runners; tests answer the dialogs through them.
    std::function<int(CDlgPlotSignalSelect&)> runSignalDialog;
    std::function<int(CPropRealTimeViewSheet&)> runPropertySheet;
    std::function<int(CCursorEditDlg&)> runCursorEditDialog;
    RunSaveOptionsDialogFn runSaveOptionsDialog;
    // The export file question (type 2: bitmap): folder, title, extension; 0 cancelled.
    std::function<int(int type, std::string& folder, std::string& title, std::string& extension)>
        askExportFileName;
    // The displayed-data file's path; empty when cancelled.
    std::function<std::string()> askDataOutputPath;
    // The peak output file's path; empty when cancelled.
    std::function<std::string()> askPeakFilePath;
    // The stored run was edited: count is its new sample count after a
    // deletion, -1 when only values changed.
    std::function<void(int count)> onStoredRunChanged;
    // The cursor moved with sync on: the frame takes the other views and the
    // table views to the absolute sample.
    std::function<void(int absolute)> onCursorSync;
    // The window moves to start at first (the document reloads the view).
    std::function<void(int first)> onMoveWindow;
    // The distribution batch choice: the current batches and the active
    // curve's channel in, the chosen batches out; 0 cancelled.
    std::function<int(std::vector<int>& batches, int channel)> runBatchDialog;
    // The frame's page setup (margins, header and footer).
    std::function<PageSetupValues()> pageSetup;
    // Around the print preview: the frame takes its window tabs away and back.
    std::function<void(bool previewing)> onPrintPreview;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    explicit CCurveViewWidget(QWidget* parent);
    void RefreshRunFlags();
    void PrepareFrameStep();
    void RebuildCache();
    void RebuildEnvelopes();
    void PaintCurves(QPainter& painter);
    void PaintTimeSegment(QPainter& painter, int curve, int fromX, int toX);
    void PaintXY(QPainter& painter);
    void PaintDistribution(QPainter& painter);
    void PaintOverlay(QPainter& painter);
    void PaintCursors(QPainter& painter);
    void PaintLegend(QPainter& painter);
    void PaintReadouts(QPainter& painter);
    void PaintPeaks(QPainter& painter);
    bool PeakCommandsEnabled() const;
    bool CurvesShown() const;
    void AfterModelChange(bool reload);
    void Repaint();

    CCurveViewModel m_model;
    CurveWorld m_world;
    std::unique_ptr<CChannelPanelPainter> m_pPainter;
    std::vector<CCurveEnvelope> m_envelopes;
    bool m_bEnvelopesDirty = true;
    QPixmap m_cache;
    bool m_bCacheDirty = true;
    // The Ctrl-drag band.
    QPoint m_bandStart, m_bandEnd;
    bool m_bBand = false;
    bool m_bLive = false;
    // A live run repaints in steps, never after every set.
    CLiveRepaint m_repaint{this};
    PeakList m_peaks;
    const ExportContext* m_pExportContext = nullptr;
    CCurveBookmarks m_bookmarks;
    std::vector<SampleMarkEntry> m_sampleMarks;
    bool m_bMarksShown = false;
    int m_nCurrentMark = 0;
    void PaintMarks(QPainter& painter);
    int m_nExportStoredCount = 0;
};

// The export file question (type 2: bitmap): folder, title, extension; 0 cancelled.
using ExportFileQuestion =
    std::function<int(int type, std::string& folder, std::string& title, std::string& extension)>;
// "另存为位图": asks for the file (the question, or a file dialog without
// one) and saves; a failed save is reported, a written file told to the
// context's reporter when there is one.
void RunSaveAsBitmap(QWidget* parent, const ExportFileQuestion& ask,
                     const std::function<bool(const std::string&)>& save,
                     const ExportContext* context = nullptr);

// One window's picture on a printed page: its place on the screen and its
// painting on paper, laid out for the size it takes on the page (in units of
// the painter, which scales x and y alike).
struct PrintedPicture {
    QWidget* widget = nullptr;
    std::function<void(QPainter&, const QSize& size)> paint;
};
PrintedPicture CurvePicture(CCurveViewWidget* view);
// Prints the pictures on one page, arranged as on the screen, with the
// header and footer of the page setup; 1 on success.
int PrintViewPictures(QPrinter& printer, const PageSetupValues& setup,
                      const std::vector<PrintedPicture>& views);
// The same on any painter: page is the printable area in device pixels.
void PaintPrintedPage(QPainter& painter, const QRect& page, double pixelsPerMm, const PageSetupValues& setup,
                      const std::vector<PrintedPicture>& views);
// The print or print-preview command over the pictures.
void RunPrintCommand(QWidget* parent, bool preview, const PageSetupValues& setup,
                     const std::vector<PrintedPicture>& views, const std::function<void(bool)>& onPreview);

// Writes the text with "\r\n" line ends; a file that cannot be made or
// written is reported (error box) and gives false.
bool WriteTextFileCrLf(const std::string& path, const std::string& text);
// A box of text lines with its top-left corner at (x, y), kept inside the client.
void PaintTextBox(QPainter& painter, const std::vector<std::string>& lines, int x, int y,
                  const QRect& client);
