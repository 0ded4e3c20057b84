"""Hostile trees: deep and long paths, names full of the characters that the
option parser, the command templates and the shell treat specially, Japanese
names under code page 932, names the ANSI code page cannot hold, damaged and
misnamed archives. Each run must end with the listing the walk rules give, or
a clear message, never a crash, a hang or a cut path.

One fixture tree serves every case.
"""
import fnmatch
import pathlib
import os
import struct
import subprocess
import tempfile
import time
import unittest
import zipfile
import zlib

import harness
from harness import (CFGTLVC, REPO, TLVC, TOOLS, TreeTestCase, run, run_line, run_pty, terminal_text,
                     winpath)

DATA = REPO / "tests" / "data"
PATH_SIZE = 32768  # the path buffer, terminator included
PROBE = winpath(TOOLS / "probe.exe")
JAPANESE = harness.wine_env(lang="ja_JP.UTF-8")
CUT_ARCHIVES = ["plain.zip", "streamed.zip", "level0.lzh", "level1.lzh", "level2.lzh", "level3.lzh",
                "members.cab"]
PLAIN_NAMES = [b"README.TXT", b"main.c", b"guide.txt", b"RO.TXT", b"big.bin"]

SPECIAL_NAMES = ["a b.txt", "$d.txt", "%PATH%.txt", "[b].txt", "]x.txt", "{c}.txt", "x}.txt",
                 ";s.txt", "q'uote.txt", "two  blanks .txt", "-n.txt", "!x.txt"]
# Names Linux allows and Windows does not: the system hands them over as
# they are.
FOREIGN_NAMES = ['q"uote.txt', "a*b.txt", "c?d.txt", "e<f>.txt", "g|h.txt", "back\\slash.txt",
                 "col:on.txt"]
MEMBER_NAMES = ["a b.txt", "$d.txt", "[x].txt", "%PATH%.txt", "{c}.txt", "dir/sub/in;s.txt",
                "q'u\"ote.txt", "no extension"]
JAPANESE_MEMBERS = ["表.txt", "dir\\ソ.txt", "能力.txt", "ー.doc", "表\\x.txt"]
JAPANESE_NAMES = ["表.txt", "ソフト.txt", "ー.txt", "能力表.txt"]
# Names that code page 1252, 932 or both cannot hold, as Wine lists them
# (ordered by their upper case in UTF-16 units); each folder holds one file.
ANSI_FILES = ["A.txt", "ok.txt", "é.txt", "Ωmega.txt", "日本.txt", "Ａ.txt"]
ANSI_FOLDERS = ["café\\in.txt", "Ā\\in.txt", "Ω\\in.txt", "日本\\jp.txt", "한국\\kr.txt",
                "😀\\in.txt"]
UTF8_MEMBERS = ["日本語.txt", "😀.txt"]
WAIT = b"Please wait a moment...\r"
FINISH = b" " * 79 + b"\rFinished."


def ansi_text(text, code_page):
    """Redirected output: no best fit, "?" for each UTF-16 unit of a character
    the ANSI code page cannot hold (Ａ is not A)."""
    return b"".join(char.encode(code_page) if char.encode(code_page, errors="ignore")
                    else b"?" * (len(char.encode("utf-16-le")) // 2) for char in text)


def ansi_walk(top, members=()):
    """What `*.txt` lists below the ansi folder, in the walk's order: the
    top's own files, the members of its archives, then the folders."""
    archived = ["utf8.zip : " + member for member in members]
    return [top + "\\" + name for name in ANSI_FILES + archived + ANSI_FOLDERS]


def expected_walk(top, pattern, encoding="cp1252"):
    """Full paths the walk lists for `pattern` from `top` with /O /U: own
    matches in enumeration order (upper-case names), then each subdirectory;
    a file whose path does not fit the path buffer is passed over, and so is
    a subdirectory whose path and pattern would not fit."""
    lines = []
    base = winpath(top)
    entries = sorted(top.iterdir(), key=lambda p: p.name.upper())
    for entry in entries:
        full = base + "\\" + entry.name
        if fnmatch.fnmatch(entry.name.upper(), pattern.upper()) and len(full) < PATH_SIZE:
            lines.append(full.encode(encoding))
    for entry in entries:
        if entry.is_dir() and len(base + "\\" + entry.name + "\\" + pattern) < PATH_SIZE:
            lines.extend(expected_walk(entry, pattern, encoding))
    return lines


def make_zip(names):
    """A ZIP of stored one-byte members whose names are these bytes as they
    stand (no UTF-8 flag), as archivers on a Japanese system write them."""
    out, central = b"", b""
    for name in names:
        crc = zlib.crc32(b"x")
        fields = (0, 0, 0x6000, 0x5221, crc, 1, 1, len(name))  # flags, stored, time, date ...
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 10, *fields, 0, 0, 0, 0,
                               0x20, len(out)) + name
        out += struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, *fields, 0) + name + b"x"
    return out + central + struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(names), len(names),
                                       len(central), len(out), 0)


