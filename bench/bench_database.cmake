# PkgConfig::ODBC is the database library's own (a global imported target).
if(TARGET Dovrin AND TARGET qv_core)
  qv_add_bench(bench_database LIBS qv_core Dovrin PkgConfig::ODBC)
  target_compile_definitions(bench_database PRIVATE QV_PG_CLUSTER="${CMAKE_SOURCE_DIR}/tests/libs/database/pg_cluster.sh")
endif()
