#!/bin/bash
# Screenshots of the session windows from the real programs: tessaryd on its
# default ports inside a private network namespace, two real TSClients under
# Xvfb (each with its own folder, registry file and mailbox prefix) driven with
# xdotool: Bob opens a poker table, Ann a Slimefray table with options, both
# information windows, Bob joins Ann's table (asked to leave his own), Ann
# begins and both start Slimefray. Needs root for the namespace, xvfb-run,
# xdotool and imagemagick. Usage: scripts/session_screenshots.sh [build/dist] [out]
# (the pictures go to build/previews/sessions by default).
set -euo pipefail
if [ "${1:-}" != "--inside" ]; then
  here=$(cd "$(dirname "$0")" && pwd)
  dist=$(cd "${1:-$here/../build/dist}" && pwd)
  out=${2:-$dist/../previews/sessions}
  mkdir -p "$out"; out=$(cd "$out" && pwd)
  work=$(mktemp -d /tmp/session-shots-XXXXXX)
  trap 'rm -rf "$work"' EXIT
  timeout -k 10 300 unshare -n -- bash -c "ip link set lo up; xvfb-run -a -s '-screen 0 1800x800x24' '$here/session_screenshots.sh' --inside '$work' '$dist' '$out'"
  echo "screenshots in $out"
  exit 0
fi
shift
# Inside: a missing window or a slow start must not stop the remaining pictures.
set +e
T=$1; DIST=$2; OUT=$3
mkdir -p $OUT
"$DIST/tessaryd" --database $T/db.sqlite > $T/tessaryd.log 2>&1 &
SVC=$!
for i in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/7000) 2>/dev/null && break; sleep 0.1; done
. "$(dirname "$0")/lobby_drive.sh"
create_table() {  # row of the game list, table name
  click $((MX+537)) $((MY+500)) 1.5
  click $((GX+80)) $((GY+60+8+$1*13)) 0.5
  [ -n "${3:-}" ] && shot "$3"
  click $((GX+50)) $((GY+260)) 1.5
  click $((SX+240)) $((SY+71)) 0.3; xdotool type --delay 30 "$2"
}
# Bob opens a poker table, then his window goes to the left.
start_lobby bob; BOB=$LOBBY
new_account_into_arena Bob
create_table 1 "Friday poker"
shot 10_create_poker
click $((SX+430)) $((SY+367)) 2
xdotool search --all --onlyvisible --pid $BOB --name "TSClient" windowmove 0 0 2>/dev/null
sleep 1
# Ann opens a Slimefray table with options.
start_lobby ann; ANN=$LOBBY
new_account_into_arena Ann
create_table 2 "Blob Duel" 11_game_choice
click $((SX+225)) $((SY+149)) 0.3            # clock mode on
click $((SX+260)) $((SY+283)) 0.3            # the second map
shot 12_create_slimefray
click $((SX+430)) $((SY+367)) 3
shot 13_arena_with_tables
# Bob's table: right-click, then the information item.
xdotool mousemove $((MX+18+60)) $((MY+92+30)) click 3; sleep 0.8; shot 14_session_menu
xdotool key Down Down Return; sleep 2; shot 15_information_poker
xdotool key Escape; sleep 0.5
xdotool mousemove $((MX+18+190)) $((MY+92+30)) click 3; sleep 0.8
xdotool key Down Down Return; sleep 2; shot 16_information_slimefray
xdotool key Escape; sleep 0.5
# Bob joins Ann's table from his own (asked to leave it first), Ann begins.
xdotool mousemove 176 132 click --repeat 2 --delay 80 1; sleep 1.5; shot 17_leave_question
click $((W/2-45)) $((H/2+11)) 3; shot 18_joined
click $((MX+704)) $((MY+503)) 8; shot 19_games_running
sleep 4; shot 20_games_running_later
for p in $ANN $BOB; do for c in $(ps -o pid= --ppid $p); do kill $c; done; done
kill $ANN $BOB; wait $ANN $BOB 2>/dev/null
kill $SVC; wait $SVC 2>/dev/null
