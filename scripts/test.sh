#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice, each time in a private
# network namespace: once built with AddressSanitizer and
# UndefinedBehaviorSanitizer, once as a Release build, what users run. The
# sanitizers cannot see a freed object read inside Qt's own libraries; the
# Release run (and scripts/valgrind.sh) can.
# Usage: scripts/test.sh [ctest arguments, e.g. -R regex]
# KORVANE_JOBS sets the parallelism; KORVANE_TEST_BUILDS="sanitize" or
# "release" runs one of the two builds only.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

jobs=${KORVANE_JOBS:-$(nproc)}
builds=${KORVANE_TEST_BUILDS:-sanitize release}
source "$root/scripts/launcher.sh"

build_dir() {
  case "$1" in
    sanitize) echo "${KORVANE_TEST_BUILD:-$root/build-test}" ;;
    release) echo "${KORVANE_RELEASE_BUILD:-$root/build-release}" ;;
  esac
}

configure_and_build() {
  local kind=$1 dir
  dir=$(build_dir "$kind")
  case "$kind" in
    sanitize) cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_TESTS=ON \
                "${launcher[@]}" >/dev/null ;;
    release) cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_SANITIZE=OFF -DKORVANE_TESTS=ON \
               -DKORVANE_TEST_TIMEOUT_SCALE=1 "${launcher[@]}" >/dev/null ;;
    *) echo "test.sh: unknown build '$kind'" >&2; return 2 ;;
  esac
  cmake --build "$dir" -j "$jobs"
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=0}
# The path is quoted for the sanitizers, which split their options at blanks.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=\"$root/tests/lsan.supp\":print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export KORVANE_TEST_ROOT=$(mktemp -d /tmp/korvane-tests.XXXXXX)
trap 'rm -rf "$KORVANE_TEST_ROOT"' EXIT

rc=0
for kind in $builds; do
  echo "test.sh: $kind build"
  configure_and_build "$kind"
  set +e
  bash scripts/netns.sh ctest --test-dir "$(build_dir "$kind")" -j "$jobs" --output-on-failure --no-tests=error "$@"
  status=$?
  set -e
  if [ $status -ne 0 ]; then
    echo "test.sh: the $kind build failed its tests" >&2
    rc=$status
  fi
done
exit $rc
