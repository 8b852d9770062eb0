#!/usr/bin/env python3
"""The Debian package from end to end.

Builds the package with cpack, checks it with lintian, unpacks it with
dpkg-deb into a temporary root made read-only, and runs the lobby (offscreen,
temporary home) and tessaryd (temporary state folder, free loopback ports)
from there as an ordinary user. Afterwards nothing below the root has
changed and the user's folders hold the settings copy. The desktop entry and
the systemd unit are checked with their validators when these are installed.

    package_test.py <build folder> [<cpack program>]
"""
import hashlib
import os
import pwd
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
from pathlib import Path

APP = Path("usr/lib/tessary")
EXPECTED = [
    APP / "TSClient", APP / "libTSClient.so", APP / "libTSGame.so", APP / "CONFIG.INI",
    APP / "tessary.installed", APP / "data/strings.bin", APP / "game/game.tsc", APP / "tessaryd",
    "usr/games/tessary-lobby", "usr/bin/tessaryd", "usr/share/applications/tessary.desktop",
    "usr/share/icons/hicolor/48x48/apps/tessary.png", "usr/share/icons/hicolor/256x256/apps/tessary.png",
    "usr/lib/systemd/system/tessaryd.service", "etc/tessary/tessaryd.conf",
    "usr/share/man/man8/tessaryd.8.gz", "usr/share/man/man6/tessary-lobby.6.gz",
    "usr/share/doc/tessary/copyright", "usr/share/doc/tessary/changelog.gz",
]
# The settings file's scrambling: every byte XORed with two repeating keys.
KEY7, KEY4 = b"5081726", b"Kelp"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(command, **options):
    result = subprocess.run(command, capture_output=True, text=True, **options)
    if result.returncode != 0:
        raise Failure(f"{' '.join(map(str, command))} failed ({result.returncode}):\n"
                      f"{result.stdout}{result.stderr}")
    return result.stdout + result.stderr


def wait_until(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.05)
    check(condition(), f"timed out waiting for {what}")


def scramble(data):
    return bytes(b ^ KEY7[i % 7] ^ KEY4[i % 4] for i, b in enumerate(data))


def build_package(cpack, build, scratch):
    run([cpack, "--config", build / "CPackConfig.cmake", "-G", "DEB", "-B", scratch / "cpack"])
    debs = list((scratch / "cpack").glob("tessary_*.deb"))
    check(len(debs) == 1, f"expected one package, found {debs}")
    return debs[0]


def check_lintian(deb):
    if not shutil.which("lintian"):
        print("SKIPPED: lintian is not installed")
        return
    # lintian's exit status also counts warnings; errors are what fails here.
    result = subprocess.run(["lintian", "--tag-display-limit", "0", "--display-info", deb],
                            capture_output=True, text=True)
    print("lintian:\n" + (result.stdout or "(nothing to report)\n") + result.stderr)
    errors = [line for line in result.stdout.splitlines() if line.startswith("E:")]
    check(not errors, "lintian errors:\n" + "\n".join(errors))


def check_validators(root, scratch):
    desktop = root / "usr/share/applications/tessary.desktop"
    if shutil.which("desktop-file-validate"):
        out = run(["desktop-file-validate", desktop])
        check(out.strip() == "", f"desktop-file-validate: {out}")
        print("desktop-file-validate: passed")
    else:
        print("SKIPPED: desktop-file-validate is not installed")
    if shutil.which("systemd-analyze"):
        # The unit names the installed path; verify the unpacked program instead.
        unit = scratch / "tessaryd.service"
        text = (root / "usr/lib/systemd/system/tessaryd.service").read_text()
        unit.write_text(text.replace("/usr/bin/tessaryd", str(root / "usr/bin/tessaryd")))
        out = run(["systemd-analyze", "verify", "--man=no", unit])
        check(out.strip() == "", f"systemd-analyze verify: {out}")
        print("systemd-analyze verify: passed")
    else:
        print("SKIPPED: systemd-analyze is not installed")


