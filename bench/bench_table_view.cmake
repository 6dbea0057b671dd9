if(TARGET qv_views)
  qv_add_bench(bench_table_view LIBS qv_views qv_panels)
  target_include_directories(bench_table_view PRIVATE ${CMAKE_SOURCE_DIR}/tests)
endif()
