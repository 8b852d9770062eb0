#!/bin/sh
# Runs a test program in a network namespace of its own (only loopback, up)
# on an X display of its own: hostile servers name hosts that the program
# looks up and connects to, and nothing of that may leave the machine.
# Without the right to make a namespace the test is skipped (status 77).
set -eu
if ! unshare -n true 2>/dev/null; then
  echo "skipped: no network namespace can be made here (needs root or user namespaces)"
  exit 77
fi
exec unshare -n sh -c 'ip link set lo up && exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" "$@"' run_isolated "$@"
