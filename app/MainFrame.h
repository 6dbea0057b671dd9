// The program's main window and hub: menus, tool bars, status bar, the two
// docked bars, the tabbed MDI area of data windows, and the project and
// settings it owns. Its topics are split over the MainFrame*.cpp files.
#pragma once

#include <QMainWindow>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ProjectFileDialog.h"
#include "model/ChannelDefaults.h"
#include "model/OperatorRights.h"
#include "model/ProjectState.h"
#include "model/SampleSettings.h"
#include "model/StorageRule.h"
#include "platform/Message.h"
#include "project/LayoutFile.h"
#include "project/ProjectDocument.h"
#include "project/ProjectHandler.h"
#include "project/SampleMarks.h"
#include "views/shared/LiveHistoryFeed.h"
#include "views/shared/PageSetupValues.h"

class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class CChildFrame;
class CChannelParamBar;
class CSampleParamBar;
class CShowDetailWinThread;
class Lurrow;
class CFFTSpectrumChildFrm;
class IStartProgress;
class CCommBase;
class CStartupWork;
class CDatabaseWriter;
class CDdeService;
class CaseProgramHost;
class CDataForwardServer;
class CSamplingControl;
class CLeadWireSelfTest;
class CRemoteCommandDispatch;
class CProgrammedServer;
class CKelvaneLink;
class KelvaneLinkHost;
class CKelvaneFrameHost;
class CFrameSamplingHost;
class CDlgRightsVerify;
class CMainFrameCaseSearch;
class CTableView;
class CQV7411N_NewFrameView;
class CCurveViewWidget;
class CImportantPointDlg;
struct ViewExportSettings;
class CDlgLocateData;
class CDlgSampleLabel;
class CDlgComputingWait;
class CHistoryViewWidget;
class CDlgAlarmState;
class CDlgTestAlarm;
class CDlgLeadResistance;
class CDlgSelfTestResult;
class CBarIndicatorView;
struct ControllerRecord;
struct CurveWorld;
struct TableWorld;
class CResultWorker;
class CMainFrameSettingsDialogs;
enum class ResultStatus : int;

// Docking pane ids.
constexpr int IDR_PANE_CHANNEL_PARAM = 0xF008;
constexpr int IDR_PANE_SAMPLE_PARAM = 0xF009;
// Frame commands of the shell.
constexpr int ID_CLOSE_ALL_WINDOWS = 32790;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_VIEW_TOOLBAR = 59392;
constexpr int ID_VIEW_STATUS_BAR = 59393;
constexpr int ID_NEW_SPECTRUM_WINDOW = 32938;
constexpr int ID_IMPORT_PROJECT = 32877;
constexpr int ID_EXPORT_PROJECT = 32878;
// Status text sent by the frame and the acquisition side (pane 0).
constexpr platform::UINT WM_SET_STATUS_TEXT = 0x877;

// The state of one command for its menu item or button.
struct CCmdUI {
    int m_nID = 0;
    bool m_bEnabled = true;
    bool m_bChecked = false;
    bool m_bVisible = true;
    void Enable(bool enable = true) { m_bEnabled = enable; }
    void SetCheck(bool check = true) { m_bChecked = check; }
};

class CMainFrame : public QMainWindow, public platform::MessageTarget, public IDocumentHost {
    Q_OBJECT
public:
    using CommandHandler = std::function<void()>;
    using UpdateHandler = std::function<void(CCmdUI&)>;
    using MessageHandler = std::function<platform::LRESULT(platform::WPARAM, platform::LPARAM)>;

    explicit CMainFrame(const std::string& programFolder);
    ~CMainFrame() override;

    // Builds the frame in the order of its creation; false when start-up
    // must stop (a missing instrument description file, a channel-parameter
    // file that cannot be loaded).
    bool OnCreate();
    // The close request: false when the frame stays open.
    bool OnClose();

    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;

