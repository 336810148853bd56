#!/usr/bin/env bash
# Runs chosen tests of the Release build under valgrind's memcheck, inside
# the private network namespace, with the programs they start (console,
# simulator) traced as well. Use it after a change to what reacts to device
# messages or to the order in which objects go: a freed object read inside
# Qt's own libraries, which AddressSanitizer cannot see, shows up here as an
# invalid read. Slow: pick the tests.
# Usage: scripts/valgrind.sh [ctest arguments, e.g. -R 'endtoend']
# Each process's report goes to build-release/valgrind/<pid>.log; the script
# fails when a test fails or any report holds an error.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

if [ "${1:-}" = --memcheck ]; then
  # Called by tests/isolate.sh for each test program.
  shift
  # 7-Zip and the tests' stand-ins for it (every program with "7z" in its
  # path) are not ours to check, and run under a limit on the size of any
  # file they write that memcheck's own report file would hit. Nor are the
  # system's network tools that tests call to set up links.
  exec valgrind --tool=memcheck --trace-children=yes --trace-children-skip='*7z*,*/ip,*/nsenter' --num-callers=40 \
    --error-exitcode=97 --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
    --suppressions="$root/tests/valgrind.supp" --log-file="$KORVANE_VALGRIND_LOGS/%p.log" "$@"
fi

cd "$root"
# valgrind only here: the test suite and CI have no use for it.
bash scripts/setup.sh valgrind
command -v valgrind >/dev/null || { echo "valgrind.sh: valgrind is not installed (apt-get install valgrind)" >&2; exit 2; }
build=${KORVANE_RELEASE_BUILD:-$root/build-release}
jobs=${KORVANE_JOBS:-$(nproc)}
source "$root/scripts/launcher.sh"
# The same tree as scripts/test.sh's Release build, with longer time limits.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_SANITIZE=OFF -DKORVANE_TESTS=ON \
  -DKORVANE_TEST_TIMEOUT_SCALE=20 "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$jobs"

export KORVANE_VALGRIND_LOGS=$build/valgrind
rm -rf "$KORVANE_VALGRIND_LOGS"
mkdir -p "$KORVANE_VALGRIND_LOGS"
# tests/isolate.sh reads this as a command line: the path is quoted, as the
# work tree's may hold blanks or quotes.
export KORVANE_TEST_WRAPPER="$(printf '%q' "$here/valgrind.sh") --memcheck"
export KORVANE_TEST_ROOT=$(mktemp -d /tmp/korvane-valgrind.XXXXXX)
trap 'rm -rf "$KORVANE_TEST_ROOT"' EXIT

set +e
bash scripts/netns.sh ctest --test-dir "$build" -j "$jobs" --output-on-failure --no-tests=error "$@"
rc=$?
set -e

# Errors in any process, tests and the programs they started alike. A
# program that a test killed writes no summary, but what it found is there.
bad=$(grep -l -E "ERROR SUMMARY: [1-9]|Invalid (read|write|free)" "$KORVANE_VALGRIND_LOGS"/*.log 2>/dev/null || true)
if [ -n "$bad" ]; then
  echo "valgrind.sh: memcheck found errors in:" >&2
  while IFS= read -r log; do
    echo "  $log: $(grep -c -E 'Invalid (read|write)' "$log") invalid reads/writes" >&2
  done <<<"$bad"
  rc=1
fi
echo "valgrind.sh: $(ls "$KORVANE_VALGRIND_LOGS" | wc -l) processes checked, reports in $KORVANE_VALGRIND_LOGS"
exit $rc
