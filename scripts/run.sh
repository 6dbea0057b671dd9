#!/usr/bin/env bash
# Installs what is missing, builds the main program (optimised, no
# sanitizers, no tests or benchmarks) and starts it from its program folder.
#
#   bash scripts/run.sh [program arguments]
#   bash scripts/run.sh --simulate
#
# --simulate tries the whole program without an instrument: the program runs
# from a program folder of its own, $XDG_DATA_HOME/QV74xx/simulate (else
# ~/.local/share/QV74xx/simulate), holding a MapCfg.ini for two simulated
# cases (tools/qv_case_sim on 127.0.0.2 and 127.0.0.3), which are started
# beside it and stopped when the program ends. The folder stays from one
# start to the next: the projects, channel settings and exports the program
# keeps there are the user's. Its settings file serves the calibrator link,
# so that 控制 > Kelvane reaches the calibrator.
#
# QV_BIN=folder runs the program already built in that folder (with its
# settings files, qv_case_sim and Kelvane) instead of installing and building.
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
  cmake --build build -j "$(nproc)" --target QV74xx Kelvane QVMat32 qv_case_sim stage_data
  bin=$root/build/bin
fi
if [ "$simulate" -eq 0 ]; then
  exec "$bin/QV74xx" "$@"
fi

# The program folder is the folder of the running program file, so the
# folder gets its own programs and libraries, refreshed at every start
# (linked where the file system allows: the programs never write them), and
# the default settings files when they are missing (the program writes them).
folder=${XDG_DATA_HOME:-$HOME/.local/share}/QV74xx/simulate
mkdir -p "$folder"
for file in "$bin/QV74xx" "$bin/Kelvane" "$bin"/*.so; do
  [ -e "$file" ] || continue
  ln -fL "$file" "$folder/" 2>/dev/null || cp -fL "$file" "$folder/"
done
for name in "$root"/data/*; do
  name=$(basename "$name")
  if [ ! -e "$folder/$name" ] && [ -e "$bin/$name" ]; then
    cp "$bin/$name" "$folder/"
  fi
done
if [ ! -e "$folder/MapCfg.ini" ]; then
  printf '[127.0.0.2]\r\nMapID=0\r\n[127.0.0.3]\r\nMapID=1\r\n' >"$folder/MapCfg.ini"
fi
# The calibrator link is off by default (any local process could connect to
# it); here the calibrator is part of the trial.
settings=$folder/QV7416.INI
if [ -e "$settings" ]; then
  if LC_ALL=C grep -q '^ProgrammedStrain=' "$settings"; then
    LC_ALL=C sed -i 's/^ProgrammedStrain=[^\r]*/ProgrammedStrain=1/' "$settings"
  else
    LC_ALL=C sed -i 's/^\[System\]\r\?$/&\nProgrammedStrain=1\r/' "$settings"
  fi
fi

cases=()
stop_cases() {
  for pid in "${cases[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
}
trap stop_cases EXIT
# The cases keep trying to connect until the program listens, and stream at
# the sampling frequency the program sets. Their readings swing about zero,
# as an unloaded bridge does, so that the channels balance.
sine=(--sine-period 100 --sine-amplitude 4000)
"$bin/qv_case_sim" --local 127.0.0.2 --case 0 --modules 8 "${sine[@]}" &
cases+=($!)
"$bin/qv_case_sim" --local 127.0.0.3 --case 1 --modules 4 "${sine[@]}" &
cases+=($!)

echo "Program folder: $folder (kept from one start to the next: projects, channel settings, exports)"
echo "Two simulated cases (127.0.0.2: 8 modules, 127.0.0.3: 4 modules) connect to the program;"
echo "Find them with the menu 控制 > 检测机箱 (also in the tool bar)."
status=0
"$folder/QV74xx" "$@" || status=$?
exit "$status"
