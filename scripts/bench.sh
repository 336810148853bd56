#!/usr/bin/env bash
# Builds the benchmarks (Release, into build-bench) and runs them inside a
# private network namespace; prints one table of figures, each against a bare
# baseline measured in the same run. Not part of the test suite.
# Usage: scripts/bench.sh [korvane-bench options], e.g. --repeat 1 --devices 500
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
build=$root/build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF >/dev/null
cmake --build "$build" --target korvane-bench

# Each process gets its own scratch space, removed afterwards; the settings
# of the person running it are never touched.
scratch=$(mktemp -d /tmp/korvane-bench.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/config" "$scratch/tmp"
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config TMPDIR=$scratch/tmp QT_QPA_PLATFORM=offscreen
# A thousand devices need a thousand descriptors on each end.
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true
bash scripts/netns.sh "$build/bench/korvane-bench" "$@"
