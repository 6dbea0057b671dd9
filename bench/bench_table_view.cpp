// One live refresh of an open table view (a sample set in, the changed
// cells, the status strip and the unit tabs out), paged by unit, with 8 and
// with 256 online units. The time a unit stays flat: a refresh touches the
// tabs only when the units change.
#include "datafiles/RunWriter.h"
#include "views/table/TableData.h"
#include "views/table/TableViewWidget.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

void BM_TableLiveRefresh(benchmark::State& state) {
    const int units = static_cast<int>(state.range(0));
    testrun::HalfChannelTable channels;
    TableWorld world;
    std::vector<int> unitList;
    for (int unit = 0; unit < units; ++unit) {
        unitList.push_back(unit);
        world.caseList.push_back(unit);
        for (int ch = 0; ch < 16; ++ch) {
            const int channel = unit * 16 + ch;
            world.channelList.push_back(channel);
            TableChannelInfo& info = world.channels[std::size_t(channel)];
            info.bEnabled = info.bPresent = true;
            info.strDescription = "描述" + std::to_string(channel);
            info.strUnit = "με";
        }
    }
    world.nMeasChanCount = units * 16;
    world.channelTable = &channels;
    world.layout = OnlineLayout::FromUnits(unitList, false);
    world.bSampling = true;
    std::unique_ptr<CTableViewWidget> view(CTableViewWidget::Create(world));
    view->Data().m_bPageByUnit = true;
    view->InitialUpdate();
    view->resize(1200, 800);
    std::array<CaseSampleBlock, 512> sampleSet{};
    for (int unit = 0; unit < units; ++unit)
        sampleSet[std::size_t(unit)].nHeader = unit;
    std::vector<float> values(4104, 0.0f);
    int n = 0;
    for (auto _ : state) {
        ++n;
        for (int channel = 0; channel < units * 16; ++channel)
            values[std::size_t(channel)] = float((channel + n) % 1000);
        view->ReceiveData(1, sampleSet.data(), values.data());
        view->UpdateStatusText("2026-01-01 00:00:00", std::to_string(n));
        view->UpdateTable();
        QApplication::processEvents();
    }
    state.counters["units"] = units;
    state.counters["us_per_unit"] = benchmark::Counter(
        double(state.iterations()) * units, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    view.reset();
}
BENCHMARK(BM_TableLiveRefresh)->Arg(8)->Arg(256)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int qtArgc = 1;
    static char name[] = "bench_table_view";
    static char* qtArgv[] = {name, nullptr};
    auto* app = new QApplication(qtArgc, qtArgv); // left to the end of the program, as Qt's statics
    (void)app;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
