#!/usr/bin/env bash
# Two real TSClient programs in an arena of tessaryd, driven like a person
# with xdotool on a virtual X display, with screenshots of the router view
# (arena list, news), of both arena views (chat, private tab, players), of
# the information windows opened from the player menu and by "/WHOIS" (with
# the other player's uploaded photo), of the buddy windows, and of the
# credits box opened from a chat table named "Credits", and of a fresh
# arena view after changing arena.
# The service runs in a private network namespace on its default ports.
#
#   scripts/arena_screens.sh BUILD_DIR OUT_DIR
#
# Needs root (for the namespace), xvfb-run, xdotool and imagemagick. Every
# wait is bounded; the whole run takes about 40 seconds. Exits non-zero
# when a step fails or a client did not receive the other's line.
set -euo pipefail
shopt -s inherit_errexit
[ -z "${ARENA_SCREENS_DEBUG:-}" ] || set -x

if [ "${1:-}" = --inside ]; then
  shift
  stage=inside
elif [ "${1:-}" = --display ]; then
  shift
  stage=display
else
  stage=outside
fi
build=$(cd "${1:?build directory}" && pwd)
out=$(mkdir -p "${2:?output directory}" && cd "$2" && pwd)
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

if [ "$stage" = outside ]; then
  # Bounded as a whole: a hung step cannot keep the namespace alive.
  exec timeout 180 unshare -n -- "$self" --inside "$build" "$out"
fi

work=${ARENA_SCREENS_WORK:-}
if [ "$stage" = inside ]; then
  ip link set lo up
  work=$(mktemp -d /tmp/arena-screens-XXXXXX)
  service_pid=""
  cleanup() {
    if [ -n "$service_pid" ]; then kill "$service_pid" 2>/dev/null || true; wait "$service_pid" 2>/dev/null || true; fi
    rm -rf "$work"
  }
  trap cleanup EXIT
  "$build/dist/tessaryd" --print-config |
    sed -e "s|^database = .*|database = $work/tessaryd.sqlite|" \
        -e 's/^opslimit = .*/opslimit = 1/' -e 's/^memlimit = .*/memlimit = 8192/' \
        -e 's/^news = This service.*/news = Tonight 20:00 UTC: the Slimefray cup in Arena 2.\nnews = New: ignore a player with \/IGNORE name./' \
        >"$work/tessaryd.conf"
  "$build/dist/tessaryd" --config "$work/tessaryd.conf" >"$work/tessaryd.log" 2>&1 &
  service_pid=$!
  for _ in $(seq 1 100); do (exec 3<>/dev/tcp/127.0.0.1/7000) 2>/dev/null && break; sleep 0.1; done
  # The two accounts, created through the client library as the account
  # window would.
  # Bob's own photo, a small JPEG, uploaded as the account window would.
  convert -size 128x128 xc:'#2e6fb0' -fill '#f2c14e' -draw 'circle 64 56 64 22' \
    -fill '#7a3b8f' -draw 'ellipse 64 128 50 36 0 360' -quality 85 "$work/bob.jpg"
  /usr/bin/python3 - "$build/dist/libTSClient.so" "$work/bob.jpg" <<'EOF'
import ctypes, sys, time
lib = ctypes.CDLL(sys.argv[1])
photo = open(sys.argv[2], "rb").read()
for name in (b"Ann", b"Bob"):
    assert lib.TS_ConnectToHost(b"127.0.0.1", 7000, 1), "no Router"
    lib.TSRouterSend_CreateAccount(name, b"secret1", b"player@example.org", name + b" Player", b"Chile",
                                   b"http://example.org/", b"Plays in the evening.", 0, 1, 3)
    deadline = time.time() + 10
    result, text = ctypes.create_string_buffer(4096), ctypes.create_string_buffer(4096)
    while time.time() < deadline:
        if lib.TS_GetMessageType() == 1 and lib.TSRouterRcv_AccountCreationResult(result, text):
            break
        time.sleep(0.02)
    assert result.raw[0] == 47, "account %s refused: %s" % (name, text.value)
    if name == b"Bob":
        lib.TSRouterSend_Photo(len(photo), photo, b"jpg")
        size = ctypes.c_int32(0)
        deadline = time.time() + 10
        while time.time() < deadline and size.value != len(photo):
            if lib.TS_GetMessageType() > 0:
                lib.TSRouterRcv_GetPhotoSize(ctypes.byref(size))
            time.sleep(0.02)
        assert size.value == len(photo), "the photo was not stored"
    lib.TS_DisconnectFromHost()
