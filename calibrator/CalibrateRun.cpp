#include "calibrator/CalibrateRun.h"

#include "calibrator/CalibratePacket.h"
#include "calibrator/RunClock.h"
#include "platform/Text.h"

#include <cmath>

namespace {

constexpr std::uint32_t kNoTimeout = 0xFFFFFFFF;
constexpr std::uint32_t kWaitSliceMs = 100;
constexpr std::uint32_t kCoefWaitMs = 3000;

} // namespace

CCalibrateRun::CCalibrateRun(CalibrateRunHost& host, CalibrateData& data) : m_host(host), m_data(data) {}

CCalibrateRun::~CCalibrateRun() {
    Stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool CCalibrateRun::Start(const CalibrateChannelParam& block, const CalibrationSettings& settings) {
    if (m_ended.Wait(kPreviousRunWaitMs) != platform::WAIT_OBJECT_0)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    m_block = block;
    m_settings = settings;
    m_data.SetRun(block.ChanType, block.BridgeType, block.MeasureRange);
    m_data.SetExceptionPercent(settings.ExceptionPercent);
    m_data.SetErrorPercent(settings.ErrorPercent);
    m_data.SetStanding(settings.Standing);
    m_stop.Reset();
    m_ended.Reset();
    m_bPaused.store(false);
    m_bCalibrating.store(true);
    m_thread = std::thread([this] { ThreadMain(); });
    return true;
}

void CCalibrateRun::Stop() {
    m_bCalibrating.store(false);
    m_bPaused.store(false);
    m_stop.Set();
    m_host.WakeAllWaits();
}

void CCalibrateRun::TogglePause() {
    if (Active())
        m_bPaused.store(!m_bPaused.load());
}

bool CCalibrateRun::Join(std::uint32_t milliseconds) {
    if (m_ended.Wait(milliseconds) != platform::WAIT_OBJECT_0)
        return false;
    if (m_thread.joinable())
        m_thread.join();
    return true;
}

void CCalibrateRun::ThreadMain() {
    if (m_block.ChanType == CHAN_TYPE_VOLTAGE)
        VoltageRun();
    else if (m_settings.CalibrateType == 0)
        StrainRunByPoint();
    else
        StrainRunByChannel();
    m_bCalibrating.store(false);
    m_bPaused.store(false);
    m_host.RunEnded();
    m_ended.Set();
}

void CCalibrateRun::WaitWhilePaused() {
    while (m_bPaused.load() && Active())
        run_clock::Pause(m_stop, kWaitSliceMs);
}

bool CCalibrateRun::Pause(std::uint32_t milliseconds) {
    run_clock::Pause(m_stop, milliseconds);
    return Active();
}

bool CCalibrateRun::Request(const std::vector<std::uint8_t>& packet, std::uint32_t waitMs) {
    if (packet.size() < kCalibrateHeaderSize)
        return false;
    const int code = static_cast<int>(packet[4]);
    if (m_host.SendRequest(packet) == 0)
        return false;
    // In slices, so that a stop ends the wait even when it came before the
    // reset of the event.
    std::uint32_t waited = 0;
    while (Active() && (waitMs == kNoTimeout || waited < waitMs)) {
        const std::uint32_t slice =
            waitMs == kNoTimeout ? kWaitSliceMs : std::min(kWaitSliceMs, waitMs - waited);
        if (m_host.WaitReply(code, slice))
            break;
        waited += slice;
    }
    return true;
}

bool CCalibrateRun::StopSampling() {
    m_host.ShowStatus("停止标定采样操作");
    return Request(BuildCalibrateRequest(CALIBRATE_STOP_SAMPLING));
}

bool CCalibrateRun::SetChannelParams() {
    m_host.ShowStatus("设置标定通道参数......");
    return Request(BuildBlockRequest(CALIBRATE_SET_CHANNELS, m_block));
}

bool CCalibrateRun::FetchCoefficients() {
    m_host.ShowStatus("正在获取通道修正系数......");
    return Request(BuildBlockRequest(CALIBRATE_FETCH_COEF, m_block), kCoefWaitMs);
}

bool CCalibrateRun::StartSampling() {
    m_host.ShowStatus("启动标定采样操作");
    return Request(BuildCalibrateRequest(CALIBRATE_START_SAMPLING));
}

bool CCalibrateRun::SetGeneratorChannel(int point, int channel1, bool negative) {
    const CalibratePointTable table = m_data.PointTable(m_block.ChanType);
    const auto found = table.find(point);
    if (found == table.end())
        return false;
    m_host.ShowStatus(platform::Format("设置应变仪通道%d标定参数", channel1));
    int mode = m_block.BridgeType;
    const double value = found->second;
    // Truncated as the generator takes whole units; beyond its range it refuses.
    const double truncated = std::trunc(std::fabs(value));
    const int magnitude = truncated > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(truncated);
    if (value < 0 || negative)
        mode += 3;
    return m_host.SetStrainValue(channel1, m_block.ChanType, mode, magnitude) == 1;
}

bool CCalibrateRun::ReadPoint(int channel) {
    m_host.ShowStatus(platform::Format("获取通道%d标定数据......", channel + 1));
    if (!Pause(static_cast<std::uint32_t>(std::max(0, m_settings.SteadySleep))))
        return false;
    return Request(BuildCalibrateRequest(CALIBRATE_READ_SAMPLE)) && Active();
}

bool CCalibrateRun::BalanceChannel(int channel) {
    m_host.ShowStatus(platform::Format("获取通道%d平衡数据......", channel + 1));
    Pause(static_cast<std::uint32_t>(std::max(0, m_settings.SteadySleep)));
    if (!Active())
        return true;
    const std::int64_t global = GlobalChannelNumber(m_block, channel);
    if (global < INT32_MIN || global > INT32_MAX)
        return false;
    return Request(BuildBalanceChannelRequest(static_cast<std::int32_t>(global)));
}

bool CCalibrateRun::Balance(bool negative) {
    m_host.ShowStatus("启动标定平衡操作");
    if (!Request(BuildCalibrateRequest(CALIBRATE_START_BALANCE)))
        return false;
    for (int c : m_data.ChannelList()) {
        if (!Active())
            break;
        if (!SetGeneratorChannel(kZeroPoint, c + 1, negative))
            return false;
        Pause(1500);
        if (!BalanceChannel(c))
            return false;
    }
    m_host.ShowStatus("标定平衡结束");
    return Request(BuildCalibrateRequest(CALIBRATE_END_BALANCE));
}

bool CCalibrateRun::HasNegativePoint() const {
    for (const auto& [point, value] : m_data.PointTable(m_block.ChanType))
        if (value < 0)
            return true;
    return false;
}

bool CCalibrateRun::InTable(int point) const {
    return m_data.PointTable(m_block.ChanType).count(point) != 0;
}

bool CCalibrateRun::MeasureChannel(int point, int channel) {
    m_data.SetCurrent(point, channel);
    m_host.RefreshResults();
    if (!SetGeneratorChannel(point, channel + 1, false))
        return false;
    bool lastFailed = false;
    for (int attempt = 0; attempt < m_settings.ErrorGetTimes && Active(); ++attempt) {
        if (ReadPoint(channel)) {
            const bool accepted = m_data.StoreReading(m_host.LastSample());
            lastFailed = !accepted;
            if (accepted)
                break;
        }
        if (!Active())
            break;
        SetGeneratorChannel(point, channel + 1, false);
        Pause(1000);
    }
    m_host.RefreshResults();
    if (lastFailed && m_settings.ErrorPrompt && Active())
        m_host.ShowAbnormal();
    return true;
}

void CCalibrateRun::MeasurePoint(int point) {
    for (int c : m_data.ChannelList()) {
        WaitWhilePaused();
        if (!Active())
            return;
        MeasureChannel(point, c);
        Pause(10);
    }
}

void CCalibrateRun::StrainRunByPoint() {
    m_data.ResetForRun();
    m_host.ClearResults(false);
    if (!StopSampling() || !Pause(1000) || !SetChannelParams() || !Pause(1000) || !FetchCoefficients() ||
        !Balance(false) || !Pause(2000) || !StartSampling() || !Pause(2000))
        return;
    for (int point : kCalibratePointOrder) {
        WaitWhilePaused();
        if (!Active())
            break;
        if (point == kZeroPoint + 1) {
            if (!HasNegativePoint())
                break;
            m_data.SetCurrent(kZeroPoint, m_data.CurrentChannel());
            m_host.ClearResults(true);
            if (!StopSampling() || !Pause(1000) || !FetchCoefficients() || !Balance(true) || !Pause(2000) ||
                !StartSampling() || !Pause(2000))
                return;
        }
        if (InTable(point)) {
            m_data.SetCurrent(point, m_data.CurrentChannel());
            MeasurePoint(point);
            Pause(100);
        }
    }
    Finish();
}

void CCalibrateRun::StrainRunByChannel() {
    m_data.ResetForRun();
    m_host.ClearResults(false);
    if (!StopSampling() || !SetChannelParams())
        return;
    FetchCoefficients();
    for (int c : m_data.ChannelList()) {
        for (int point : kCalibratePointOrder) {
            WaitWhilePaused();
            if (!Active())
                break;
            if (point == kZeroPoint || point == kZeroPoint + 1) {
                const bool negative = point == kZeroPoint + 1;
                if (negative && !HasNegativePoint())
                    break;
                m_data.SetCurrent(kZeroPoint, c);
                m_host.RefreshResults();
                if (!SetGeneratorChannel(kZeroPoint, c + 1, negative) || !StopSampling() || !Pause(1000) ||
                    !Request(BuildCalibrateRequest(CALIBRATE_START_BALANCE)) || !BalanceChannel(c) ||
                    !Request(BuildCalibrateRequest(CALIBRATE_END_BALANCE)) || !StartSampling())
                    break;
            }
            if (InTable(point)) {
                if (!MeasureChannel(point, c))
                    break;
                Pause(100);
            }
        }
        if (!Active())
            break;
        Pause(10);
    }
    Finish();
}

void CCalibrateRun::VoltageRun() {
    const int point = m_data.VoltagePoint();
    if (!InTable(point))
        return;
    // The voltage table fills one chosen point a run: earlier points stay.
    if (point == kZeroPoint) {
        m_host.ClearResults(true);
        if (!StopSampling() || !Pause(1000) || !SetChannelParams() || !Pause(1000) || !FetchCoefficients() ||
            !Balance(false) || !Pause(2000) || !StartSampling() || !Pause(2000))
            return;
    } else if (!StopSampling() || !Pause(1000) || !FetchCoefficients() || !StartSampling() || !Pause(2000)) {
        return;
    }
    m_data.SetCurrent(point, m_data.CurrentChannel());
    MeasurePoint(point);
    if (!Active())
        return;
    m_data.RebuildOverLimit();
    m_host.RefreshResults();
    StopSampling();
}

void CCalibrateRun::Finish() {
    m_data.RebuildOverLimit();
    m_host.RefreshResults();
    StopSampling();
    if (!Active())
        return;
    if (m_settings.ErrorCorrect && m_settings.Standing == -1) {
        m_data.ComputeCorrection();
        m_host.WriteCorrectFile(m_block);
        if (m_data.AnyOverLimit())
            m_host.OfferCorrection();
    }
    m_host.RunFinished();
    if (m_settings.Standing >= 0) {
        const int counter = ++m_nRunCounter;
        if (m_settings.Standing == 0 || counter < m_settings.Standing)
            m_host.ScheduleRepeat(kRepeatPauseMs);
    }
}
