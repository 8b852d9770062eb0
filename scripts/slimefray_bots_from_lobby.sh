#!/bin/bash
# A lone player opens a Slimefray table with three computer players from the
# real lobby and plays it to the end: tessaryd on its default ports inside a
# private network namespace, one real TSClient under Xvfb driven with xdotool
# (new account, the arena, create window with Computer players = 3, begin),
# then a greedy clicker on the real Slimefray board until the game is over.
# Needs root for the namespace, xvfb-run, xdotool and imagemagick; bounded by
# `timeout`. Usage: scripts/slimefray_bots_from_lobby.sh [build/dist] [out]
# (pictures: build/previews/slimefray_lobby_bots by default). Exit status 0
# when the game server logged the end of the game and the lobby was shown again.
set -euo pipefail
if [ "${1:-}" != "--inside" ]; then
  here=$(cd "$(dirname "$0")" && pwd)
  dist=$(cd "${1:-$here/../build/dist}" && pwd)
  out=${2:-$dist/../previews/slimefray_lobby_bots}
  mkdir -p "$out"; out=$(cd "$out" && pwd)
  work=$(mktemp -d /tmp/slimefray-lobby-bots-XXXXXX)
  trap 'rm -rf "$work"' EXIT
  status=0
  timeout -k 10 420 unshare -n -- bash -c "ip link set lo up; xvfb-run -a -s '-screen 0 1800x800x24' '$here/slimefray_bots_from_lobby.sh' --inside '$work' '$dist' '$out' '$here/../games/slimefray/e2e'" || status=$?
  echo "screenshots in $out"
  exit $status
fi
shift
T=$1; DIST=$2; OUT=$3; CLICKER=$4
"$DIST/tessaryd" --print-config |
  sed 's/^computer_delay_ms *=.*/computer_delay_ms = 300/; s/^log_lines_per_address *=.*/log_lines_per_address = 100000/' > $T/tessaryd.conf
"$DIST/tessaryd" --config $T/tessaryd.conf --database $T/db.sqlite > $T/tessaryd.log 2>&1 &
SVC=$!
cleanup() {
  [ -n "${LOBBY:-}" ] && { for c in $(ps -o pid= --ppid $LOBBY); do kill $c 2>/dev/null; done; kill $LOBBY 2>/dev/null; }
  kill $SVC 2>/dev/null; wait 2>/dev/null
}
trap cleanup EXIT
for i in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/7000) 2>/dev/null && break; sleep 0.1; done
. "$(dirname "$0")/lobby_drive.sh"
start_lobby zoe || exit 1
new_account_into_arena Zoe || exit 1
# Create: Slimefray from the game choice, a name, three computer players.
create_table $LOBBY $MX $MY Slimefray Slimefray "Zoe vs bots" || exit 1
for i in 1 2 3; do click $((SX+405)) $((SY+262)); done
click $((SX+260)) $((SY+296))            # the Duel map: 8 by 8, all on the screen
click $((SX+260)) $((SY+220))            # the Lava theme, whose floor the clicker knows
shot 01_create_with_computer_players
submit_table Zoe "Zoe vs bots" SLIMEFRAY || exit 1
shot 02_arena_with_table
begin_table $MX $MY "Zoe vs bots" SLIMEFRAY 1 || exit 1
wait_until 30 "Slimefray panel" eval 'xdotool search --name "Slimefray panel" >/dev/null 2>&1' || exit 1
sleep 1
status=0
python3 - "$OUT" "$CLICKER" <<'PY' || status=1
import os, sys, time
out = sys.argv[1]
sys.path.insert(0, sys.argv[2])
import board_clicker as b
b.place(); time.sleep(0.5); b.shot(os.path.join(out, '03_game_with_computer_players.png'))
taken = []
def later(elapsed):
    if elapsed > 25 and not taken:
        taken.append(1); b.shot(os.path.join(out, '04_mid_game.png'))
ended = b.play(os.path.join(out, '.now.png'), 300, later)
b.shot(os.path.join(out, '05_game_over.png'))
sys.exit(0 if ended else 1)
PY
# A still board is not proof of the end: the game server logs it.
over=$(grep -m1 "Zoe vs bots: game over" $T/tessaryd.log) || { echo "the game server saw no end of the game" >&2; status=1; }
echo "${over#*: }"
# The player leaves the finished game; the lobby comes back.
for c in $(ps -o pid= --ppid $LOBBY); do kill $c 2>/dev/null; done
for i in $(seq 50); do [ -z "$(ps -o pid= --ppid $LOBBY)" ] && break; sleep 0.2; done
sleep 2
shot 06_lobby_after_return
exit $status
