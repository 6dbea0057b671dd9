if(TARGET Brisel_R)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  qv_add_bench(bench_excel LIBS Brisel_R PkgConfig::XLSXWRITER Qt6::Widgets)
endif()
