qv_add_bench(bench_curve_edit LIBS qv_views)
target_include_directories(bench_curve_edit PRIVATE ${CMAKE_SOURCE_DIR}/tests)
