qv_add_bench(bench_spectrum LIBS Lurrow PkgConfig::FFTW3)