EOF
  ARENA_SCREENS_WORK=$work xvfb-run -a -s '-screen 0 1024x700x24' "$self" --display "$build" "$out"
  exit $?
fi

# --- On the virtual display.
pids=()
stop_clients() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done; }
trap stop_clients EXIT

shot() { import -window root "$out/$1.png"; echo "screenshot: $out/$1.png"; }
# One window, raised first: without a window manager both lobbies open in
# the middle of the screen, one over the other.
shot_window() {
  xdotool windowraise "$1" 2>/dev/null || true; sleep 0.3
  import -window "$1" "$out/$2.png"; echo "screenshot: $out/$2.png"
}

# Waits at most 10 s for a visible window of `pid` whose title matches (both:
# xdotool's search matches either by default), and for it to stay (the
# toolkit may replace a window just after showing it).
window_of() {
  local pid=$1 title=$2 id last=""
  for _ in $(seq 1 50); do
    id=$(xdotool search --all --onlyvisible --pid "$pid" --name "$title" 2>/dev/null | tail -n 1 || true)
    if [ -n "$id" ] && [ "$id" = "$last" ] && xdotool getwindowgeometry "$id" >/dev/null 2>&1; then
      echo "$id"
      return 0
    fi
    last=$id
    sleep 0.2
  done
  echo "no window '$title' of $pid" >&2
  return 1
}

# Waits at most 10 s for a line in the service's log.
logged() {
  for _ in $(seq 1 100); do grep -q "$1" "$work/tessaryd.log" && return 0; sleep 0.1; done
  echo "the service never logged '$1'" >&2
  return 1
}

click_at() {
  xdotool windowraise "$1" 2>/dev/null || true; xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool mousemove --window "$1" "$2" "$3" click "${4:-1}"
}
double_click_at() {
  xdotool windowraise "$1" 2>/dev/null || true; xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool mousemove --window "$1" "$2" "$3" click --repeat 2 --delay 100 1
}
type_line() { xdotool type --delay 20 "$1"; xdotool key Return; }

start_client() {
  local name=$1 folder="$work/$1"
  cp -r "$build/dist" "$folder"
  (cd "$folder" && TESSARY_REGISTRY="$folder/registry.ini" TESSARY_SHM_PREFIX="screens$name-" \
     XDG_RUNTIME_DIR="$folder" SDL_AUDIODRIVER=dummy exec ./TSClient >"$folder/TSClient.log" 2>&1) &
  pids+=($!)
}

# Logs `name` in from its login window; prints its main window.
log_in() {
  local pid=$1 name=$2 login main
  login=$(window_of "$pid" 'Login$')
  xdotool windowfocus --sync "$login" 2>/dev/null || true
  click_at "$login" 200 76
  xdotool key ctrl+a
  xdotool type --delay 30 "$name"
  click_at "$login" 200 112
  xdotool type --delay 30 secret1
  [ -z "${ARENA_SCREENS_DEBUG:-}" ] || shot "login_$name" >&2
  xdotool key Return
  main=$(window_of "$pid" "^TSClient - $name")
  echo "$main"
}

start_client Ann
ann=$(log_in "${pids[0]}" Ann)
start_client Bob
bob=$(log_in "${pids[1]}" Bob)
sleep 2.5  # one 2-second ping round, so the ping pictures show
shot_window "$bob" 01_router_view

