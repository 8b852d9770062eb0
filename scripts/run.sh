#!/usr/bin/env bash
# Starts the lobby from the application directory given as $1. When nothing
# listens on the local Router port, the reference service's embedded default
# is started in the background first and stopped again when the lobby exits.
set -euo pipefail
dist=$(cd "${1:?application directory}" && pwd)
router_host=127.0.0.1
router_port=${TESSARY_ROUTER_PORT:-7000}
service_log=${TESSARY_SERVICE_LOG:-$dist/../tessaryd.log}

has_display() {
  [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] ||
    [ "${QT_QPA_PLATFORM:-}" = offscreen ] || [ "${QT_QPA_PLATFORM:-}" = minimal ]
}

router_listens() {
  (exec 3<>"/dev/tcp/$router_host/$router_port") 2>/dev/null
}

if ! has_display; then
  cat >&2 <<EOF
run: there is no display to show the lobby on (DISPLAY is not set).
  On a desktop, run it from a terminal inside your graphical session.
  On a machine without one, use a virtual X server:
      xvfb-run -s '-screen 0 1024x768x24' ./tessary run
  or point DISPLAY at an X server you can reach, e.g. DISPLAY=:0 ./tessary run
EOF
  exit 1
fi

if [ ! -x "$dist/TSClient" ]; then
  echo "run: $dist/TSClient is missing; the build did not produce the lobby" >&2
  exit 1
fi

service_pid=""
stop_service() {
  if [ -n "$service_pid" ] && kill -0 "$service_pid" 2>/dev/null; then
    echo "run: stopping the local service (pid $service_pid)"
    kill "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
  fi
}
trap stop_service EXIT
trap 'exit 130' INT TERM

if router_listens; then
  echo "run: a Router already listens on $router_host:$router_port; using it"
else
  if [ ! -x "$dist/tessaryd" ]; then
    echo "run: nothing listens on $router_host:$router_port and $dist/tessaryd is missing" >&2
    exit 1
  fi
  echo "run: starting the local service (log: $service_log)"
  "$dist/tessaryd" >"$service_log" 2>&1 &
  service_pid=$!
  # Give it up to 10 seconds to open the Router port.
  for _ in $(seq 1 100); do
    router_listens && break
    if ! kill -0 "$service_pid" 2>/dev/null; then
      echo "run: the local service ended at once; its log:" >&2
      tail -n 20 "$service_log" >&2 || true
      exit 1
    fi
    sleep 0.1
  done
  if ! router_listens; then
    echo "run: the local service did not open $router_host:$router_port within 10 s" >&2
    exit 1
  fi
fi

echo "run: starting the lobby"
# In the background, so that a TERM or INT to this script reaches the lobby,
# which then ends as its exit button ends it (letting its mailbox go); the
# service is stopped after it.
(cd "$dist" && exec ./TSClient) &
lobby_pid=$!
trap 'kill -TERM "$lobby_pid" 2>/dev/null || true' INT TERM
while :; do
  status=0
  wait "$lobby_pid" || status=$?
  kill -0 "$lobby_pid" 2>/dev/null || break
done
exit "$status"
