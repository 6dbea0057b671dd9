qv_add_bench(bench_curve_view LIBS qv_views)
