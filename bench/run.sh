#!/usr/bin/env bash
# run.sh: builds the program and the benches (Release), runs every bench, and prints their figures
# together at the end, each on its own line: ours, then the reference measured in the same run.
#
# Usage: bench/run.sh [BUILD_DIRECTORY]   (default: build/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLBROOK_BENCH=ON \
  -DQUILLBROOK_TESTS=OFF >/dev/null
cmake --build "$build" --target bench_programs -j2

export PYTHONDONTWRITEBYTECODE=1
log=$(mktemp)
trap 'rm -f "$log"' EXIT
figures=()

# Runs one bench with its output on screen and keeps its last line, the figure.
bench() {
  echo "== $*"
  "$@" | tee "$log"
  figures+=("$(tail -n 1 "$log")")
}

bench "$build/bench/hex_latency_bench"
bench "$build/bench/port_rescan_bench"
bench "$build/bench/port_rescan_bench" /dev
bench "$build/bench/settings_reload_bench"
bench python3 bench/flash_path_bench.py "$build"
bench python3 bench/idle_cpu_bench.py "$build"
bench python3 bench/startup_bench.py "$build"

echo "== figures"
printf '%s\n' "${figures[@]}"
