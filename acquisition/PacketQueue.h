// Locked first-in-first-out queue through which the receive and worker
// threads of the case links, the case driver and the forwarding server hand
// blocks of bytes to one another. The queue owns what it holds.
#pragma once

#include "platform/Sync.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>

// A block of received bytes with its receive time (seconds since 1970 plus
// the milliseconds of the local time / 1000).
struct PACKET {
    double dTime = 0.0;
    std::int32_t nLength = 0;
    std::unique_ptr<std::uint8_t[]> pData;
};

// One batch of values for the forwarding server.
struct DATA_BLOCK {
    std::int32_t nFirstChannel = 0;
    std::int32_t nChansPerBlock = 0;
    std::int32_t nSampleCount = 0;
    std::int32_t nReserved = 0;
    std::unique_ptr<float[]> pValues;
};

template <class Entry = PACKET> class CPacketQueue {
public:
    using EntryList = std::list<std::unique_ptr<Entry>>;

    CPacketQueue() = default;
    ~CPacketQueue() { Clear(); }
    CPacketQueue(const CPacketQueue&) = delete;
    CPacketQueue& operator=(const CPacketQueue&) = delete;

    // The producer checks GetCount against its own limit first.
    void AddTail(std::unique_ptr<Entry> entry) {
        if (!entry)
            return;
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        m_list.push_back(std::move(entry));
        ++m_nCount;
    }

    // The head stays queued; it is valid until a RemoveHead, RemoveAll or
    // Clear, which only its consumer thread (or a stopped one's owner) calls.
    Entry* GetHead() {
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        return m_list.empty() ? nullptr : m_list.front().get();
    }

    void RemoveHead() {
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        if (m_list.empty())
            return;
        m_list.pop_front();
        --m_nCount;
    }

    void RemoveAll() { Clear(); }

    // Hands every queued entry, in order, to the caller's list (whose former
    // entries are freed) and leaves the queue empty.
    void TakeAll(EntryList& list) {
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        list.clear();
        list.splice(list.end(), m_list);
        m_nCount = 0;
    }

    void Clear() {
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        m_list.clear();
        m_nCount = 0;
    }

    bool IsEmpty() const { return m_nCount.load() == 0; }

    int GetCount() {
        std::lock_guard<platform::CriticalSection> lock(m_cs);
        return m_nCount.load();
    }

private:
    platform::CriticalSection m_cs; // guards m_list and the updates of m_nCount
    EntryList m_list;
    std::atomic<std::int32_t> m_nCount{0}; // atomic: IsEmpty reads it without the lock
};
