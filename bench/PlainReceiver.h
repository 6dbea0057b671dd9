// The plainest receiver of the simulated cases' stream that stores what the
// program stores: one poll loop over plain sockets, one multiply-add a
// channel, and per unit the same 68-byte blocks in a .dat file and 32-byte
// status records in a .stu file, written 64 KB of blocks at a time. It is the
// yardstick the program's own path is measured against; it keeps no
// channel records, views, alarms or queues.
#pragma once

#include "acquisition/CaseFrame.h"
#include "datafiles/SampleFileFormat.h"
#include "model/CaseSampleBlock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace bench {

class PlainReceiver {
public:
    static constexpr int kUnitBytes = 56;    // a module's sample on the wire
    static constexpr int kFlushBlocks = 964; // 64 KB of a unit's blocks, as the program's pieces
    static constexpr int kRoundPauseMs = 10; // a round takes several packets of every case
    static constexpr int kBufferBytes = 1 << 18;

    PlainReceiver() = default;
    PlainReceiver(const PlainReceiver&) = delete;
    PlainReceiver& operator=(const PlainReceiver&) = delete;
    ~PlainReceiver() { Close(); }

    // Listens on 127.0.0.1 at a port of the system's choice; 0 on failure.
    unsigned Listen() {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(m_listener, 64) != 0 ||
            getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return 0;
        return ntohs(address.sin_port);
    }

    // Takes the connections of `cases` cases, case i from 127.0.0.(i + 2),
    // within timeoutMs; false when one is missing.
    bool Accept(int cases, int modules, int timeoutMs) {
        m_modules = modules;
        m_cases.assign(static_cast<std::size_t>(cases), Case{});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int connected = 0;
        while (connected < cases && std::chrono::steady_clock::now() < deadline) {
            pollfd waiting{m_listener, POLLIN, 0};
            if (poll(&waiting, 1, 100) <= 0)
                continue;
            sockaddr_in peer{};
            socklen_t length = sizeof peer;
            const int fd = accept(m_listener, reinterpret_cast<sockaddr*>(&peer), &length);
            const int index = static_cast<int>(ntohl(peer.sin_addr.s_addr) & 0xFF) - 2;
            if (fd < 0 || index < 0 || index >= cases || m_cases[std::size_t(index)].fd >= 0) {
                if (fd >= 0)
                    close(fd);
                continue;
            }
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            m_cases[std::size_t(index)].fd = fd;
            ++connected;
        }
        return connected == cases;
    }

    // Opens every unit's two files in folder and starts every case's stream.
    bool Start(const std::string& folder) {
        m_units.assign(m_cases.size() * static_cast<std::size_t>(m_modules), Unit{});
        for (std::size_t u = 0; u < m_units.size(); ++u) {
            Unit& unit = m_units[u];
            const std::string name = folder + "/plain_" + std::to_string(u);
            unit.dat = open((name + ".dat").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            unit.stu = open((name + ".stu").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (unit.dat < 0 || unit.stu < 0)
                return false;
            unit.blocks.resize(kFlushBlocks);
            for (int ch = 0; ch < 16; ++ch) {
                unit.gain[ch] = 1.25f / 8388608.0f * static_cast<float>(ch + 1);
                unit.offset[ch] = 0.001f * static_cast<float>(ch);
            }
        }
        m_status.resize(kFlushBlocks);
        const std::uint8_t start[] = {8, 3, 0, 0, 0, 0, 0, 0, 0}; // the simulators' own rate
        return SendToAll(start, sizeof start);
    }

    // Receives, converts and stores for ms milliseconds on the calling thread.
    void RunFor(int ms) {
        std::vector<pollfd> fds(m_cases.size());
        for (std::size_t i = 0; i < m_cases.size(); ++i)
            fds[i] = pollfd{m_cases[i].fd, POLLIN, 0};
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            if (poll(fds.data(), fds.size(), kRoundPauseMs) <= 0)
                continue;
            for (std::size_t i = 0; i < fds.size(); ++i) {
                if (fds[i].revents & POLLIN)
                    ReceiveCase(static_cast<int>(i));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kRoundPauseMs));
        }
    }

    // Whole sets received: the units' blocks over the number of units.
    long long Sets() const { return m_units.empty() ? 0 : m_blocks / static_cast<long long>(m_units.size()); }
    bool WriteFailed() const { return m_writeFailed; }

