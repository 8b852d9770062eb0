#!/bin/bash
# A session visit through the real windows: tessaryd on its default ports
# inside a private network namespace, openbox and two real TSClients on one
# Xvfb display (each lobby with its own folder, registry file and mailbox
# prefix), driven with xdotool as a person would. Ann opens a Slimefray table
# with options through the create window, Bob joins it from the session
# panel, Ann begins. Checked: each lobby starts a Slimefray program and is
# minimised while it runs, the game server gets the table's options and both
# players; Ann closes her game window with the window manager's close key
# (Bob's game, left alone, ends by itself or by the same key), both games
# end, both lobbies are shown again and back in Arena 1, each game process is
# collected, and the table is closed. Every step waits on what it can see
# (windows and their state, processes, tessaryd's log and database) with a
# bound; the whole run is bounded by `timeout`.
#
# Usage: scripts/session_visit.sh [--check] [build/dist] [out]
#   --check  the visit alone, as the plain build's test `session_visit`:
#            status 0 when every check held, 77 (skipped) without root or one
#            of unshare, xvfb-run, xdotool, xprop, xwininfo, openbox, python3; a picture
#            of the screen at a failure goes to out (build/previews/session_visit).
#   without  the visit with pictures in out (build/previews/sessions), and
#            more around it: Bob opens a poker table first and Cid a chat
#            table (create windows of both games, the panel with three
#            tables, the session menu, both
#            information windows, Bob asked to leave his table to join Ann's),
#            then after Slimefray a second round at a new poker table. Also
#            needs imagemagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" != --inside ]; then
  mode=shots
  if [ "${1:-}" = --check ]; then mode=check; shift; fi
  skip() { echo "skipped: $*"; exit 77; }
  [ "$(id -u)" = 0 ] || skip "the private network namespace needs root"
  needed="unshare xvfb-run xdotool xprop xwininfo openbox python3"
  [ $mode = shots ] && needed="$needed import"
  for tool in $needed; do command -v $tool >/dev/null || skip "$tool is not installed"; done
  unshare -n true 2>/dev/null || skip "no network namespace can be made here"
  dist=$(cd "${1:-$here/../build/dist}" && pwd)
  for program in TSClient tessaryd games/slimefray/Slimefray games/poker/poker; do
    [ -x "$dist/$program" ] || { echo "session visit: $dist/$program is missing" >&2; exit 1; }
  done
  out=${2:-$dist/../previews/$([ $mode = check ] && echo session_visit || echo sessions)}
  mkdir -p "$out"; out=$(cd "$out" && pwd)
  rm -f "$out/failure.png"                      # of an earlier run
  work=$(mktemp -d /tmp/session-visit-XXXXXX)
  trap 'rm -rf "$work"' EXIT
  bound=$([ $mode = check ] && echo 170 || echo 420)
  status=0
  # TMPDIR: xvfb-run's folder and the programs' temporary files go with the
  # work folder, even when the bound cuts the run short.
  TMPDIR=$work timeout -k 10 $bound unshare -n -- bash -c "ip link set lo up && exec xvfb-run -a -s '-screen 0 1800x800x24 -nolisten tcp' '$here/session_visit.sh' --inside $mode '$work' '$dist' '$out'" || status=$?
  [ $status = 124 ] && echo "session visit: not over within $bound s" >&2
  [ $mode = shots ] && echo "screenshots in $out"
  exit $status
fi
shift
set +e
MODE=$1; T=$2; DIST=$3; OUT=$4
SHOTS=$OUT
[ $MODE = check ] && OUT=                      # no pictures but the one of a failure
. "$here/lobby_drive.sh"

