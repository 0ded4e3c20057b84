"""ZIP archives as they are made today: ZIP64 (forced by zip -fz, streamed to
a pipe, and an archive past 4 GiB), and member names in UTF-8 (flag bit 11)
written by 7zz and by Python's zipfile, shown in the ANSI code page and
matched by Japanese patterns under code page 932; the same names in a
cabinet made by gcab.

The small archives are fixtures that tests/data/make_zip_fixtures.sh made;
the archives past 4 GiB are made here by Python's zipfile, their 4 GiB of
zeros left as a hole in a sparse file.
"""
import io
import os
import pathlib
import shutil
import subprocess
import tempfile
import unittest
import zipfile
import zlib

import harness
from harness import REPO, TLVC, TOOLS, TreeTestCase, run, run_line, winpath
from test_archives import PLAIN_BYTES, PLAIN_LONG, PLAIN_NAMES, summary

DATA = REPO / "tests" / "data"
JAPANESE = harness.wine_env(lang="ja_JP.UTF-8")

# The members of japanese7z.zip (7zz sorts them) and japanesepy.zip, long
# form, as (date and time, size, name).
JAPANESE_7Z = [
    (b"21/03/04  09:08:06", 15, "README.TXT"),
    (b"99/12/31  23:59:58", 22, "表示.txt"),
    (b"21/03/04  09:08:06", 8, "日本語.txt"),
    (b"99/12/31  23:59:58", 6, "\U0001F600.txt"),
]
JAPANESE_PY = [JAPANESE_7Z[2], JAPANESE_7Z[1], JAPANESE_7Z[3], JAPANESE_7Z[0]]
JAPANESE_BYTES = 15 + 22 + 8 + 6


def shown(name, encoding):
    """The name in the ANSI code page; Wine's default character for what the
    code page lacks is "?", one for each UTF-16 unit."""
    return b"".join(c.encode(encoding) if ord(c) < 0x10000 and c.encode(encoding, "ignore")
                    else b"?" * (2 if ord(c) >= 0x10000 else 1) for c in name)


def long_lines(members, encoding):
    return [stamp + b"%14s ___A " % "{:,}".format(size).encode() + shown(name, encoding)
            for stamp, size, name in members]


# ---- An archive past 4 GiB, made sparse ----

ZERO_BLOCK = bytes(1 << 20)
# CRC-32 over a block of zeros is an affine map of the CRC in front of it:
# its value from 0 and from each single bit give it, so that zipfile sums the
# 4 GiB member without reading 4 GiB of zeros.
_ZERO_BASE = zlib.crc32(ZERO_BLOCK, 0)
_ZERO_COLUMNS = [zlib.crc32(ZERO_BLOCK, 1 << i) ^ _ZERO_BASE for i in range(32)]


def _crc32(data, value=0):
    if data is not ZERO_BLOCK:
        return zlib.crc32(data, value)
    out = _ZERO_BASE
    for i in range(32):
        if value >> i & 1:
            out ^= _ZERO_COLUMNS[i]
    return out


class SparseFile(io.RawIOBase):
    """Leaves every block of zeros as a hole. Without seeking zipfile streams
    its members: sizes after the data (flag bit 3)."""

    def __init__(self, path, seekable):
        self.file = open(path, "wb")
        self.can_seek = seekable
        self.end = 0

    def writable(self):
        return True

    def seekable(self):
        return self.can_seek

    def write(self, data):
        if data is ZERO_BLOCK:
            self.file.seek(len(data), 1)
        else:
            self.file.write(data)
        self.end = max(self.end, self.file.tell())
        return len(data)

    def tell(self):
        return self.file.tell()

    def seek(self, offset, whence=0):
        if not self.can_seek:
            raise OSError("not seekable")
        return self.file.seek(offset, whence)

    def flush(self):
        if not self.file.closed:
            self.file.flush()

    def close(self):
        if not self.file.closed:
            self.file.truncate(self.end)
            self.file.close()
        super().close()


HUGE_SIZE = (4 << 30) + 1024


