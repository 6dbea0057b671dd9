qv_add_bench(bench_history_view LIBS qv_views)
