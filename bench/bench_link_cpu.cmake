qv_add_bench(bench_link_cpu LIBS qv_core)
if(TARGET qv_case_sim)
  add_dependencies(bench_link_cpu qv_case_sim)
endif()
