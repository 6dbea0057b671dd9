qv_add_bench(bench_export LIBS qv_core)
