#!/usr/bin/env bash
# Installs what is missing, builds the suite (optimised, no sanitizers) and
# starts the main program from its program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)"
if [ ! -x build/bin/QV74xx ]; then
  echo "The main program QV74xx is not built yet: only its libraries and tools exist so far."
  exit 0
fi
exec build/bin/QV74xx "$@"
