// The main frame's side of the calibrator link: the server the calibrator
// connects to, the frame's actions for its commands, the link runs' sets
// handed back as readings, and the command that starts the calibrator.
// Ahead of any Qt header, which defines "slots" as a macro that the data-file headers use as a name.
#include "acquisition/SamplingControl.h"

#include "app/MainFrame.h"

#include "acquisition/ChanInfoWrapper.h"
#include "acquisition/CommBase.h"
#include "acquisition/NetComm.h"
#include "app/KelvaneLink.h"
#include "libs/transfer/ProgrammedLink.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelRecords.h"
#include "model/InstrumentIni.h"
#include "model/ProjectState.h"
#include "model/RunFlags.h"
#include "model/SampleSettings.h"
#include "model/ValueConversion.h"
#include "panels/bars/SampleParamBar.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "project/ProjectHandler.h"

#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

using namespace sampling_msg;

constexpr int ID_START_KELVANE = 32948;
constexpr int kKelvanePort = 8001;
constexpr const char* kKelvaneMessageName = "{95C1BBB1-B11A-4E56-AC44-D5305CB41E20}";
constexpr const char* kKelvaneProgram = "Kelvane";
constexpr const char* kCalibrationProject = "Calibrate";

bool IsOnlineChannel(int channel) {
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i)
        if (g_ChannelList[i] == channel)
            return true;
    return false;
}

} // namespace

class CKelvaneFrameHost : public KelvaneLinkHost {
public:
    explicit CKelvaneFrameHost(CMainFrame& frame) : m_frame(frame) {}

