#!/usr/bin/env bash
# Screenshots of the side windows (stock photo chooser, pages, buddies, player
# search) from two real TSClient programs against tessaryd: a private network
# namespace keeps the service's default ports to itself, Xvfb gives the
# display, xdotool clicks and types. Bea joins Arena 2; Ann chooses a stock
# photo, pages Bea, reads her reply, finds her and goes to her arena.
#   scripts/side_windows_shots.sh [application directory] [output folder]
set -u
dist=$(cd "${1:-build/dist}" && pwd)
out=$(mkdir -p "${2:-build/previews/side-windows}" && cd "${2:-build/previews/side-windows}" && pwd)
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

case "${SHOTS_STAGE:-outer}" in
outer)
  exec unshare -rn env SHOTS_STAGE=namespace bash "$self" "$dist" "$out" ;;
namespace)
  ip link set lo up
  work=$(mktemp -d /tmp/side-shots-XXXXXX)
  "$dist/tessaryd" --print-config |
    sed "s|^database = .*|database = $work/db.sqlite|; s|^opslimit = .*|opslimit = 1|; s|^memlimit = .*|memlimit = 8192|" \
      >"$work/tessaryd.conf"
  "$dist/tessaryd" --config "$work/tessaryd.conf" >"$work/tessaryd.log" 2>&1 &
  service=$!
  for _ in $(seq 100); do (exec 3<>/dev/tcp/127.0.0.1/7000) 2>/dev/null && break; sleep 0.1; done
  SHOTS_STAGE=display SHOTS_WORK=$work xvfb-run -a -s '-screen 0 1700x1300x24' bash "$self" "$dist" "$out"
  status=$?
  kill -TERM "$service" 2>/dev/null; wait "$service" 2>/dev/null
  rm -rf "$work"
  exit $status ;;
esac

# The display stage: both programs, driven.
W=$SHOTS_WORK
cleanup() {
  local pids
  pids=$(cat "$W/pids" 2>/dev/null)
  for p in $pids; do kill -TERM "$p" 2>/dev/null || true; done
  for p in $pids; do
    for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$p" 2>/dev/null || true
  done
  rm -f /dev/shm/sideshotA-* /dev/shm/sideshotB-*
}
trap cleanup EXIT
winshot() { sleep 0.6; import -window "$1" "$out/$2.png"; echo "$out/$2.png"; }
start_client() { # name -> pid
  local d=$W/$1
  mkdir -p "$d/home" "$d/run"; chmod 700 "$d/run"
  cp -r "$dist"/. "$d/app"; rm -f "$d/app/tessaryd"
  (cd "$d/app" && HOME=$d/home TESSARY_REGISTRY=$d/registry.ini TESSARY_SHM_PREFIX=sideshot$1- \
     XDG_RUNTIME_DIR=$d/run XDG_CONFIG_HOME=$d/home/config XDG_CACHE_HOME=$d/home/cache \
     XDG_DATA_HOME=$d/home/data SDL_AUDIODRIVER=dummy exec ./TSClient >"$d/client.log" 2>&1) &
  echo $! >>"$W/pids"
  echo $!
}
win() { # pid title-pattern -> window id (waits up to 15 s)
  local id
  for _ in $(seq 150); do
    id=$(xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | tail -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window '$2'" >&2
  return 1
}
clickw() { # window x y (inside the window)
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + $2)) $((Y + $3)); sleep 0.2
  xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 0.4
}
typew() { xdotool type --delay 30 "$1"; sleep 0.2; }
newaccount() { # pid name
  local login acc lower
  lower=$(echo "$2" | tr A-Z a-z)
  sleep 3  # the splash screen goes first
  login=$(win "$1" "TSClient - Login") || return 1
  clickw "$login" 80 200
  acc=$(win "$1" "TSClient - Account") || return 1
  clickw "$acc" 250 138; typew "$2"
  clickw "$acc" 250 197; typew "pw1234"
  clickw "$acc" 250 256; typew "pw1234"
  clickw "$acc" 250 314; typew "$2 Player"
  clickw "$acc" 250 371; typew "$lower@example.org"
  clickw "$acc" 250 426; typew "http://$lower.example.org/"
  clickw "$acc" 500 420; typew "Plays in the evening."
  clickw "$acc" 250 525; typew "Chile"; xdotool key Return; sleep 0.3
  clickw "$acc" 491 521
}
set -e
B=$(start_client B)
newaccount "$B" Bea
mainB=$(win "$B" "TSClient - Bea")
xdotool windowmove "$mainB" 880 0; sleep 0.5
clickw "$mainB" 650 100  # Arena 2
clickw "$mainB" 566 278  # Join arena
sleep 2

A=$(start_client A)
newaccount "$A" Ann
mainA=$(win "$A" "TSClient - Ann")
xdotool windowmove "$mainA" 0 0; sleep 1.5
winshot "$mainA" 01_router_view_profile
clickw "$mainA" 84 558   # My account
acc=$(win "$A" "TSClient - Account")
clickw "$acc" 637 140    # Stock photo
chooser=$(win "$A" "Choose your photo")
clickw "$chooser" 458 220; clickw "$chooser" 458 220  # next, next
winshot "$chooser" 02_photo_chooser
clickw "$chooser" 210 268  # OK
winshot "$acc" 03_account_with_stock_photo
clickw "$acc" 491 521    # Save
mainA=$(win "$A" "TSClient - Ann")
sleep 1.5
winshot "$mainA" 04_router_view_stock_photo
clickw "$mainA" 327 558  # Buddies
buddies=$(win "$A" "My buddies")
winshot "$buddies" 05_buddies
clickw "$buddies" 243 388
clickw "$mainA" 706 315  # Page
page=$(win "$A" "Send a page")
clickw "$page" 190 72; typew "Bea"
clickw "$page" 200 180; typew "Hello Bea, a game of poker?"
winshot "$page" 06_page_write
clickw "$page" 80 300
read=$(win "$B" "Page - Ann")
winshot "$read" 07_page_read
clickw "$read" 80 300    # Reply
reply=$(win "$B" "Send a page|Page")
clickw "$reply" 200 180; typew "Sure, I am in Arena 2."
winshot "$reply" 08_page_reply_write
clickw "$reply" 80 300
answer=$(win "$A" "Page - Bea")
winshot "$answer" 09_page_reply_read
clickw "$answer" 360 300
clickw "$mainA" 566 315  # Find player
search=$(win "$A" "Find a player")
clickw "$search" 217 72; typew "Bea"
clickw "$search" 65 197
sleep 1
winshot "$search" 10_player_search
clickw "$search" 170 197  # Go there
sleep 2
winshot "$(win "$A" "TSClient - Ann")" 11_arena_after_go
