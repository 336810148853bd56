#!/bin/sh
# Runs one test with a home, config directory and temporary directory of its
# own, so that tests running in parallel never share a settings store, a
# local server name or temporary files.
# Folders the tests make are the user's alone to write into whatever the
# caller's umask: one open to every user is no working directory of the console.
umask 022
root=$(mktemp -d "${KORVANE_TEST_ROOT:-/tmp}/korvane-test.XXXXXX") || exit 1
mkdir -p "$root/home" "$root/config" "$root/tmp" "$root/runtime"
chmod 700 "$root/runtime"
export HOME="$root/home" XDG_CONFIG_HOME="$root/config" TMPDIR="$root/tmp" XDG_RUNTIME_DIR="$root/runtime"
export QT_QPA_PLATFORM=offscreen
# A command with its options that runs the test (scripts/valgrind.sh runs
# each test through memcheck this way), read as the shell reads a command
# line, so that a quoted path may hold blanks.
if [ -n "${KORVANE_TEST_WRAPPER:-}" ]; then
  eval "$KORVANE_TEST_WRAPPER \"\$@\""
else
  "$@"
fi
rc=$?
rm -rf "$root"
exit $rc