    void SendLinkPacket(const std::vector<std::uint8_t>& packet) override {
        CProgrammedServer* server = m_frame.GetKelvaneServer();
        if (!g_bProgrammedStrain || server == nullptr || packet.empty())
            return;
        server->SendNetworkCommand(reinterpret_cast<const char*>(packet.data()),
                                   static_cast<int>(packet.size()));
    }
    std::vector<std::uint8_t> ControllerRecords(std::int32_t& count) override {
        const std::vector<ControllerRecord> table = m_frame.ControllerTable();
        std::vector<std::uint8_t> bytes(table.size() * sizeof(ControllerRecord));
        if (!table.empty())
            std::memcpy(bytes.data(), table.data(), bytes.size());
        count = static_cast<std::int32_t>(table.size());
        return bytes;
    }
    std::vector<std::array<float, 16>> ChannelInfoValues(const KelvaneRecord& record) override {
        const int first = KelvaneModuleFirstChannel(record);
        if (first < 0)
            return {};
        CInstrumentIni ini;
        ini.SetFilePath(m_frame.m_strInstrumentFile);
        std::vector<std::array<float, 16>> entries(
            static_cast<std::size_t>(std::max(0, ini.GetFullValueCount())));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const int code = ini.GetFullValueCode(static_cast<int>(i));
            for (int ch = 0; ch < kKelvaneChannelSlots; ++ch)
                entries[i][static_cast<std::size_t>(ch)] = g_ChanInfo.GetChannelFullCoief(first + ch, code);
        }
        return entries;
    }
    bool StartCalibrationSampling() override {
        if (::IsRunActive())
            return false;
        UseCalibrationSettings();
        for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i)
            m_zeros[g_ChannelList[i]] = 0.0f;
        // The calibration's data go to a project of their own.
        const std::string name = kCalibrationProject;
        const std::string folder = m_frame.m_strProgramFolder + "/Projects";
        platform::CreateFolder(folder);
        m_frame.GetProjectHandler().PrepareProject(folder + "/" + name + "/" + name + ".dap", false);
        g_bPerCaseFiles = 1;
        return m_frame.GetSampling().StartLinkSampling();
    }
    bool StartZeroRun() override { return m_frame.GetSampling().StartLinkZeroAcquisition(); }
    bool IsLinkSamplingRunning() override { return m_frame.GetSampling().IsLinkSamplingRunning(); }
    void StopSampling() override {
        CSamplingControl& sampling = m_frame.GetSampling();
        if (sampling.IsLinkRunRunning())
            g_bSampling = 0; // the link run ends its loop and reports the end
        else if (::IsRunActive())
            sampling.OnStopSample();
    }
    void SetReadingEvent() override { m_frame.GetSampling().SetLinkSampleEvent(); }
    void ResetReadingEvent() override { m_frame.GetSampling().ResetLinkSampleEvent(); }
    void SelectChannel(int channel) override { m_zeros[channel] = 0.0f; }
    void ApplyRecord(const KelvaneRecord& record) override {
        const int first = KelvaneModuleFirstChannel(record);
        if (first < 0)
            return;
        std::vector<int> channels;
        for (int id = first; id < first + kKelvaneChannelSlots; ++id) {
            if (!IsOnlineChannel(id))
                continue;
            ApplyRecordToChannel(record, id);
            channels.push_back(id);
        }
        if (!channels.empty())
            m_frame.GetSampling().DownloadChannelParams(channels);
    }
    bool IsKnownChannel(int channel) override { return IsOnlineChannel(channel); }
    void SendChannelOutput(int channel, std::int32_t value) override {
        if (CCommBase* comm = m_frame.GetCommBase())
            comm->SendCorrectionCoef(channel, 0, FrequencyLevel(), value);
    }
    void After(int milliseconds, std::function<void()> action) override {
        QTimer::singleShot(milliseconds, &m_frame, std::move(action));
    }

    // A zero set of the link's zero run: the zeros, then the selected
    // channel's reading when it is balanced.
    platform::LRESULT OnZeroSet(CKelvaneLink& link) {
        CSamplingControl& sampling = m_frame.GetSampling();
        sampling.ComputeZeroValues(sampling.GetLinkSet());
        const int channel = link.SelectedChannel();
        if (channel < 0 || channel >= MAX_CHANNEL_COUNT || m_zeros.count(channel) == 0)
            return 1;
        const std::int32_t zero = g_ChannelParams[channel].nZero;
        m_zeros[channel] = static_cast<float>(zero);
        if (zero != ZERO_NOT_BALANCED)
            link.SendReply(KELVANE_SELECT_CHANNEL);
        return 1;
    }
    // A sample set of the link's sampling run: the record's module as one reading.
    platform::LRESULT OnSampleSet(CKelvaneLink& link) {
        const int first = KelvaneModuleFirstChannel(link.Record());
        if (first < 0)
            return 1;
        const int unit = first / kKelvaneChannelSlots;
        // The set holds each module at its unit; only an online one has a reading.
        if (!IsOnlineChannel(first))
            return 1;
        const CaseSampleBlock* found = m_frame.GetSampling().GetLinkSet() + unit;
        CaseSampleBlock& reply = link.ReplyBlock();
        reply.nHeader = unit;
        for (int ch = 0; ch < kKelvaneChannelSlots; ++ch)
            reply.fValues[ch] = static_cast<float>(ConvertBlockChannelValue(first + ch, *found));
        link.SendReply(KELVANE_NEXT_READING);
        return 1;
    }

