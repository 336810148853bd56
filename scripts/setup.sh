#!/usr/bin/env bash
# Installs the Debian packages the console, its tests and its tools need.
# Quick when everything is already there: apt runs only for what is missing.
# Usage: scripts/setup.sh [more packages a script needs besides, e.g. valgrind]
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libqt6opengl6-dev libgl-dev libvulkan-dev
  libssl-dev openssl
  7zip nginx
  iproute2 util-linux
  xvfb xauth x11-apps imagemagick
  clang libclang-rt-14-dev llvm
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "setup: missing packages: ${missing[*]}" >&2
    echo "setup: not root and no sudo; install them as root: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  SUDO="sudo"
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
