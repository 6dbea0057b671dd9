qv_add_bench(bench_profile LIBS qv_platform)
