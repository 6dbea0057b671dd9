#include "calibrator/KelvaneFrame.h"

#include "calibrator/CalibrateFiles.h"
#include "calibrator/CalibratePacket.h"
#include "calibrator/DlgCalibrationParam.h"
#include "calibrator/KelvaneView.h"
#include "calibrator/PumpUntil.h"
#include "calibrator/RunClock.h"
#include "libs/serial/StrainSignalControl.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/SerialPort.h"
#include "platform/Text.h"
#include "platform/Time.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#ifdef KELVANE_WITH_DIALOGS
#include "calibrator/KelvaneDialogHooks.h"
#endif

namespace {

constexpr int kReconnectMs = 10000;
constexpr std::uint32_t kCoefWaitMs = 3000;
constexpr std::uint64_t kCoefWriteWaitMs = 10000;
constexpr std::uint32_t kCloseWaitMs = 10000;
constexpr const char* kTitle = "Kelvane";

} // namespace

CKelvaneFrame::CKelvaneFrame(const std::string& programFolder, QWidget* parent)
    : QMainWindow(parent), m_strProgramFolder(programFolder),
      m_nNotifyMessage(platform::RegisterWindowMessage(kNotifyMessageName)),
      m_pLink(std::make_unique<CCalibrateLink>()) {
    m_pRun = std::make_unique<CCalibrateRun>(*this, m_data);
    const std::string instrument = platform::JoinPath(programFolder, kInstrumentSettingsFile);
    m_settings = ReadCalibrationSettings(instrument);
    m_fullValues = ReadFullValues(instrument);
    m_bridgeVoltages = ReadBridgeVoltages(instrument);
    const std::string settings = SettingsPath();
    LoadCalibrateParam(settings, m_block);
    m_block.StandardLeadR = m_settings.StandardLeadR;
    LoadDataFileOption(settings, m_fileOption);
    LoadComParam(settings, m_nComPort, m_nBaudRate);
    LoadPointTables(settings, m_data);
    m_data.SetRun(m_block.ChanType, m_block.BridgeType, m_block.MeasureRange);
    m_data.SetErrorPercent(m_settings.ErrorPercent);

    // The document's title before the frame's, as a single-document window shows them.
    setWindowTitle(QString("%1 - %2").arg(kTitle, "QV7416"));
    m_pView = new CKelvaneView(m_data, settings, this);
    DetectParam detect;
    LoadDetectParam(settings, detect);
    m_pView->SetDetectParam(detect);
    m_pView->SetTab(m_block.ChanType);
    setCentralWidget(m_pView);
    m_pPane = new QDockWidget("标定参数设置", this);
    m_pPane->setObjectName("CalibrateParam");
    m_pPane->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_pForm = new CDlgCalibrationParam(*this, m_pPane);
    m_pPane->setWidget(m_pForm);
    addDockWidget(Qt::LeftDockWidgetArea, m_pPane);
    statusBar()->showMessage("就绪");
    BuildMenus();
    m_pForm->LoadControls();

    m_pLink->SetControllersHandler([this] { OnControllers(); });
    m_pReconnectTimer = new QTimer(this);
    m_pReconnectTimer->setInterval(kReconnectMs);
    connect(m_pReconnectTimer, &QTimer::timeout, this, [this] {
        if (!m_pLink->IsConnected())
            ConnectToMainProgram();
    });
    m_pRepeatTimer = new QTimer(this);
    m_pRepeatTimer->setSingleShot(true);
    connect(m_pRepeatTimer, &QTimer::timeout, this, [this] { Notify(NOTIFY_START); });
    // Its usual size, on a screen that holds it; a smaller screen gets the
    // window at the screen's size (the grid then scrolls sideways).
    QSize size(1100, 640);
    if (const QScreen* display = screen())
        size = size.boundedTo(display->availableGeometry().size());
    resize(size);
}

