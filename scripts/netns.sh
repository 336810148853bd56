#!/usr/bin/env bash
# Runs a command inside a fresh, private network namespace: loopback up and a
# veth pair (10.77.0.1/24 <-> 10.77.0.2/24) that exists only in here, so the
# console's discovery broadcasts have an interface to go out on and can be
# received, and nothing can reach any other network.
# Usage: scripts/netns.sh command [args...]
set -euo pipefail

# Only the copy of this script that unshare starts sets up the links: the
# variable KORVANE_IN_NETNS, which the programs inside see, is inherited by
# whatever they start (a shell, another run of a script), and must never make
# this script add links where it already is, maybe the machine's own network.
if [ "${1:-}" != --in-new-namespace ]; then
  export KORVANE_IN_NETNS=1
  if [ "$(id -u)" -eq 0 ]; then
    exec unshare --net -- "$0" --in-new-namespace "$@"
  else
    exec unshare --map-root-user --net -- "$0" --in-new-namespace "$@"
  fi
fi
shift

ip link set lo up
ip link add kv0 type veth peer name kv1
ip addr add 10.77.0.1/24 brd 10.77.0.255 dev kv0
ip addr add 10.77.0.2/24 brd 10.77.0.255 dev kv1
ip link set kv0 up
ip link set kv1 up

# Refuse to go on if anything but our own interfaces is visible.
others=$(ip -o link show | awk -F': ' '{print $2}' | sed 's/@.*//' | grep -v -x -e lo -e kv0 -e kv1 || true)
if [ -n "$others" ]; then
  echo "netns: unexpected interfaces in the namespace: $others" >&2
  exit 1
fi
exec "$@"
