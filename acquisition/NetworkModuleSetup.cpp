// Frames, values and exchanges of the network module set-up protocol.
#include "acquisition/NetworkModuleSetup.h"

#include "platform/Time.h"

#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace netmodule {

namespace {

constexpr std::uint8_t kCR = 0x0D;
const char* const kCommands[kFieldCount] = {"ATIP", "ATPT", "ATGA", "ATSM", "ATDA", "ATDP"};

Frame Led(const Address& address, const std::string& text) {
    Frame frame(address.begin(), address.end());
    frame.insert(frame.end(), text.begin(), text.end());
    frame.push_back(kCR);
    return frame;
}

bool AllDigits(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// Four dot-separated runs of 1 to 3 digits, each 0-255.
bool SplitOctets(const std::string& text, int octets[4]) {
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = text.find('.', start);
        if ((i < 3) == (dot == std::string::npos))
            return false;
        const std::string part =
            text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (!AllDigits(part) || part.size() > 3)
            return false;
        octets[i] = std::atoi(part.c_str());
        if (octets[i] > 255)
            return false;
        start = dot + 1;
    }
    return true;
}

} // namespace

const char* FieldCommand(int field) {
    return field >= 0 && field < kFieldCount ? kCommands[field] : "";
}

bool IsIpField(int field) {
    return field != kFieldPort && field != kFieldDestPort;
}

Frame ScanFrame() {
    return Frame{'S', 'E', 'T', 'U', 'P'};
}

Frame QueryFrame(const Address& address, int field) {
    return Led(address, FieldCommand(field));
}

Frame EnterSettingFrame(const Address& address) {
    return Led(address, "ATSR=1");
}

Frame EndFrame(const Address& address) {
    return Led(address, "END");
}

bool FormatIpValue(const std::string& text, std::string& out) {
    int octets[4];
    if (text.empty() || text.size() > 15 || !SplitOctets(text, octets))
        return false;
    char value[16];
    std::snprintf(value, sizeof value, "%03d.%03d.%03d.%03d", octets[0], octets[1], octets[2], octets[3]);
    out = value;
    return true;
}

bool FormatPortValue(const std::string& text, std::string& out) {
    if (text.size() > 5 || !AllDigits(text) || std::atoi(text.c_str()) > 65535)
        return false;
    char value[8];
    std::snprintf(value, sizeof value, "%05d", std::atoi(text.c_str()));
    out = value;
    return true;
}

bool SetFrame(const Address& address, int field, const std::string& text, Frame& out) {
    std::string value;
    if (field < 0 || field >= kFieldCount ||
        !(IsIpField(field) ? FormatIpValue(text, value) : FormatPortValue(text, value)))
        return false;
    out = Led(address, std::string(FieldCommand(field)) + "=" + value);
    return true;
}

bool ReadReplyValue(int field, const std::uint8_t* reply, int length, std::string& out) {
    if (reply == nullptr)
        return false;
    if (IsIpField(field)) {
        if (length < 16)
            return false;
        const std::string value(reinterpret_cast<const char*>(reply) + 1, 15);
        int octets[4];
        if (!SplitOctets(value, octets))
            return false;
        out = value;
        return true;
    }
    if (length < 4)
        return false;
    const std::string digits(reinterpret_cast<const char*>(reply) + 1, static_cast<std::size_t>(length - 3));
    if (!AllDigits(digits) || digits.size() > 5)
        return false;
    out = std::to_string(std::atoi(digits.c_str()));
    return true;
}

std::string HostIpAddress() {
    std::string last = "127.0.0.1";
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return last;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0)
        return last;
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
        last = platform::FormatIPv4(in->sin_addr.s_addr);
    }
    ::freeaddrinfo(found);
    return last;
}

std::string ReplyText(const std::uint8_t* reply, int length) {
    std::string text;
    char hex[4];
    for (int i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, "%02X", reply[i]);
        text += hex;
    }
    return text;
}

} // namespace netmodule