CKelvaneFrame::~CKelvaneFrame() {
    m_bClosed = true;
    m_pReconnectTimer->stop();
    m_pRepeatTimer->stop();
    // The battery window outlives this body; its worker uses the generator.
    StopBattery(0xFFFFFFFF);
    m_pRun->Stop();
    m_search.Finish();
    m_pLink->SetAllReplies();
    PumpUntil([this] { return m_pRun->Join(0); }, 0xFFFFFFFF);
    m_bCoefWriting.store(false);
    JoinWorker(m_coefWriter);
    JoinWorker(m_coefFetcher);
    // The form reads itself back; the settings keep the block and the options.
    m_pForm->ReadForm();
    m_pForm->StoreFileOptions();
    SaveCalibrateParam(SettingsPath(), m_block);
    SaveDataFileOption(SettingsPath(), m_fileOption);
    SaveDetectParam(SettingsPath(), m_pView->GetDetectParam());
    SavePointTables(SettingsPath(), m_data);
    UnregisterTarget();
}

std::string CKelvaneFrame::SettingsPath() const {
    return platform::JoinPath(m_strProgramFolder, kCalibrateParamFile);
}

void CKelvaneFrame::JoinWorker(std::thread& thread) {
    if (!thread.joinable())
        return;
    m_pLink->SetAllReplies();
    thread.join();
}

void CKelvaneFrame::BuildMenus() {
    QMenu* file = menuBar()->addMenu("文件(&F)");
    file->addAction("退出(&X)", this, &QWidget::close);
    QMenu* calibrate = menuBar()->addMenu("标定(&C)");
    QToolBar* tools = addToolBar("标准");
    tools->setObjectName("Toolbar");
    const struct {
        int id;
        const char* text;
        void (CKelvaneFrame::*handler)();
    } commands[] = {
        {ID_SET_COM, "串口设置", &CKelvaneFrame::OnSetCom},
        {ID_FIND_GAUGE, "查找应变仪", &CKelvaneFrame::OnFindGauge},
        {ID_CHANNEL_COEF, "通道修正系数", &CKelvaneFrame::OnChannelCoef},
        {ID_HAND_SETTING, "手动设置", &CKelvaneFrame::OnHandSetting},
        {ID_RECENT_COEF, "最近标定系数", &CKelvaneFrame::OnRecentCoef},
    };
    for (const auto& command : commands) {
        QAction* action = calibrate->addAction(command.text);
        action->setData(command.id);
        connect(action, &QAction::triggered, this, command.handler);
        tools->addAction(action);
        m_actions[command.id] = action;
    }
    connect(calibrate, &QMenu::aboutToShow, this, &CKelvaneFrame::UpdateActions);
    UpdateActions();
}

QAction* CKelvaneFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void CKelvaneFrame::UpdateActions() {
    const bool idle = !m_pRun->IsCalibrating();
    // While the generator is looked for, a new port would wait for the
    // question's end on this thread.
    const bool searching = m_search.IsSearching();
    m_actions[ID_SET_COM]->setEnabled(idle && !searching);
    m_actions[ID_FIND_GAUGE]->setEnabled(idle && !searching && m_bPortOpen.load());
    m_actions[ID_CHANNEL_COEF]->setEnabled(idle);
    m_actions[ID_HAND_SETTING]->setEnabled(true);
    m_actions[ID_RECENT_COEF]->setEnabled(idle);
}

void CKelvaneFrame::Create() {
    ConnectToMainProgram();
    m_pGenerator = std::make_unique<CStrainSignalControl>();
    m_pReconnectTimer->start();
    OpenGeneratorPort();
    m_pForm->EnableStart(false);
    if (m_bPortOpen.load())
        StartGeneratorSearch(false);
#ifdef KELVANE_WITH_DIALOGS
    m_pBattery = kelvane_dialogs::CreateBatteryWindow(this, *this);
    if (m_pBattery != nullptr)
        m_pBattery->show();
#endif
    PlaceBatteryWindow();
    UpdateActions();
}

void CKelvaneFrame::OpenGeneratorPort() {
    m_bPortOpen.store(m_pGenerator->InitializeDeviceInterface(m_nComPort, m_nBaudRate) == 1);
}

// The start button waits for the answer: a run would wait for the
// generator behind the question.
void CKelvaneFrame::StartGeneratorSearch(bool report) {
    if (!m_pGenerator || !m_search.Start(*m_pGenerator, GetSafeHwnd(), WM_KELVANE_GENERATOR_SEARCHED))
        return;
    m_bReportSearch = report;
    m_pForm->EnableStart(false);
    SetStatusText("正在查找应变仪......");
    UpdateActions();
}