    // Window messages from workers and other windows, one handler each.
    void OnMessage(platform::UINT message, MessageHandler handler);

    // Commands: a handler runs the command, an update handler decides its
    // state; a command without a handler is disabled.
    void OnCommand(int id, CommandHandler handler, UpdateHandler update = {});
    bool RunCommand(int id);
    bool HasCommandHandler(int id) const { return m_commandHandlers.count(id) != 0; }
    CCmdUI QueryCommandState(int id);
    void UpdateCommandStates();
    QAction* GetAction(int id) const;

    std::string GetProgramFolder() const { return m_strProgramFolder; }
    // Data windows as tabs (true) or as free child windows (false).
    void EnableMDITabs(bool enable);
    const std::string& GetLayoutFileName() const { return m_strLayoutFile; }
    CProjectState& GetProjectState() { return m_project; }
    CProjectHandler& GetProjectHandler() { return *m_pProjectHandler; }
    COperatorRights& GetOperatorRights() { return m_OperatorRights; }
    // Runs the permission-code dialog; tests answer it through this.
    std::function<int(CDlgRightsVerify&)> runRightsDialog;
    CProjectFileDialog& GetProjectFileDialog() { return m_projectDialog; }
    void OnImportProject();
    void OnExportProject();
    int GetDeviceConnected() const { return m_bDeviceConnected; }
    // The interface (0 USB, 1 serial, 2 network) and the high-speed channel list.
    int GetInterfaceMode() const { return m_nInterfaceMode; }
    void SetInterfaceMode(int mode) { m_nInterfaceMode = m_project.m_nInterfaceMode = mode; }
    std::vector<int>& GetHighSpeedChannels() { return m_HighSpeedChannels; }
    void SetDeviceConnected(int connected) { m_bDeviceConnected = connected; }
    IStartProgress* GetProgressSink() const { return m_pProgressSink; }
    CShowDetailWinThread* GetProgressThread() const { return m_pProgressThread.get(); }
    QMdiArea* GetMdiArea() const { return m_pMdiArea; }
    QDockWidget* GetPane(int id) const;
    QToolBar* GetToolBar(int index) const;
    QWidget* GetDataLocateBar() const { return m_pDataLocateBar; }
    CSampleParamBar* GetSampleParamBar() const { return m_pSampleParamBar; }
    CChannelParamBar* GetChannelParamBar() const { return m_pChannelParamBar; }
    // Hands the channel bar the frame's current state and rebuilds its pages.
    void RefreshChannelParamBar();
    CCommBase* GetCommBase() const { return m_pComm.get(); }
    CDataForwardServer* GetRemoteServer() const { return m_pRemoteServer.get(); }
    // The calibrator link's server, when "ProgrammedStrain" is set (MainFrameKelvane.cpp).
    CProgrammedServer* GetKelvaneServer() const { return m_pKelvaneServer.get(); }
    CKelvaneLink* GetKelvaneLink() const { return m_pKelvaneLink.get(); }
    // Sends the calibrator the reply of the code; nothing without the link.
    void SendKelvaneReply(int code);
    int GetTransportOpen() const { return m_bTransportOpen; }
    // The frame mode word (m_nWorkMode) and whether the cases are reached over the network.
    int GetWorkMode() const { return m_nWorkMode; }
    bool IsNetworkInterface() const;
    int GetCasesFound() const { return m_bCasesFound; }
    // The frame's flag and the sampling side's copy of it.
    void SetCasesFound(int found);
    // Builds the communication object for the model and interface and lets
    // it listen for the cases; false when it cannot be made.
    bool CreateInterface(int modelType, int interfaceType);
    // Runs the first case search on the start-up worker.
    bool StartFirstCaseSearch();
    CStartupWork* GetStartupWork() const { return m_pStartupWork.get(); }

