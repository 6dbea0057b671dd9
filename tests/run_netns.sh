#!/bin/sh
# Runs a test program in a private network namespace with its own loopback,
# so the fixed ports it opens never meet another run's listeners.
# Usage: run_netns.sh <unshare> <ip> <program> [arguments...]
unshare=$1
ip=$2
shift 2
exec "$unshare" -rn sh -c '"$0" link set lo up && exec "$@"' "$ip" "$@"
