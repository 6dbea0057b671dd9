#!/usr/bin/env bash
# Installs what is missing, builds the main program (optimised, no
# sanitizers, no tests or benchmarks) and starts it from its program folder.
#
#   bash scripts/run.sh [program arguments]
#   bash scripts/run.sh --simulate
#
# --simulate tries the whole program without an instrument: the program runs
# from a scratch program folder holding a MapCfg.ini for two simulated cases
# (tools/qv_case_sim on 127.0.0.2 and 127.0.0.3), which are started beside it
# and stopped when the program ends.
#
# QV_BIN=folder runs the program already built in that folder (with its
# settings files and qv_case_sim) instead of installing and building.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

simulate=0
if [ "${1:-}" = "--simulate" ]; then
  simulate=1
  shift
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "QV74xx is a desktop program: start it from a desktop session (no DISPLAY is set)." >&2
  exit 1
fi

if [ -n "${QV_BIN:-}" ]; then
  bin=$(cd "$QV_BIN" && pwd)
else
  bash scripts/install-deps.sh
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF >/dev/null
  cmake --build build -j "$(nproc)" --target QV74xx QVMat32 qv_case_sim stage_data
  bin=$root/build/bin
fi
if [ "$simulate" -eq 0 ]; then
  exec "$bin/QV74xx" "$@"
fi

# The program folder is the folder of the running program file, so the
# scratch folder gets its own program and libraries (linked where the file
# system allows: the program never writes them) and copies of the settings
# files, which the program does write.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/qv74xx-simulate.XXXXXX")
for file in "$bin/QV74xx" "$bin"/*.so; do
  ln -L "$file" "$scratch/" 2>/dev/null || cp "$file" "$scratch/"
done
find "$bin" -maxdepth 1 -type f ! -perm -u+x -exec cp {} "$scratch/" \;
printf '[127.0.0.2]\r\nMapID=0\r\n[127.0.0.3]\r\nMapID=1\r\n' >"$scratch/MapCfg.ini"

cases=()
stop_cases() {
  for pid in "${cases[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap stop_cases EXIT
# The cases keep trying to connect until the program listens.
"$bin/qv_case_sim" --local 127.0.0.2 --case 0 --modules 8 --rate 100 &
cases+=($!)
"$bin/qv_case_sim" --local 127.0.0.3 --case 1 --modules 4 --rate 100 &
cases+=($!)

echo "Program folder: $scratch (removed when the program ends)"
echo "Two simulated cases (127.0.0.2: 8 modules, 127.0.0.3: 4 modules) connect to the program;"
echo "Find them with the menu 控制 > 检测机箱 (also in the tool bar)."
status=0
"$scratch/QV74xx" "$@" || status=$?
exit "$status"