    // Sampling side and remote control (MainFrameSampling.cpp, MainFrameRemote.cpp).
    CSamplingControl& GetSampling() const { return *m_pSampling; }
    CDatabaseWriter& GetDatabaseWriter() const { return *m_pDatabaseWriter; }
    // Offers the current channel values on the session bus under "QVhost"
    // (MainFrameDde.cpp); the service ends with the frame. Null when none.
    void StartDdeService();
    CDdeService* GetDdeService() const { return m_pDdeService.get(); }
    CLeadWireSelfTest& GetLeadWireTest() const { return *m_pLeadWireTest; }
    CRemoteCommandDispatch& GetRemoteDispatch() const { return *m_pRemoteDispatch; }
    // The case-search shell the sampling side and the remote commands use;
    // gives it the frame's sampling state.
    void AttachCaseSearch(CMainFrameCaseSearch* shell);
    CMainFrameCaseSearch* GetCaseSearch() const { return m_pCaseSearch; }

    // Data windows.
    CChildFrame* OpenDataWindow(int viewType, bool withData, int layoutIndex = -1);
    std::vector<CChildFrame*> GetChildFramesFrontFirst() const;
    CChildFrame* GetActiveChildFrame() const;
    // The active child window, or the front one while the program is inactive.
    QMdiSubWindow* GetFrontSubWindow() const;
    void CloseAllChildWindows();
    void OnCloseChildWindow();
    void OnCloseAllChildWindows();
    void OnCloseOtherChildWindows();

    // Re-initialises every open data window after a project or case change.
    void ResetAllViews();
    // Curve views (MainFrameCurveViews.cpp): every open one draws its rows
    // from..to of the current page.
    void MarkCurveRows(int from, int to);
    // The value-buffer places the curve and history views read of each set
    // of a run, with those the live history keeps (MainFrameLivePlaces.cpp).
    std::vector<int> LiveDrawnPlaces() const;
    // What a curve view reads of the frame.
    void FillCurveWorld(CurveWorld& world) const;
    // The curve views showing results of that signal kind (2 rosette, 4
    // residual strain) read their groups' results again and repaint.
    void ReloadResultCurveViews(int lineType);

    // Spectrum windows (MainFrameSpectrum.cpp). The graph-interface object
    // exists when spectrum windows are offered ("SoftwareSpectrum").
    Lurrow* GetGraphInterface() const { return m_pGraphInterface.get(); }
    // Hands the graph interface the run's parameters; false without one.
    bool PassParamsToGraphInterface(bool resetViews);
    void PassProjectStateToGraphInterface();
    void OnNewSpectrumWindow();
    // Opens the spectrum windows a layout file names and lets them read it.
    void RestoreSpectrumWindows(const std::string& layoutFile);
    // One analysis block per online channel, frame order.
    void FeedSpectrum(int blockSize, const std::vector<std::vector<float>>& buffers, bool save);
    // At a run's end: the windows re-read and redraw when the graph holds data.
    void RefreshSpectrumViews();
    int GetSpectrumViewCount() const;
    CFFTSpectrumChildFrm* GetActiveSpectrumFrame() const;
    std::vector<CFFTSpectrumChildFrm*> GetSpectrumFrames() const;

    // The connected controllers, or the open project's while none is connected.
    std::vector<ControllerRecord> ControllerTable() const;

    // The active data window's table view, when it is one (MainFrameTables.cpp).
    CTableView* GetActiveTableView() const;
    // Gives a table view the open project's run for its save commands.
    void UpdateTableExport(CTableView& view);
    // The active data window's curve view, when it is one.
    CQV7411N_NewFrameView* GetActiveCurveView() const;
    // The important-point window (nullptr before its first use) and its channels.
    CImportantPointDlg* GetImportantPointDlg() const { return m_pImportantPointDlg; }
    std::array<int, 5>& GetImportantPoints() { return m_ImportantPoints; }
    // The open project's run for a view's save commands, and the export file
    // question (type 0 text, 1 spreadsheet, 2 bitmap, 3 MATLAB; 0 cancelled).
    ViewExportSettings MakeViewExportSettings();
    int AskExportFileName(int type, std::string& folder, std::string& title, std::string& extension);
    // The status-bar line after an export wrote its file.
    void ReportFileWritten(const std::string& what, const std::string& path);
    // The active data window's history view, when it is one.
    CHistoryViewWidget* GetActiveHistoryView() const;
    // What the frame adds to a table view's tables: paging, controllers, result groups.
    void FillTableWorld(TableWorld& world) const;
    // Every open table view takes the tables again and lays itself out anew.
    void RefreshTableViews();

