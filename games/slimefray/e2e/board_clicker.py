"""A simple greedy player for the real Slimefray program under Xvfb: it reads
the board from a screenshot (the board window at the screen's top-left corner)
and clicks the move that takes most of the others' blobs."""
import os
import subprocess
import time


def run(*args):
    return subprocess.run(args, capture_output=True, text=True).stdout


def shot(path):
    run('import', '-window', 'root', path)


def place():
    """Moves the board to the top-left corner and the side windows beside it."""
    for w in run('xdotool', 'search', '--name', '^Slimefray$').split():
        if '406x406' in run('xdotool', 'getwindowgeometry', w):
            run('xdotool', 'windowmove', w, '0', '0')
    for name, x, y in (('Slimefray panel', 410, 0), ('Slimefray chat', 0, 410), ('^Map$', 660, 0)):
        for w in run('xdotool', 'search', '--name', name).split():
            run('xdotool', 'windowmove', w, str(x), str(y))


def grid(scratch):
    shot(scratch)
    cells = {}
    for line in run('convert', scratch, '-crop', '400x400+3+3', '+repage', '-sample', '8x8!',
                    'txt:-').splitlines()[1:]:
        xy, rest = line.split(':', 1)
        cells[tuple(map(int, xy.split(',')))] = tuple(
            int(float(v)) for v in rest.split('(')[1].split(')')[0].split(',')[:3])
    return cells


def mine(c): return c[2] > 200 and c[0] < 150 and c[1] < 150  # not the light-blue shield item
def floor(c): return c == (58, 48, 44)
def other(c): return not mine(c) and not floor(c) and max(c) > 150


def click(x, y):
    run('xdotool', 'mousemove', str(28 + 50 * x), str(28 + 50 * y), 'click', '1')


def play(scratch, bound_seconds, each_turn=None):
    """Plays until nothing on the board moves for 8 s (the game is over) or
    the bound passes; each_turn(elapsed) runs after every move. Returns
    whether the board came to rest."""
    start = time.time()
    last, still = None, time.time()
    while time.time() - start < bound_seconds:
        cells = grid(scratch)
        kinds = {k: 'm' if mine(c) else 'f' if floor(c) else 'o' for k, c in cells.items()}  # blobs blink
        if kinds != last:
            last, still = kinds, time.time()
        elif time.time() - still > 8:
            os.remove(scratch)
            return True
        best = None
        for (x, y), c in cells.items():
            if not mine(c):
                continue
            for dx in range(-2, 3):
                for dy in range(-2, 3):
                    t = (x + dx, y + dy)
                    if t not in cells or not floor(cells[t]):
                        continue
                    gain = sum(other(cells.get((t[0] + i, t[1] + j), (0, 0, 0))) for i in (-1, 0, 1) for j in (-1, 0, 1))
                    score = gain + (max(abs(dx), abs(dy)) == 1)
                    if best is None or score > best[0]:
                        best = (score, x, y) + t
        if best:
            click(best[1], best[2])
            time.sleep(0.3)
            click(best[3], best[4])
        else:
            # No move the rule can see (power items hide floor): end the turn
            # on the panel beside the board, or the game would wait for its clock.
            run('xdotool', 'mousemove', '473', '124', 'click', '1')
        if each_turn:
            each_turn(time.time() - start)
        time.sleep(0.3)
    os.remove(scratch)
    return False