def make_huge_archive(path, seekable):
    """small.txt, huge.bin (4 GiB + 1 KiB of zeros, stored), after.txt."""
    original = zipfile.crc32
    zipfile.crc32 = _crc32
    try:
        sink = SparseFile(path, seekable)
        with zipfile.ZipFile(sink, "w") as archive:
            stamp = (2024, 7, 8, 9, 10, 10)
            archive.writestr(zipfile.ZipInfo("small.txt", stamp), b"small\n")
            with archive.open(zipfile.ZipInfo("huge.bin", stamp), "w", force_zip64=True) as member:
                for _ in range(4096):
                    member.write(ZERO_BLOCK)
                member.write(bytes(1024))
            archive.writestr(zipfile.ZipInfo("after.txt", stamp), b"after\n")
        sink.close()
    finally:
        zipfile.crc32 = original


HUGE_LONG = [
    b"24/07/08  09:10:10             6 ____ small.txt",
    b"24/07/08  09:10:10 4,294,968,320 ____ huge.bin",
    b"24/07/08  09:10:10             6 ____ after.txt",
]
HUGE_NAMES = [b"small.txt", b"huge.bin", b"after.txt"]


class ZipOfToday(TreeTestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-ziptoday-"))
        r = cls.root
        for name in ("zip64", "streamed64", "japanese", "huge"):
            (r / name).mkdir()
        shutil.copy(DATA / "zip64.zip", r / "zip64" / "zip64.zip")
        shutil.copy(DATA / "streamed64.zip", r / "streamed64" / "streamed64.zip")
        shutil.copy(DATA / "japanese7z.zip", r / "japanese" / "a7z.zip")
        shutil.copy(DATA / "japanesepy.zip", r / "japanese" / "bpy.zip")
        make_huge_archive(r / "huge" / "seekable.zip", True)
        make_huge_archive(r / "huge" / "streamed.zip", False)
        # gcab marks every non-ASCII name as UTF-8; it stores a name as given.
        (r / "cab").mkdir()
        for stamp, size, name in JAPANESE_7Z:
            member = r / "cab" / name.replace("/", "_")
            member.write_bytes(b"c" * size)
            when = 946684798 if stamp.startswith(b"99") else 1614848886
            os.utime(member, (when, when))
        names = [m[2].replace("/", "_") for m in JAPANESE_7Z]
        subprocess.run(["gcab", "-c", str(r / "cab" / "today.cab")] + names, cwd=r / "cab",
                       check=True, env=dict(os.environ, TZ="UTC"))
        for name in names:
            (r / "cab" / name).unlink()

    def test_zip64_archives_list_as_their_plain_twins(self):
        # Forced ZIP64: every size escaped, the same members as plain.zip
        # (without its directory entry), byte for byte.
        archive = self.path("zip64", "zip64.zip")
        result = self.tlvc("zip64", "*", "/-O", "/-U", "/Z")
        self.assertLines(result.out, self.short(archive, PLAIN_NAMES))
        result = self.tlvc("zip64", "*", "/-O", "/-U", "/Z", "/F1")
        self.assertLines(result.out, self.heading(archive) + PLAIN_LONG +
                         summary(5, PLAIN_BYTES))
        result = self.tlvc("zip64", "*", "/-O", "/-U", "/Z", "/S:900-")
        self.assertLines(result.out, self.short(archive, [b"guide.txt", b"big.bin"]))
        # ZIP64 written to a pipe: sizes after the data as well.
        archive = self.path("streamed64", "streamed64.zip")
        result = self.tlvc("streamed64", "*", "/-O", "/-U", "/Z")
        self.assertLines(result.out, self.short(archive, PLAIN_NAMES[:3]))
        result = self.tlvc("streamed64", "*", "/-O", "/-U", "/Z", "/F1")
        self.assertLines(result.out, self.heading(archive) + PLAIN_LONG[:3] +
                         summary(3, 15 + 29 + 960))

    def test_archives_past_4_gib(self):
        # Written to a file (the local walk skips the 4 GiB by the ZIP64 size)
        # and streamed (the directory is found through the ZIP64 locator).
        for name in ("seekable.zip", "streamed.zip"):
            archive = self.path("huge", name)
            result = self.tlvc("huge", "*", "/-O", "/-U", "/Z:" + name.upper())
            self.assertLines(result.out, self.short(archive, HUGE_NAMES), name)
            result = self.tlvc("huge", "*", "/-O", "/-U", "/Z:" + name.upper(), "/F1")
            self.assertLines(result.out, self.heading(archive) + HUGE_LONG +
                             summary(3, HUGE_SIZE + 12), name)
            result = self.tlvc("huge", "*", "/-O", "/-U", "/Z:" + name.upper(), "/S:1000-")
            self.assertLines(result.out, self.short(archive, [b"huge.bin"]), name)
            result = self.tlvc("huge", "*", "/-O", "/-U", "/Z:" + name.upper(), "/S:-1000")
            self.assertLines(result.out, self.short(archive, [b"small.txt", b"after.txt"]), name)

    def test_utf8_names_in_the_ansi_code_page(self):
        # Code page 1252 lacks the Japanese characters: each becomes "?".
        # Code page 932 shows them; 表 ends in byte 0x5C, the name stays whole.
        for env, encoding in ((None, "cp1252"), (JAPANESE, "cp932")):
            result = self.tlvc("japanese", "*", "/-O", "/-U", "/Z", "/F1", env=env)
            self.assertLines(result.out,
                             self.heading(self.path("japanese", "a7z.zip")) +
                             long_lines(JAPANESE_7Z, encoding) +
                             self.heading(self.path("japanese", "bpy.zip")) +
                             long_lines(JAPANESE_PY, encoding) +
                             summary(8, 2 * JAPANESE_BYTES), encoding)
            result = self.tlvc("japanese", "*.txt", "/-O", "/-U", "/Z", env=env)
            self.assertLines(result.out, [
                self.path("japanese", name) + b" : " + shown(member[2], encoding)
                for name, members in (("a7z.zip", JAPANESE_7Z), ("bpy.zip", JAPANESE_PY))
                for member in members], encoding)

    def test_japanese_pattern_under_code_page_932(self):
        cases = [
            ("日本*.TXT", ["日本語.txt"]),
            ("表示.txt", ["表示.txt"]),
            ("?.TXT", []),  # the pair beyond U+FFFF is two units
            ("??.TXT", ["表示.txt", "\U0001F600.txt"]),
            ("*語*", ["日本語.txt"]),
        ]
        for pattern, names in cases:
            result = self.tlvc("japanese", pattern, "/-O", "/-U", "/Z", env=JAPANESE)
            expected = [self.path("japanese", archive) + b" : " + shown(name, "cp932")
                        for archive in ("a7z.zip", "bpy.zip") for name in names]
            self.assertLines(result.out, expected or [b"Cannot find files..."], pattern)

    def test_command_gets_the_name_in_code_page_932(self):
        log = self.tmp / "probe.log"
        env = harness.probe_env(log, lang="ja_JP.UTF-8")
        probe = winpath(TOOLS / "probe.exe")
        top = winpath(self.root / "japanese")
        line = '"%s" %s\\日本*.txt /-O /-U /Z /N [%s $N $E]' % (winpath(TLVC), top, probe)
        result = run_line(line.encode("cp932"), env=env)
        self.assertEqual(result.status, 0, result)
        self.assertEqual(log.read_bytes().splitlines(),
                         [("%s|%s 日本語 txt" % (top, probe)).encode("cp932")] * 2)


    def test_cabinet_names_of_today(self):
        # Hours below 10 with a blank, as cabinets show them.
        cab_lines = [line[:10] + (b" " + line[11:] if line[10:11] == b"0" else line[10:])
                     for line in long_lines(JAPANESE_7Z, "cp932")]
        archive = self.path("cab", "today.cab")
        result = self.tlvc("cab", "*", "/-O", "/-U", "/C", "/F1", env=JAPANESE)
        self.assertLines(result.out, [b"", b"Cabinet file of " + archive, b""] + cab_lines +
                         summary(4, JAPANESE_BYTES))
        result = self.tlvc("cab", "??.TXT", "/-O", "/-U", "/C", env=JAPANESE)
        self.assertLines(result.out, self.short(archive, [shown("表示.txt", "cp932"), b"??.txt"]))


if __name__ == "__main__":
    unittest.main()
