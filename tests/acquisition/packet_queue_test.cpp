// Packet queue: order, ownership of what it holds, batch hand-over, and one
// producer with one consumer on two threads.
#include "acquisition/PacketQueue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Counts live entries, so that frees (and the absence of frees) show.
struct Tracked {
    static inline int s_nAlive = 0;
    explicit Tracked(int n = 0) : nId(n) { ++s_nAlive; }
    ~Tracked() { --s_nAlive; }
    int nId;
};

std::unique_ptr<PACKET> MakePacket(std::uint8_t first, int length) {
    auto packet = std::make_unique<PACKET>();
    packet->nLength = length;
    packet->pData = std::make_unique<std::uint8_t[]>(length);
    packet->pData[0] = first;
    return packet;
}

TEST(PacketQueueTest, EmptyQueueGivesNothingAndRemovesNothing) {
    CPacketQueue<> queue;
    EXPECT_TRUE(queue.IsEmpty());
    EXPECT_EQ(nullptr, queue.GetHead());
    queue.RemoveHead();
    queue.AddTail(nullptr);
    EXPECT_EQ(0, queue.GetCount());
}

TEST(PacketQueueTest, PacketsLeaveInTheOrderTheyCame) {
    CPacketQueue<> queue;
    for (std::uint8_t i = 1; i <= 3; ++i)
        queue.AddTail(MakePacket(i, 8));
    EXPECT_EQ(3, queue.GetCount());
    for (std::uint8_t i = 1; i <= 3; ++i) {
        ASSERT_NE(nullptr, queue.GetHead());
        EXPECT_EQ(i, queue.GetHead()->pData[0]);
        queue.RemoveHead();
    }
    EXPECT_TRUE(queue.IsEmpty());
}

TEST(PacketQueueTest, ClearingOrDestroyingFreesTheEntries) {
    {
        CPacketQueue<Tracked> queue;
        for (int i = 0; i < 4; ++i)
            queue.AddTail(std::make_unique<Tracked>(i));
        queue.RemoveHead();
        EXPECT_EQ(3, Tracked::s_nAlive);
        queue.RemoveAll();
        EXPECT_EQ(0, Tracked::s_nAlive);
        queue.AddTail(std::make_unique<Tracked>());
    }
    EXPECT_EQ(0, Tracked::s_nAlive);
}

TEST(PacketQueueTest, TakeAllHandsTheEntriesOverInOrder) {
    CPacketQueue<Tracked> queue;
    CPacketQueue<Tracked>::EntryList batch;
    batch.push_back(std::make_unique<Tracked>(99)); // left over from the last batch
    queue.TakeAll(batch);
    EXPECT_TRUE(batch.empty());

    for (int i = 0; i < 3; ++i)
        queue.AddTail(std::make_unique<Tracked>(i));
    queue.TakeAll(batch);
    EXPECT_EQ(0, queue.GetCount());
    EXPECT_EQ(nullptr, queue.GetHead());
    EXPECT_EQ(3, Tracked::s_nAlive); // nothing freed: the batch holds them
    int want = 0;
    for (const auto& entry : batch)
        EXPECT_EQ(want++, entry->nId);
    batch.clear();
    EXPECT_EQ(0, Tracked::s_nAlive);
}

TEST(PacketQueueTest, OneProducerAndOneConsumerLoseNothing) {
    CPacketQueue<DATA_BLOCK> queue;
    constexpr int kBlocks = 20000;
    std::thread producer([&] {
        for (int i = 0; i < kBlocks; ++i) {
            auto block = std::make_unique<DATA_BLOCK>();
            block->nFirstChannel = i;
            queue.AddTail(std::move(block));
        }
    });
    std::vector<int> received;
    CPacketQueue<DATA_BLOCK>::EntryList batch;
    while (received.size() < static_cast<std::size_t>(kBlocks)) {
        queue.TakeAll(batch);
        for (const auto& block : batch)
            received.push_back(block->nFirstChannel);
        std::this_thread::yield();
    }
    producer.join();
    for (int i = 0; i < kBlocks; ++i)
        ASSERT_EQ(i, received[i]);
    EXPECT_TRUE(queue.IsEmpty());
}

} // namespace