def zip_boundaries(data):
    """Offsets where a ZIP record starts, where a fixed header part ends, and
    the end of each member's name: the places a copy cut short stops."""
    cuts = set()
    for signature, fixed in ((b"PK\x03\x04", 30), (b"PK\x01\x02", 46), (b"PK\x05\x06", 22)):
        at = data.find(signature)
        while at >= 0:
            cuts.update((at, at + 4, at + fixed))
            if signature != b"PK\x05\x06":
                name_length = struct.unpack_from("<H", data, at + (26 if fixed == 30 else 28))[0]
                cuts.add(at + fixed + name_length)
            at = data.find(signature, at + 1)
    return sorted(c for c in cuts if 0 < c < len(data))


class HostileTrees(TreeTestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-hostile-"))
        r = cls.root

        # A hundred levels, a file at a few of them.
        level = r / "depth"
        for depth in range(1, 101):
            level = level / "a"
            level.mkdir(parents=True)
            if depth in (1, 2, 50, 99, 100):
                (level / "f.txt").write_bytes(b"")

        # Paths that grow past 260 characters one long level at a time.
        level = r / "long"
        for depth in range(8):
            level = level / ("L%d" % depth + "x" * 38)
            level.mkdir(parents=True)
            (level / "n.txt").write_bytes(b"")
            (level / ("m" * 30 + ".txt")).write_bytes(b"")

        special = r / "special"
        (special / "sub [1] {2} $x").mkdir(parents=True)
        for name in SPECIAL_NAMES:
            (special / name).write_bytes(b"")
        (special / "sub [1] {2} $x" / "in;%side%.txt").write_bytes(b"")

        foreign = r / "foreign"
        (foreign / 'dq"dir').mkdir(parents=True)
        (foreign / 'dq"dir' / "in.txt").write_bytes(b"")
        for name in FOREIGN_NAMES:
            (foreign / name).write_bytes(b"")

        (r / "plain").mkdir()
        (r / "plain" / "a.txt").write_bytes(b"")

        members = r / "members"
        members.mkdir()
        with zipfile.ZipFile(members / "odd names.zip", "w") as archive:
            for name in MEMBER_NAMES:
                archive.writestr(name, b"x")

        japanese = r / "japanese"
        (japanese / "表").mkdir(parents=True)
        (japanese / "members.zip").write_bytes(make_zip(
            [name.encode("cp932") for name in JAPANESE_MEMBERS]))
        for name in JAPANESE_NAMES:
            (japanese / name).write_bytes(b"")
        (japanese / "表" / "x.txt").write_bytes(b"")

        ansi = r / "ansi"
        for name in ANSI_FOLDERS:
            (ansi / name.split("\\")[0]).mkdir(parents=True)
            (ansi / name.replace("\\", "/")).write_bytes(b"")
        for name in ANSI_FILES:
            (ansi / name).write_bytes(b"")
        # As an archiver on Windows writes "café.txt": code page 437, no UTF-8 flag.
        (ansi / "oem.zip").write_bytes(make_zip([b"caf\x82.txt"]))
        with zipfile.ZipFile(ansi / "utf8.zip", "w") as archive:  # flag bit 11 set
            for name in UTF8_MEMBERS:
                archive.writestr(name, b"x")

        (r / "codepage").mkdir()  # Shift-JIS names without the UTF-8 flag
        (r / "codepage" / "sjis.zip").write_bytes(
            make_zip([name.encode("cp932") for name in ("日本語.txt", "表.txt")]))

        archives = r / "archives"
        archives.mkdir()
        plain = (DATA / "plain.zip").read_bytes()
        cls.cuts = zip_boundaries(plain)
        for cut in cls.cuts:
            (archives / ("cut%05d.zip" % cut)).write_bytes(plain[:cut])
        for extension in ("ZIP", "LZH", "CAB"):
            (archives / ("EMPTY." + extension)).write_bytes(b"")
            (archives / ("X." + extension)).mkdir()
            (archives / ("X." + extension) / "inner.txt").write_bytes(b"")
        # 50,000 entries, far more listing than a pipe holds; hard links of
        # one file, which cost a tenth of as many new files.
        many = r / "many"
        for directory in range(50):
            (many / ("d%02d" % directory)).mkdir(parents=True)
        first = many / "d00" / "f000.txt"
        first.write_bytes(b"")
        for directory in range(50):
            for name in range(1 if directory == 0 else 0, 999):
                os.link(first, many / ("d%02d" % directory) / ("f%03d.txt" % name))

        # Links to a directory already on the path, and one to a sibling.
        links = r / "links"
        for name in ("a/x.txt", "b/y.txt"):
            (links / name).parent.mkdir(parents=True, exist_ok=True)
            (links / name).write_bytes(b"")
        os.symlink("..", links / "a" / "up")
        os.symlink(".", links / "a" / "self")
        os.symlink("../b", links / "a" / "sib")

        cuts = r / "cuts"
        cuts.mkdir()
        for name in CUT_ARCHIVES:
            data = (DATA / name).read_bytes()
            stem, extension = name.split(".")
            for cut in range(len(data) + 1):
                (cuts / ("%s_%05d.%s" % (stem, cut, extension))).write_bytes(data[:cut])

    def tlvc_line(self, directory, arguments, env=None):
        if isinstance(arguments, str):
            arguments = arguments.encode("latin-1")
        line = b'"' + winpath(TLVC).encode() + b'" ' + arguments
        return run_line(line, cwd=self.root / directory, env=env)

    def assertEnds(self, result, status=0):
        """A normal end: the status asked for and no system error on the way."""
        self.assertEqual(result.status, status, result)
        self.assertNotIn(b"Error Code", result.err)

    def test_oversized_command_lines_and_variables(self):
        found = [winpath(self.root / "plain" / "a.txt").encode()]
        wait_finish = b"Please wait a moment...\r" + b" " * 79 + b"\rFinished."
        cases = [
            # (arguments, TLVC variable, status, standard output, standard error)
            ("x" * 600, None, 2, [], b"File name is too long.\r\n"),
            ("a.txt [" + "y" * 600 + "]", None, 2, [], b"Command line to run is too long.\r\n"),
            ("/O " * 10000 + "a.txt", None, 0, found, wait_finish),
            ("a.txt /D" + "9" * 5000, None, 2, [], b"Year must be smaller than or equal 2043.\r\n"),
            ("a.txt /S" + "9" * 5000, None, 1, [b"Cannot find files..."], wait_finish),
            ("a.txt /Z" + "z" * 5000, None, 0, found, wait_finish),
            # a variable longer than its buffer is ignored whole, a shorter one read
            ("a.txt", "/-O " * 500, 0, found, wait_finish),
            ("a.txt", "/-O " * 200, 1, [b"Cannot find files..."], wait_finish),
        ]
        for arguments, variable, status, out, err in cases:
            with self.subTest(arguments=arguments[:20], variable=(variable or "")[:10]):
                env = harness.wine_env(extra={"TLVC": variable} if variable else None)
                result = self.tlvc_line("plain", arguments, env=env)
                self.assertEqual(result.status, status, result)
                self.assertLines(result.out, out)
                self.assertEqual(result.err, err)

    def test_deep_and_long_trees_are_walked_whole(self):
        for directory in ("depth", "long"):
            with self.subTest(directory=directory):
                result = self.tlvc(directory, "*.txt")
                self.assertEnds(result)
                expected = expected_walk(self.root / directory, "*.txt")
                self.assertLines(result.out, expected)
        # Every level of both fits, the long one past 260 characters.
        self.assertEqual(len(expected_walk(self.root / "depth", "*.txt")), 5)
        self.assertEqual(len(expected_walk(self.root / "long", "*.txt")), 16)

    def test_long_tree_in_the_table_forms(self):
        for form in ("/F1", "/F2"):
            with self.subTest(form=form):
                result = self.tlvc("long", "*.txt", form)
                self.assertEnds(result)
                count = len(expected_walk(self.root / "long", "*.txt"))
                self.assertTrue(result.out.endswith(
                    b"%10d files %20d bytes found!\r\n" % (count, 0)), result.out[-200:])

    def test_names_with_special_characters(self):
        special = self.root / "special"
        result = self.tlvc("special", "*.txt")
        self.assertEnds(result)
        self.assertEqual(sorted(result.out.splitlines()),
                         sorted(expected_walk(special, "*.txt")))
        # Named in quotes, each is found as itself: brackets, braces,
        # percent signs and dollars are no template and no variable there.
        for name in SPECIAL_NAMES + ["sub [1] {2} $x\\in;%side%.txt"]:
            with self.subTest(name=name):
                result = self.tlvc_line("special", '"%s" /-U' % name)
                self.assertEnds(result)
                self.assertLines(result.out, [(winpath(special) + "\\" + name).encode()])

    def test_names_windows_does_not_allow(self):
        foreign = self.root / "foreign"
        top = winpath(foreign).encode()
        names = sorted(top + b"\\" + name.encode() for name in FOREIGN_NAMES)
        result = self.tlvc("foreign", "*.txt", "/-U")
        self.assertEnds(result)
        self.assertEqual(sorted(result.out.splitlines()), names)
        # A directory with such a name cannot be opened by it: the walk says
        # so, goes on, and ends with that code.
        result = self.tlvc("foreign", "*.txt")
        self.assertEqual(result.status, 123, result)
        self.assertEqual(sorted(result.out.splitlines()), names)
        self.assertEqual(result.err, b"Please wait a moment...\rError Code : 123\r\n" + b" " * 79
                         + b"\rFinished.")

    def test_special_names_reach_a_command_whole(self):
        special = self.root / "special"
        log = self.tmp / "probe.log"
        env = harness.probe_env(log)
        result = self.tlvc_line("special", '*.txt /N /-U [%s "$F" $N $E]' % PROBE, env=env)
        self.assertEnds(result)
        logged = sorted(log.read_bytes().decode("latin-1").splitlines())
        top = winpath(special)
        self.assertEqual(logged, sorted(
            '%s|%s "%s\\%s" %s %s' % (top, PROBE, top, name, name[:-4], "txt")
            for name in SPECIAL_NAMES))

    def test_member_names_reach_a_command_whole(self):
        members = self.root / "members"
        top = winpath(members)
        log = self.tmp / "probe.log"
        env = harness.probe_env(log)
        result = self.tlvc_line("members", '* /Z /-O /N [%s "$N" $E $A $P $$ $F]' % PROBE, env=env)
        self.assertEnds(result)
        commands = []
        for stored in MEMBER_NAMES:
            name = stored.rsplit("/", 1)[-1]
            stem, dot, extension = name.rpartition(".")
            stem, extension = (stem, extension) if dot else (name, name)
            commands.append('%s|%s "%s" %s odd names.zip %s $ ' % (top, PROBE, stem, extension,
                                                                    top[2:]))
        self.assertEqual(log.read_bytes().decode("latin-1").splitlines(), commands)

    def test_japanese_names_under_code_page_932(self):
        japanese = self.root / "japanese"
        top = winpath(japanese).encode("cp932")
        result = self.tlvc("japanese", "*.txt", env=JAPANESE)
        self.assertEnds(result)
        self.assertLines(result.out, expected_walk(japanese, "*.txt", "cp932"))
        self.assertIn(top + "\\表\\x.txt".encode("cp932"), result.out)
        # A pattern and a directory whose second bytes are a backslash or a
        # bracket, typed as they are.
        cases = [
            ("表*.txt /-U", ["表.txt"]),
            ("*表.txt /-U", ["能力表.txt", "表.txt"]),
            ("ー.txt /-U", ["ー.txt"]),
            ("表\\*.txt", ["表\\x.txt"]),
        ]
        for arguments, names in cases:
            with self.subTest(arguments=arguments):
                result = self.tlvc_line("japanese", arguments.encode("cp932"), env=JAPANESE)
                self.assertEnds(result)
                self.assertLines(result.out, [top + b"\\" + n.encode("cp932") for n in names])

    def test_japanese_member_names_are_not_cut_at_a_second_byte(self):
        # 表, ソ and 能 end in the byte 0x5C: the names stay whole, and only a
        # backslash of its own separates a folder.
        archive = winpath(self.root / "japanese" / "members.zip").encode("cp932")
        cases = [
            (["*", "/Z", "/-O", "/-U"], ["表.txt", "ソ.txt", "能力.txt", "ー.doc", "x.txt"]),
            (["表*", "/Z", "/-O", "/-U"], ["表.txt"]),
            (["*力.txt", "/Z", "/-O", "/-U"], ["能力.txt"]),
        ]
        for args, names in cases:
            with self.subTest(args=args):
                result = self.tlvc("japanese", *args, env=JAPANESE)
                self.assertEnds(result)
                self.assertLines(result.out, [archive + b" : " + n.encode("cp932") for n in names])

    def test_names_the_ansi_code_page_cannot_hold(self):
        # Every folder is searched; redirected output shows "?" for what the
        # ANSI code page cannot hold, never a look-alike; a command gets the
        # true name (Ａ.txt and A.txt are two files).
        top = winpath(self.root / "ansi")
        log = self.tmp / "probe.log"
        for lang, code_page in (("C.UTF-8", "cp1252"), ("ja_JP.UTF-8", "cp932")):
            with self.subTest(code_page=code_page):
                log.unlink(missing_ok=True)
                env = harness.probe_env(log, lang=lang, wide=True)
                result = self.tlvc("ansi", "*.txt", "[" + PROBE, "$F]", env=env)
                self.assertEqual(result.status, 0, result)
                paths = ansi_walk(top)
                self.assertLines(result.out, [ansi_text(path, code_page) for path in paths])
                commands = [PROBE + " " + path for path in paths]
                self.assertEqual(result.err, WAIT + b"".join(
                    ansi_text(command, code_page) + b"\r\n" for command in commands) + FINISH)
                self.assertEqual(log.read_text("utf-8").splitlines(), [
                    path.rpartition("\\")[0] + "|" + command
                    for path, command in zip(paths, commands)])
                # Typed on the command line, the pattern matches as it is.
                result = self.tlvc("ansi", "日本*.txt", env=env)
                self.assertEnds(result)
                self.assertLines(result.out, [ansi_text(top + "\\日本.txt", code_page)])

    def test_console_and_utf8_output_show_names_as_they_are(self):
        ansi = self.root / "ansi"
        lines = [line.encode() for line in ansi_walk(winpath(ansi), UTF8_MEMBERS)]
        # Wine's terminal shows each half of a surrogate pair as U+FFFD.
        shown = [line.replace("😀".encode(), "\ufffd\ufffd".encode()) for line in lines]
        out = self.tmp / "out.txt"
        for lang in ("C.UTF-8", "ja_JP.UTF-8"):
            env = harness.wine_env(lang=lang)
            with self.subTest(lang=lang):
                # A console gets the wide call: é, not what its code page 437
                # makes of the byte E9 (Θ).
                status, raw = run_pty([TLVC, "*.txt", "/Zutf8.zip"], cwd=ansi, env=env)
                self.assertEqual(status, 0, raw)
                self.assertEqual(terminal_text(raw), b"".join(line + b"\r\r\n" for line in shown))
                # After chcp 65001, redirected output is UTF-8.
                status, raw = run_pty(["cmd", "/c", "chcp 65001 > nul & %s *.txt /Zutf8.zip > %s"
                                       % (winpath(TLVC), winpath(out))], cwd=ansi, env=env)
                self.assertEqual(status, 0, raw)
                self.assertLines(out.read_bytes(), lines)

    def test_code_page_named_for_names_stored_as_bytes(self):
        # /K:932 under code page 1252: Shift-JIS names matched and shown as they
        # are on a console and in UTF-8 output; 表 (second byte 0x5C) whole.
        codepage = self.root / "codepage"
        top = (winpath(codepage) + "\\sjis.zip : ").encode()
        status, raw = run_pty([TLVC, "日*.txt", "/Z", "/K:932", "/-O", "/-U"], cwd=codepage)
        self.assertEqual((status, terminal_text(raw)), (0, top + "日本語.txt\r\r\n".encode()))
        out = self.tmp / "out.txt"
        status, raw = run_pty(["cmd", "/c", "chcp 65001 > nul & %s *.txt /Z /K:932 /-O /-U > %s"
                               % (winpath(TLVC), winpath(out))], cwd=codepage)
        self.assertEqual(status, 0, raw)
        self.assertLines(out.read_bytes(), [top + "日本語.txt".encode(), top + "表.txt".encode()])

    def test_zip_names_in_the_oem_code_page_and_in_utf_8(self):
        top = winpath(self.root / "ansi")
        log = self.tmp / "probe.log"
        # Code page 1252 against OEM 437: decoded, then shown in the ANSI code
        # page. Under 932 both are one code page: the bytes stay as they are.
        # UTF-8 names: "?" where the ANSI code page has no such character.
        for lang, code_page, oem in (("C.UTF-8", "cp1252", b"caf\xe9.txt"),
                                     ("ja_JP.UTF-8", "cp932", b"caf\x82.txt")):
            with self.subTest(code_page=code_page):
                env = harness.probe_env(log, lang=lang, wide=True)
                result = self.tlvc("ansi", "*", "/Z", "/-O", "/-U", env=env)
                self.assertEnds(result)
                utf8 = [ansi_text(top + "\\utf8.zip : " + name, code_page) for name in UTF8_MEMBERS]
                self.assertLines(result.out, [top.encode() + b"\\oem.zip : " + oem] + utf8)
                # A command gets a UTF-8 name whole.
                log.unlink(missing_ok=True)
                result = self.tlvc("ansi", "*", "/Zutf8.zip", "/-O", "/-U", "[" + PROBE, "$N]",
                                   env=env)
                self.assertEnds(result)
                self.assertLines(result.out, utf8)
                self.assertEqual(log.read_text("utf-8").splitlines(),
                                 ["%s|%s %s" % (top, PROBE, name[:-4]) for name in UTF8_MEMBERS])

    def test_damaged_and_misnamed_archives(self):
        archives = self.root / "archives"
        top = winpath(archives).encode()
        result = self.tlvc("archives", "*", "/Z", "/L", "/C", "/-O", "/-U")
        self.assertIn(result.status, (0, 1), result)
        self.assertNotIn(b"Error Code", result.err)
        listed = {}
        for line in result.out.splitlines():
            if line == b"Cannot find files...":
                continue
            archive, _, member = line.partition(b" : ")
            listed.setdefault(archive, []).append(member)
        # Only headers are read: a member is listed when its local header and
        # name are whole, whatever became of its data; the empty archive and
        # the directory list nothing.
        plain = (DATA / "plain.zip").read_bytes()
        ends, at = [], plain.find(b"PK\x03\x04")
        while at >= 0 and len(ends) < len(PLAIN_NAMES):
            ends.append(at + 30 + struct.unpack_from("<H", plain, at + 26)[0])
            at = plain.find(b"PK\x03\x04", at + 1)
        for cut in self.cuts:
            with self.subTest(cut=cut):
                whole = sum(1 for end in ends if end <= cut)
                self.assertEqual(listed.get(top + b"\\cut%05d.zip" % cut, []), PLAIN_NAMES[:whole])
        self.assertEqual(len(listed), len([c for c in self.cuts if c >= ends[0]]))
        # Ordinary entries named like archives are listed as what they are.
        for extension in (b"ZIP", b"LZH", b"CAB"):
            with self.subTest(extension=extension):
                result = self.tlvc("archives", "*." + extension.decode(), "/Z", "/L", "/C")
                self.assertEnds(result)
                lines = result.out.splitlines()
                self.assertIn(top + b"\\EMPTY." + extension, lines)
                self.assertIn(top + b"\\X." + extension, lines)

    def test_archives_cut_at_every_byte(self):
        # Every length from 0 to whole of each fixture, in all three formats.
        cuts = self.root / "cuts"
        result = self.tlvc("cuts", "*", "/Z", "/L", "/C", "/-O", "/-U")
        self.assertEnds(result)
        listed = {}
        for line in result.out.splitlines():
            archive, _, member = line.partition(b" : ")
            listed.setdefault(archive.rsplit(b"\\", 1)[1].decode(), []).append(member)
        for name in CUT_ARCHIVES:
            stem, extension = name.split(".")
            size = len((DATA / name).read_bytes())
            whole = listed["%s_%05d.%s" % (stem, size, extension)]
            self.assertGreaterEqual(len(whole), 3, name)
            previous = []
            for cut in range(size + 1):
                with self.subTest(name=name, cut=cut):
                    # A longer copy lists at least what a shorter one did,
                    # and never a member or an order the whole one lacks.
                    members = listed.get("%s_%05d.%s" % (stem, cut, extension), [])
                    self.assertEqual(members, whole[:len(members)])
                    self.assertGreaterEqual(len(members), len(previous))
                    previous = members

    def test_a_run_ends_when_its_output_is_gone(self):
        many = winpath(self.root / "many") + "\\*.*"
        wait = b"Please wait a moment...\r"
        # The pipe's reader leaves after one line: the run ends at once and
        # quietly, with the system's code (Wine's for a pipe without reader),
        # and runs no further command.
        log = self.tmp / "probe.log"
        line = self.tmp / "line.cmd"
        for arguments in (many, "%s [%s $N]" % (many, PROBE)):
            with self.subTest(arguments=arguments):
                line.write_bytes(b'"%s" %s' % (winpath(TLVC).encode(), arguments.encode()))
                reader = subprocess.Popen(["head", "-1"], stdin=subprocess.PIPE,
                                          stdout=subprocess.PIPE)
                started = time.monotonic()
                proc = subprocess.run(["wine", str(TOOLS / "launch.exe"), winpath(line)],
                                      stdout=reader.stdin, stderr=subprocess.PIPE,
                                      env=harness.probe_env(log), timeout=60)
                elapsed = time.monotonic() - started
                reader.stdin.close()
                with reader.stdout:
                    first = reader.stdout.read()
                reader.wait()
                self.assertEqual(first, winpath(self.root / "many" / "d00").encode() + b"\r\n")
                self.assertEqual(proc.returncode, 233)
                self.assertTrue(proc.stderr.startswith(wait), proc.stderr)
                self.assertNotIn(b"Error Code", proc.stderr)
                if arguments == many:
                    self.assertLess(elapsed, 1.0)
        self.assertLessEqual(len(log.read_bytes().splitlines()), 2)
        # A full disk (a device, so no wait message) is reported, by both programs.
        with open("/dev/full", "wb") as full:
            for program, args in ((TLVC, [many]), (CFGTLVC, ["R", winpath(TLVC)])):
                with self.subTest(program=program.name):
                    proc = subprocess.run(["wine", str(program), *args], stdout=full,
                                          stderr=subprocess.PIPE, env=harness.wine_env(), timeout=60)
                    # (CFGTLVC first names the Japanese texts code page 1252 cannot hold)
                    self.assertEqual(proc.returncode, 112)
                    self.assertTrue(proc.stderr.endswith(b"\nError Code : 112\r\n")
                                    or proc.stderr == b"Error Code : 112\r\n", proc.stderr)

    def test_links_to_a_directory_on_the_path_are_passed_over(self):
        links = lambda name: self.path("links", name)
        result = self.tlvc("links", "*.txt")
        self.assertEnds(result)
        # "up" and "self" lead back onto the path; "sib" does not.
        self.assertLines(result.out, [links("a\\x.txt"), links("a\\sib\\y.txt"),
                                      links("b\\y.txt")])


if __name__ == "__main__":
    unittest.main()