    // Result workers (MainFrameResults.cpp): at a run's end the project's
    // rosette and residual-stress groups are computed over the stored run,
    // each under the computing-wait box that the worker's end takes down.
    void StartResultWorkers(int storedCount);
    void OnResultWorkerDone(ResultStatus status);
    CBarIndicatorView* GetActiveBarView() const;

    // The file dialog of the frame's commands; false when cancelled. Tests give their own.
    using FileChooser = std::function<bool(bool save, const std::string& filter, const std::string& title,
                                           const std::string& folder, std::string& path)>;
    void SetFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }
    bool ChooseFile(bool save, const std::string& filter, const std::string& title, const std::string& folder,
                    std::string& path);

    // Window layout file.
    int SaveWindowLayout(const std::string& fileName);
    int LoadWindowLayout(const std::string& fileName, bool openWithData);

    // IDocumentHost.
    int GetProjectState() const override { return m_project.m_nProjectState; }
    int GetTotalDataCount() const override { return m_project.m_nTotalDataCount; }
    std::string GetProjectName() const override { return m_project.m_strProjectName; }
    std::string GetDocumentLayoutFile() const override;
    bool IsOpeningViewWindow() const override { return m_bOpeningViewWindow; }
    int GetAnalysisBlockSize() const override;
    bool IsRunActive() const override;
    void ShowDataCountInStatusBar(int kind, int count, int total, bool acquiring) override;
    // The count panes for the active data window, or for none.
    void ShowActiveDataCount();
    void ToggleDataLocateBar() override;
    bool DeleteStoredSample(int index) override;
    std::string GetProjectFilePath(const std::string& suffix) const override {
        return m_project.GetFilePath(suffix);
    }
    void LocateOtherViews(const CQV7411N_NewFrameDoc* from, int position) override;
    void SyncViewsToSample(int sample) override;
    void RefreshAllViews() override;
    // Gives every open data window a new total and keeps its window inside it.
    void SetAllViewsDataCount(int count);

    QString GetPaneText(int id) const;
    // Shows text in status pane id (900, 901).
    void SetPaneText(int id, const QString& text);
    void SetStatusText(const QString& text);
    QString GetStatusText() const;

    // Bar flags of the layout file.
    int m_bShowSampleParamBar = 1;
    int m_bShowGraphAtribBar = 1;
    int m_bShowSampleControlBar = 1;
    int m_bShowChannelBar = 1;
    int m_bShowMoveDataBar = 0;
    int m_nTheme = 2;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void RegisterShellMessages();

    // Creation steps (MainFrameCreate.cpp).
    void BuildModelPaths();
    bool CheckInstrumentFile();
    void ReadStartupSettings();
    bool LoadChannelParameters();
    void RestorePlacement();
    bool CreateBars();
    bool CreatePanes();
    void CreateModelessWindows();

    // The docked bars' setup and their messages (MainFrameBars.cpp).
    void SetupSampleParamBar();
    void SetupChannelParamBar();
    void RegisterBarMessages();
    void OnSampleParamsChanged();
    void CreateLinks();
    void ReadRegistrySettings();
    void SaveRegistrySettings();
    void SavePlacement();

    // Menus, tool bars and command states (MainFrameMenus.cpp).
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    void RegisterShellCommands();
    QAction* MakeAction(int id, const QString& text);
    void AddItems(QMenu* menu, const std::vector<int>& ids);
    void UpdateMenu(QMenu* menu);
    void ApplyCommandState(QAction* action, const CCmdUI& state);

    // Project handling hooks (MainFrameProject.cpp).
    void InstallProjectHooks();
    void RegisterProjectCommands();

    // Data windows (MainFrameWindows.cpp).
    void RegisterWindowCommands();
    void RegisterTableCommands();
    void OnNewDataWindow(int viewType);
    void RouteDocumentCommand(int id);
    void SetupTableView(CChildFrame* child);
    void ApplyLayoutBars(const WindowLayoutBars& bars);
    CFFTSpectrumChildFrm* OpenSpectrumWindow();
    // A command of the active spectrum window: runs it (ui null) or sets its
    // state; false when no spectrum window is active.
    bool RouteSpectrumCommand(int id, CCmdUI* ui);
    // A graph command to the active spectrum window, else the active curve
    // view; with ui, its state (disabled without such a window).
    void RouteGraphCommand(int id, CCmdUI* ui);

    // Sampling side and remote control.
    void InstallSampling();
    // The database writer and its messages (MainFrameDatabase.cpp).
    void InstallDatabaseWriter();
    void RegisterSamplingCommands();
    void RegisterSamplingMessages();
    void RegisterResultMessages();
    // Hands the current sample set to every open table view (MainFrameViewFeed.cpp).
    void FeedTableViews();
    // Hands the current converted set to every open curve view, page by page;
    // senderDraws: the sender draws the rows after its batch.
    void FeedCurveViews(const std::int32_t* counters, bool senderDraws);
    void SetupCurveView(CChildFrame* child);
    // The important-point window (MainFrameDataDialogs.cpp): made on first
    // use, then shown or hidden; fed with every sample set.
    void OnImportantPoints();
    void UpdateImportantPoints();
    // Cursor sync: the other curve views put their cursor on the stored
    // sample, automatic distributions and table views move their window there.
    void SyncViewsToSample(CCurveViewWidget* sender, int absolute);
    std::string GraphDefaultsFile() const;
    void InstallGraphBarPopup();
    // A view edited the stored run: count is its new sample count after a
    // deletion, -1 when only values changed; every view reloads.
    void OnStoredRunEdited(int count);
    // The frame's page setup as the graph views print it.
    PageSetupValues CurrentPageSetup() const;
    // The history views' side (MainFrameHistoryViews.cpp): what each one
    // reads of the frame, and the run's live history after every sample.
    void SetupHistoryView(CChildFrame* child);
    void FeedHistoryViews(const std::int32_t* counters);
    // The bar views' side (MainFrameBarViews.cpp): their setup, the newest
    // sample set after the tables, and fresh buffers with the bars cleared.
    void SetupBarView(CChildFrame* child);
    void FeedBarViews();

