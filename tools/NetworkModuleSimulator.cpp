// The simulated network module: one thread reading the group.
#include "NetworkModuleSimulator.h"

#include <cstring>

namespace {

constexpr const char* kGroup = "236.8.18.180";
constexpr std::uint16_t kPort = 65000;
const char* const kCommands[6] = {"ATIP", "ATPT", "ATGA", "ATSM", "ATDA", "ATDP"};

int FieldOf(const std::string& command) {
    for (int i = 0; i < 6; ++i)
        if (command == kCommands[i])
            return i;
    return -1;
}

} // namespace

CNetworkModuleSimulator::CNetworkModuleSimulator(NetworkModuleSimOptions options)
    : m_options(std::move(options)) {}

CNetworkModuleSimulator::~CNetworkModuleSimulator() {
    Stop();
}

bool CNetworkModuleSimulator::Start() {
    if (!m_receive.Bind(kGroup, kPort, true) || !m_receive.JoinMulticast(kGroup) ||
        !m_send.Bind(m_options.localIp, kPort, true) || !m_send.SetMulticastLoop(true))
        return false;
    m_bRun = true;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CNetworkModuleSimulator::Stop() {
    m_bRun = false;
    if (m_thread.joinable())
        m_thread.join();
    m_receive.Close();
    m_send.Close();
}

std::array<std::string, 6> CNetworkModuleSimulator::GetValues() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_options.values;
}

std::vector<std::string> CNetworkModuleSimulator::GetFrames() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_frames;
}

int CNetworkModuleSimulator::CountFrames(const std::string& text) {
    int count = 0;
    for (const std::string& frame : GetFrames())
        count += frame == text ? 1 : 0;
    return count;
}

void CNetworkModuleSimulator::SetQueryReplyOverride(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_override = text;
}

void CNetworkModuleSimulator::Run() {
    std::uint8_t buffer[2048];
    platform::SocketAddress from;
    while (m_bRun.load()) {
        const int n = m_receive.ReceiveFrom(buffer, sizeof buffer, 20, &from);
        if (n <= 0 || (from.ip == m_options.localIp && from.port == kPort))
            continue; // nothing, or our own reply coming back
        Handle(buffer, n);
    }
}

void CNetworkModuleSimulator::Handle(const std::uint8_t* data, int length) {
    if (length == 5 && std::memcmp(data, "SETUP", 5) == 0) {
        std::string reply(m_options.address.begin(), m_options.address.end());
        reply += "NM01";
        reply.resize(static_cast<std::size_t>(std::max(m_options.scanReplyLength, 0)), '\0');
        for (int i = 0; i < m_options.scanReplies; ++i)
            Reply(reply);
        return;
    }
    // address, text, CR
    if (length < 8 || std::memcmp(data, m_options.address.data(), 6) != 0 || data[length - 1] != 0x0D)
        return;
    const std::string text(reinterpret_cast<const char*>(data) + 6, static_cast<std::size_t>(length - 7));
    std::string reply;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_frames.push_back(text);
        const int field = FieldOf(text.substr(0, 4));
        if (text == "ATSR=1" || text == "END") {
            reply = "OK\r\n";
        } else if (field >= 0 && text.size() == 4) {
            // One leading byte, the value, two trailing bytes.
            reply = "=" +
                    (m_override.empty() ? m_options.values[static_cast<std::size_t>(field)] : m_override) +
                    "\r\n";
        } else if (field >= 0 && text.size() > 5 && text[4] == '=') {
            m_options.values[static_cast<std::size_t>(field)] = text.substr(5);
            reply = "OK\r\n";
        }
    }
    const bool ack = reply == "OK\r\n";
    if (!reply.empty() && !(ack && m_bWithholdAcks.load() && text != "END"))
        Reply(reply);
}

void CNetworkModuleSimulator::Reply(const std::string& bytes) {
    m_send.SendTo(bytes.data(), bytes.size(), kGroup, kPort);
}
