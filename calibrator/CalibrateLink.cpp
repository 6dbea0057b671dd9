#include "calibrator/CalibrateLink.h"

CCalibrateLink::CCalibrateLink() : m_nMessage(platform::RegisterWindowMessage(kNetworkMessageName)) {
    m_client.AttachWnd(this);
    m_client.AttachMsg(m_nMessage);
}

CCalibrateLink::~CCalibrateLink() {
    SetAllReplies();
    m_client.Close();
    UnregisterTarget();
}

platform::Event& CCalibrateLink::EventOf(int code) {
    switch (code) {
    case CALIBRATE_SET_CHANNELS:
        return m_events[0];
    case CALIBRATE_START_SAMPLING:
        return m_events[1];
    case CALIBRATE_STOP_SAMPLING:
        return m_events[2];
    case CALIBRATE_START_BALANCE:
    case CALIBRATE_BALANCE_CHANNEL:
        return m_events[3];
    case CALIBRATE_END_BALANCE:
        return m_events[4];
    case CALIBRATE_READ_SAMPLE:
        return m_events[5];
    case CALIBRATE_FETCH_COEF:
        return m_events[6];
    case CALIBRATE_WRITE_COEF:
        return m_events[7];
    default:
        return m_noEvent;
    }
}

int CCalibrateLink::Greet() {
    const std::vector<std::uint8_t> greeting = BuildCalibrateRequest(CALIBRATE_GREETING);
    const auto send = [&] {
        return m_client.SendNetworkCommand(reinterpret_cast<const char*>(greeting.data()),
                                           static_cast<int>(greeting.size()));
    };
    // The receive thread runs before the greeting, so that the reply finds it.
    m_client.StartClient();
    if (send())
        return 1;
    m_client.Close();
    if (!m_client.StartConnect(kHost, m_nPort))
        return 0;
    m_client.StartClient();
    return send();
}

int CCalibrateLink::ConnectAndGreet() {
    std::lock_guard lock(m_sendMutex);
    if (!m_client.StartConnect(kHost, m_nPort))
        return 0;
    return Greet();
}

int CCalibrateLink::IsConnected() const {
    return m_client.IsConnectServer();
}

int CCalibrateLink::SendCalibrateCommand(const std::vector<std::uint8_t>& packet) {
    if (packet.empty())
        return 0;
    std::lock_guard lock(m_sendMutex);
    const auto send = [&] {
        return m_client.SendNetworkCommand(reinterpret_cast<const char*>(packet.data()),
                                           static_cast<int>(packet.size()));
    };
    if (send())
        return 1;
    m_client.Close();
    if (!m_client.StartConnect(kHost, m_nPort))
        return 0;
    m_client.StartClient();
    return send();
}

int CCalibrateLink::SendRequest(const std::vector<std::uint8_t>& packet) {
    if (packet.size() < kCalibrateHeaderSize)
        return 0;
    ResetReply(packet[4]);
    return SendCalibrateCommand(packet);
}

bool CCalibrateLink::WaitReply(int code, std::uint32_t milliseconds) {
    return EventOf(code).Wait(milliseconds) == platform::WAIT_OBJECT_0;
}

void CCalibrateLink::ResetReply(int code) {
    EventOf(code).Reset();
}

void CCalibrateLink::SetAllReplies() {
    for (platform::Event& event : m_events)
        event.Set();
}

void CCalibrateLink::OnNetworkData(const std::uint8_t* data, std::size_t length) {
    CalibrateReply reply;
    if (!ParseCalibrateReply(data, length, reply))
        return;
    switch (reply.code) {
    case CALIBRATE_CONTROLLERS: {
        {
            std::lock_guard lock(m_dataMutex);
            m_controllers = std::move(reply.controllers);
            m_nControllers.store(static_cast<int>(m_controllers.size()));
        }
        if (m_onControllers)
            m_onControllers();
        return;
    }
    case CALIBRATE_READ_SAMPLE: {
        std::lock_guard lock(m_dataMutex);
        m_sample = reply.sample;
        break;
    }
    case CALIBRATE_FETCH_COEF: {
        std::lock_guard lock(m_dataMutex);
        m_coefs = std::move(reply.coefs);
        m_bCoefReply.store(true);
        break;
    }
    default:
        break;
    }
    EventOf(reply.code).Set();
}

platform::LRESULT CCalibrateLink::WindowProc(platform::UINT message, platform::WPARAM wParam,
                                             platform::LPARAM lParam) {
    if (message == m_nMessage)
        OnNetworkData(reinterpret_cast<const std::uint8_t*>(lParam), static_cast<std::size_t>(wParam));
    return 0;
}

std::vector<CalibrateControllerRecord> CCalibrateLink::Controllers() const {
    std::lock_guard lock(m_dataMutex);
    return m_controllers;
}

std::optional<CalibrateControllerRecord> CCalibrateLink::FindCase(int nCase) const {
    std::lock_guard lock(m_dataMutex);
    for (const CalibrateControllerRecord& record : m_controllers)
        if (record.nCase == nCase)
            return record;
    return std::nullopt;
}

CaseSampleBlock CCalibrateLink::LastSample() const {
    std::lock_guard lock(m_dataMutex);
    return m_sample;
}

std::vector<CalibrateCoefRecord> CCalibrateLink::CoefRecords() const {
    std::lock_guard lock(m_dataMutex);
    return m_coefs;
}
