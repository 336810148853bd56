#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# the whole test suite in a private network namespace.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

build=${KORVANE_TEST_BUILD:-$root/build-test}
jobs=${KORVANE_JOBS:-$(nproc)}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_TESTS=ON >/dev/null
cmake --build "$build" -j "$jobs"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export KORVANE_TEST_ROOT=$(mktemp -d /tmp/korvane-tests.XXXXXX)
trap 'rm -rf "$KORVANE_TEST_ROOT"' EXIT

set +e
bash scripts/netns.sh ctest --test-dir "$build" -j "$jobs" --output-on-failure "$@"
rc=$?
set -e
exit $rc
