// The four data views and the information view as the main frame sees them:
// each is a widget that implements the document's view interface. Their
// drawing comes with the views themselves; here they keep only what the
// frame and the document call on.
#pragma once

#include <QLabel>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "model/ResultGroups.h"
#include "project/ProjectDocument.h"

class CDataCorrectDlg;

class CDataViewBase : public QWidget, public IDocumentView {
    Q_OBJECT
public:
    CDataViewBase(int viewType, const QString& className, QWidget* parent = nullptr);
    ~CDataViewBase() override;

    int GetViewType() const { return m_nViewType; }
    // The class name the layout file records windows by.
    const QString& GetClassName() const { return m_strClassName; }
    void SetDocument(CQV7411N_NewFrameDoc* doc) { m_pDocument = doc; }
    // The display kind a new view starts with.
    virtual int GetDefaultShowGraphType() const { return 1; }
    // The window is closing: the view no longer counts as open.
    virtual void ViewClosing();
    CQV7411N_NewFrameDoc* GetDocument() const { return m_pDocument; }

    void ReloadDataWindow() override;
    void ZoomDistribution(bool zoomIn) override {}
    void RestoreDefaultWindow() override {}
    void OpenPropertySheet() override {}
    // "数据修正": the correction dialog, applied by the document on OK.
    void OpenDataCorrection() override;
    // Runs the data-correction dialog; tests answer it through this.
    std::function<int(CDataCorrectDlg&)> runDataCorrectDialog;
    std::vector<TitleSignal> GetTitleSignals() const override { return {}; }
    void SetTitle(const std::string& title) override;
    // After the document opened (and the layout file was read): the view
    // takes its data.
    virtual void OnInitialUpdate() {}
    // The view's own section of the window layout file.
    virtual void SaveLayout(const std::string& /*file*/, int /*index*/) const {}
    virtual void LoadLayout(const std::string& /*file*/, int /*index*/) {}

signals:
    void titleChanged(const QString& title);

protected:
    QLabel* TitleLabel() const { return m_pLabel; }

private:
    int m_nViewType;
    QString m_strClassName;
    CQV7411N_NewFrameDoc* m_pDocument = nullptr;
    QLabel* m_pLabel;
    bool m_bCounted = true;
};

class CCurveViewWidget;
class CHistoryViewWidget;

// The real-time and distribution curve view: the curve window of views/
// over the document's window of samples.
class CTableViewWidget;
struct TableWorld;
struct ViewExportSource;
struct SaveOptionSources;

// The run a view's save commands export: the open project's stored files,
// its settings and the file dialog. Renewed before each export.
struct ViewExportSettings {
    std::string strDataPath; // the project's ".dat"
    int nSamplingMode = 0;
    float fSamplingFrequency = 0.0f;
    int nStoredCount = 0;
    std::function<int(int type, std::string& folder, std::string& title, std::string& extension)> askFileName;
    // After a successful export: what was written and where.
    std::function<void(const std::string& what, const std::string& path)> reportWritten;
    // The project's groups, which the rosette and residual-stress exports list.
    std::vector<RosetteGroupRecord> rosetteGroups;
    std::vector<ResidualStressGroupRecord> residualGroups;
};

class CQV7411N_NewFrameView : public CDataViewBase {
    Q_OBJECT
public:
    explicit CQV7411N_NewFrameView(QWidget* parent = nullptr);
    ~CQV7411N_NewFrameView() override;
    // nullptr when eight curve views were open already.
    CCurveViewWidget* GetCurve() const { return m_pCurve; }
    void OnInitialUpdate() override;
    // Follows the document's window and loads the stored data.
    void ReloadDataWindow() override;
    void OpenPropertySheet() override;
    // Distribution display: the horizontal zoom commands halve or double the value axis.
    void ZoomDistribution(bool zoomIn) override;
    std::vector<TitleSignal> GetTitleSignals() const override;
    void SaveLayout(const std::string& file, int index) const override;
    void LoadLayout(const std::string& file, int index) override;
    // A closing window is fed no more.
    void ViewClosing() override;
    void SetExportSettings(const ViewExportSettings& settings);

private:
    CCurveViewWidget* m_pCurve = nullptr;
    std::unique_ptr<ViewExportSource> m_pExport;
    // The save-options dialog's lists; the dialog runner keeps a reference.
    std::unique_ptr<SaveOptionSources> m_pSaveSources;
};

