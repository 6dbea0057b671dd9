qv_add_bench(bench_server LIBS qv_core)
