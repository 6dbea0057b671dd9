qv_add_bench(bench_network LIBS qv_core)
if(TARGET qv_case_sim)
  add_dependencies(bench_network qv_case_sim)
endif()
