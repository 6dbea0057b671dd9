// The calibrator's main frame: the link to the main program, the
// strain-signal generator, the data store and the calibration run, the
// docked parameter form, the result view, the menu commands and the
// calibrator's window messages.
#pragma once

#include "calibrator/CalibrateData.h"
#include "calibrator/CalibrateLink.h"
#include "calibrator/CalibrateRun.h"
#include "calibrator/CalibrateTypes.h"
#include "calibrator/GeneratorSearch.h"
#include "calibrator/KelvaneDialogHost.h"
#include "platform/Message.h"

#include <QMainWindow>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CDlgCalibrationParam;
class CKelvaneView;
class CStrainSignalControl;
class QAction;
class QDockWidget;
class QTimer;

// Menu commands.
constexpr int ID_SET_COM = 32775;
constexpr int ID_FIND_GAUGE = 32777;
constexpr int ID_CHANNEL_COEF = 32778;
constexpr int ID_HAND_SETTING = 32779;
constexpr int ID_RECENT_COEF = 32780;
// Private messages: status text, run finished.
constexpr platform::UINT WM_KELVANE_STATUS = 3369;
constexpr platform::UINT WM_KELVANE_RUN_FINISHED = 3370;
// Messages of our own: the thread ended, the correction offered on Yes,
// the coefficient dialog after its fetch.
constexpr platform::UINT WM_KELVANE_RUN_ENDED = 3371;
constexpr platform::UINT WM_KELVANE_OPEN_CORRECTION = 3372;
constexpr platform::UINT WM_KELVANE_OPEN_COEF = 3373;
constexpr platform::UINT WM_KELVANE_REFRESH = 3374;
constexpr platform::UINT WM_KELVANE_CLEAR = 3375;
constexpr platform::UINT WM_KELVANE_REPEAT = 3376;
// The generator search has ended: wParam 1 when it answered.
constexpr platform::UINT WM_KELVANE_GENERATOR_SEARCHED = 3377;
// Calibration notifications (wParam of the registered message). The
// coefficient write (notification 10) is StartCoefWriting, which the
// dialogs call with their channels and coefficients.
constexpr int NOTIFY_START = 1;
constexpr int NOTIFY_STOP = 2;
constexpr int NOTIFY_REFRESH = 11;

