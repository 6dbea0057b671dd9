// Lead-wire resistance measurement and channel self-test: the commands, the
// worker steps, and the formulas that judge each strain channel.
#include "acquisition/LeadWireSelfTest.h"

#include "acquisition/BoundedWait.h"

#include "acquisition/CaseLink.h"
#include "acquisition/CommBase.h"
#include "acquisition/NetCaseDriver.h"
#include "acquisition/SamplingMessages.h"
#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/ChannelNaming.h"
#include "model/DebugLogFiles.h"
#include "model/RunFlags.h"
#include "platform/MessageBox.h"
#include "platform/Time.h"

#include <cmath>
#include <cstdio>
#include <system_error>
#include <thread>

using namespace sampling_msg;

namespace {
constexpr int kSetBlocks = 512;

bool IsStrain(int id) {
    return g_ChannelParams[id].nMeasureType == MEASURE_STRAIN;
}

bool AnyOnlineStrainChannel() {
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        if (IsValidChannelId(g_ChannelList[i]) && IsStrain(g_ChannelList[i]))
            return true;
    }
    return false;
}

int Ask(const char* text, platform::UINT flags) {
    return platform::MessageBox(text, g_strAppTitle, flags);
}

std::vector<CaseSampleBlock> EmptySet() {
    return std::vector<CaseSampleBlock>(kSetBlocks);
}
} // namespace

CLeadWireSelfTest::CLeadWireSelfTest(SamplingHost* host, platform::HWND frame)
    : m_R0(MAX_CHANNEL_COUNT), m_R1(MAX_CHANNEL_COUNT), m_LeadStatus(MAX_CHANNEL_COUNT),
      m_a0(MAX_CHANNEL_COUNT), m_a1(MAX_CHANNEL_COUNT), m_SelfTestValue(MAX_CHANNEL_COUNT),
      m_SelfTestState(MAX_CHANNEL_COUNT), m_pHost(host), m_hFrame(frame), m_LeadSets(3, EmptySet()),
      m_TestSets(2, EmptySet()) {}

CLeadWireSelfTest::~CLeadWireSelfTest() {
    // The worker may wait in a send to the user-interface thread: wait for it
    // only a bounded time.
    m_bAbort = true;
    WaitBounded([this] { return !m_bWorkerRunning.load(); }, 5000);
}

bool CLeadWireSelfTest::StartWorker(int (CLeadWireSelfTest::*body)()) {
    if (m_bWorkerRunning.exchange(true))
        return false;
    try {
        std::thread([this, body] {
            (this->*body)();
            m_bWorkerRunning = false;
        }).detach();
    } catch (const std::system_error&) {
        m_bWorkerRunning = false;
        return false;
    }
    return true;
}

bool CLeadWireSelfTest::CanMeasureLeadResistance() const {
    return AnyOnlineStrainChannel() && g_nCaseCount > 0 && !g_bSamplePaused.load() &&
           !m_bWorkerRunning.load();
}

float CLeadWireSelfTest::Coef(int channel, int level, bool bridge, bool current) {
    CCommBase* comm = m_pHost->GetComm();
    CCaseProtocol3* encoder = comm ? comm->GetProtocol() : nullptr;
    return encoder ? encoder->GetChannelCoef(channel, level, bridge, current) : 1.0f;
}

float CLeadWireSelfTest::TestLevel(int channel) {
    return m_pHost->GetTestLevel(g_ChannelParams[channel].fGaugeResistance < 150.0f ? 1 : 0);
}

bool CLeadWireSelfTest::Wait(int seconds) {
    for (int i = 0; i < seconds; ++i) {
        if (m_bAbort.load())
            return false;
        platform::SendMessage(m_hFrame, kProgressStep, static_cast<platform::WPARAM>(i + 1), 0);
        platform::Sleep(m_nSecondMs);
    }
    return !m_bAbort.load();
}

void CLeadWireSelfTest::Step(int step, const std::string& text, std::uint32_t pauseMs) {
    m_pHost->ShowProgressStep(step, text);
    platform::Sleep(pauseMs);
}

void CLeadWireSelfTest::FinishEarly() {
    // Nothing was measured: the flags go back and the frame re-enables its
    // bar on a result message without results (wParam 0).
    m_bMeasuring = 0;
    m_bSelfTestRunning = 0;
    m_pHost->CloseProgress();
    platform::SendMessage(m_hFrame, kLeadResults, 0, 0);
}

