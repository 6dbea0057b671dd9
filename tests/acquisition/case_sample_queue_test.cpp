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
    std::vector<CaseSampleBlock> blocks(2 * 5);
    for (int k = 0; k < 2; ++k)
        for (int s = 0; s < 5; ++s)
            blocks[static_cast<std::size_t>(k * 5 + s)] = Block(2, k, s);
    EXPECT_EQ(queue.AddFilled(2, 4, 5, blocks, 10, 12), 3) << "stops where the limit is reached";
    EXPECT_TRUE(blocks.empty()) << "the storage is the queue's";
    std::vector<CaseSampleBlock> refused(2 * 5);
    EXPECT_EQ(queue.AddFilled(2, 4, 5, refused, 10, 12), 0) << "full";
    EXPECT_EQ(refused.size(), 10u) << "refused storage stays the caller's";

    queue.DropHead(9);
    EXPECT_EQ(TakeHeaders(queue, 5),
              (std::vector<std::vector<int>>{{20000, 20100}, {20001, 20101}, {20002, 20102}}));
    EXPECT_GE(queue.TakeStorage().capacity(), 10u) << "the used storage is handed out again";
}

} // namespace