void CKelvaneFrame::OnGeneratorSearched(bool found) {
    m_search.Finish();
    m_bGeneratorFound.store(found);
    SetStatusText("就绪");
    // Without a generator a run would set no point and still end as done.
    m_pForm->EnableStart(found);
    if (m_bReportSearch && !m_bClosed)
        platform::MessageBox(found ? "查找应变仪成功！" : "未找到应变仪！", kTitle, platform::MB_OK);
    UpdateActions();
}

void CKelvaneFrame::ConnectToMainProgram() {
    m_pLink->ConnectAndGreet();
}

void CKelvaneFrame::OnControllers() {
    m_pForm->FillCases();
    m_pForm->ReadForm();
}

// The battery's question may wait for the port, behind a search: the
// window keeps answering until the battery has stopped.
void CKelvaneFrame::StopBattery(std::uint32_t milliseconds) {
#ifdef KELVANE_WITH_DIALOGS
    if (m_pBattery != nullptr)
        PumpUntil([this] { return kelvane_dialogs::StopBatteryWindow(m_pBattery); }, milliseconds);
#endif
}

void CKelvaneFrame::PlaceBatteryWindow() {
    if (m_pBattery == nullptr)
        return;
    // Top right of the client area, 10 pixels from the right edge.
    m_pBattery->move(rect().right() - m_pBattery->width() - 10, menuBar()->height());
    m_pBattery->raise();
}

void CKelvaneFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    PlaceBatteryWindow();
}

void CKelvaneFrame::Notify(int code) {
    platform::SendMessage(GetSafeHwnd(), m_nNotifyMessage, code);
}

platform::LRESULT CKelvaneFrame::WindowProc(platform::UINT message, platform::WPARAM wParam,
                                            platform::LPARAM lParam) {
    switch (message) {
    case WM_KELVANE_STATUS: {
        std::string text;
        if (wParam != 0) {
            text = reinterpret_cast<const char*>(wParam);
        } else {
            std::lock_guard lock(m_statusMutex);
            text = m_strStatus;
        }
        if (text.empty())
            return 0;
        SetStatusText(QString::fromStdString(text));
        return 1;
    }
    case WM_KELVANE_RUN_FINISHED:
        if (m_fileOption.SaveMode == 0)
            SaveCalibrateResult();
        platform::MessageBox("标定结束！", kTitle, platform::MB_OK | platform::MB_ICONINFORMATION);
        return 0;
    case WM_KELVANE_RUN_ENDED:
        m_pForm->SetRunButtons(false, false);
        m_pView->SetEditable(true);
        UpdateActions();
        return 0;
    case WM_KELVANE_REFRESH:
        m_pView->RefreshGrid(true);
        return 0;
    case WM_KELVANE_CLEAR:
        m_pView->ClearGrid(wParam != 0);
        return 0;
    case WM_KELVANE_REPEAT:
        m_pRepeatTimer->start(static_cast<int>(run_clock::Scaled(static_cast<std::uint32_t>(wParam))));
        return 0;
    case WM_KELVANE_OPEN_CORRECTION:
#ifdef KELVANE_WITH_DIALOGS
        kelvane_dialogs::RunCalibrateCorrectDialog(this, *this, true);
#endif
        return 0;
    case WM_KELVANE_GENERATOR_SEARCHED:
        OnGeneratorSearched(wParam != 0);
        return 0;
    case WM_KELVANE_OPEN_COEF:
        if (m_coefFetcher.joinable())
            m_coefFetcher.join();
#ifdef KELVANE_WITH_DIALOGS
        kelvane_dialogs::RunCalibrateCoefDialog(this, *this);
#endif
        return 0;
    default:
        if (message == m_nNotifyMessage)
            OnCalibrateNotify(static_cast<int>(wParam));
        return 0;
    }
}

void CKelvaneFrame::SetStatusText(const QString& text) {
    statusBar()->showMessage(text);
}

QString CKelvaneFrame::StatusText() const {
    return statusBar()->currentMessage();
}

void CKelvaneFrame::OnCalibrateNotify(int code) {
    switch (code) {
    case NOTIFY_START:
        StartRun();
        break;
    case NOTIFY_STOP:
        StopRun();
        break;
    case NOTIFY_REFRESH:
        m_pView->SetTab(m_block.ChanType);
        m_pView->RefreshGrid(false);
        break;
    default:
        break;
    }
}

