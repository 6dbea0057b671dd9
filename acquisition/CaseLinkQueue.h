// A locked first-in-first-out queue of byte blocks with their receive time,
// through which a case link's socket reader, workers and the driver's
// processing thread hand data to one another. Each producer checks its own
// limit; the queue itself never drops.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class CaseLinkQueue {
public:
    struct Packet {
        double fTime = 0.0;
        std::vector<std::uint8_t> data;
    };

    // Appends unless limit blocks already wait; false when dropped.
    bool AddTail(Packet packet, std::size_t limit) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_packets.size() >= limit)
            return false;
        m_packets.push_back(std::move(packet));
        return true;
    }
    // Takes the oldest packet; false when empty.
    bool TakeHead(Packet& packet) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_packets.empty())
            return false;
        packet = std::move(m_packets.front());
        m_packets.pop_front();
        return true;
    }
    // Hands the oldest packet to use(const Packet&) and removes it, keeping
    // its storage for a later TakeSpare; false when empty. A link queues
    // hundreds of packets a second: recycled, they cost no heap.
    template <typename Use> bool TakeHeadWith(Use use) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_packets.empty())
            return false;
        use(static_cast<const Packet&>(m_packets.front()));
        if (m_spare.size() < kSpareLimit)
            m_spare.push_back(std::move(m_packets.front().data));
        m_packets.pop_front();
        return true;
    }
    // The byte count of the oldest packet; false when empty.
    bool PeekHeadSize(std::size_t& bytes) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_packets.empty())
            return false;
        bytes = m_packets.front().data.size();
        return true;
    }
    // Storage of a taken packet for the next one, or none.
    std::vector<std::uint8_t> TakeSpare() {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_spare.empty())
            return {};
        std::vector<std::uint8_t> spare = std::move(m_spare.back());
        m_spare.pop_back();
        return spare;
    }
    // Drops the oldest count packets.
    void DropHead(std::size_t count) {
        std::lock_guard<std::mutex> lock(m_mutex);
        while (count-- > 0 && !m_packets.empty())
            m_packets.pop_front();
    }
    void RemoveAll() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_packets.clear();
    }
    std::size_t GetCount() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_packets.size();
    }

private:
    static constexpr std::size_t kSpareLimit = 256;
    std::mutex m_mutex; // guards m_packets and m_spare
    std::deque<Packet> m_packets;
    std::vector<std::vector<std::uint8_t>> m_spare;
};
