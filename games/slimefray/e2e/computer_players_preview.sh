#!/bin/bash
# A lone player against three computer players in the real Slimefray program,
# played to the end by a simple greedy clicker under Xvfb, with screenshots in
# <build>/previews/slimefray_bots/:
#   01_start.png, 02_mid_game.png, 03_reconnected.png (after the game
#   library's test hook dropped the link), 04_game_over.png
# Usage: games/slimefray/e2e/computer_players_preview.sh [build directory]
# tessaryd runs on ephemeral loopback ports with a temporary database.
set -u
B=$(realpath "${1:-build}")
if [ "${SLIMEFRAY_PREVIEW_INSIDE:-}" != 1 ]; then
    SLIMEFRAY_PREVIEW_INSIDE=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$B"
fi
OUT=$B/previews/slimefray_bots
mkdir -p "$OUT"
D=$(mktemp -d)
trap 'kill $TPID 2>/dev/null; wait 2>/dev/null; rm -rf "$D"' EXIT
read R A G <<<"$(python3 -c '
import socket
ps = []
while len(ps) < 3:
    s = socket.socket(); s.bind(("127.0.0.1", 0)); p = s.getsockname()[1]; s.close()
    u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        u.bind(("127.0.0.1", p + 1)); ok = True
    except OSError:
        ok = False
    u.close()
    if ok and p not in ps: ps.append(p)
print(*ps)')"
cat > "$D/tessaryd.conf" <<CONF
[storage]
database = $D/db.sqlite
[password]
opslimit = 1
memlimit = 8192
[router]
name = Tessary
listen = 127.0.0.1:$R
public_host = 127.0.0.1
client_version = 1.0
client_version_mandatory = no
[arena]
name = Arena 1
listen = 127.0.0.1:$A
public_host = 127.0.0.1
[gameserver]
listen = 127.0.0.1:$G
public_host = 127.0.0.1
[limits]
computer_delay_ms = 200
CONF
HOME=$D "$B/dist/tessaryd" --config "$D/tessaryd.conf" > "$D/tessaryd.log" 2>&1 &
TPID=$!
for _ in $(seq 50); do grep -q "game server" "$D/tessaryd.log" 2>/dev/null && break; sleep 0.1; done
mkdir -p "$D/runtime" && chmod 700 "$D/runtime"
printf '[SOFTWARE\\Quillon\\Tessary Client]\nDirectory=%s\n' "$B/dist" > "$D/registry.ini"
export TSGAME_TEST_DROP_LINK_FILE=$D/drop TESSARY_SHM_PREFIX=sfpreview$$- TESSARY_REGISTRY=$D/registry.ini \
    XDG_RUNTIME_DIR=$D/runtime HOME=$D
"$B/games/slimefray/e2e/slimefray_table_opener" "$R" "$A" "$G" Zoe "0 10 Lava Duel 1 3 1" \
    "$B/dist/games/slimefray/Slimefray" "$B/games/slimefray/e2e/slimefray_lobby_stand_in" "$B/dist/libTSClient.so" \
    > "$D/opener.log" 2>&1 &
OPID=$!
python3 - "$OUT" "$D/drop" "$(dirname "$(realpath "$0")")" <<'PY'
import os, sys, time
out, drop = sys.argv[1], sys.argv[2]
sys.path.insert(0, sys.argv[3])
import board_clicker as b
while not b.run('xdotool', 'search', '--name', 'Slimefray panel').strip(): time.sleep(0.2)
time.sleep(1); b.place(); time.sleep(0.5); b.shot(os.path.join(out, '01_start.png'))
done = set()
def later(elapsed):
    if elapsed > 12 and 'drop' not in done:
        done.add('drop')
        open(drop, 'w').close()
        time.sleep(1); b.place(); time.sleep(0.3); b.shot(os.path.join(out, '03_reconnected.png'))
    if elapsed > 30 and 'mid' not in done:
        done.add('mid'); b.shot(os.path.join(out, '02_mid_game.png'))
b.play(os.path.join(out, '.now.png'), 220, later)  # the lobby stand-in waits 250 s for the end
b.shot(os.path.join(out, '04_game_over.png'))
# The program ends as when the lobby asks it to, and leaves its finish report.
for w in b.run('xdotool', 'search', '--name', 'Slimefray panel').split():
    pid = b.run('xdotool', 'getwindowpid', w).strip()
    if pid: os.kill(int(pid), 15)
PY
wait $OPID
grep -v ALSA "$D/opener.log"