void CKelvaneFrame::StartRun() {
    if (m_pLink->ControllerCount() == 0)
        return;
    m_pRepeatTimer->stop();
    m_bDone.store(false);
    const platform::LocalDateTime now = platform::NowLocal();
    m_pView->SetDateText(platform::Format("%4d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day,
                                          now.hour, now.minute, now.second));
    m_pView->SetTab(m_block.ChanType);
    if (!m_pRun->Start(m_block, m_settings))
        return;
    m_pView->SetEditable(false);
    m_pForm->SetRunButtons(true, true);
    UpdateActions();
}

void CKelvaneFrame::StopRun() {
    m_pRepeatTimer->stop();
    m_pRun->Stop();
}

void CKelvaneFrame::closeEvent(QCloseEvent* event) {
    if (m_pRun->IsCalibrating()) {
        platform::MessageBox("当前处于标定中，请停止后再关闭应用程序!", "标定",
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        event->ignore();
        return;
    }
    // A search still asking ends with the frame, saying nothing.
    m_bClosed = true;
    PumpUntil([this] { return m_pRun->Join(0); }, kCloseWaitMs);
    m_pReconnectTimer->stop();
    m_pRepeatTimer->stop();
    StopBattery(kCloseWaitMs);
    event->accept();
}

// ---- the run's host ---------------------------------------------------------

int CKelvaneFrame::SendRequest(const std::vector<std::uint8_t>& packet) {
    return m_pLink->SendRequest(packet);
}

bool CKelvaneFrame::WaitReply(int code, std::uint32_t milliseconds) {
    return m_pLink->WaitReply(code, milliseconds);
}

void CKelvaneFrame::WakeAllWaits() {
    m_pLink->SetAllReplies();
}

CaseSampleBlock CKelvaneFrame::LastSample() {
    return m_pLink->LastSample();
}

int CKelvaneFrame::SetStrainValue(int channel, int type, int mode, int value) {
    return m_pGenerator ? m_pGenerator->SetStrainValue(channel, type, mode, value) : 0;
}

void CKelvaneFrame::ShowStatus(const std::string& text) {
    {
        std::lock_guard lock(m_statusMutex);
        m_strStatus = text;
    }
    platform::PostMessage(GetSafeHwnd(), WM_KELVANE_STATUS);
}

void CKelvaneFrame::RefreshResults() {
    platform::PostMessage(GetSafeHwnd(), WM_KELVANE_REFRESH);
}

void CKelvaneFrame::ClearResults(bool marksOnly) {
    platform::PostMessage(GetSafeHwnd(), WM_KELVANE_CLEAR, marksOnly ? 1 : 0);
}

void CKelvaneFrame::WriteCorrectFile(const CalibrateChannelParam& block) {
    ::WriteCorrectFile(platform::JoinPath(m_strProgramFolder, kCorrectFile), CorrectContentOf(m_data, block));
}

void CKelvaneFrame::OfferCorrection() {
    if (platform::MessageBox("是否进行标定系数修正？", "标定误差",
                             platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    m_data.RebuildOverLimit();
    // The run's end (saving, "标定结束！") follows once the dialog has closed.
    platform::SendMessage(GetSafeHwnd(), WM_KELVANE_OPEN_CORRECTION);
}

void CKelvaneFrame::ShowAbnormal() {
    platform::MessageBox("标定数据有异常，请检查！", "标定", platform::MB_OK | platform::MB_ICONWARNING);
}

void CKelvaneFrame::RunFinished() {
    platform::PostMessage(GetSafeHwnd(), WM_KELVANE_RUN_FINISHED);
    m_bDone.store(true);
}

void CKelvaneFrame::ScheduleRepeat(std::uint32_t milliseconds) {
    platform::PostMessage(GetSafeHwnd(), WM_KELVANE_REPEAT, milliseconds);
}

void CKelvaneFrame::RunEnded() {
    platform::PostMessage(GetSafeHwnd(), WM_KELVANE_RUN_ENDED);
}

// ---- results ----------------------------------------------------------------

int CKelvaneFrame::SaveCalibrateResult() {
    SetStatusText("正在保存通道标定结果文件......");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const platform::LocalDateTime now = platform::NowLocal();
    const std::string wanted = ResultFilePath(m_fileOption, m_strProgramFolder, now);
    std::string path;
    std::FILE* file = CreateResultFile(wanted, now, path);
    int result = 0;
    if (file != nullptr) {
        const TextGrid grid = ResultGridTexts(m_data, m_data.RunType());
        const DetectParam detect = m_pView->GetDetectParam();
        if (m_fileOption.SaveType == 0) {
            result = WriteResultRows(file, ResultSheetRows(detect, m_block, grid)) ? 1 : 0;
            result = std::fclose(file) == 0 ? result : 0;
        } else {
            std::fclose(file);
#ifdef KELVANE_WITH_DIALOGS
            result = kelvane_dialogs::WriteResultDocument(
                {detect, m_block, grid}, platform::JoinPath(m_strProgramFolder, "Template.docx"), path);
#else
            platform::MessageBox("Couldn't start Word.", kTitle, platform::MB_OK | platform::MB_ICONERROR);
#endif
        }
        if (result == 0)
            platform::DeleteFile(path);
    }
    QApplication::restoreOverrideCursor();
    if (result == 1) {
        m_strLastResult = path;
        if (m_fileOption.Multifile && m_fileOption.NumStoring) {
            ++m_fileOption.StartNum;
            SaveDataFileOption(SettingsPath(), m_fileOption);
        }
    }
    // A result that could not be written is said, never passed over.
    SetStatusText(result == 1 ? QString::fromStdString(path) : QString("标定结果文件保存失败！"));
    return result;
}

// ---- commands ---------------------------------------------------------------

void CKelvaneFrame::OnSetCom() {
    const std::vector<int> ports = platform::ListSerialPorts();
    if (ports.empty()) {
        platform::MessageBox("未找到可用串口！", kTitle, platform::MB_OK | platform::MB_ICONWARNING);
        return;
    }
#ifdef KELVANE_WITH_DIALOGS
    int port = m_nComPort;
    int baud = m_nBaudRate;
    if (!kelvane_dialogs::RunSetComDialog(this, ports, port, baud))
        return;
    m_nComPort = port;
    m_nBaudRate = baud;
    SaveComParam(SettingsPath(), port, baud);
    OpenGeneratorPort();
    if (!m_bPortOpen.load())
        platform::MessageBox("打开串口失败！", kTitle, platform::MB_OK | platform::MB_ICONERROR);
    UpdateActions();
#endif
}

void CKelvaneFrame::OnFindGauge() {
    StartGeneratorSearch(true);
}

void CKelvaneFrame::OnChannelCoef() {
    if (m_bCoefFetching.exchange(true))
        return;
    if (m_coefFetcher.joinable())
        m_coefFetcher.join();
    m_pForm->ReadForm();
    SetStatusText("正在获取通道修正系数......");
    const std::vector<std::uint8_t> request = BuildBlockRequest(CALIBRATE_FETCH_COEF, m_block);
    m_coefFetcher = std::thread([this, request] {
        if (m_pLink->SendRequest(request))
            m_pLink->WaitReply(CALIBRATE_FETCH_COEF, kCoefWaitMs);
        m_bCoefFetching.store(false);
        platform::PostMessage(GetSafeHwnd(), WM_KELVANE_OPEN_COEF);
    });
}

void CKelvaneFrame::OnHandSetting() {
#ifdef KELVANE_WITH_DIALOGS
    kelvane_dialogs::RunHandSettingDialog(this, *this);
#endif
}

void CKelvaneFrame::OnRecentCoef() {
#ifdef KELVANE_WITH_DIALOGS
    kelvane_dialogs::RunCalibrateCorrectDialog(this, *this, false);
#endif
}

bool CKelvaneFrame::StartCoefWriting(const std::array<std::int32_t, kCalibrateChannels>& channels,
                                     const std::array<float, kCalibrateChannels>& coefs) {
    if (m_bCoefWriting.exchange(true))
        return false;
    if (m_coefWriter.joinable())
        m_coefWriter.join();
    const std::vector<std::uint8_t> request = BuildWriteCoefRequest(m_block, channels, coefs);
    m_coefWriter = std::thread([this, request] {
        // A main program that never answers ends the wait, and with it the dialog's.
        const std::uint64_t end = platform::GetTickCount64() + kCoefWriteWaitMs;
        if (m_pLink->SendRequest(request))
            while (m_bCoefWriting.load() && !m_pLink->WaitReply(CALIBRATE_WRITE_COEF, 100) &&
                   platform::GetTickCount64() < end) {
            }
        m_bCoefWriting.store(false);
    });
    return true;
}
