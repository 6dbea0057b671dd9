qv_add_bench(bench_channel_bar LIBS qv_core)
