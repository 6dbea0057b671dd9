qv_add_bench(bench_mechanical LIBS qv_core)
target_include_directories(bench_mechanical PRIVATE ${CMAKE_SOURCE_DIR}/tests)