fail() {
  echo "session visit: $*" >&2
  if [ -n "$SHOTS" ] && command -v import >/dev/null; then
    import -window root "$SHOTS/failure.png" && echo "session visit: the screen then: $SHOTS/failure.png" >&2
  fi
  echo "--- tessaryd.log, last lines" >&2; tail -25 "$T/tessaryd.log" >&2
  for n in ann bob; do
    [ -s $T/$n/lobby.log ] && { echo "--- $n's lobby.log" >&2; grep -v '^ALSA lib' $T/$n/lobby.log | tail -10 >&2; }
  done
  exit 1
}
gone() { case "$(ps -o stat= -p "$1" 2>/dev/null)" in '' | Z*) return 0 ;; *) return 1 ;; esac; }
no_process() { [ -z "$(ps -o pid= -p "$1" 2>/dev/null)" ]; }
cleanup() {
  local p c i left
  # The games first: a lobby whose game still runs does not end on TERM, so
  # TERM goes again each second until the lobby has seen its game end.
  for p in ${ANN:-} ${BOB:-} ${CID:-}; do for c in $(ps -o pid= --ppid $p); do kill $c 2>/dev/null; done; done
  for i in $(seq 75); do
    left=
    for p in ${ANN:-} ${BOB:-} ${CID:-}; do gone $p || left="$left $p"; done
    [ -z "$left" ] && break
    [ $((i % 5)) = 1 ] && kill $left 2>/dev/null
    sleep 0.2
  done
  for p in ${ANN:-} ${BOB:-} ${CID:-}; do
    for c in $(ps -o pid= --ppid $p); do kill -9 $c 2>/dev/null; done
    gone $p || { echo "session visit: lobby $p did not end on TERM" >&2; kill -9 $p; }
  done
  kill ${WM:-} ${SVC:-} 2>/dev/null
  wait
  rm -f /dev/shm/${TESSARY_TEST_RUN:-}lobbydrive$$-*
}
trap cleanup EXIT
trap 'exit 1' TERM INT HUP                       # the bound's TERM cleans up too

# Every client comes from 127.0.0.1: the checks read lines that the log
# would fold after the first 20 of an address in 10 s.
"$DIST/tessaryd" --print-config | sed 's/^log_lines_per_address *=.*/log_lines_per_address = 100000/' > $T/tessaryd.conf
"$DIST/tessaryd" --config $T/tessaryd.conf --database $T/db.sqlite > $T/tessaryd.log 2>&1 &
SVC=$!
openbox --sm-disable > $T/openbox.log 2>&1 &
WM=$!
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_until 20 "window manager" wm_up || fail "openbox did not start"
wait_until 20 "Router" logged "router Tessary: listening" || fail "tessaryd did not start"

