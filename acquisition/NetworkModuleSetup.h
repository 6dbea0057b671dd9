// The set-up protocol of the cases' Ethernet modules: UDP datagrams to the
// group 236.8.18.180:65000 from a socket bound to port 65000. "SETUP" finds
// every module (its reply begins with the module's 6-byte address); AT-style
// frames, each led by that address, read and write the module's six values.
#pragma once

#include "platform/Socket.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace netmodule {

constexpr const char* kGroup = "236.8.18.180";
constexpr std::uint16_t kPort = 65000;
constexpr int kAddressSize = 6;
constexpr int kReceiveTimeoutMs = 100;
constexpr int kScanWaitMs = 200;

using Address = std::array<std::uint8_t, kAddressSize>;
using Frame = std::vector<std::uint8_t>;

// The six values in the order they are read and written.
enum Field {
    kFieldDeviceIp = 0,
    kFieldPort = 1,
    kFieldGateway = 2,
    kFieldSubnetMask = 3,
    kFieldDestIp = 4,
    kFieldDestPort = 5,
    kFieldCount = 6
};
using Values = std::array<std::string, kFieldCount>;

// "ATIP", "ATPT", "ATGA", "ATSM", "ATDA", "ATDP".
const char* FieldCommand(int field);
bool IsIpField(int field);

Frame ScanFrame();
Frame QueryFrame(const Address& address, int field);
Frame EnterSettingFrame(const Address& address);
Frame EndFrame(const Address& address);
// False (and no frame) for a text that is empty, too long or not a value of its kind.
bool SetFrame(const Address& address, int field, const std::string& text, Frame& out);

// "192.168.1.10" -> "192.168.001.010": 1 to 15 characters, four decimal octets 0-255.
bool FormatIpValue(const std::string& text, std::string& out);
// "6000" -> "06000": 1 to 5 digits, at most 65535.
bool FormatPortValue(const std::string& text, std::string& out);
// The value of a query reply as the field shows it; false when the reply
// does not hold one (an address of four octets, a port of digits).
bool ReadReplyValue(int field, const std::uint8_t* reply, int length, std::string& out);

// The last IPv4 address the host's name resolves to ("127.0.0.1" when none).
std::string HostIpAddress();

// Upper-case hex of the reply: the text a found module is listed by.
std::string ReplyText(const std::uint8_t* reply, int length);

} // namespace netmodule

struct NetworkModuleDevice {
    std::string strText; // the scan reply in hex, as listed
    netmodule::Address address{};
    platform::SocketAddress from; // who sent the scan reply: replies count only from there
};

struct NetworkModuleOptions {
    // Whether our own datagrams come back to this host's members. Off in the
    // program; tests that run the modules on this host turn it on.
    bool bMulticastLoop = false;
    int nReceiveTimeoutMs = netmodule::kReceiveTimeoutMs;
};

class CNetworkModuleSetup {
public:
    CNetworkModuleSetup() = default;
    ~CNetworkModuleSetup() { Close(); }
    CNetworkModuleSetup(const CNetworkModuleSetup&) = delete;
    CNetworkModuleSetup& operator=(const CNetworkModuleSetup&) = delete;

    // Binds 0.0.0.0:65000, joins the group, TTL 8; false (all undone) on failure.
    bool Open(const NetworkModuleOptions& options = {});
    void Close();
    bool IsOpen() const { return m_socket.IsOpen(); }

    // Sends "SETUP" and lists every module once; -1 when the send failed.
    int Scan();
    const std::vector<NetworkModuleDevice>& GetDevices() const { return m_devices; }
    const NetworkModuleDevice* FindDevice(const std::string& text) const;
    void ClearDevices() { m_devices.clear(); }

    // One frame to the group and the device's last reply longer than a byte
    // before the time-out: its length, 0 for none, -1 when the send failed.
    int Exchange(const NetworkModuleDevice& device, const netmodule::Frame& frame, netmodule::Frame& reply);
    // The six values; false at the first query without a usable reply.
    bool ReadValues(const NetworkModuleDevice& device, netmodule::Values& values);
    // "ATSR=1" and the six set frames; false when a value is refused (nothing
    // sent) or a frame is not acknowledged.
    bool WriteValues(const NetworkModuleDevice& device, const netmodule::Values& values);
    // "END" to every listed module.
    void SendEndToAll();

private:
    // Hands every datagram (its length, its sender; the bytes in m_buffer) to
    // `take` until none comes within the receive time-out.
    void ReceiveUntilQuiet(const std::function<void(int, const platform::SocketAddress&)>& take);

    platform::UdpSocket m_socket;
    NetworkModuleOptions m_options;
    bool m_bJoined = false;
    std::vector<NetworkModuleDevice> m_devices;
    std::vector<std::uint8_t> m_buffer = std::vector<std::uint8_t>(65535);
};
