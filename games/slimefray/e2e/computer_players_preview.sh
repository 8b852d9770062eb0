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
python3 - "$OUT" "$OPID" "$D/drop" <<'PY'
import os, subprocess, sys, time
out, opener, drop = sys.argv[1], int(sys.argv[2]), sys.argv[3]
def run(*args): return subprocess.run(args, capture_output=True, text=True).stdout
def shot(name): run('import', '-window', 'root', os.path.join(out, name))
def place():
    for w in run('xdotool', 'search', '--name', '^Slimefray$').split():
        if '406x406' in run('xdotool', 'getwindowgeometry', w): run('xdotool', 'windowmove', w, '0', '0')
    for name, x, y in (('Slimefray panel', 410, 0), ('Slimefray chat', 0, 410), ('^Map$', 660, 0)):
        for w in run('xdotool', 'search', '--name', name).split(): run('xdotool', 'windowmove', w, str(x), str(y))
def grid():
    png = os.path.join(out, '.now.png')
    run('import', '-window', 'root', png)
    cells = {}
    for line in run('convert', png, '-crop', '400x400+3+3', '+repage', '-sample', '8x8!', 'txt:-').splitlines()[1:]:
        xy, rest = line.split(':', 1)
        cells[tuple(map(int, xy.split(',')))] = tuple(int(float(v)) for v in rest.split('(')[1].split(')')[0].split(',')[:3])
    return cells
mine = lambda c: c[2] > 200 and c[0] < 150
floor = lambda c: c == (58, 48, 44)
other = lambda c: not mine(c) and not floor(c) and max(c) > 150
def click(x, y): run('xdotool', 'mousemove', str(28 + 50 * x), str(28 + 50 * y), 'click', '1')
while not run('xdotool', 'search', '--name', 'Slimefray panel').strip(): time.sleep(0.2)
time.sleep(1); place(); time.sleep(0.5); shot('01_start.png')
start = time.time(); last, still, dropped, mid = None, time.time(), False, False
while time.time() - start < 220:  # the lobby stand-in waits 250 s for the end
    cells = grid()
    kinds = {k: 'm' if mine(c) else 'f' if floor(c) else 'o' for k, c in cells.items()}  # blobs blink
    if kinds != last: last, still = kinds, time.time()
    elif time.time() - still > 8: break  # nothing moves any more: the game is over
    best = None
    for (x, y), c in cells.items():
        if not mine(c): continue
        for dx in range(-2, 3):
            for dy in range(-2, 3):
                t = (x + dx, y + dy)
                if t not in cells or not floor(cells[t]): continue
                gain = sum(other(cells.get((t[0] + i, t[1] + j), (0, 0, 0))) for i in (-1, 0, 1) for j in (-1, 0, 1))
                score = gain + (max(abs(dx), abs(dy)) == 1)
                if best is None or score > best[0]: best = (score, x, y) + t
    if best:
        click(best[1], best[2]); time.sleep(0.3); click(best[3], best[4])
    if time.time() - start > 12 and not dropped:
        dropped = True
        open(drop, 'w').close()
        time.sleep(1); place(); time.sleep(0.3); shot('03_reconnected.png')
    if time.time() - start > 30 and not mid:
        mid = True; shot('02_mid_game.png')
    time.sleep(0.3)
shot('04_game_over.png')
os.remove(os.path.join(out, '.now.png'))
# The program ends as when the lobby asks it to, and leaves its finish report.
for w in run('xdotool', 'search', '--name', 'Slimefray panel').split():
    pid = run('xdotool', 'getwindowpid', w).strip()
    if pid: os.kill(int(pid), 15)
PY
wait $OPID
grep -v ALSA "$D/opener.log"
