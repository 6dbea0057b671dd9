// The queue of parsed samples between a case link and the processing
// thread: runs across batch boundaries, drops, and its two limits.
#include "acquisition/CaseSampleQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Block of module k, sample s of batch b: its header names all three.
CaseSampleBlock Block(int b, int k, int s) {
    CaseSampleBlock block;
    block.nHeader = b * 10000 + k * 100 + s;
    block.fValues[15] = static_cast<float>(block.nHeader);
    return block;
}

int AddBatch(CaseSampleQueue& queue, int b, int modules, int samples, std::size_t full = 1000,
             std::size_t limit = 2000) {
    return queue.Add(modules, samples, full, limit, [&](int k, CaseSampleBlock* out, int count) {
        for (int s = 0; s < count; ++s)
            out[s] = Block(b, k, s);
    });
}

// Every sample taken, as (batch, sample) per module, in the order handed out.
std::vector<std::vector<int>> TakeHeaders(CaseSampleQueue& queue, int count,
                                          std::vector<int>* runs = nullptr) {
    std::vector<std::vector<int>> taken;
    queue.Take(count, [&](const CaseSampleQueue::Run& run) {
        if (runs != nullptr)
            runs->push_back(run.samples);
        for (int s = 0; s < run.samples; ++s) {
            std::vector<int> sample;
            for (int k = 0; k < run.modules; ++k)
                sample.push_back(run.Module(k)[s].nHeader);
            taken.push_back(sample);
        }
    });
    return taken;
}

TEST(CaseSampleQueue, TakesRunsAcrossBatchesInOrderAndDropsFromTheHead) {
    CaseSampleQueue queue;
    ASSERT_EQ(AddBatch(queue, 1, 2, 3), 3);
    ASSERT_EQ(AddBatch(queue, 2, 2, 4), 4);
    EXPECT_EQ(queue.GetCount(), 7u);

    std::vector<int> runs;
    const auto first = TakeHeaders(queue, 5, &runs);
    EXPECT_EQ(runs, (std::vector<int>{3, 2})) << "one run a batch";
    const std::vector<std::vector<int>> expected{
        {10000, 10100}, {10001, 10101}, {10002, 10102}, {20000, 20100}, {20001, 20101}};
    EXPECT_EQ(first, expected);
    EXPECT_EQ(queue.GetCount(), 2u);

    queue.DropHead(1);
    EXPECT_EQ(TakeHeaders(queue, 5), (std::vector<std::vector<int>>{{20003, 20103}}));
    EXPECT_EQ(queue.GetCount(), 0u);
    EXPECT_TRUE(TakeHeaders(queue, 5).empty());

    // Recycled storage carries nothing of an earlier batch.
    ASSERT_EQ(AddBatch(queue, 3, 1, 2), 2);
    EXPECT_EQ(TakeHeaders(queue, 5), (std::vector<std::vector<int>>{{30000}, {30001}}));
}

TEST(CaseSampleQueue, RefusesWhenFullAndStopsAtTheLimit) {
    CaseSampleQueue queue;
    EXPECT_EQ(AddBatch(queue, 1, 2, 8, 10, 12), 8);
    EXPECT_EQ(AddBatch(queue, 2, 2, 8, 10, 12), 4) << "stops where the limit is reached";
    EXPECT_EQ(queue.GetCount(), 12u);
    EXPECT_EQ(AddBatch(queue, 3, 2, 1, 10, 12), 0) << "full";
    queue.DropHead(3);
    EXPECT_EQ(AddBatch(queue, 4, 2, 1, 10, 12), 1);
    EXPECT_EQ(AddBatch(queue, 5, 0, 4), 0) << "a batch without modules";
    queue.RemoveAll();
    EXPECT_EQ(queue.GetCount(), 0u);
}

// A batch the link filled itself: its modules' runs lie `stride` apart (a
// decimated batch keeps its first samples of each run); the storage goes to
// the queue only when samples are queued, and comes back once they are taken.
TEST(CaseSampleQueue, FilledBatchesKeepTheirStrideAndTheirStorage) {
    CaseSampleQueue queue;
    ASSERT_EQ(AddBatch(queue, 1, 2, 9, 10, 12), 9);
    auto blocks = std::make_shared<std::vector<CaseSampleBlock>>(2 * 5);
    for (int k = 0; k < 2; ++k)
        for (int s = 0; s < 5; ++s)
            (*blocks)[static_cast<std::size_t>(k * 5 + s)] = Block(2, k, s);
    CaseSampleQueue::Storage held = blocks; // as the link's files hold a batch until written
    EXPECT_EQ(queue.AddFilled(2, 4, 5, blocks, 10, 12), 3) << "stops where the limit is reached";
    EXPECT_EQ(blocks, nullptr) << "the storage is the queue's";
    auto refused = std::make_shared<std::vector<CaseSampleBlock>>(2 * 5);
    EXPECT_EQ(queue.AddFilled(2, 4, 5, refused, 10, 12), 0) << "full";
    EXPECT_EQ(refused->size(), 10u) << "refused storage stays the caller's";

    queue.DropHead(9);
    EXPECT_EQ(TakeHeaders(queue, 5),
              (std::vector<std::vector<int>>{{20000, 20100}, {20001, 20101}, {20002, 20102}}));
    const CaseSampleQueue::Storage first = queue.TakeStorage(), second = queue.TakeStorage();
    EXPECT_TRUE(first != held && second != held) << "a storage still held elsewhere is not handed out";
    const CaseSampleBlock* data = held->data();
    held.reset();
    EXPECT_EQ(queue.TakeStorage()->data(), data) << "once free, the used storage is handed out again";
}

// Samples read in place stay queued until dropped; a queue emptied meanwhile
// (a new run) keeps what it holds now.
TEST(CaseSampleQueue, PeekedSamplesStayUntilDroppedAndANewRunKeepsItsOwn) {
    CaseSampleQueue queue;
    ASSERT_EQ(AddBatch(queue, 1, 2, 3), 3);
    ASSERT_EQ(AddBatch(queue, 2, 2, 4), 4);
    std::uint64_t generation = 0;
    std::vector<int> headers;
    std::vector<CaseSampleQueue::Storage> held;
    EXPECT_EQ(queue.Peek(
                  5,
                  [&](const CaseSampleQueue::Run& run, const CaseSampleQueue::Storage& storage) {
                      for (int s = 0; s < run.samples; ++s)
                          headers.push_back(run.Module(1)[s].nHeader);
                      held.push_back(storage);
                  },
                  generation),
              5);
    EXPECT_EQ(headers, (std::vector<int>{10100, 10101, 10102, 20100, 20101}));
    EXPECT_EQ(held.size(), 2u);
    EXPECT_EQ(queue.GetCount(), 7u);
    queue.DropPeeked(5, generation);
    EXPECT_EQ(TakeHeaders(queue, 5), (std::vector<std::vector<int>>{{20002, 20102}, {20003, 20103}}));

    ASSERT_EQ(AddBatch(queue, 3, 2, 2), 2);
    queue.Peek(
        2, [](const CaseSampleQueue::Run&, const CaseSampleQueue::Storage&) {}, generation);
    queue.RemoveAll();
    ASSERT_EQ(AddBatch(queue, 4, 2, 2), 2);
    queue.DropPeeked(2, generation);
    EXPECT_EQ(queue.GetCount(), 2u) << "the new run's samples are not dropped for the old run's";
}

} // namespace
