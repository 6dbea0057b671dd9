if(TARGET qv_panels)
  qv_add_bench(bench_channel_bar LIBS qv_core qv_panels)
endif()