    void Stop() {
        const std::uint8_t stop[] = {11, 1};
        SendToAll(stop, sizeof stop);
        for (std::size_t u = 0; u < m_units.size(); ++u)
            Flush(m_units[u]);
        Close();
    }

private:
    struct Case {
        int fd = -1;
        int filled = 0;
        std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kBufferBytes);
    };
    struct Unit {
        int dat = -1, stu = -1;
        int count = 0;
        float gain[16] = {}, offset[16] = {};
        std::vector<CaseSampleBlock> blocks;
    };

    bool SendToAll(const std::uint8_t* payload, int length) {
        std::uint8_t frame[64];
        const int n =
            WriteFramedCommand(frame, sizeof frame, 0, 0, 0, static_cast<std::uint8_t>(length), payload);
        bool sent = n > 0;
        for (const Case& c : m_cases)
            sent = c.fd >= 0 && send(c.fd, frame, std::size_t(n), MSG_NOSIGNAL) == n && sent;
        return sent;
    }

    void ReceiveCase(int index) {
        Case& c = m_cases[std::size_t(index)];
        for (;;) {
            const ssize_t n =
                recv(c.fd, c.bytes.data() + c.filled, c.bytes.size() - std::size_t(c.filled), 0);
            if (n <= 0)
                break;
            c.filled += static_cast<int>(n);
            const int used = Parse(index, c.bytes.data(), c.filled);
            std::memmove(c.bytes.data(), c.bytes.data() + used, std::size_t(c.filled - used));
            c.filled -= used;
        }
    }

    // Converts and stores the whole units in bytes; returns the bytes used.
    int Parse(int index, const std::uint8_t* b, int size) {
        int p = 0;
        while (size - p >= kUnitBytes) {
            if (b[p] != 0x55 || b[p + 1] != 0xAA) {
                ++p;
                continue;
            }
            const int slot = b[p + 7] & 0x3F;
            if (slot < m_modules) {
                Unit& unit = m_units[std::size_t(index * m_modules + slot)];
                CaseSampleBlock& block = unit.blocks[std::size_t(unit.count)];
                block.nHeader = slot * 16777216 + (b[p + 4] << 16 | b[p + 5] << 8 | b[p + 6]);
                const std::uint8_t* v = b + p + 8;
                for (int ch = 0; ch < 16; ++ch, v += 3) {
                    const std::int32_t raw = static_cast<std::int32_t>(static_cast<std::uint32_t>(
                                                 v[0] << 24 | v[1] << 16 | v[2] << 8)) >>
                                             8;
                    block.fValues[ch] = static_cast<float>(raw) * unit.gain[ch] + unit.offset[ch];
                }
                ++m_blocks;
                if (++unit.count == kFlushBlocks)
                    Flush(unit);
            }
            p += kUnitBytes;
        }
        return p;
    }

    void Flush(Unit& unit) {
        if (unit.count == 0)
            return;
        SampleStatusRecord status{};
        const time_t now = time(nullptr);
        tm local{};
        localtime_r(&now, &local);
        status.dtTime = 25569.0 + static_cast<double>(now) / 86400.0;
        std::snprintf(status.szLabel, sizeof status.szLabel, "%4d-%02d-%02d %02d:%02d:%02d",
                      local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec);
        for (int i = 0; i < unit.count; ++i)
            m_status[std::size_t(i)] = status;
        const auto datBytes = std::size_t(unit.count) * sizeof(CaseSampleBlock);
        const auto stuBytes = std::size_t(unit.count) * sizeof(SampleStatusRecord);
        if (write(unit.dat, unit.blocks.data(), datBytes) != static_cast<ssize_t>(datBytes) ||
            write(unit.stu, m_status.data(), stuBytes) != static_cast<ssize_t>(stuBytes))
            m_writeFailed = true;
        unit.count = 0;
    }

    void Close() {
        for (Case& c : m_cases) {
            if (c.fd >= 0)
                close(c.fd);
            c.fd = -1;
        }
        for (Unit& u : m_units) {
            if (u.dat >= 0)
                close(u.dat);
            if (u.stu >= 0)
                close(u.stu);
            u.dat = u.stu = -1;
        }
        if (m_listener >= 0)
            close(m_listener);
        m_listener = -1;
    }

    int m_listener = -1;
    int m_modules = 0;
    long long m_blocks = 0;
    bool m_writeFailed = false;
    std::vector<Case> m_cases;
    std::vector<Unit> m_units;
    std::vector<SampleStatusRecord> m_status;
};

} // namespace bench