// The history curve view: the history window of views/ over the document's
// window of samples, or the run's live history.
class CHistoryView : public CDataViewBase {
    Q_OBJECT
public:
    explicit CHistoryView(QWidget* parent = nullptr);
    ~CHistoryView() override;
    // nullptr when four history views were open already.
    CHistoryViewWidget* GetHistory() const { return m_pHistory; }
    void OnInitialUpdate() override;
    // Follows the document's window and loads the stored data.
    void ReloadDataWindow() override;
    void OpenPropertySheet() override;
    void SaveLayout(const std::string& file, int index) const override;
    void LoadLayout(const std::string& file, int index) override;
    void ViewClosing() override;
    void SetExportSettings(const ViewExportSettings& settings);

private:
    CHistoryViewWidget* m_pHistory = nullptr;
    std::unique_ptr<ViewExportSource> m_pExport;
    // The save-options dialog's lists; the dialog runner keeps a reference.
    std::unique_ptr<SaveOptionSources> m_pSaveSources;
};

// The table view: the grid window of views/ over the program's tables.
class CTableView : public CDataViewBase {
    Q_OBJECT
public:
    explicit CTableView(QWidget* parent = nullptr);
    ~CTableView() override;
    // nullptr when four table views were open already.
    CTableViewWidget* GetTable() const { return m_pTable; }
    TableWorld& GetWorld() { return *m_pWorld; }
    // Takes the program's tables again (a search may have changed the
    // units, a run the stored samples), lays the grid out anew and shows the
    // stored sample at the document's position.
    void ReloadDataWindow() override;
    // "设置图形属性" on a table: the table's own property dialog.
    void OpenPropertySheet() override;
    // Once the frame has set the view up: takes its part of the tables.
    void OnInitialUpdate() override;
    // Measured data.
    int GetDefaultShowGraphType() const override { return 2; }
    // The run the view's save commands export: the open project's stored
    // files, its settings and the file dialog. Renewed before each export.
    using ExportSettings = ViewExportSettings;
    void SetExportSettings(const ExportSettings& settings);
    // What the frame adds to the program's tables: its paging flags and
    // controllers, the project's rosette and residual-stress groups.
    std::function<void(TableWorld&)> fillFromFrame;

private:
    // The program's tables and the project the document reads.
    void FillWorld();

    std::unique_ptr<TableWorld> m_pWorld;
    std::unique_ptr<ViewExportSource> m_pExport;
    // The save-options dialog's lists; the dialog runner keeps a reference.
    std::unique_ptr<SaveOptionSources> m_pSaveSources;
    CTableViewWidget* m_pTable = nullptr;
};

class CBarViewWidget;
class CDlgSignalSelect;

// The bar view: the bar window of views/ over the online channels' newest
// values, live or the document's stored sample.
class CBarIndicatorView : public CDataViewBase {
    Q_OBJECT
public:
    explicit CBarIndicatorView(QWidget* parent = nullptr);
    ~CBarIndicatorView() override;
    // nullptr when four bar views were open already.
    CBarViewWidget* GetBars() const { return m_pBars; }
    void OnInitialUpdate() override;
    // The document's stored sample, or a repaint.
    void ReloadDataWindow() override;
    void OpenPropertySheet() override;
    void SaveLayout(const std::string& file, int index) const override;
    void LoadLayout(const std::string& file, int index) override;
    void ViewClosing() override;
    void SetExportSettings(const ViewExportSettings& settings);
    // The signal-selection dialog's runner; tests answer the dialog through it.
    std::function<int(CDlgSignalSelect&)> runSignalDialog;

private:
    CBarViewWidget* m_pBars = nullptr;
    std::unique_ptr<ViewExportSource> m_pExport;
    // The save-options dialog's lists; the dialog runner keeps a reference.
    std::unique_ptr<SaveOptionSources> m_pSaveSources;
};

// Makes the view of a template (1..4); nullptr for another.
CDataViewBase* CreateDataView(int viewType);