public:
    void ResetBarViews();
    // A run ended with this many samples stored: every open data window,
    // one opened during the run too, shows the project's stored run and
    // browses it; the table and bar windows show its last set.
    void ReloadViewData(int storedCount);

private:
    void InstallRemoteControl();
    friend class CKelvaneFrameHost;
    void InstallKelvaneLink();
    void OnStartKelvane();

public:
    // Digital channels (MainFrameDigital.cpp).
    void InitDigitalChannels();
    void CloseDigitalChannels();
    void RegisterDigitalCommands();
    // The data dialogs of the settings menu (MainFrameDataDialogs.cpp).
    void RegisterDataDialogCommands();
    void OnStorageRule();
    void OnVirtualChannelSettings();
    // The rosette and residual-stress group dialogs (MainFrameResultDialogs.cpp);
    // the residual-stress command is kept out of the menus.
    void RegisterResultDialogCommands();
    void OnRosetteSettings();
    void OnResidualStress();
    // The table views of a stored run show changed groups; not while a run samples.
    void RefreshStoredRunTables();
    // "零点设置" on the frame's zero table (MainFrameZeroSetting.cpp); its
    // menu command stays disabled.
    void RegisterZeroSettingCommand();
    void OnZeroSetting();
    // Millivolts, one a channel id (unit × 16 + channel).
    std::vector<float>& GetZeroTable() { return m_ZeroTable; }
    void OnDigitalChannelSetting();
    void OnDigitalSettings();
    // The project's digital file while a project is open, else the program folder's.
    std::string DigitalParamFilePath() const;
    void SaveDigitalSettings(const CProjectState& state);
    void LoadDigitalSettings(const CProjectState& state);

    // Test-function windows (MainFrameTestDialogs.cpp).
    CDlgLocateData* GetLocateData() const { return m_pLocateData; }
    CDlgSampleLabel* GetSampleLabel() const { return m_pSampleLabel; }
    // A run starts: its sample marks are counted afresh (or after the
    // project's marks when the run appends).
    void StartSampleMarks();
    void OnAddSampleMark();
    // The text of the mark that the add-mark command began; 1 when written.
    int AddSampleMark(const std::string& text);
    // The box "正在进行计算，请稍候......": shown from the first begin until as
    // many ends came (one pair for each result worker of a finished run).
    void BeginComputingWait();
    void EndComputingWait();
    bool IsComputingWaitShown() const;
    CDlgAlarmState* GetAlarmState() const { return m_pAlarmState; }
    CDlgTestAlarm* GetTestAlarm() const { return m_pTestAlarm; }
    // After each alarm check: the lamp shows the state and a visible
    // test-alarm window the channels in alarm.
    void ShowTestAlarms();
    CDlgLeadResistance* GetLeadResistanceWindow() const { return m_pLeadResistance; }
    CDlgSelfTestResult* GetSelfTestWindow() const { return m_pSelfTestResult; }
    // After a case search: the result windows list the strain channels again.
    void RefreshResultWindows();
    // The test set-up commands and their windows (MainFrameSettingsDialogs.cpp).
    CMainFrameSettingsDialogs* GetSettingsDialogs() const { return m_pSettingsDialogs; }

    // The test-function dialogs' commands (MainFrameTestFunctions.cpp).
    void OnCoefficientDialog();
    void OnSampleEventSettings();
    // The open project's "SampleEvent.INI" when it has one, else the program folder's.
    std::string SampleEventFilePath() const;