main_of() { windows_of $1 "TSClient - $2"; }
wm_state() { xprop -id "$(main_of $1 $2)" WM_STATE 2>/dev/null | grep -q "window state: $3"; }
game_of() { ps -o pid=,comm= --ppid $1 2>/dev/null | awk -v game="$2" '$2 == game { print $1; exit }'; }
game_started() { [ -n "$(game_of $1 $2)" ]; }
tile() { echo $((18 + 60 + 130 * ($1 - 1))) $((92 + 30)); }   # the panel's n-th tile, from the window's corner
open_lobby() {  # name x y: a new account into Arena 1, the lobby moved to x, y; pid in LOBBY
  start_lobby ${1,,} || fail "$1's lobby did not open its login window"
  new_account_into_arena $1 || fail "$1 did not get into Arena 1"
  xdotool windowmove --sync "$(main_of $LOBBY $1)" $2 $3
}
join_by_tile() {  # lobby x y, tile number, player, table name, [leave: asked to leave their own table first]
  local xy=($(tile $4)) try lines
  # The tile may not be on the panel yet: the double click is repeated until
  # the lobby asks its question or sends its requests (the Arena logs a line
  # naming the player).
  for try in 1 2 3; do
    lines=$(log_count "$5")
    xdotool mousemove $(($2 + ${xy[0]})) $(($3 + ${xy[1]})) click --repeat 2 --delay 80 1
    if [ "${7:-}" = leave ]; then
      wait_until 5 "question to $5" shown $1 "Join a session" 2>/dev/null && break
    else
      wait_until 5 "requests of $5" requested_or_asked "$5" $lines 2>/dev/null && break
    fi
  done
  if [ "${7:-}" = leave ]; then
    wait_window $1 "Join a session" 1 || return 1
    shot 17_leave_question
    local box=($(window_box "$(windows_of $1 "Join a session" shown | head -1)"))
    click $((box[0] + box[2]/2 - 45)) $((box[1] + box[3] - 28))   # OK
  fi
  local joined="arena Arena 1: $5 joined session $6\$"
  wait_until 20 "$5 at $6" logged_or_asked "$joined" || return 1
  if asked_to_play; then answer_play; wait_until 20 "$5 at $6" logged "$joined"; fi
}
requested_or_asked() { logged_more "$1" $2 || asked_to_play; }
begin_and_check() {  # master's lobby x y, table, game name on the wire, program, a window shown in play, players...
  local x=$2 y=$3 table=$4 wire=$5 program=$6 title=$7 p name game
  shift 7
  begin_table $x $y "$table" $wire $(($# / 2)) || fail "$table did not begin"
  while [ $# -gt 0 ]; do
    p=$1 name=$2; shift 2
    wait_until 30 "$program started by $name's lobby" game_started $p $program || fail "$name's lobby started no $program"
    game=$(game_of $p $program)
    wait_until 30 "$name's $program window" shown $game "$title" || fail "$name's $program showed no window"
    wait_until 20 "$name's lobby minimised" wm_state $p $name Iconic || fail "$name's lobby is not minimised while $program runs"
    wait_until 20 "$name at the game server" logged "game server: .* $name registered as [0-9]+ in Arena 1 / $table \\($wire\\)\$" ||
      fail "$name's $program did not reach the game server"
  done
}
close_game_and_return() {  # lobby, player, program, its main window's title
  # A game whose last opponent left may have ended on its own.
  local game=$(game_of $1 $3) window try back="arena Arena 1: .* $2 is back\$"
  local returns=$(log_count "$back")
  # As a player does: the window to the front, then the window manager's
  # close key. The game's other windows may take the focus as they open, so
  # the key goes only to the active game window, and again if need be.
  for try in 1 2 3; do
    gone $game && break
    window=$(windows_of "$game" "$4" shown | head -1)
    [ -n "$window" ] || fail "$2's $3 window is gone"
    xdotool windowactivate --sync $window
    [ "$(xdotool getactivewindow)" = "$window" ] && xdotool key alt+F4
    wait_until 8 "end of $2's $3" gone $game && break
  done
  gone $game || fail "closing its window did not end $2's $3"
  wait_until 20 "$2's lobby shown again" shown $1 "TSClient - $2" || fail "$2's lobby did not come back"
  wait_until 10 "$2's lobby restored" wm_state $1 $2 Normal || fail "$2's lobby is still minimised"
  wait_until 20 "$2 back in Arena 1" logged_more "$back" $returns || fail "$2's lobby did not return to Arena 1"
  wait_until 10 "$2's $3 collected" no_process $game || fail "$2's lobby left its $3 a zombie"
}
# The game server's record of the table: its options text and its players.
table_at_game_server() {  # table, expected options, expected players
  python3 - "$T/db.sqlite" "$@" <<'PY'
import sqlite3, sys
database, table, options, players = sys.argv[1:]
db = sqlite3.connect('file:' + database + '?mode=ro', uri=True)
rows = db.execute("SELECT key, options FROM game_sessions WHERE arena = 'Arena 1' AND session = ?", (table,)).fetchall()
if len(rows) != 1:
    sys.exit(f"{len(rows)} announcements of {table}")
names = ' '.join(r[0] for r in db.execute(
    "SELECT name FROM game_members WHERE session_key = ? AND spectator = 0 ORDER BY position", (rows[0][0],)))
if rows[0][1].strip() != options or names != players:
    sys.exit(f"{table}: options '{rows[0][1]}', players '{names}'; expected '{options}', '{players}'")
PY
}
# Shots only: a game's windows side by side from x (a framed window's client
# lies below its title bar).
arrange() {  # game pid, x, [window title, y, x offset]...
  local game=$1 x=$2 w; shift 2
  while [ $# -gt 1 ]; do
    for w in $(windows_of $game "$1" shown); do xdotool windowmove --sync $w $((x + ${3:-0})) $2; done
    shift 3
  done
}

# Ann on the right, Bob on the left.
AXM=1000 BXM=0
open_lobby Ann $AXM 0; ANN=$LOBBY
open_lobby Bob $BXM 0; BOB=$LOBBY
ann_tile=1 leave=
if [ $MODE = shots ]; then
  create_table $BOB $BXM 0 Poker "Poker (five-card draw)" "Friday poker" || fail "Bob's create window did not open"
  shot 10_create_poker
  submit_table Bob "Friday poker" POKER || fail "Bob's poker table did not open"
  ann_tile=2 leave=leave
fi
create_table $ANN $AXM 0 Slimefray Slimefray "Blob Duel" 11_game_choice || fail "Ann's create window did not open"
click $((SX+225)) $((SY+149))            # clock mode on
click $((SX+260)) $((SY+283))            # the second map
shot 12_create_slimefray
submit_table Ann "Blob Duel" SLIMEFRAY || fail "Ann's table did not open"
wait_until 10 "create window closed" not_shown $ANN Slimefray || fail "Ann's create window stayed"
if [ $MODE = shots ]; then
  # Cid opens a chat table, then his lobby goes out of the pictures' way.
  open_lobby Cid 500 100; CID=$LOBBY
  create_table $CID 500 100 Chat "Chat room" "Evening chat" || fail "Cid's create window did not open"
  submit_table Cid "Evening chat" CHAT 300 || fail "Cid's chat table did not open"
  xdotool windowminimize --sync "$(main_of $CID Cid)"
  shot 13_arena_with_tables
  # The session menu and the information window of each table, from Ann's panel.
  for n in 1 2; do
    set -- $(tile $n)
    xdotool mousemove $((AXM + $1)) $2 click 3
    wait_popup $ANN || fail "no session menu"
    [ $n = 1 ] && shot 14_session_menu
    xdotool key Down Down Return
    info=$([ $n = 1 ] && echo "Poker (five-card draw)" || echo Slimefray)
    wait_window $ANN "$info" || fail "no information window for table $n"
    shot $([ $n = 1 ] && echo 15_information_poker || echo 16_information_slimefray)
    xdotool key Escape
    wait_until 10 "information window closed" not_shown $ANN "$info" || fail "the information window stayed"
  done
fi
join_by_tile $BOB $BXM 0 $ann_tile Bob "Blob Duel" $leave || fail "Bob did not join Ann's table from the panel"
[ $MODE = shots ] && { sleep 1; shot 18_joined; }       # Bob's panel shows him at the table
begin_and_check $ANN $AXM 0 "Blob Duel" SLIMEFRAY Slimefray "Slimefray panel" $ANN Ann $BOB Bob
table_at_game_server "Blob Duel" "1 45 Cavern Crossroads 1 0 0" "Ann Bob" ||
  fail "the game server did not get the table's options and players"
if [ $MODE = shots ]; then
  for g in "$BOB 0" "$ANN 1000"; do
    set -- $g
    arrange $(game_of $1 Slimefray) $2 "Slimefray" 22 0 "Slimefray panel" 22 570 "Slimefray chat" 608 0 "Map" 430 570
  done
  shot 19_games_running
  sleep 4; shot 20_games_running_later
fi
close_game_and_return $ANN Ann Slimefray Slimefray
close_game_and_return $BOB Bob Slimefray Slimefray
wait_until 20 "end of the table" logged "arena Arena 1: session Blob Duel closed\$" || fail "the table stayed after both players left"
[ $MODE = check ] && exit 0

shot 21_lobbies_back
# A second round: Bob opens a poker table, Ann joins, Bob begins.
create_table $BOB $BXM 0 Poker "Poker (five-card draw)" "Late poker" || fail "Bob's create window did not open again"
submit_table Bob "Late poker" POKER || fail "Bob's second poker table did not open"
# Back in the Arena the panel lists the tables by name (Cid's first), then
# the new one.
join_by_tile $ANN $AXM 0 2 Ann "Late poker" || fail "Ann did not join Bob's poker table"
begin_and_check $BOB $BXM 0 "Late poker" POKER poker "Tessary Poker" $BOB Bob $ANN Ann
arrange $(game_of $BOB poker) 0 "Tessary Poker" 0 0
arrange $(game_of $ANN poker) 1000 "Tessary Poker" 0 0
shot 22_poker_running
# Both pay the ante (Bob is asked first), and the cards are dealt.
sleep 3; click 508 371; sleep 2; click 1508 371; sleep 3
shot 23_poker_cards_dealt
close_game_and_return $BOB Bob poker "Tessary Poker"
close_game_and_return $ANN Ann poker "Tessary Poker"
wait_until 20 "end of the poker table" logged "arena Arena 1: session Late poker closed\$" || fail "the poker table stayed"
shot 24_lobbies_back_after_poker
exit 0