def tree_state(root):
    """Every entry below root: kind, mode, size, content digest, link target."""
    state = {}
    for folder, folders, files in os.walk(root):
        for name in folders + files:
            path = Path(folder) / name
            info = path.lstat()
            entry = (info.st_mode, info.st_size, info.st_mtime_ns)
            if path.is_symlink():
                entry += (os.readlink(path),)
            elif path.is_file():
                entry += (hashlib.sha256(path.read_bytes()).hexdigest(),)
            state[str(path.relative_to(root))] = entry
    return state


def set_writable(root, writable):
    for folder, folders, files in os.walk(root):
        for name in [folder] + [str(Path(folder) / f) for f in files]:
            if os.path.islink(name):
                continue
            mode = os.stat(name).st_mode
            os.chmod(name, mode | 0o200 if writable else mode & ~0o222)


def free_port_pair():
    """A TCP port whose next port is free for UDP too (the game server's pair)."""
    for _ in range(50):
        with socket.socket() as tcp:
            tcp.bind(("127.0.0.1", 0))
            port = tcp.getsockname()[1]
        try:
            with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as udp:
                udp.bind(("127.0.0.1", port + 1))
            return port
        except OSError:
            continue
    raise Failure("no free port pair on loopback")


def listens(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


class Session:
    """The processes of one run as the unprivileged user, ended on exit."""

    def __init__(self, scratch):
        self.scratch = scratch
        self.processes = []
        self.prefixes = []
        self.home = scratch / "home"
        self.state = scratch / "state"
        self.user = None
        if os.geteuid() == 0:
            # As root, read-only permissions mean nothing: run as nobody.
            self.user = pwd.getpwnam("nobody")
        for folder in (self.home, self.state, self.home / "runtime"):
            folder.mkdir(mode=0o700)
            if self.user:
                os.chown(folder, self.user.pw_uid, self.user.pw_gid)

    def spawn(self, command, log_name, environment):
        if self.user:
            command = ["setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}",
                       "--clear-groups", "--"] + command
        log = open(self.scratch / log_name, "w")
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                   env=environment, cwd="/")
        self.processes.append(process)
        return process

    def lobby_environment(self, prefix):
        keep = {k: v for k, v in os.environ.items()
                if k in ("PATH", "LANG", "LC_ALL") or k.startswith("ASAN") or k.startswith("UBSAN")}
        return keep | {"HOME": str(self.home), "XDG_RUNTIME_DIR": str(self.home / "runtime"),
                       "QT_QPA_PLATFORM": "offscreen", "SDL_AUDIODRIVER": "dummy",
                       "TESSARY_SHM_PREFIX": prefix}

    def log(self, name):
        path = self.scratch / name
        return path.read_text(errors="replace") if path.exists() else ""

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        for prefix in self.prefixes:
            for name in ("Tessary ShareMem Block", "Tessary ShareMem Mutex"):
                Path(f"/dev/shm/{prefix}{name}").unlink(missing_ok=True)


def start_service(session, root):
    router, arena, games = free_port_pair(), free_port_pair(), free_port_pair()
    config = session.state / "tessaryd.conf"
    config.write_text(
        f"[password]\nopslimit = 1\nmemlimit = 8192\n"
        f"[router]\nname = Package Router\nlisten = 127.0.0.1:{router}\npublic_host = 127.0.0.1\n"
        f"[arena]\nname = Arena 1\nlisten = 127.0.0.1:{arena}\npublic_host = 127.0.0.1\n"
        f"[gameserver]\nlisten = 127.0.0.1:{games}\npublic_host = 127.0.0.1\n")
    if session.user:
        os.chown(config, session.user.pw_uid, session.user.pw_gid)
    service = session.spawn([str(root / "usr/bin/tessaryd"), "--config", str(config),
                             "--database", str(session.state / "tessaryd.sqlite")],
                            "tessaryd.log", {"PATH": os.environ.get("PATH", "/usr/bin:/bin")})
    wait_until(lambda: listens(router) or service.poll() is not None, 20, "tessaryd to listen")
    check(service.poll() is None, "tessaryd ended:\n" + session.log("tessaryd.log"))
    return service, router