private:
    void CheckOpenFileLimit();
    void CreateTestDialogWindows();
    void RegisterTestDialogCommands();
    void RegisterTestFunctionCommands();
    // Attaches the locate window to the active data window.
    void AttachLocateData();

    std::string m_strProgramFolder;
    std::string m_strInstrumentFile;
    std::string m_strChannelParamFile;
    std::string m_strLayoutFile;
    CProjectState m_project;
    // Read from the registry profile at construction, written back at destruction.
    COperatorRights m_OperatorRights;
    std::unique_ptr<CProjectHandler> m_pProjectHandler;
    CProjectFileDialog m_projectDialog{this};
    std::vector<int> m_HighSpeedChannels;
    std::vector<ControllerRecord> m_ProjectControllers; // read from the open project's "Module.ifo"
    StorageRuleSettings m_StorageRule;
    int m_nEventMode = 0;
    int m_nOpcLoopMode = 0;
    int m_nOpcNotifyMode = 0;
    int m_nInterfaceMode = 0;
    int m_nDigitalBaundRate = 4800;
    int m_nDigitalComPort = 2;
    int m_nWorkMode = 0;
    // The five channels of the important-point window (-1: none) and the window.
    std::array<int, 5> m_ImportantPoints{-1, -1, -1, -1, -1};
    CImportantPointDlg* m_pImportantPointDlg = nullptr;
    std::vector<float> m_ZeroTable = std::vector<float>(8192, 0.0f);
    int m_bShowIpModule = 1;
    int m_nHoldTimeSeconds = 10;
    int m_nDeviceType = 3;
    int m_nSubDeviceType = 3;
    int m_bDeviceConnected = 0;
    bool m_bOpeningViewWindow = false;
    bool m_bClosing = false;
    std::int64_t m_tStartTime = 0;

    FileChooser m_fileChooser;
    std::map<platform::UINT, MessageHandler> m_messageHandlers;
    std::map<int, CommandHandler> m_commandHandlers;
    std::map<int, UpdateHandler> m_updateHandlers;
    std::map<int, QAction*> m_actions;
    std::map<int, QDockWidget*> m_panes;
    std::vector<QToolBar*> m_toolBars;
    std::map<int, QLabel*> m_statusPanes;
    std::map<int, QString> m_paneMeasuredShapes; // the last text measured, its digits as 0
    QLabel* m_pStatusText = nullptr;
    QMdiArea* m_pMdiArea = nullptr;
    CSampleParamBar* m_pSampleParamBar = nullptr;
    CChannelParamBar* m_pChannelParamBar = nullptr;
    std::unique_ptr<CHardwareParamCorrect> m_pHardwareCorrector; // the channel bar's
    QWidget* m_pDataLocateBar = nullptr;                         // the locate window, m_pLocateData
    CDlgLocateData* m_pLocateData = nullptr;
    CDlgSampleLabel* m_pSampleLabel = nullptr;
    CDlgComputingWait* m_pComputingWait = nullptr;
    int m_nComputingWaits = 0;
    CDlgAlarmState* m_pAlarmState = nullptr; // m_pAlarmStateWindow
    CDlgTestAlarm* m_pTestAlarm = nullptr;
    CDlgLeadResistance* m_pLeadResistance = nullptr;
    CDlgSelfTestResult* m_pSelfTestResult = nullptr;
    CSampleMarkRecorder m_markRecorder;
    CMainFrameSettingsDialogs* m_pSettingsDialogs = nullptr; // a child object of the frame
    QWidget* m_pModuleInfoWindow = nullptr;
    QWidget* m_pAlarmStateWindow = nullptr;
    std::unique_ptr<CShowDetailWinThread> m_pProgressThread;
    IStartProgress* m_pProgressSink = nullptr;
    std::unique_ptr<Lurrow> m_pGraphInterface;
    // The live history of every value place while a run feeds history views.
    std::unique_ptr<CLiveHistoryFeed> m_pLiveHistory;
    // Shared with the start-up worker, which may still hold it when the frame goes.
    std::shared_ptr<CaseProgramHost> m_pCaseHost;
    std::shared_ptr<CCommBase> m_pComm;
    // The remote-control and data-forwarding server, when "OutControlEnable" is set.
    int m_bOutControlEnable = 0;
    std::unique_ptr<CDataForwardServer> m_pRemoteServer;
    int m_bTransportOpen = 0;
    int m_bCasesFound = 0;
    std::unique_ptr<CStartupWork> m_pStartupWork;
    std::unique_ptr<CFrameSamplingHost> m_pSamplingHost;
    std::unique_ptr<CSamplingControl> m_pSampling;
    std::unique_ptr<CLeadWireSelfTest> m_pLeadWireTest;
    std::unique_ptr<CRemoteCommandDispatch> m_pRemoteDispatch;
    // The calibrator link: the server goes first, so no command arrives at a link that has gone.
    std::unique_ptr<KelvaneLinkHost> m_pKelvaneHost;
    std::unique_ptr<CKelvaneLink> m_pKelvaneLink;
    std::unique_ptr<CProgrammedServer> m_pKelvaneServer;
    CMainFrameCaseSearch* m_pCaseSearch = nullptr; // a child object of the frame
    std::unique_ptr<CDatabaseWriter> m_pDatabaseWriter;
    std::unique_ptr<CDdeService> m_pDdeService;
    std::unique_ptr<CResultWorker> m_pRosetteWorker;
    std::unique_ptr<CResultWorker> m_pResidualWorker;
};
