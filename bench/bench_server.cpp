// What the forwarding server costs the threads that feed it: queuing one
// sample set of every module (items are blocks) (the acquisition side) and broadcasting a
// current-values reply of 4,096 channels (the user-interface thread), with
// one client that reads everything and one that never reads.
#include "acquisition/DataForwardServer.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <numeric>
#include <thread>
#include <vector>

namespace {

// A connected client that drains its socket on its own thread, or never reads.
class BenchClient {
public:
    BenchClient(std::uint16_t port, bool reads) {
        m_stream.Connect("127.0.0.1", port, 3000);
        if (reads)
            m_thread = std::thread([this] { Drain(); });
    }
    ~BenchClient() {
        m_bRun = false;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    void Drain() {
        std::vector<std::uint8_t> buffer(256 * 1024);
        while (m_bRun.load()) {
            if (m_stream.Receive(buffer.data(), buffer.size(), 50) == 0)
                return;
        }
    }

    platform::TcpStream m_stream;
    std::atomic<bool> m_bRun{true};
    std::thread m_thread;
};

struct BenchServer {
    CDataForwardServer server{0};
    std::unique_ptr<BenchClient> reader;
    std::unique_ptr<BenchClient> silent;

    BenchServer() {
        server.StartListenThread();
        server.StartSendThread();
        reader = std::make_unique<BenchClient>(server.GetListenPort(), true);
        silent = std::make_unique<BenchClient>(server.GetListenPort(), false);
        while (server.GetClientCount() < 2)
            std::this_thread::yield();
    }
};

void BM_QueueSampleSet(benchmark::State& state) {
    const int modules = static_cast<int>(state.range(0));
    BenchServer bench;
    std::vector<std::int32_t> list(static_cast<std::size_t>(modules));
    std::iota(list.begin(), list.end(), 0);
    const std::vector<float> values(static_cast<std::size_t>(modules) * 16, 1.0f);
    std::int64_t refused = 0;
    for (auto _ : state) {
        refused += bench.server.QueueDataBlocks(modules, list.data(), 1, values.data()) == 0 ? 1 : 0;
        // Acquisition is paced by the instrument: let the sender catch up
        // before the bound is reached, outside the measured time.
        if (bench.server.GetQueuedBlockCount() + modules > CDataForwardServer::kMaxQueuedBlocks) {
            state.PauseTiming();
            while (bench.server.GetQueuedBlockCount() > 0)
                std::this_thread::yield();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * modules);
    state.counters["refused"] =
        benchmark::Counter(static_cast<double>(refused), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_QueueSampleSet)->Arg(8)->Arg(256)->UseRealTime();

void BM_BroadcastCurrentValues(benchmark::State& state) {
    BenchServer bench;
    std::vector<std::uint8_t> payload(4 + 4096 * 4, 0);
    for (auto _ : state)
        bench.server.BroadcastPacket(kRemoteCurrent, static_cast<std::uint32_t>(payload.size()),
                                     payload.data());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(payload.size()));
}
BENCHMARK(BM_BroadcastCurrentValues)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