class CKelvaneFrame : public QMainWindow,
                      public platform::MessageTarget,
                      public CalibrateRunHost,
                      public KelvaneDialogHost {
    Q_OBJECT
public:
    static constexpr const char* kNotifyMessageName = "95C1BBB1-B11B-4E56-AC44-D5305CB41E19";

    // Builds the frame on the program folder's settings files; Create
    // connects, opens the generator port, starts looking for the generator
    // and shows the windows.
    explicit CKelvaneFrame(const std::string& programFolder, QWidget* parent = nullptr);
    ~CKelvaneFrame() override;

    void Create();

    // Window messages of the calibrator (status text, run finished,
    // calibration notifications).
    platform::LRESULT WindowProc(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam) override;
    platform::UINT NotifyMessage() const { return m_nNotifyMessage; }
    // Sends a calibration notification to the frame.
    void Notify(int code);

    QAction* Action(int id) const;
    void UpdateActions();

    CCalibrateLink& Link() { return *m_pLink; }
    CCalibrateRun& Run() { return *m_pRun; }
    CDlgCalibrationParam* Form() const { return m_pForm; }
    CKelvaneView* View() const { return m_pView; }
    QDockWidget* Pane() const { return m_pPane; }
    bool IsDone() const { return m_bDone.load(); }
    bool IsPortOpen() const { return m_bPortOpen.load(); }
    bool IsGeneratorFound() const { return m_bGeneratorFound.load(); }
    // Whether the generator is being looked for (start-up or 查找应变仪):
    // the question waits up to 3 s on a thread of its own.
    bool IsSearching() const { return m_search.IsSearching(); }
    const CalibrationSettings& Settings() const { return m_settings; }
    DataFileOption& FileOption() { return m_fileOption; }
    CalibrateChannelParam& Block() { return m_block; }
    const std::vector<int>& BridgeVoltages() const { return m_bridgeVoltages; }
    std::string SettingsPath() const;
    QString StatusText() const;

    // Saves the results of the finished run as the options say; 1 on success.
    int SaveCalibrateResult();
    // The path of the last result file written.
    const std::string& LastResultPath() const { return m_strLastResult; }

    // KelvaneDialogHost
    CStrainSignalControl& Generator() override { return *m_pGenerator; }
    CalibrateData& Data() override { return m_data; }
    CalibrateChannelParam ChannelBlock() const override { return m_block; }
    void SetMeasureRange(int range) override { m_block.MeasureRange = range; }
    std::vector<int> FullValues() const override { return m_fullValues; }
    std::vector<CalibrateCoefRecord> CoefRecords() const override { return m_pLink->CoefRecords(); }
    bool HasCoefReply() const override { return m_pLink->HasCoefReply(); }
    // The writing thread waits for reply 10, which arrives on the
    // user-interface thread: a caller waiting for the end keeps handling
    // events meanwhile.
    bool StartCoefWriting(const std::array<std::int32_t, kCalibrateChannels>& channels,
                          const std::array<float, kCalibrateChannels>& coefs) override;
    bool IsCoefWriting() const override { return m_bCoefWriting.load(); }
    std::string ProgramFolder() const override { return m_strProgramFolder; }

    // Menu commands.
    void OnSetCom();
    void OnFindGauge();
    void OnChannelCoef();
    void OnHandSetting();
    void OnRecentCoef();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // CalibrateRunHost
    int SendRequest(const std::vector<std::uint8_t>& packet) override;
    bool WaitReply(int code, std::uint32_t milliseconds) override;
    void WakeAllWaits() override;
    CaseSampleBlock LastSample() override;
    int SetStrainValue(int channel, int type, int mode, int value) override;
    void ShowStatus(const std::string& text) override;
    void RefreshResults() override;
    void ClearResults(bool marksOnly) override;
    void WriteCorrectFile(const CalibrateChannelParam& block) override;
    void OfferCorrection() override;
    void ShowAbnormal() override;
    void RunFinished() override;
    void ScheduleRepeat(std::uint32_t milliseconds) override;
    void RunEnded() override;

    void BuildMenus();
    void OnCalibrateNotify(int code);
    void StartRun();
    void StopRun();
    void ConnectToMainProgram();
    void OnControllers();
    void OpenGeneratorPort();
    void StartGeneratorSearch(bool report);
    void OnGeneratorSearched(bool found);
    void PlaceBatteryWindow();
    void StopBattery(std::uint32_t milliseconds);
    void JoinWorker(std::thread& thread);
    void SetStatusText(const QString& text);

    std::string m_strProgramFolder;
    platform::UINT m_nNotifyMessage;
    std::unique_ptr<CCalibrateLink> m_pLink;
    std::unique_ptr<CStrainSignalControl> m_pGenerator;
    CalibrateData m_data;
    std::unique_ptr<CCalibrateRun> m_pRun;
    CalibrateChannelParam m_block{};
    DataFileOption m_fileOption;
    CalibrationSettings m_settings;
    std::vector<int> m_fullValues;
    std::vector<int> m_bridgeVoltages;
    int m_nComPort = 1;
    int m_nBaudRate = 19200;
    std::atomic<bool> m_bPortOpen{false};
    std::atomic<bool> m_bGeneratorFound{false};
    std::atomic<bool> m_bCoefWriting{false};
    std::atomic<bool> m_bCoefFetching{false};
    std::atomic<bool> m_bDone{false};
    bool m_bReportSearch = false; // the search came from the command, which says its result
    bool m_bClosed = false;       // the window was closed: nothing more is said
    std::string m_strLastResult;

    CDlgCalibrationParam* m_pForm = nullptr;
    QDockWidget* m_pPane = nullptr;
    CKelvaneView* m_pView = nullptr;
    QWidget* m_pBattery = nullptr;
    QTimer* m_pReconnectTimer = nullptr; // timer 1
    QTimer* m_pRepeatTimer = nullptr;    // timer 3
    std::map<int, QAction*> m_actions;

    mutable std::mutex m_statusMutex; // guards m_strStatus, posted by the threads
    std::string m_strStatus;
    std::thread m_coefWriter;  // the code-10 thread
    std::thread m_coefFetcher; // the code-9 thread of the coefficient command
    CGeneratorSearch m_search; // after the generator, which it uses: it goes first
};
