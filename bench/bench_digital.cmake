qv_add_bench(bench_digital LIBS qv_core)
if(TARGET DigitalInterface)
  add_dependencies(bench_digital DigitalInterface)
endif()
