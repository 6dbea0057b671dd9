qv_add_bench(bench_export LIBS qv_core)
# The MATLAB export loads its writer library from the program folder.
if(TARGET QVMat32)
  add_dependencies(bench_export QVMat32)
endif()