using namespace netmodule;

bool CNetworkModuleSetup::Open(const NetworkModuleOptions& options) {
    Close();
    m_options = options;
    if (!m_socket.Bind("0.0.0.0", kPort, true) || !m_socket.JoinMulticast(kGroup)) {
        Close();
        return false;
    }
    m_bJoined = true;
    if (!m_socket.SetMulticastTtl(8) || !m_socket.SetMulticastLoop(options.bMulticastLoop)) {
        Close();
        return false;
    }
    return true;
}

void CNetworkModuleSetup::Close() {
    if (m_bJoined)
        m_socket.LeaveMulticast(kGroup);
    m_bJoined = false;
    m_socket.Close();
    m_devices.clear();
}

int CNetworkModuleSetup::Scan() {
    m_devices.clear();
    const Frame scan = ScanFrame();
    if (m_socket.SendTo(scan.data(), scan.size(), kGroup, kPort) != static_cast<int>(scan.size()))
        return -1;
    platform::Sleep(kScanWaitMs);
    ReceiveUntilQuiet([this](int n, const platform::SocketAddress& from) {
        if (n < kAddressSize)
            return;
        const std::string text = ReplyText(m_buffer.data(), n);
        if (FindDevice(text) != nullptr)
            return;
        NetworkModuleDevice device;
        device.strText = text;
        std::copy(m_buffer.begin(), m_buffer.begin() + kAddressSize, device.address.begin());
        device.from = from;
        m_devices.push_back(device);
    });
    return static_cast<int>(m_devices.size());
}

void CNetworkModuleSetup::ReceiveUntilQuiet(
    const std::function<void(int, const platform::SocketAddress&)>& take) {
    platform::SocketAddress from;
    for (;;) {
        const int n =
            m_socket.ReceiveFrom(m_buffer.data(), m_buffer.size(), m_options.nReceiveTimeoutMs, &from);
        if (n < 0)
            return;
        take(n, from);
    }
}

const NetworkModuleDevice* CNetworkModuleSetup::FindDevice(const std::string& text) const {
    for (const NetworkModuleDevice& device : m_devices)
        if (device.strText == text)
            return &device;
    return nullptr;
}

int CNetworkModuleSetup::Exchange(const NetworkModuleDevice& device, const Frame& frame, Frame& reply) {
    reply.clear();
    if (m_socket.SendTo(frame.data(), frame.size(), kGroup, kPort) != static_cast<int>(frame.size()))
        return -1;
    ReceiveUntilQuiet([&](int n, const platform::SocketAddress& from) {
        // Our own frames coming back and other modules' replies do not count.
        if (n > 1 && from.ip == device.from.ip && from.port == device.from.port)
            reply.assign(m_buffer.begin(), m_buffer.begin() + n);
    });
    return static_cast<int>(reply.size());
}

bool CNetworkModuleSetup::ReadValues(const NetworkModuleDevice& device, Values& values) {
    Frame reply;
    for (int field = 0; field < kFieldCount; ++field) {
        if (Exchange(device, QueryFrame(device.address, field), reply) <= 0 ||
            !ReadReplyValue(field, reply.data(), static_cast<int>(reply.size()), values[field]))
            return false;
    }
    return true;
}

bool CNetworkModuleSetup::WriteValues(const NetworkModuleDevice& device, const Values& values) {
    std::vector<Frame> frames = {EnterSettingFrame(device.address)};
    for (int field = 0; field < kFieldCount; ++field) {
        Frame frame;
        if (!SetFrame(device.address, field, values[field], frame))
            return false;
        frames.push_back(frame);
    }
    Frame reply;
    for (const Frame& frame : frames)
        if (Exchange(device, frame, reply) < 1)
            return false;
    return true;
}

void CNetworkModuleSetup::SendEndToAll() {
    Frame reply;
    for (const NetworkModuleDevice& device : m_devices)
        Exchange(device, EndFrame(device.address), reply);
}
