// A remote client of the frame's forwarding server for the frame tests: its
// own thread collects whole packets while the test pumps the frame's messages.
#pragma once

#include "ShellTestSupport.h"
#include "server/RemoteTestSupport.h"

#include "platform/Socket.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A client of the server that keeps every packet it receives.
class PacketCollector {
public:
    ~PacketCollector() {
        m_bRun = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    bool Connect(std::uint16_t port) {
        if (!m_stream.Connect("127.0.0.1", port, 3000))
            return false;
        m_thread = std::thread([this] { Collect(); });
        return true;
    }
    bool Send(const std::string& command) { return m_stream.SendAll(command.data(), command.size(), 3000); }

    // The first packet from index on that matches, waiting while the frame works.
    bool WaitFor(const std::function<bool(const ReceivedPacket&)>& match, ReceivedPacket& found,
                 std::size_t from = 0) {
        return ProcessEventsUntil([&] {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (std::size_t i = from; i < m_packets.size(); ++i)
                if (match(m_packets[i])) {
                    found = m_packets[i];
                    return true;
                }
            return false;
        });
    }
    std::vector<ReceivedPacket> Packets() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_packets;
    }
    std::size_t Count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_packets.size();
    }

private:
    void Collect() {
        std::vector<std::uint8_t> inbox;
        std::uint8_t buffer[65536];
        while (m_bRun.load()) {
            const int n = m_stream.Receive(buffer, sizeof buffer, 50);
            if (n == 0 || n == platform::kSocketError)
                return;
            if (n < 0)
                continue;
            inbox.insert(inbox.end(), buffer, buffer + n);
            while (inbox.size() >= sizeof(RemotePacketHeader)) {
                ReceivedPacket packet;
                std::memcpy(&packet.header, inbox.data(), sizeof packet.header);
                const std::size_t total = sizeof packet.header + packet.header.dwLength;
                if (inbox.size() < total)
                    break;
                packet.payload.assign(inbox.begin() + sizeof packet.header,
                                      inbox.begin() + static_cast<std::ptrdiff_t>(total));
                inbox.erase(inbox.begin(), inbox.begin() + static_cast<std::ptrdiff_t>(total));
                std::lock_guard<std::mutex> lock(m_mutex);
                m_packets.push_back(std::move(packet));
            }
        }
    }

    platform::TcpStream m_stream;
    std::thread m_thread;
    std::atomic<bool> m_bRun{true};
    std::mutex m_mutex; // guards m_packets
    std::vector<ReceivedPacket> m_packets;
};
