qv_add_bench(bench_thermo LIBS Corvath)