void CLeadWireSelfTest::OnLeadResistanceTest() {
    if (Ask("是否需要进行导线电阻测量？", platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    if (!AnyOnlineStrainChannel()) {
        Ask("未查找到应变应力通道设置，无法进行导线电阻测量。", platform::MB_OK | platform::MB_ICONSTOP);
        return;
    }
    if (IsRunActive() || m_bWorkerRunning.load())
        return;
    m_bMeasuring = 1;
    m_pHost->EnableChannelBar(false);
    platform::SendMessage(m_hFrame, kProgressShow, 0, 0);
    if (!StartWorker(&CLeadWireSelfTest::MeasureLeadResistance)) {
        m_bMeasuring = 0;
        m_pHost->EnableChannelBar(true);
    }
}

int CLeadWireSelfTest::MeasureLeadResistance() {
    CCommBase* comm = m_pHost->GetComm();
    if (g_bSampling.load() || !comm) {
        FinishEarly();
        return 1;
    }
    const bool inSelfTest = m_bSelfTestRunning.load() != 0;
    g_bLinkBusy = 1;
    g_bLinkWatchEnabled = 0;
    m_bLeadDone = 0;
    Step(1, "获取导线电阻数据", 0);
    comm->RequestLeadData(0);
    if (!Wait(g_bInterface485 ? g_nInterface485RLead : 20)) {
        m_bMeasuring = 0;
        g_bLinkBusy = 0;
        g_bLinkWatchEnabled = 1;
        return 0;
    }
    for (auto& set : m_LeadSets)
        set = EmptySet();
    comm->ReadLeadData(GetLeadSet(0), GetLeadSet(1), 0);
    Step(2, "检查通道状态", 100);
    CheckLeadChannelStatus();
    Step(3, "计算导线电阻", 100);
    ReportLeadResistance();
    Step(4, "", 500);
    m_pHost->CloseProgress();
    m_bMeasuring = 0;
    m_bLeadDone = 1;
    if (!inSelfTest)
        WarnLeadResistance();
    platform::SendMessage(m_hFrame, kLeadResults, 1, 0);
    std::vector<int> channels(g_ChannelList, g_ChannelList + std::min(g_nChannelCount, MAX_CHANNEL_COUNT));
    if (ApplyLeadResistance(channels))
        platform::SendMessage(m_hFrame, kLeadApplied, 0, 0);
    if (!inSelfTest) {
        g_bLinkBusy = 0;
        g_bLinkWatchEnabled = 1;
    }
    return 1;
}

void CLeadWireSelfTest::CheckLeadChannelStatus() {
    std::fill(m_LeadStatus.begin(), m_LeadStatus.end(), 0);
    ForOnlineChannels([this](int id, int unit, int c) {
        if (!IsStrain(id))
            return;
        const float x = std::fabs(GetLeadSet(1)[unit].fValues[c]);
        const float level = TestLevel(id);
        if (x >= 0.95f * level)
            m_LeadStatus[static_cast<std::size_t>(id)] = -1;
        else if (x <= 0.05f * level)
            m_LeadStatus[static_cast<std::size_t>(id)] = -2;
    });
}

namespace {
double LeadFromBridge(double rc, double rg, double x) {
    return ((rc + rg + 4000.0) * x - rg * 4000.0 - rc * 4000.0) / (8000.0 - 2.0 * x);
}
} // namespace

void CLeadWireSelfTest::ComputeLeadResistance3() {
    std::fill(m_R0.begin(), m_R0.end(), 0.0f);
    std::fill(m_R1.begin(), m_R1.end(), 0.0f);
    ForOnlineChannels([this](int id, int unit, int c) {
        if (!IsStrain(id))
            return;
        const ChannelParamRecord& p = g_ChannelParams[id];
        const double rg = p.fGaugeResistance;
        const int level = rg < 150.0 ? 1 : 0;
        const float first = Coef(id, level, false, false) * GetLeadSet(0)[unit].fValues[c];
        const float second = Coef(id, level, false, true) * GetLeadSet(1)[unit].fValues[c];
        const double x = std::fabs(second - first);
        double r0 = 0.0;
        switch (p.nBridgeType) {
        case 0:
            r0 = LeadFromBridge(120.0, rg, x);
            break;
        case 1:
            r0 = LeadFromBridge(350.0, rg, x);
            break;
        case 8:
            r0 = LeadFromBridge(1000.0, rg, x);
            break;
        case 2:
        case 3:
        case 4:
            r0 = ((rg + 2000.0) * x - rg * 4000.0) / (4000.0 - x);
            break;
        case 7:
            r0 = 0.0;
            break;
        default:
            r0 = x * 2000.0 / (4000.0 - x) - rg * 0.5;
            break;
        }
        auto r = static_cast<float>(r0);
        if (!std::isfinite(r) || r < 1e-19f)
            r = 0.0f;
        m_R0[static_cast<std::size_t>(id)] = r;
        if (r > 100.0f)
            m_LeadStatus[static_cast<std::size_t>(id)] = -1;
    });
}

void CLeadWireSelfTest::ReportLeadResistance() {
    std::string d0 = "D0：\n", d1 = "D1：\n";
    char cell[64];
    for (int slot = 0; slot < g_nCaseCount && slot < MAX_CASE_COUNT; ++slot) {
        const int unit = g_CaseList[slot];
        if (unit < 0 || unit >= MAX_CHANNEL_CASE_COUNT)
            continue;
        for (int c = 0; c < 16; ++c) {
            const std::string name = FormatChannelName(unit * 16 + c);
            std::snprintf(cell, sizeof cell, "%s: %.3f  ", name.c_str(), GetLeadSet(0)[unit].fValues[c]);
            d0 += cell;
            std::snprintf(cell, sizeof cell, "%s: %.3f  ", name.c_str(), GetLeadSet(1)[unit].fValues[c]);
            d1 += cell;
        }
        std::snprintf(cell, sizeof cell, "\n1-8: %.3f  9-16: %.3f  ", GetLeadSet(2)[unit].fValues[0],
                      GetLeadSet(2)[unit].fValues[8]);
        d0 += cell;
        d1 += "\n";
    }
    ComputeLeadResistance3();
    std::string r0 = "R0：\n";
    ForOnlineChannels([this, &r0, &cell](int id, int, int) {
        std::snprintf(cell, sizeof cell, "%s: %.3f  ", FormatChannelName(id).c_str(),
                      m_R0[static_cast<std::size_t>(id)]);
        r0 += cell;
    });
    m_strReport = "导线电阻测量值：\n" + d0 + "\n" + d1 + "\n" + r0 + "\nR1：\n";
    WriteDebugLog(m_strReport);
}

bool CLeadWireSelfTest::ApplyLeadResistance(const std::vector<int>& channels) {
    if (!m_bSelfTestRunning.load() &&
        Ask("是否使用当前测量值更新通道导线电阻设置？",
            platform::MB_YESNO | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2) != platform::IDYES)
        return false;
    for (const int id : channels) {
        // Only strain channels were measured: the others keep their records.
        if (!IsValidChannelId(id) || !IsStrain(id))
            continue;
        ChannelParamRecord& p = g_ChannelParams[id];
        if (m_LeadStatus[static_cast<std::size_t>(id)] == 0) {
            const bool doubled = p.nBridgeType == 5 || p.nBridgeType == 6;
            p.fLeadResistance = m_R0[static_cast<std::size_t>(id)] * (doubled ? 2.0f : 1.0f);
            g_ChannelState[id].fReserved40 = m_R1[static_cast<std::size_t>(id)];
        } else {
            p.fLeadResistance = 0.0f;
        }
    }
    return true;
}

void CLeadWireSelfTest::WarnLeadResistance() {
    bool high = false;
    ForOnlineChannels([this, &high](int id, int, int) {
        high = high || (IsStrain(id) && m_R0[static_cast<std::size_t>(id)] > 100.0f);
    });
    if (high)
        Ask("导线电阻过大，可能影响测量精度！", platform::MB_OK | platform::MB_ICONEXCLAMATION);
}

void CLeadWireSelfTest::OnChannelSelfTest() {
    if (Ask("是否需要进行通道自检测量？", platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    if (!AnyOnlineStrainChannel()) {
        Ask("未查找到应变应力通道设置，无法进行通道自检测量。", platform::MB_OK | platform::MB_ICONSTOP);
        return;
    }
    if (!m_bLeadDone.load() && Ask("未进行过导线电阻测量，是否继续通道自检？",
                                   platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    bool high = false;
    for (int i = 0; i < g_nChannelCount && i < MAX_CHANNEL_COUNT; ++i) {
        const int id = g_ChannelList[i];
        high = high || (IsValidChannelId(id) && IsStrain(id) && g_ChannelParams[id].fLeadResistance > 100.0f);
    }
    if (high && Ask("测量通道导线电阻值异常，是否继续通道自检？",
                    platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDYES)
        return;
    if (IsRunActive() || m_bWorkerRunning.load())
        return;
    m_bSelfTestRunning = 1;
    platform::SendMessage(m_hFrame, kProgressShow, 0, 0);
    std::fill(m_SelfTestValue.begin(), m_SelfTestValue.end(), 0.0f);
    std::fill(m_SelfTestState.begin(), m_SelfTestState.end(), 0);
    if (!StartWorker(&CLeadWireSelfTest::RunChannelSelfTest))
        m_bSelfTestRunning = 0;
}

int CLeadWireSelfTest::RunChannelSelfTest() {
    CCommBase* comm = m_pHost->GetComm();
    if (g_bSampling.load() || !comm) {
        FinishEarly();
        return 1;
    }
    g_bLinkBusy = 1;
    Step(1, "获取通道自检数据", 0);
    comm->RequestSelfTestData();
    if (!Wait(g_bInterface485 ? g_nInterface485Check : 25)) {
        m_bSelfTestRunning = 0;
        g_bLinkBusy = 0;
        return 0;
    }
    Step(2, "判断自检结果", 0);
    for (auto& set : m_TestSets)
        set = EmptySet();
    comm->ReadSelfTestData(GetSelfTestSet(0), GetSelfTestSet(1));
    JudgeSelfTest3();
    Step(3, "显示自检结果", 500);
    m_pHost->CloseProgress();
    std::string value = "自检值：\n", a0 = "A0：\n", a1 = "A1：\n";
    char cell[64];
    ForOnlineChannels([&](int id, int, int) {
        const std::string name = FormatChannelName(id);
        const auto i = static_cast<std::size_t>(id);
        std::snprintf(cell, sizeof cell, "%s: %.3f  ", name.c_str(), m_SelfTestValue[i]);
        value += cell;
        std::snprintf(cell, sizeof cell, "%s: %.3f  ", name.c_str(), m_a0[i]);
        a0 += cell;
        std::snprintf(cell, sizeof cell, "%s: %.3f  ", name.c_str(), m_a1[i]);
        a1 += cell;
    });
    m_strReport = value + "\n" + a0 + "\n" + a1 + "\n";
    WriteDebugLog(m_strReport);
    platform::SendMessage(m_hFrame, kSelfTestResults, 1, 0);
    m_bSelfTestRunning = 0;
    g_bLinkBusy = 0;
    return 1;
}

double CLeadWireSelfTest::SelfTestNominal(int channel) {
    const double rg = g_ChannelParams[channel].fGaugeResistance;
    if (rg == 0.0)
        return 0.0; // the formula's limit for a missing gauge
    return (1.0 - rg * 100000.0 / ((rg + 100000.0) * rg)) * 1000000.0 * 0.5;
}

double CLeadWireSelfTest::SelfTestBridgeFactor(int channel) {
    const ChannelParamRecord& p = g_ChannelParams[channel];
    const double rg = p.fGaugeResistance;
    double rl = p.fLeadResistance;
    if (p.nBridgeType == 5 || p.nBridgeType == 6)
        rl *= 0.5;
    const double x = 3.0 * rl + rg;
    if (x == 0.0 || rg + 200000.0 == 0.0)
        return 0.0;
    return (x + 200000.0) * rg / (x * (rg + 200000.0));
}

void CLeadWireSelfTest::JudgeSelfTest3() {
    ForOnlineChannels([this](int id, int unit, int c) {
        const auto i = static_cast<std::size_t>(id);
        const ChannelParamRecord& p = g_ChannelParams[id];
        const int level = p.fGaugeResistance < 150.0f ? 1 : 0;
        const float q = Coef(id, level, true, false);
        m_a0[i] = q * GetSelfTestSet(0)[unit].fValues[c];
        m_a1[i] = q * GetSelfTestSet(1)[unit].fValues[c];
        const double vb = p.nBridgeVoltage;
        const double v = vb != 0.0 ? (static_cast<double>(m_a1[i]) - m_a0[i]) * 1000.0 *
                                         SelfTestBridgeFactor(id) * 2.0 / vb
                                   : 0.0;
        m_SelfTestValue[i] = static_cast<float>(v);
        const double nominal = SelfTestNominal(id);
        std::int32_t state = (0.9 * nominal <= v && v <= 1.1 * nominal) ? 0 : 1;
        if (m_LeadStatus[i] == -1 || m_LeadStatus[i] == -2)
            state = m_LeadStatus[i];
        const double t = TestLevel(id);
        if (std::fabs(m_a0[i]) >= 0.9 * t || std::fabs(m_a1[i]) >= 0.9 * t)
            state = -1;
        m_SelfTestState[i] = state;
    });
}
