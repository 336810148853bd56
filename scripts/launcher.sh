# Sourced by scripts/test.sh and scripts/valgrind.sh: sets the array
# `launcher` to the CMake option that builds through ccache, when ccache is
# there and can write to its cache. ccache keeps its cache under the home
# directory; a user whose home it cannot write to (nobody's is /nonexistent)
# would have every compile fail, so such a build goes without it.
launcher=()
if command -v ccache >/dev/null; then
  cache=$(ccache -k cache_dir 2>/dev/null || true)
  if [ -n "$cache" ] && mkdir -p "$cache" 2>/dev/null && [ -w "$cache" ]; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  else
    echo "$(basename "$0"): ccache cannot write to its cache ${cache:-(none)}; building without it" >&2
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=)
  fi
fi
