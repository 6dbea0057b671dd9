// The frame's side of a balance: backups of the zeros, the zeros computed from
// the zero sample set with the not-balanced marks, the ground-input
// difference file and the completion that saves the results.
#include "acquisition/SamplingControl.h"

#include "model/AppSettings.h"
#include "model/CaseTables.h"
#include "model/TimeTexts.h"
#include "model/ValueConversion.h"
#include "platform/Time.h"
#include "project/BalanceResults.h"

#include <cmath>

using namespace sampling_msg;

void CSamplingControl::BackupBalanceValues() {
    ForOnlineChannels([this](int id, int unit, int c) {
        m_BackupZero[static_cast<std::size_t>(id)] = g_ChannelParams[id].nZero;
        m_BackupValue[static_cast<std::size_t>(id)] = m_ZeroSet[static_cast<std::size_t>(unit)].fValues[c];
    });
}

void CSamplingControl::RestoreUnselectedZeros() {
    ForOnlineChannels([this](int id, int unit, int c) {
        if (m_BalanceSelect[id] != 0)
            return;
        g_ChannelParams[id].nZero = m_BackupZero[static_cast<std::size_t>(id)];
        m_ZeroSet[static_cast<std::size_t>(unit)].fValues[c] = m_BackupValue[static_cast<std::size_t>(id)];
    });
}

void CSamplingControl::RestoreAllZeros() {
    ForOnlineChannels([this](int id, int unit, int c) {
        g_ChannelParams[id].nZero = m_BackupZero[static_cast<std::size_t>(id)];
        m_ZeroSet[static_cast<std::size_t>(unit)].fValues[c] = m_BackupValue[static_cast<std::size_t>(id)];
    });
}

void CSamplingControl::ComputeZeroValues(CaseSampleBlock* zeroSet) {
    const double limit = g_nADBase * 0.5;
    ForOnlineChannels([zeroSet, limit](int id, int unit, int c) {
        float& value = zeroSet[unit].fValues[c];
        const int type = g_ChannelParams[id].nMeasureType;
        const bool outOfRange =
            std::fabs(value) > limit && (type == MEASURE_STRAIN || type == MEASURE_BRIDGE_SENSOR);
        // A reading that no int32 holds cannot be a zero either.
        const bool unusable = !std::isfinite(value) || std::fabs(value) >= 2147483520.0f;
        if (outOfRange || unusable || value == kFurtherMarkerValue) {
            value = kUnbalancedValue;
            g_ChannelParams[id].nZero = ZERO_NOT_BALANCED;
        } else {
            g_ChannelParams[id].nZero = static_cast<std::int32_t>(value);
        }
    });
    ConvertBlockToValues(zeroSet);
}

void CSamplingControl::OnBalanceDataReady() {
    const bool ground = m_bGndBalanceRequest.load() != 0;
    if (ground) {
        m_OldZeros.assign(MAX_CHANNEL_COUNT, 0);
        ForOnlineChannels([this](int id, int, int) {
            if (g_ChannelParams[id].nZero != ZERO_NOT_BALANCED)
                m_OldZeros[static_cast<std::size_t>(id)] = g_ChannelParams[id].nZero;
        });
    }
    ComputeZeroValues(m_ZeroSet.data());
    RestoreUnselectedZeros();
    platform::SendMessage(m_hFrame, kBalanceDone, 0, 0);
    platform::SendMessage(m_hFrame, kBalanceFinished, 0, 0);
    if (ground) {
        std::vector<std::int32_t> difference(MAX_CHANNEL_COUNT, 0);
        ForOnlineChannels([this, &difference](int id, int, int) {
            if (g_ChannelParams[id].nZero != ZERO_NOT_BALANCED)
                difference[static_cast<std::size_t>(id)] =
                    g_ChannelParams[id].nZero - m_OldZeros[static_cast<std::size_t>(id)];
        });
        const std::string path = m_pHost->GetProject().m_strProgramFolder + "/zero.odd";
        WriteZeroTextFile(path, difference.data(), m_strBalanceTime);
    }
}

void CSamplingControl::CompleteBalance() {
    CProjectState& project = m_pHost->GetProject();
    m_strBalanceTime = FormatOleDateTime(platform::NowOleDate());
    project.m_strBalanceTime = m_strBalanceTime;
    project.m_bBalanceStatus = 1;
    if (project.HasProjectPath())
        SaveProjectZeros(project.GetFilePath(".zer"), m_strBalanceTime);
    if (!project.m_strProgramFolder.empty())
        SaveProjectZeros(project.GetProgramFilePath(".zer"), m_strBalanceTime);
    m_pHost->SaveChannelParamFile();
    m_pHost->WriteProjectFile();
    m_pHost->SetStatusText(0, "通道平衡完成！");
    m_pHost->RefreshTableViews();
    if (m_pHost->IsForwardingOn() && m_bRemoteRequest) {
        m_pHost->BroadcastPacket(3, 4);
        m_bRemoteRequest = 0;
    }
}

void CSamplingControl::OnBalanceRequest(int value) {
    if (value < 0)
        return;
    m_nRequestValue = value;
    m_bRequestPending = 1;
    m_RequestZeros.resize(MAX_CHANNEL_COUNT);
    for (int id = 0; id < MAX_CHANNEL_COUNT; ++id)
        m_RequestZeros[static_cast<std::size_t>(id)] = g_ChannelParams[id].nZero;
    m_RequestZeroSet = m_ZeroSet;
    // A request whose balance never started restores nothing later.
    if (!OnBalance())
        m_bRequestPending = 0;
}

void CSamplingControl::OnBalanceDone() {
    if (!m_bRequestPending.exchange(0))
        return;
    if (m_RequestZeros.size() != static_cast<std::size_t>(MAX_CHANNEL_COUNT) ||
        m_RequestZeroSet.size() != m_ZeroSet.size())
        return;
    ForOnlineChannels([this](int id, int unit, int c) {
        if (id == m_nRequestValue)
            return;
        g_ChannelParams[id].nZero = m_RequestZeros[static_cast<std::size_t>(id)];
        m_ZeroSet[static_cast<std::size_t>(unit)].fValues[c] =
            m_RequestZeroSet[static_cast<std::size_t>(unit)].fValues[c];
    });
}

void CSamplingControl::BuildZeroSampleSet() {
    ForOnlineChannels([this](int id, int unit, int c) {
        CaseSampleBlock& block = m_ZeroSet[static_cast<std::size_t>(unit)];
        block.nHeader = unit;
        const std::int32_t zero = g_ChannelParams[id].nZero;
        block.fValues[c] = zero == ZERO_NOT_BALANCED ? kUnbalancedValue : static_cast<float>(zero);
    });
}