# Ann double-clicks the first arena, then greets the arena.
double_click_at "$ann" 650 88
logged "Ann entered"
sleep 1  # the lobby reads the Arena's answer on its next poll
click_at "$ann" 200 564
type_line "Hello from Ann! See www.example.org for the rules."
# Bob follows, waves, and opens a private tab with a double click on Ann's row.
double_click_at "$bob" 650 88
logged "Bob entered"
sleep 1
click_at "$bob" 200 564
type_line "/me waves"
sleep 0.5
double_click_at "$bob" 560 80
click_at "$bob" 200 564
type_line "Hi Ann, a game later?"
type_line "/kick Ann just testing"
sleep 1
shot_window "$bob" 02_arena_view_bob

# Ann answers in the private tab Bob's line opened (the second tab).
click_at "$ann" 130 267
click_at "$ann" 200 564
type_line "Sure, after the cup."
sleep 0.5
# Ann's player menu on Bob's row, open for the picture.
shot_window "$ann" 03_arena_view_ann
click_at "$ann" 560 89 3
sleep 0.5
shot 04_player_menu
xdotool key Escape

# Each saves its arena tab through the input menu (the last item) to check
# that the other's line arrived.
for window in "$ann" "$bob"; do
  click_at "$window" 40 267
  click_at "$window" 200 564 3
  sleep 0.3
  xdotool key Up Return
done
sleep 0.5
shot_window "$bob" 05_arena_tab_bob
grep -q "<Ann> Hello from Ann" "$work/Bob/Arena.txt"
grep -q "~~~> Bob waves" "$work/Ann/Arena.txt"
echo "both clients received the other's lines"

# Ann opens Bob's information from the player menu (its first item): the
# card comes from the Arena with Bob's own photo. She adds him to her
# buddies from that window.
click_at "$ann" 560 89 3
sleep 0.3
xdotool key Down Return
info=$(window_of "${pids[0]}" '^Playerinfo: Bob$')
sleep 1  # the photo follows the card
shot_window "$info" 06_player_info_bob
click_at "$info" 330 298
# Bob asks about Ann with "/WHOIS", then adds her from the player menu.
click_at "$bob" 40 267
click_at "$bob" 200 564
type_line "/WHOIS Ann"
info=$(window_of "${pids[1]}" '^Playerinfo: Ann$')
sleep 1
shot_window "$info" 07_player_info_ann
xdotool key Escape
click_at "$bob" 560 75 3
sleep 0.3
xdotool key Down Down Return
# Ann opens a chat table named "Credits": its tab comes second. A right click
# on the tab row (here beside the tabs) with Ctrl and the left button held
# opens the credits box.
click_at "$ann" 560 502
choice=$(window_of "${pids[0]}" 'Choose a game')
click_at "$choice" 80 68
click_at "$choice" 50 260
session=$(window_of "${pids[0]}" '^Chat room$')
click_at "$session" 240 70
xdotool type --delay 30 Credits
click_at "$session" 308 366
sleep 1.5
shot_window "$ann" 08_arena_view_session_tab
xdotool windowraise "$ann"; xdotool mousemove --window "$ann" 400 267
xdotool keydown ctrl mousedown 1 click 3 mouseup 1 keyup ctrl
window_of "${pids[0]}" 'Credits' >/dev/null
sleep 2  # a few scroll steps
shot 09_credits_box
xdotool key Escape
# Both back to the Router, where the buddy windows open.
for window in "$ann" "$bob"; do click_at "$window" 710 535; done
sleep 2
click_at "$ann" 326 557
buddies=$(window_of "${pids[0]}" 'buddies')
shot_window "$buddies" 10_buddies_ann
click_at "$bob" 326 557
buddies=$(window_of "${pids[1]}" 'buddies')
shot_window "$buddies" 11_buddies_bob

# Bob goes on to Arena 2: the chat starts afresh and he is alone there.
xdotool key Escape
double_click_at "$bob" 650 98
for _ in $(seq 1 100); do [ "$(grep -c 'Bob entered' "$work/tessaryd.log")" -ge 2 ] && break; sleep 0.1; done
sleep 1
shot_window "$bob" 12_arena_2_bob
