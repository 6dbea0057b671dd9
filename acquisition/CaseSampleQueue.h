// The samples a case link holds for live processing, kept in the batches its
// parser made. A batch stores its modules one after the other, each module's
// blocks in sample order, so that the processing thread copies a module's run
// of samples at once instead of one block at a time. Locked: the link's
// worker adds, the driver's processing thread takes. A batch's storage is
// shared: the link writes the case files from it after queueing it, and it
// is used again only once both are done with it.
#pragma once

#include "model/CaseSampleBlock.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class CaseSampleQueue {
public:
    using Storage = std::shared_ptr<std::vector<CaseSampleBlock>>;

    // Consecutive samples of one batch: module k's blocks are Module(k)[0..samples).
    struct Run {
        int modules = 0;
        int samples = 0;
        const CaseSampleBlock* first = nullptr;
        std::size_t stride = 0; // blocks from one module's run to the next
        const CaseSampleBlock* Module(int k) const { return first + static_cast<std::size_t>(k) * stride; }
    };

    // Unless full (at least `full` samples waiting), appends a batch of up to
    // `samples` samples of `modules` modules, stopping where `limit` samples
    // would wait; fill(k, out, count) writes module k's first count blocks.
    // Returns how many samples were queued.
    template <typename Fill>
    int Add(int modules, int samples, std::size_t full, std::size_t limit, Fill fill) {
        if (modules <= 0 || samples <= 0)
            return 0;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_count >= full || m_count >= limit)
            return 0;
        const int count =
            static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(samples), limit - m_count));
        Batch batch;
        batch.blocks = TakeSpareLocked();
        batch.modules = modules;
        batch.samples = count;
        batch.stride = count;
        batch.blocks->resize(static_cast<std::size_t>(modules) * static_cast<std::size_t>(count));
        for (int k = 0; k < modules; ++k)
            fill(k, batch.blocks->data() + static_cast<std::size_t>(k) * static_cast<std::size_t>(count),
                 count);
        m_batches.push_back(std::move(batch));
        m_count += static_cast<std::size_t>(count);
        return count;
    }

    // Storage for a batch the caller fills itself (AddFilled): a used batch's
    // that nobody holds any more when one is spare, so that a link's batches
    // allocate nothing.
    Storage TakeStorage() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return TakeSpareLocked();
    }

    // Unless full, appends a batch the caller filled, module k's blocks at
    // blocks[k × stride ...], up to `samples` samples and stopping where
    // `limit` would wait. The storage then is the queue's (blocks is left
    // null); when nothing was queued it stays the caller's. Returns how many
    // samples were queued.
    int AddFilled(int modules, int samples, std::size_t stride, Storage& blocks, std::size_t full,
                  std::size_t limit) {
        if (modules <= 0 || samples <= 0 || !blocks ||
            blocks->size() < static_cast<std::size_t>(modules) * stride)
            return 0;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_count >= full || m_count >= limit)
            return 0;
        Batch batch;
        batch.modules = modules;
        batch.samples =
            static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(samples), limit - m_count));
        batch.stride = stride;
        batch.blocks = std::move(blocks);
        blocks.reset();
        m_count += static_cast<std::size_t>(batch.samples);
        m_batches.push_back(std::move(batch));
        return m_batches.back().samples;
    }

    // Hands the oldest samples, up to count, to use(const Run&) in runs of
    // one batch each, and removes them, under one lock; returns how many.
    template <typename Use> int Take(int count, Use use) {
        std::lock_guard<std::mutex> lock(m_mutex);
        int taken = 0;
        while (taken < count && !m_batches.empty()) {
            Batch& head = m_batches.front();
            const int n = std::min(count - taken, head.samples - head.taken);
            use(RunOf(head, n));
            Consume(n);
            taken += n;
        }
        return taken;
    }

    // Hands the oldest samples, up to count, to use(const Run&, const
    // Storage&) in runs of one batch each, without removing them: the caller
    // reads the runs while it holds their storage, and removes them with
    // DropPeeked once done. generation tells that call whether the queue was
    // emptied meanwhile. Returns how many samples were handed.
    template <typename Use> int Peek(int count, Use use, std::uint64_t& generation) {
        std::lock_guard<std::mutex> lock(m_mutex);
        generation = m_generation;
        int handed = 0;
        for (auto batch = m_batches.begin(); handed < count && batch != m_batches.end(); ++batch) {
            const int n = std::min(count - handed, batch->samples - batch->taken);
            use(RunOf(*batch, n), static_cast<const Storage&>(batch->blocks));
            handed += n;
        }
        return handed;
    }
    // Removes the count samples Peek handed, unless the queue was emptied
    // since (its samples then are another run's).
    void DropPeeked(std::size_t count, std::uint64_t generation) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (generation == m_generation)
            DropHeadLocked(count);
    }

    // Drops the oldest count samples.
    void DropHead(std::size_t count) {
        std::lock_guard<std::mutex> lock(m_mutex);
        DropHeadLocked(count);
    }
    void RemoveAll() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_batches.clear();
        m_count = 0;
        ++m_generation;
    }
    std::size_t GetCount() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_count;
    }

private:
    void DropHeadLocked(std::size_t count) {
        while (count > 0 && !m_batches.empty()) {
            const int n = static_cast<int>(std::min<std::size_t>(
                count, static_cast<std::size_t>(m_batches.front().samples - m_batches.front().taken)));
            Consume(n);
            count -= static_cast<std::size_t>(n);
        }
    }
    struct Batch {
        int modules = 0;
        int samples = 0;
        int taken = 0;
        std::size_t stride = 0; // blocks from one module's run to the next
        Storage blocks;         // module k's run starts at k × stride
    };
    // The next n samples of a batch.
    static Run RunOf(const Batch& batch, int n) {
        Run run;
        run.modules = batch.modules;
        run.samples = n;
        run.first = batch.blocks->data() + batch.taken;
        run.stride = batch.stride;
        return run;
    }
    // A spare storage nobody else holds (the link's files may still write
    // from one), or a new one. Under the lock.
    Storage TakeSpareLocked() {
        for (auto it = m_spare.begin(); it != m_spare.end(); ++it) {
            if (it->use_count() == 1) {
                Storage blocks = std::move(*it);
                m_spare.erase(it);
                return blocks;
            }
        }
        return std::make_shared<std::vector<CaseSampleBlock>>();
    }
    // Removes n samples from the head batch (under the lock), keeping a used
    // batch's storage for a later one: a link queues hundreds a second.
    void Consume(int n) {
        Batch& head = m_batches.front();
        head.taken += n;
        m_count -= static_cast<std::size_t>(n);
        if (head.taken < head.samples)
            return;
        if (m_spare.size() < kSpareLimit)
            m_spare.push_back(std::move(head.blocks));
        m_batches.pop_front();
    }

    // A link's files hold a batch's storage until they write its piece, a
    // few hundred batches at a high rate: the spares cover them, so that a
    // link allocates no storage once its run goes.
    static constexpr std::size_t kSpareLimit = 1024;
    std::mutex m_mutex; // guards everything below
    std::deque<Batch> m_batches;
    std::size_t m_count = 0;        // samples waiting
    std::uint64_t m_generation = 0; // counts RemoveAll
    std::deque<Storage> m_spare;    // the oldest used (the likeliest free) first
};