private:
    // Continuous sampling at the instrument's highest rate.
    void UseCalibrationSettings() {
        CInstrumentIni ini;
        ini.SetFilePath(m_frame.m_strInstrumentFile);
        SampleSettings settings = m_frame.GetProjectState().m_SampleSettings;
        const int levels = ini.GetFrequencyLevelCount();
        std::string rate;
        if (levels > 0 && ini.GetFrequencyText(levels - 1, rate) != 0 && std::atof(rate.c_str()) > 0)
            settings.fSampleFreq = static_cast<float>(std::atof(rate.c_str()));
        settings.nSampleMode = SAMPLE_MODE_CONTINUOUS;
        m_frame.GetProjectState().m_SampleSettings = settings;
        if (CSampleParamBar* bar = m_frame.GetSampleParamBar()) {
            bar->SetSampleSettings(settings);
            bar->InitControls();
        }
    }

    // The calibrator's settings on one channel, at coefficient 1.
    static void ApplyRecordToChannel(const KelvaneRecord& record, int id) {
        ChannelParamRecord& p = g_ChannelParams[id];
        p.nMeasureType = record[KELVANE_WORD_CHAN_TYPE] == 1 ? MEASURE_VOLTAGE : MEASURE_STRAIN;
        p.nBridgeType = record[KELVANE_WORD_BRIDGE_TYPE];
        p.nBridgeVoltage = record[KELVANE_WORD_BRIDGE_VOLTAGE];
        p.fLeadResistance = std::bit_cast<float>(record[KELVANE_WORD_LEAD_R]);
        if (!std::isfinite(p.fLeadResistance) || p.fLeadResistance < 0.0f)
            p.fLeadResistance = 0.0f;
        p.fCoefficient = 1.0f;
        g_ChannelState[id].fFullScale = static_cast<float>(record[KELVANE_WORD_MEASURE_RANGE]);
        g_ChannelState[id].fBridgeVoltage = static_cast<float>(p.nBridgeVoltage);
        UpdateChannelScale(id);
    }

    int FrequencyLevel() const {
        CInstrumentIni ini;
        ini.SetFilePath(m_frame.m_strInstrumentFile);
        const int level = ini.FindFrequencyLevel(m_frame.GetProjectState().m_SampleSettings.fSampleFreq);
        return level < 0 ? 0 : level;
    }

    CMainFrame& m_frame;
    std::map<int, float> m_zeros; // the channels the calibrator reads, with their zeros
};

void CMainFrame::InstallKelvaneLink() {
    OnCommand(
        ID_START_KELVANE, [this] { OnStartKelvane(); }, [](CCmdUI& ui) { ui.Enable(true); });
    if (!g_bProgrammedStrain)
        return;
    auto host = std::make_unique<CKelvaneFrameHost>(*this);
    CKelvaneFrameHost& frameHost = *host;
    m_pKelvaneLink = std::make_unique<CKelvaneLink>(*host);
    m_pKelvaneHost = std::move(host);
    CKelvaneLink& link = *m_pKelvaneLink;
    OnMessage(kLinkZeroSet,
              [&frameHost, &link](platform::WPARAM, platform::LPARAM) { return frameHost.OnZeroSet(link); });
    OnMessage(kLinkSampleSet, [&frameHost, &link](platform::WPARAM, platform::LPARAM) {
        return frameHost.OnSampleSet(link);
    });
    OnMessage(kLinkRunEnded, [&link](platform::WPARAM wParam, platform::LPARAM) {
        if (wParam == kLinkZeroSet)
            link.SendReply(KELVANE_STOP_SAMPLING);
        else if (wParam == kLinkSampleSet)
            link.SendReply(KELVANE_STOP_RUN);
        return platform::LRESULT(0);
    });
    const platform::UINT message = platform::RegisterWindowMessage(kKelvaneMessageName);
    OnMessage(message, [&link](platform::WPARAM wParam, platform::LPARAM lParam) {
        link.OnCommand(reinterpret_cast<const std::uint8_t*>(lParam), static_cast<std::size_t>(wParam));
        return platform::LRESULT(0);
    });
    m_pKelvaneServer = std::make_unique<CProgrammedServer>();
    m_pKelvaneServer->InitServer();
    m_pKelvaneServer->AttachWnd(this);
    m_pKelvaneServer->AttachMsg(message);
    if (m_pKelvaneServer->CreateServer(kKelvanePort, 1) != 0)
        m_pKelvaneServer->StartServer();
}

void CMainFrame::SendKelvaneReply(int code) {
    if (m_pKelvaneLink)
        m_pKelvaneLink->SendReply(code);
}

void CMainFrame::OnStartKelvane() {
    const std::string path = m_strProgramFolder + "/" + kKelvaneProgram;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        platform::MessageBox("未发现Kelvane控制系统程序！", g_strAppTitle,
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
        return;
    }
    if (!QProcess::startDetached(QString::fromStdString(path), {}))
        platform::MessageBox("Kelvane控制系统程序启动失败!", "错误提示",
                             platform::MB_OK | platform::MB_ICONEXCLAMATION);
}
