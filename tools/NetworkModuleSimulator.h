// A simulated Ethernet module of a case: joins 236.8.18.180:65000, answers
// "SETUP" with its 6-byte address from its own loopback address, answers the
// AT query frames led by that address, acknowledges the set frames and keeps
// the six values they carry.
#pragma once

#include "platform/Socket.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct NetworkModuleSimOptions {
    std::string localIp = "127.0.0.2"; // replies come from here
    std::array<std::uint8_t, 6> address = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    // Device IP, port, gateway, mask, destination IP and port as the wire carries them.
    std::array<std::string, 6> values = {"192.168.000.010", "06000",           "192.168.000.001",
                                         "255.255.255.000", "192.168.000.100", "05001"};
    int scanReplies = 1;      // how many times "SETUP" is answered
    int scanReplyLength = 10; // below 6: a reply the program ignores
};

class CNetworkModuleSimulator {
public:
    explicit CNetworkModuleSimulator(NetworkModuleSimOptions options);
    ~CNetworkModuleSimulator();
    CNetworkModuleSimulator(const CNetworkModuleSimulator&) = delete;
    CNetworkModuleSimulator& operator=(const CNetworkModuleSimulator&) = delete;

    // Joins the group; false when the sockets could not be set up.
    bool Start();
    void Stop();

    std::array<std::string, 6> GetValues();
    // Every frame led by this module's address, in order, without the address.
    std::vector<std::string> GetFrames();
    int CountFrames(const std::string& text);
    // Set frames and "ATSR=1" go unanswered while on.
    void SetWithholdAcks(bool on) { m_bWithholdAcks = on; }
    // Query replies carry this text instead of the value while it is not empty.
    void SetQueryReplyOverride(const std::string& text);

private:
    void Run();
    void Handle(const std::uint8_t* data, int length);
    void Reply(const std::string& bytes);

    NetworkModuleSimOptions m_options;
    platform::UdpSocket m_receive; // the group's datagrams
    platform::UdpSocket m_send;    // bound to the module's own address
    std::thread m_thread;
    std::atomic<bool> m_bRun{false};
    std::atomic<bool> m_bWithholdAcks{false};

    std::mutex m_mutex; // guards m_options.values, m_frames and m_override
    std::vector<std::string> m_frames;
    std::string m_override;
};
