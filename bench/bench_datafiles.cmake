qv_add_bench(bench_datafiles LIBS qv_core)
target_include_directories(bench_datafiles PRIVATE ${CMAKE_SOURCE_DIR}/tests)