def run_lobby(session, root, log_name):
    """Starts the lobby, waits for its login window, ends it as a close does."""
    # Fresh shared-memory names and registry: what an earlier run left
    # would make the wait below end at once.
    prefix = f"pkgtest{os.getpid()}-{len(session.prefixes)}-"
    session.prefixes.append(prefix)
    registry = session.home / ".config/tessary/registry.ini"
    registry.unlink(missing_ok=True)
    block = Path(f"/dev/shm/{prefix}Tessary ShareMem Block")
    lobby = session.spawn([str(root / "usr/games/tessary-lobby")], log_name, session.lobby_environment(prefix))
    expected = f"Directory={root / APP}/"
    # The registry entry is written during start-up, the shared block when the
    # main window is made, which ends by showing the login window.
    wait_until(lambda: (registry.exists() and expected in registry.read_text() and block.exists())
               or lobby.poll() is not None, 30, "the lobby's login window")
    check(lobby.poll() is None, f"the lobby ended:\n{session.log(log_name)}")
    lobby.send_signal(signal.SIGTERM)
    try:
        status = lobby.wait(15)
    except subprocess.TimeoutExpired:
        raise Failure(f"the lobby did not end on SIGTERM:\n{session.log(log_name)}")
    check(status == 0, f"the lobby ended with {status}:\n{session.log(log_name)}")


def settings_text(path):
    return scramble(path.read_bytes()).decode("latin-1")


def run_programs(root, scratch):
    session = Session(scratch)
    try:
        service, router_port = start_service(session, root)

        # First start: the settings are copied into the user's folder.
        run_lobby(session, root, "lobby-first.log")
        copy = session.home / ".config/tessary/CONFIG.INI"
        check(copy.exists(), "no settings copy in the user's folder")
        installed = settings_text(root / APP / "CONFIG.INI")
        check(re.search(r"\[SOUND\]\s*1", settings_text(copy)), "the copy lost the sound setting")
        check(copy.stat().st_mode & 0o077 == 0, "the settings copy is readable by others")

        # From then on the copy is read: sound off and the test service's
        # port there are kept by the next run, which writes the sound back.
        text = settings_text(copy)
        text = re.sub(r"(\[SOUND\]\s*)1", r"\g<1>0", text)
        text = re.sub(r"(\[ROUTER\]\s*\S+\s+)\d+", rf"\g<1>{router_port}", text)
        copy.write_bytes(scramble(text.encode("latin-1")))
        run_lobby(session, root, "lobby-second.log")
        after = settings_text(copy)
        check(re.search(r"\[SOUND\]\s*0", after), "the second run did not read the copy:\n" + after)
        check(re.search(rf"\[ROUTER\]\s*\S+\s+{router_port}\b", after), "the copy lost the Router port")
        check(settings_text(root / APP / "CONFIG.INI") == installed, "the installed settings changed")

        check(service.poll() is None, "tessaryd ended:\n" + session.log("tessaryd.log"))
        service.send_signal(signal.SIGTERM)
        check(service.wait(15) == 0, "tessaryd did not stop cleanly:\n" + session.log("tessaryd.log"))
        check((session.state / "tessaryd.sqlite").exists(), "no database in the state folder")
    finally:
        session.close()


def main():
    build = Path(sys.argv[1]).resolve()
    cpack = sys.argv[2] if len(sys.argv) > 2 else "cpack"
    for tool in (cpack, "dpkg-deb"):
        if not shutil.which(tool):
            print(f"SKIPPED: {tool} is not installed")
            return 0
    scratch = Path(tempfile.mkdtemp(prefix="tessary-package-"))
    os.chmod(scratch, 0o755)  # the unprivileged user walks into it
    root = scratch / "root"
    try:
        deb = build_package(cpack, build, scratch)
        check_lintian(deb)
        run(["dpkg-deb", "-x", deb, root])
        missing = [str(p) for p in EXPECTED if not os.path.lexists(root / p)]
        check(not missing, f"missing from the package: {missing}")
        check_validators(root, scratch)

        set_writable(root, False)
        before = tree_state(root)
        run_programs(root, scratch)
        after = tree_state(root)
        changed = sorted(k for k in before.keys() | after.keys() if before.get(k) != after.get(k))
        check(not changed, f"changed below the unpacked root: {changed}")
        print("package_test: passed")
        return 0
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        if root.exists():
            set_writable(root, True)
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
