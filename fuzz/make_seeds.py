#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets that read structured input
(fuzz/seeds/<target>/). Run from the repository root; the files are committed,
so this only needs to run again when a format changes. The JPEG seeds were
written by the skin's own encoder (encodeJpeg) and are kept as they are."""
import os
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SEEDS = os.path.join(ROOT, "fuzz", "seeds")


def write(target, name, data):
    folder = os.path.join(SEEDS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# ---- service message bodies (unscrambled) ----
def s(text):
    return b"s" + text.encode("latin-1") + b"\0"


def b(data):
    return b"b" + struct.pack(">I", len(data)) + data


def i32(value):
    return b(struct.pack("<i", value))


def lst(*values):
    return b"[" + b"".join(values) + b"]"


def record(type_code, body):
    return bytes([type_code]) + struct.pack(">H", len(body)) + body


def clientlib_seeds():
    t = "fuzz_clientlib_readers"
    ok, fail = 47, 48
    write(t, "login_answers", b"\0" + record(ok, b(bytes([206])) + s("welcome"))
          + record(fail, b(bytes([208])) + s("bad password")))
    write(t, "router_lists", b"\0"
          + record(78, lst(s("r1"), s("127.0.0.1"), i32(7000)) + lst(s("r2"), s("10.0.0.2"), i32(7001)))
          + record(18, lst(s("Arena"), s("127.0.0.1"), i32(7002), i32(3)))
          + record(200, lst(s("a"), s("b"), s("c"), s("d"), s("e"), s("f"), i32(1)))
          + record(13, s("news one") + s("news two"))
          + record(89, s("1.0") + s("http://x") + i32(1) + i32(0))
          + record(86, lst(s("POKER"), s("Poker")) + lst(s("SLIMEFRAY"), s("Slimefray"))))
    write(t, "account", b"\0" + record(ok, b(bytes([201])) + s("Ann") + s("Lee") + s("ann@x") + s("FR")
                                       + s("1980") + s("x") + b(b"\1") + i32(3)))
    write(t, "photo", b"\0" + record(207, b(b"\xff\xd8\xff\xe0photo") + s("ann")))
    write(t, "arena_sessions", b"\0"
          + record(20, lst(s("s1"), s("POKER"), s("ann"), i32(4), i32(2), i32(2), i32(0), i32(0),
                           lst(s("ann"), s("bob")), lst(s("eve"))))
          + record(22, lst(s("ann"), i32(1)) + lst(s("bob"), i32(0)))
          + record(36, s("s2") + i32(4) + i32(2) + s("bob") + i32(0) + s("SLIMEFRAY"))
          + record(43, s("s2")) + record(57, s("s1") + s("bob")) + record(60, s("s1") + i32(1))
          + record(6, s("carl") + i32(0)) + record(11, s("carl"))
          + record(40, s("ann") + s("s1") + i32(1)) + record(42, s("ann") + s("s1"))
          + record(54, s("ann") + i32(5)))
    write(t, "arena_chat", b"\0"
          + record(27, s("ann") + s("hello all") + i32(0) + i32(1))
          + record(28, s("bob") + s("psst") + i32(0) + i32(0))
          + record(29, s("eve") + s("gg") + i32(1) + i32(0))
          + record(205, s("ann") + s("page text")) + record(61, s("urgent"))
          + record(90, b"") + record(202, s("127.0.0.1") + i32(37000)))
    write(t, "arena_answers", b"\0"
          + record(ok, b(bytes([26])) + s("") + s("ann") + s("Ann") + s("Lee") + s("FR") + s("1980")
                   + s("x") + b(b"\1") + i32(3))
          + record(ok, b(bytes([23])) + s("") + s("s1") + s("0 45 t m 1"))
          + record(fail, b(bytes([37])) + s("session full")))
    # A bare frame as the stream carries it (an empty body needs no scrambling).
    write(t, "raw_ping", b"\1" + bytes([0, 0, 6, 0, 90, 0x23]))


def gamelib_seeds():
    t = "fuzz_gamelib_dispatch"
    name = b"ann".ljust(16, b"\0")
    events = (record(0, bytes([249, 1, 0, 2, 0, 3, 0])) + record(0, bytes([243, 2, 0]) + name)
              + record(0, bytes([241, 2, 0])) + record(0, bytes([239, 2, 0, 100, 0, 0, 0]))
              + record(0, bytes([240]) + struct.pack("<II", 1000, 500)) + record(0x10, bytes([7, 1, 2, 3]))
              + record(0, bytes([242, 2, 0])))
    write(t, "events", b"\0" + events)
    payload = bytes([7, 9, 9])
    stamps = struct.pack("<II", 1234, 1200)
    body = stamps + payload
    frame = bytes([0, 0, 7 + len(body), 0x60, 1, 2, 0]) + body
    write(t, "datagram", b"\0" + record(1, frame))
    stream = bytes([0, 0, 7 + 3, 0x40, 1, 2, 0, 7, 1, 2])
    write(t, "stream", b"\1" + stream + bytes([0, 0, 7 + 7, 0x40, 1, 0, 0, 249, 1, 0, 2, 0, 3, 0]))


def handoff_seeds():
    t = "fuzz_handoff"

    def rec(sender, recipient, window, channel, text):
        return (sender.ljust(128, b"\0") + recipient.ljust(128, b"\0") + struct.pack("<IB", window, channel)
                + text.ljust(1024, b"\0") + b"\0\0\0")

    records = [rec(b"TSClient", b"fuzzgame", 0, 2, b"ann@rep@5@127.0.0.1@37000@0 45 t m 1"),
               rec(b"fuzzgame", b"TSClient", 0, 3, b"rep@5@won"),
               rec(b"fuzzgame", b"TSClient", 0, 5, b"")]
    head = struct.pack("<hH", len(records), 0)
    offset = 4 + 4 * len(records) + 4
    offsets = b""
    for r in records:
        offsets += struct.pack("<I", offset)
        offset += len(r)
    write(t, "three_records", head + offsets + b"\0\0\0\0" + b"".join(records))
    write(t, "bad_offset", struct.pack("<hHI", 1, 0, 0xFFFFFF00) + rec(b"x", b"", 1, 1, b"y"))


def registry_seeds():
    t = "fuzz_registry"
    write(t, "shared", "[SOFTWARE\\Quillon\\Tessary Client]\nDirectory=/opt/tessary\n\n"
          "[SOFTWARE\\Quillon\\Tessary Games\\POKER]\ndirectory=/opt/poker\nexec=poker\nversion=1.0\n")
    write(t, "odd_lines", "; comment\n[a]\n x = y \r\n=novalue\n[A]\nX=dup\n[unterminated\nversion\n")


def data_file_seeds():
    t = "fuzz_data_files"
    write(t, "strings", b"\0" + b"1:Hello\n19:File %s is missing\\n\n35:Error\r\n-4:neg\nnot a line\n96:last")
    key7, key4 = b"5081726", b"Kelp"
    plain = b"[START]\n3\nFrance Germany United|Kingdom\n"
    write(t, "countries", b"\1" + bytes(c ^ key7[i % 7] ^ key4[i % 4] for i, c in enumerate(plain)))
    write(t, "fonts", b"\2" + b"[FONT]\n2\n12 DejaVuSans.ttf DejaVu|Sans\n14 none Serif\n")


def slimefray_seeds():
    write("fuzz_slimefray_map", "small", "4\n0000\n0120\n0000\n0003\n")
    write("fuzz_slimefray_map", "crlf", "3\r\n010\r\n2\r\n000\r\n")
    write("fuzz_slimefray_map", "twenty", "20\n" + ("0" * 19 + "1\n") * 20)

    def rec(sender, type_code, body):
        return bytes([sender, type_code, len(body)]) + body

    def ints(*values):
        return b"".join(struct.pack("<i", v) for v in values)

    bmp = bytes.fromhex("424d3e000000000000003600000028000000020000000200000001001800000000000800000000"
                        "000000000000000000000000000000ff0000ff00000000ff00ff00ff0000")
    game = (rec(0, 30, b"forest sea\0") + rec(0, 11, bytes(16)) + rec(0, 12, bmp) + rec(0, 13, bmp)
            + rec(0, 14, bmp) + rec(0, 17, ints(0)) + rec(0, 19, ints(0)) + rec(0, 15, b"")
            + bytes([0, 0xFF, 2, 0, 0]) + rec(0, 16, ints(0, 0, 0, 1, 1, -2)) + rec(2, 1, ints(1) + b"hi\0")
            + rec(0, 23, ints(1, 1, 51)) + rec(0, 24, ints(0, 1)) + rec(0, 20, ints(1)) + bytes([0, 0xFE, 0])
            + rec(0, 21, b""))
    write("fuzz_slimefray_client", "game", b"0 45 forest small 1\n" + game)
    write("fuzz_slimefray_client", "path_names", b"1 30 ../up ../../x 2\n" + rec(0, 30, b"a/b .. ok\0"))


def poker_seeds():
    def rec(op, sender, body):
        return bytes([op, sender, len(body)]) + body

    hand = (rec(0, 1, b"") + rec(1, 2, b"bob") + rec(1, 3, b"eve") + rec(3, 2, struct.pack("<i", 500))
            + rec(4, 2, bytes([5])) + rec(4, 2, bytes([2]) + struct.pack("<ii", 0, 450))
            + rec(4, 2, bytes([4]) + struct.pack("<I", 1)) + rec(5, 0, b"") + rec(6, 0, struct.pack("<i", 20))
            + rec(4, 3, bytes([3]) + struct.pack("<5i", 0, 13, 26, 39, 51)) + rec(7, 0, struct.pack("<I", 3))
            + rec(4, 2, bytes([1]) + b"hello\0") + rec(4, 2, bytes([7])) + rec(9, 0, b"") + rec(2, 3, b""))
    write("fuzz_poker_messages", "hand", hand)


def session_option_seeds():
    for game in ("poker", "slimefray"):
        with open(os.path.join(ROOT, "games", game, "data", "config.tsc"), "rb") as f:
            write("fuzz_session_options", game + ".tsc", f.read())


def option_text_seeds():
    t = "fuzz_option_text"
    every_kind = (b"[PAGE_INFO]\n2\n7\nTEXT 0 0 10 10 Caption\nLIST 0 0 10 10 3 Small Large Very|large\n"
                  b"EDIT 0 0 10 10\nEDITDEFAULT 0 0 10 10 Joe|Bloggs\nSPIN 0 0 10 10 2 8 20\n"
                  b"ONOFF 0 0 10 10 1\nBITLIST 0 0 10 10 2 red r.bmp blue b.bmp\n5\n"
                  b"TEXTRGB 0 0 10 10 Colour 1 2 3\nLISTDEFAULT 0 0 10 10 3 a b c 2 1\n"
                  b"DIRLIST 0 0 10 10 maps map\nCHECKBOX 0 0 10 10 2 1\n1 SPIN 0 0 10 10 0 9 3\n"
                  b"0 0 10 10 2 ONOFF 0 0 10 10 0 CHECKBOX 0 0 10 10 2 2\n0\n"
                  b"0 0 10 10 1 EDITDEFAULT 0 0 10 10 deep\nLIST 0 0 10 10 1 last\n[BUTTON]\n"
                  + b"0 0 1 1 " * 2 + b"2 4 " + b"0 0 1 1 " * 6 + b"\n")
    write(t, "every_kind", every_kind + b"\0Small x Joe 5 0 red 0 Duel 1 7 last"
          + b"\0Huge x|y Joe 3 0 blue 0 Nowhere 2 1 2 deeper last\0Small x Joe 5 0 red 9 Duel 3 7"
          + b"\0\x01\x1b[31m ../../etc " + b"|" * 40 + b"\0")
    with open(os.path.join(ROOT, "games", "slimefray", "data", "config.tsc"), "rb") as f:
        slimefray = f.read()
    write(t, "slimefray", slimefray + b"\x000 45 Arena Duel 1\x001 600 Duel Arena 2\x000 9 a b 7 extra")
    with open(os.path.join(ROOT, "games", "chat", "data", "config.tsc"), "rb") as f:
        write(t, "chat", f.read() + b"\0\0 \0x")


if __name__ == "__main__":
    os.chdir(ROOT)
    for make in (clientlib_seeds, gamelib_seeds, handoff_seeds, registry_seeds, data_file_seeds,
                 slimefray_seeds, poker_seeds, session_option_seeds, option_text_seeds):
        make()
    sys.exit(0)
