#!/usr/bin/env bash
# Installs what is missing, builds every target with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs the fuzz targets for a bounded time and
# then every test. A sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh

jobs=$(nproc)
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen

# Every folder includes only the folders below it (scripts/check_layers.py).
python3 scripts/check_layers.py .

sanitize=${QV_SANITIZE:-address,undefined}
build=build-test
[ "$sanitize" = "thread" ] && build=build-tsan
# Qt forks for helper programs (a test's own, the print system) while its
# threads run; the child only executes its program, so the thread checker
# lets it live instead of ending the test.
[ "$sanitize" = "thread" ] && export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$root/tests/tsan.supp"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
      -DQV_SANITIZE="$sanitize" -DQV_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs"

# The fuzz targets need clang's libFuzzer: a second tree, built and run
# only when some folder declares a fuzz target.
if [ "$sanitize" != "thread" ] && grep -rqs --include=CMakeLists.txt 'qv_add_fuzzer' tests; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQV_FUZZ=ON -DQV_SANITIZE=address,undefined -DQV_BUILD_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs" --target fuzzers
  ctest --test-dir build-fuzz --output-on-failure -j "$jobs"
fi

ctest --test-dir "$build" --output-on-failure -j "$jobs"
