qv_add_bench(bench_conversion LIBS qv_core)
