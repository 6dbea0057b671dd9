// The channel-parameter bar's work with up to 4,096 channels: listing the
// overview (channels grouped by shared description), formatting a whole
// strain page, one commit over every row, and the bar itself filling its grid
// with the overview (0) and the strain page (1). Run with 1,024 and 4,096
// channels, the times should grow in proportion.
#include <QTabBar>

#include <benchmark/benchmark.h>

#include <cstring>

#include "OffscreenBenchMain.h"

#include "model/CaseTables.h"
#include "model/ChannelDefaults.h"
#include "model/GbkTextCut.h"
#include "panels/bars/ChannelBarPages.h"
#include "panels/bars/ChannelCommitRules.h"
#include "panels/bars/ChannelParamBar.h"
#include "platform/Text.h"
#include "widgets/MSFlexGrid.h"

namespace {

void Prepare(int channels) {
    ResetCaseTables();
    ResetChannelRecords();
    SetChannelsPerModule(0);
    std::int32_t online[MAX_CASE_COUNT] = {};
    for (int c = 0; c < channels / CHANNELS_PER_MODULE; ++c) {
        online[c] = 1;
    }
    BuildCaseTablesFromOnlineFlags(online);
    // Half the channels share a description with three others.
    for (int c = 0; c < channels; c += 2) {
        StoreGbkField(g_ChannelParams[c].szDescription, sizeof(g_ChannelParams[c].szDescription),
                      platform::Format("组%d", c / 8));
    }
}

void BM_ListOverview(benchmark::State& state) {
    Prepare(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ListPageChannels(PAGE_OVERVIEW, GetDefaultRowRange()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListOverview)->Arg(1024)->Arg(4096);

void BM_FormatStrainPage(benchmark::State& state) {
    Prepare(static_cast<int>(state.range(0)));
    const std::vector<std::string> modes{"方式1", "方式2", "方式3"};
    for (auto _ : state) {
        for (int channel : ListPageChannels(PAGE_STRAIN, GetDefaultRowRange())) {
            benchmark::DoNotOptimize(FormatPageRow(PAGE_STRAIN, channel, modes, false));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FormatStrainPage)->Arg(1024)->Arg(4096);

void BM_CommitEveryRow(benchmark::State& state) {
    Prepare(static_cast<int>(state.range(0)));
    ChannelBarContext ctx;
    CellCommit commit;
    commit.pageId = PAGE_STRAIN;
    commit.column = 6;
    commit.text = "350";
    commit.pageChannels = ListPageChannels(PAGE_STRAIN, GetDefaultRowRange());
    commit.rowChannels = commit.pageChannels;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CommitCellEdit(ctx, commit));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CommitEveryRow)->Arg(1024)->Arg(4096);

void BM_BarPage(benchmark::State& state) {
    Prepare(static_cast<int>(state.range(0)));
    CChannelParamBar bar;
    bar.resize(800, 600);
    bar.InitTypeTabs();
    bar.FillCaseTabs();
    const int tab = static_cast<int>(state.range(1));
    bar.GetTypeTabs()->setCurrentIndex(tab);
    for (auto _ : state) {
        bar.ShowSelectedTypePage();
    }
    state.counters["rows"] = bar.GetGrid()->GetRows() - 1;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BarPage)
    ->Args({1024, 0})
    ->Args({4096, 0})
    ->Args({1024, 1})
    ->Args({4096, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

QV_OFFSCREEN_BENCHMARK_MAIN()
