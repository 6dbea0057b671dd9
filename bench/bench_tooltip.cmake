if(TARGET qv_tooltip)
  qv_add_bench(bench_tooltip LIBS qv_tooltip)
endif()
