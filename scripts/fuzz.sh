#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for the given number of seconds
# (default 60) from its seed corpus. New inputs go to build-fuzz/corpus/.
# Usage: scripts/fuzz.sh [seconds] [target...], a target named with or
# without its fuzz_ prefix (dispatch or fuzz_dispatch); all when none is named.
# KORVANE_FUZZ_RUNS=N also stops each target after N executions;
# KORVANE_FUZZ_JOBS=J runs J processes per target on one corpus, sharing
# those executions between them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
shift || true
# libFuzzer takes a time of 0 as no limit at all.
if ! [[ $seconds =~ ^[0-9]+$ ]] || [[ $seconds =~ ^0+$ ]]; then
  echo "fuzz.sh: SECONDS must be a number above 0, not '$seconds'; usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
  exit 2
fi
# Every tests/fuzz/fuzz_NAME.cpp is a target, named fuzz_NAME or NAME.
all=()
for f in tests/fuzz/fuzz_*.cpp; do all+=("$(basename "$f" .cpp)"); done
targets=()
for name in "$@"; do
  t=fuzz_${name#fuzz_}
  if [ ! -f "tests/fuzz/$t.cpp" ]; then
    echo "fuzz.sh: unknown target '$name'; the targets are: ${all[*]#fuzz_} (with or without fuzz_)" >&2
    exit 2
  fi
  targets+=("$t")
done
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

bash scripts/setup.sh
build=$root/build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DKORVANE_FUZZ=ON -DKORVANE_TESTS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}"

# Over millions of runs the sanitizer's allocator grows with its quarantine of
# freed blocks (a process passed 1 GiB at 1.5 M runs with the default 256 MiB,
# and would reach libFuzzer's 2 GiB limit before 10^7); a smaller quarantine
# still catches the use of a block freed within the last thousands of inputs.
export ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=64
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
jobs=${KORVANE_FUZZ_JOBS:-1}
runs=()
[ -z "${KORVANE_FUZZ_RUNS:-}" ] || runs=(-runs="$(( (KORVANE_FUZZ_RUNS + jobs - 1) / jobs ))")
parallel=()
[ "$jobs" -le 1 ] || parallel=(-jobs="$jobs" -workers="$jobs")
status=0
# A run stopped half-way (Ctrl-C) keeps the logs so far and leaves no
# temporary directory behind.
scratch=
logs=
collect() {
  [ -n "$scratch" ] || return 0
  find "$scratch" -name 'fuzz-*.log' -exec mv -t "$logs" {} + 2>/dev/null || true
  rm -rf "$scratch"
  scratch=
}
trap collect EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
for t in "${targets[@]}"; do
  work=$build/corpus/$t
  mkdir -p "$work" "$build/artifacts"
  echo "== $t: ${seconds}s, $jobs process(es)"
  logs=$build/logs/$t
  rm -rf "$logs" && mkdir -p "$logs"
  # The dispatch target writes uploads into its own temporary directory only,
  # and works from there; crashing inputs go to build-fuzz/artifacts all the same.
  # Parallel processes write their reports into the working directory,
  # which the dispatch target moves into its own temporary directory.
  scratch=$(mktemp -d)
  if ! (cd "$logs" && TMPDIR=$scratch "$build/tests/fuzz/$t" -max_total_time="$seconds" "${runs[@]}" \
          "${parallel[@]}" -max_len=70000 -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" \
          "$work" "$root/tests/fuzz/corpus/$t" >"$logs/main.log" 2>&1); then
    status=1
  fi
  collect
  reports=("$logs"/main.log)
  [ "$jobs" -le 1 ] || reports=("$logs"/fuzz-*.log)
  grep -h -E 'ERROR|SUMMARY' "${reports[@]}" || true
  awk '/stat::number_of_executed_units/ { n += $NF } END { printf "executions: %d\n", n }' "${reports[@]}"
done
exit $status
