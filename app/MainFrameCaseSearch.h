// The main frame's acquisition shell: the case search and continue-test
// commands, the automatic detection and its timers, the connected
// controllers with the module information window, the module fault alert,
// the command states of the frame's rules and the pruning of its popups.
// It lives as a child object of the frame and reaches the frame only
// through its public operations.
#pragma once

#include "acquisition/CaseConnections.h"
#include "acquisition/CaseSearch.h"
#include "acquisition/FrameTimers.h"
#include "app/CommandStates.h"
#include "app/PrintParameters.h"

#include <QObject>

#include <functional>
#include <memory>

class CDlgModuleFaultAlert;
class CDlgModuleInfo;
class CMainFrame;
class QDialog;
class QEvent;
class QMenu;
class QTimer;

class CMainFrameCaseSearch : public QObject {
    Q_OBJECT
public:
    // The state the frame keeps elsewhere (the sampling side, the spectrum
    // library); each has a harmless default until the frame provides it.
    struct Providers {
        std::function<bool()> canStartSample = [] { return true; };
        std::function<void(int)> setCasesFound;
        std::function<bool()> isRemoteRequest = [] { return false; };
        std::function<void(bool)> setRemoteRequest;
        std::function<void(FrameCommandState&)> completeCommandState;
        std::function<bool()> digitalLibraryLoaded = [] { return false; };
        // The sampling side's copy of the real-time saving flag.
        std::function<void(int)> setSaveRealtimeData;
    };

    explicit CMainFrameCaseSearch(CMainFrame& frame);
    ~CMainFrameCaseSearch() override;

    // Registers the commands, messages, popup pruning and timer 100 on the frame.
    void Install();
    Providers& GetProviders() { return m_providers; }

    CCaseSearch& GetSearch() { return m_search; }
    CCaseConnections& GetConnections() { return m_connections; }
    CFrameTimers& GetTimers() { return m_timers; }
    // Starts the automatic case search (timer 111, one tick a second).
    void StartAutoDetect();
    bool IsTimerActive(int id) const;
    // One tick of a frame timer, as its QTimer would run it.
    void OnTimer(int id);

    FrameCommandState CollectCommandState() const;
    void PruneMenu(QMenu* menu);
    CDlgModuleInfo* GetModuleInfoWindow() const { return m_pModuleInfo; }
    // The window's lines, joined by "\n".
    QString GetModuleInfoText() const;
    CDlgModuleFaultAlert* GetFaultAlertWindow() const { return m_pFaultAlert; }
    int m_bModuleWindowFlag = 0;
    PagingFlags m_ChannelBarPaging;
    PagingFlags m_TablePaging;
    int m_nStyle = 2;
    int m_nSaveRealtimeData = 1;
    PrintParameters m_PrintParams;
    // Tests answer the page-setup dialog; true for OK.
    void SetPageSetupRunner(std::function<bool(QDialog&)> runner) { m_pageSetupRunner = std::move(runner); }

private:
    class SearchHost;
    class ConnectionsHost;
    class TimersHost;
    class FaultAlert;

    void RegisterCommands();
    void RegisterMessages();
    void CreateWindows();
    void ApplyStyle(int style);
    void OnToggleSpectrum();
    void OnPageSetup();

    CMainFrame& m_frame;
    Providers m_providers;
    std::unique_ptr<SearchHost> m_pSearchHost;
    std::unique_ptr<ConnectionsHost> m_pConnectionsHost;
    std::unique_ptr<TimersHost> m_pTimersHost;
    std::unique_ptr<FaultAlert> m_pFaultAlertAdapter;
    CCaseSearch m_search;
    CCaseConnections m_connections;
    CFrameTimers m_timers;
    QTimer* m_pWaitTimer = nullptr;
    QTimer* m_pDetectTimer = nullptr;
    CDlgModuleInfo* m_pModuleInfo = nullptr;
    CDlgModuleFaultAlert* m_pFaultAlert = nullptr;
    std::function<bool(QDialog&)> m_pageSetupRunner;
};

// The frame's one-line hookup: creates the shell as the frame's child and installs it.
CMainFrameCaseSearch* InstallCaseSearch(CMainFrame& frame);
