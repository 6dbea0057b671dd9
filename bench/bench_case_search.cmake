qv_add_bench(bench_case_search LIBS qv_core)
if(TARGET qv_case_sim)
  add_dependencies(bench_case_search qv_case_sim)
endif()
