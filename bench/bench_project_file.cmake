qv_add_bench(bench_project_file LIBS qv_core)
