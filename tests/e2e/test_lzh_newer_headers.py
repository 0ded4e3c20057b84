"""LHA archives as they are made today: header level 3 (made by the jlha
library, tests/data/make_lzh_cab_fixtures.sh), and the extended headers for
64-bit sizes, Windows time stamps and UTF-16 names, which no tool installed
here writes, so the archive that carries them is built here from the layout
of the headers. The fixtures of the older levels list exactly as before.
"""
import pathlib
import shutil
import struct
import tempfile
import unittest

import harness
from harness import REPO, TLVC, TreeTestCase

DATA = REPO / "tests" / "data"

LZH_LONG = [
    b"21/03/04  09:08:06             7 ___A README.TXT",
    b"19/12/31  23:59:58             6 ___A FILE.TXT",
    b"00/01/02  13:14:16     1,234,567 ___A BIG.DAT",
]
# Levels 2 and 3 store the exact second.
LZH23_LONG = [b"21/03/04  09:08:07" + LZH_LONG[0][18:]] + LZH_LONG[1:]
LZH_NAMES = [b"README.TXT", b"FILE.TXT", b"BIG.DAT"]
LZH_BYTES = 7 + 6 + 1234567

STAMP_2021 = 1614848887  # 2021-03-04 09:08:07 UTC
STAMP_2024 = 1720429811  # 2024-07-08 09:10:11 UTC
JAPANESE = "\u65e5\u672c\u8a9e.TXT"


def ext_area(exts, width):
    """The extended headers with their sizes in front (width 2, or 4 at level 3)."""
    out = b""
    for kind, data in exts:
        out += (1 + width + len(data)).to_bytes(width, "little") + bytes([kind]) + data
    return out + bytes(width)


def member(level, exts, data=b"xyz", size=None, stamp=STAMP_2021, packed=None):
    area = ext_area(exts, 4 if level == 3 else 2)
    base = b"-lh5-" + struct.pack("<IIIBB", len(data) if packed is None else packed,
                                  len(data) if size is None else size, stamp, 0x20, level)
    if level == 2:
        head = struct.pack("<H", 24 + len(area)) + base + b"\0\0U"
    else:
        head = struct.pack("<H", 4) + base + b"\0\0U" + struct.pack("<I", 28 + len(area))
    return head + area + data


def filetime(seconds):
    return (seconds + 11644473600) * 10000000


def today_archive():
    return b"".join([
        # A Japanese name in UTF-16 beside a plain one, and a Windows stamp
        # that differs from the base one.
        member(3, [(0x01, b"NIHONGO.TXT"), (0x44, JAPANESE.encode("utf-16-le")),
                   (0x41, struct.pack("<QQQ", 0, filetime(STAMP_2024), 0))],
               data=b"nihongo", stamp=0),
        # 5,000,000,000 bytes: the base header holds only the low 32 bits,
        # and no compressed size; the data is skipped by the 64-bit one.
        member(2, [(0x01, b"HUGE.BIN"), (0x42, struct.pack("<QQ", 3, 5000000000))],
               size=5000000000 & 0xFFFFFFFF, packed=0),
        member(3, [(0x02, b"DIR\xff"), (0x01, b"PLAIN.TXT"), (0x40, b"\x22\x00")]),
    ]) + b"\0"


def summary(count, total):
    return [b"", b"%10s files %20s bytes found!" % ("{:,}".format(count).encode(),
                                                    "{:,}".format(total).encode())]


class LzhNewerHeaders(TreeTestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-lzhtoday-"))
        for name in ("levels", "today"):
            (cls.root / name).mkdir()
        for level in (0, 1, 2, 3):
            shutil.copy(DATA / ("level%d.lzh" % level), cls.root / "levels")
        (cls.root / "today" / "today.lzh").write_bytes(today_archive())

    def test_level3_lists_like_level2_and_older_levels_as_before(self):
        result = self.tlvc("levels", "*", "/-O", "/-U", "/L")
        expected = []
        for level in (0, 1, 2, 3):
            expected += [self.path("levels", "level%d.lzh" % level) + b" : " + name
                         for name in LZH_NAMES]
        self.assertLines(result.out, expected)
        result = self.tlvc("levels", "*", "/-O", "/-U", "/L", "/F1")
        expected = []
        for level, lines in ((0, LZH_LONG), (1, LZH_LONG), (2, LZH23_LONG), (3, LZH23_LONG)):
            expected += self.heading(self.path("levels", "level%d.lzh" % level)) + lines
        self.assertLines(result.out, expected + summary(12, 4 * LZH_BYTES))
        self.assertEqual(result.status, 0)

    def test_level3_stamps_in_local_time(self):
        env = harness.wine_env(tz="JST-9")
        result = self.tlvc("levels", "README.TXT", "/-O", "/-U", "/L:LEVEL3.LZH", "/F1", env=env)
        self.assertLines(result.out, self.heading(self.path("levels", "level3.lzh")) +
                         [b"21/03/04  18:08:07" + LZH_LONG[0][18:]] + summary(1, 7))

    def test_newer_headers_under_code_page_932(self):
        env = harness.wine_env(lang="ja_JP.UTF-8")
        archive = self.path("today", "today.lzh")
        japanese = JAPANESE.encode("cp932")
        result = self.tlvc("today", "*", "/-O", "/-U", "/L", "/F1", env=env)
        self.assertLines(result.out, self.heading(archive) + [
            b"24/07/08  09:10:11             7 ___A " + japanese,
            b"21/03/04  09:08:07 5,000,000,000 ___A HUGE.BIN",
            b"21/03/04  09:08:07             3 _H_A PLAIN.TXT",
        ] + summary(3, 5000000010))
        # The Japanese pattern finds the UTF-16 name; the 8-bit name beside
        # it plays no part.
        for pattern, names in (("\u65e5\u672c*", [japanese]), ("NIHONGO.TXT", []),
                               ("*.BIN", [b"HUGE.BIN"])):
            result = self.tlvc("today", pattern, "/-O", "/-U", "/L", env=env)
            self.assertLines(result.out, [archive + b" : " + name for name in names] or
                             [b"Cannot find files..."], pattern)

    def test_criteria_use_the_real_size_and_the_windows_stamp(self):
        env = harness.wine_env(lang="ja_JP.UTF-8")
        archive = self.path("today", "today.lzh")
        for options, names in ((["/S:3000000000-"], [b"HUGE.BIN"]),
                               (["/D:24/07/08"], [JAPANESE.encode("cp932")]),
                               (["/A:H"], [b"PLAIN.TXT"])):
            result = self.tlvc("today", "*", "/-O", "/-U", "/L", *options, env=env)
            self.assertLines(result.out, [archive + b" : " + name for name in names], options)


if __name__ == "__main__":
    unittest.main()
