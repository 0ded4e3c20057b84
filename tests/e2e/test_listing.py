"""The table listings, the summary line, the wait and finish messages and the
pause after each screenful.

One fixture directory serves every case.
"""
import calendar
import fcntl
import os
import pathlib
import pty
import re
import select
import shutil
import struct
import tempfile
import termios
import time
import unittest

import harness
from harness import TLVC, TOOLS, WineTestCase, run, run_pty, terminal_text, winpath

PROMPT = b"Press any key to continue..."
FINISHED = b"Finished."
WAIT = b"Please wait a moment..."
BLANK_STATUS = b" " * 79 + b"\r"
# "ディレクトリ名 : " and the Japanese found message around its numbers, code page 932
JA_DIRECTORY = "ディレクトリ名 : ".encode("cp932")
JA_FILES = " 個 ".encode("cp932")
JA_BYTES_FOUND = " バイトのファイルがみつかりました！".encode("cp932")


def utc(text):
    return calendar.timegm(time.strptime(text, "%Y-%m-%d %H:%M:%S"))


def stamp(path, text):
    os.utime(path, (utc(text), utc(text)))


def make_tree(root):
    listed = root / "list"
    listed.mkdir()
    (listed / "REPORT.TXT").write_bytes(b"r" * 1234)
    (listed / "Long Report.html").write_bytes(b"x")
    (listed / "MARCH.LOG").write_bytes(b"")
    with open(listed / "BIG.ISO", "wb") as big:
        big.truncate(3_000_000_000)  # sparse: past 2 GiB, costs no disk
    (listed / "RO.TXT").write_bytes(b"ro")
    (listed / "RO.TXT").chmod(0o444)
    (listed / "SYS.DAT").write_bytes(b"s" * 1000)
    os.setxattr(listed / "SYS.DAT", "user.DOSATTRIB", b"0x6")
    (listed / "sub").mkdir()
    for name in ("REPORT.TXT", "Long Report.html", "BIG.ISO", "RO.TXT", "SYS.DAT"):
        stamp(listed / name, "1999-12-31 23:59:59")  # odd seconds show as 58
    stamp(listed / "MARCH.LOG", "2005-03-07 10:05:06")
    stamp(listed / "sub", "2005-03-07 10:05:06")
    paged = root / "paged"
    paged.mkdir()
    for i in range(14):
        (paged / ("F%02d.TXT" % i)).write_bytes(b"")
        stamp(paged / ("F%02d.TXT" % i), "2010-10-10 10:10:10")
    edges = root / "edges"
    edges.mkdir()
    for name, when in (("OLD.TXT", "1975-06-01 12:00:00"), ("FUTURE.TXT", "2110-06-01 12:00:00")):
        (edges / name).write_bytes(b"")
        stamp(edges / name, when)
    # last, as adding entries changes a directory's time
    stamp(listed, "2010-10-10 10:10:10")
    stamp(root, "2020-02-29 08:00:00")
    return listed


def run_pty_waiting(args, rows, keys, cwd, stdout_file=None, env=None, timeout=60):
    """Like harness.run_pty, but each key is typed only after the listing has
    stood still behind the pause prompt for a while; returns the status, the
    terminal output and, per key, whether the program sat waiting at the
    prompt. With stdout_file the listing goes there, and is watched there."""
    pid, master = pty.fork()
    if pid == 0:
        try:
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", rows, 80, 0, 0))
            os.chdir(cwd)
            if stdout_file:
                os.dup2(os.open(stdout_file, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644), 1)
            os.execvpe("wine", ["wine", *map(str, args)], env or harness.wine_env())
        finally:
            os._exit(127)
    output = bytearray()
    waited = []
    deadline = time.monotonic() + timeout
    quiet_since = time.monotonic()
    listing = lambda: (stdout_file.read_bytes().replace(b"\r\n", b"\r\r\n") if stdout_file
                       else terminal_text(bytes(output)))
    try:
        while True:
            if time.monotonic() > deadline:
                os.kill(pid, 9)
                raise TimeoutError("pty run timed out: %r" % bytes(output))
            ready, _, _ = select.select([master], [], [], 0.05)
            if ready:
                try:
                    chunk = os.read(master, 65536)
                except OSError:
                    break
                if not chunk:
                    break
                output += chunk
                quiet_since = time.monotonic()
                continue
            shown = listing()
            if len(waited) < len(keys) and shown.count(PROMPT) > len(waited):
                if time.monotonic() - quiet_since < 0.5:
                    continue
                shown = listing()
                waited.append(shown.endswith(PROMPT + b"\r\r\n"))
                os.write(master, keys[len(waited) - 1])
    finally:
        os.close(master)
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), bytes(output), waited


class Listing(WineTestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-listing-"))
        cls.listed = make_tree(cls.root)
        short = run(TOOLS / "shortname.exe", winpath(cls.listed / "Long Report.html"))
        cls.long_short_name = short.out.decode()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def tlvc(self, *args, directory="list", **kwargs):
        return run(TLVC, *args, cwd=self.root / directory, **kwargs)

    def header(self, path=None):
        return [b"", b"Directory of " + (path or winpath(self.listed).encode()), b""]

    def test_forms_1_and_2_line_by_line(self):
        stem, ext = self.long_short_name.encode().split(b".")
        long_83 = stem.ljust(8) + b" " + ext.ljust(3)
        summary = [b"", b"         8 files        3,000,001,237 bytes found!"]
        form1 = [
            b"10/10/10  10:10:10   <DIR>       ____ .",
            b"20/02/29  08:00:00   <DIR>       ____ ..",
            b"99/12/31  23:59:58 3,000,000,000 ___A BIG.ISO",
            b"99/12/31  23:59:58             1 ___A Long Report.html",
            b"05/03/07  10:05:06             0 ___A MARCH.LOG",
            b"99/12/31  23:59:58         1,234 ___A REPORT.TXT",
            b"99/12/31  23:59:58             2 __RA RO.TXT",
            b"05/03/07  10:05:06   <DIR>       ____ sub",
        ]
        form2 = [
            b".              <DIR>        10/10/10  10:10:10 ____ .",
            b"..             <DIR>        20/02/29  08:00:00 ____ ..",
            b"BIG      ISO 3,000,000,000  99/12/31  23:59:58 ___A BIG.ISO",
            long_83 + b"             1  99/12/31  23:59:58 ___A Long Report.html",
            b"MARCH    LOG             0  05/03/07  10:05:06 ___A MARCH.LOG",
            b"REPORT   TXT         1,234  99/12/31  23:59:58 ___A REPORT.TXT",
            b"RO       TXT             2  99/12/31  23:59:58 __RA RO.TXT",
            b"sub            <DIR>        05/03/07  10:05:06 ____ sub",
        ]
        cases = [
            (["*.*", "/F1", "/-U", "/A:!S"], self.header() + form1 + summary),
            (["*.*", "/F2", "/-U", "/A:!S"], self.header() + form2 + summary),
            (["SYS.DAT", "/F1", "/-U"],
             self.header() + [b"99/12/31  23:59:58         1,000 SH_A SYS.DAT",
                              b"", b"         1 files                1,000 bytes found!"]),
            (["*.TXT", "/F1", "/-U", "/N"],
             [b"", b"         2 files                1,236 bytes found!"]),
        ]
        for args, lines in cases:
            with self.subTest(args=args):
                result = self.tlvc(*args)
                self.assertEqual(result.status, 0, result)
                self.assertLines(result.out, lines)
                # standard output is a file: the wait message, then the finish message over it
                self.assertEqual(result.err, WAIT + b"\r" + BLANK_STATUS + FINISHED)

    def test_times_the_packed_form_cannot_hold_show_and_match_its_nearest_end(self):
        future = b"07/12/31  23:59:58             0 ___A FUTURE.TXT"
        old = b"80/01/01  00:00:00             0 ___A OLD.TXT"
        for criteria, lines in (([], [future, old]), (["/D:-80/01/02"], [old]),
                                (["/D:43/12/31-", "/T:23:59:58"], [future])):
            with self.subTest(criteria=criteria):
                result = self.tlvc("*.TXT", "/F1", "/-U", *criteria, directory="edges")
                self.assertLines(result.out, self.header(winpath(self.root / "edges").encode()) + lines + [
                    b"", b"%10d files                    0 bytes found!" % len(lines)])

    def test_header_of_a_drive_root_keeps_its_backslash(self):
        drive = harness.REPO / "build" / "wineprefix" / "dosdevices" / "r:"
        if drive.is_symlink():
            drive.unlink()
        drive.symlink_to(self.listed)
        self.addCleanup(drive.unlink)
        result = run(TLVC, "R:\\RE*.TXT", "/F1", "/-U")
        self.assertLines(result.out, self.header(b"R:\\") + [
            b"99/12/31  23:59:58         1,234 ___A REPORT.TXT",
            b"", b"         1 files                1,234 bytes found!"])
        result = run(TLVC, "R:\\sub\\*.*", "/F2", "/-U")
        self.assertLines(result.out, self.header(b"R:\\sub") + [
            b".              <DIR>        05/03/07  10:05:06 ____ .",
            b"..             <DIR>        10/10/10  10:10:10 ____ ..",
            b"", b"         2 files                    0 bytes found!"])

    def test_console_messages_of_a_redirected_run(self):
        japanese = harness.wine_env(lang="ja_JP.UTF-8")
        out_file = self.tmp / "out.txt"
        cases = [
            # (arguments, environment, terminal text, listing in the file)
            (["R*.TXT", "/F1", "/-U"], None, WAIT + b"\r" + FINISHED,
             self.header() + [b"99/12/31  23:59:58         1,234 ___A REPORT.TXT",
                              b"99/12/31  23:59:58             2 __RA RO.TXT",
                              b"", b"         2 files                1,236 bytes found!"]),
            (["R*.TXT", "/F1", "/-U"], japanese,
             "ちょっとまっててね...\rはい、おまたせ.".encode(),
             [b"", JA_DIRECTORY + winpath(self.listed).encode(), b"",
              b"99/12/31  23:59:58         1,234 ___A REPORT.TXT",
              b"99/12/31  23:59:58             2 __RA RO.TXT",
              b"", b"         2" + JA_FILES + b"              1,236" + JA_BYTES_FOUND]),
            (["*.zzz"], None, WAIT + b"\r" + FINISHED, [b"Cannot find files..."]),
        ]
        for args, env, shown, lines in cases:
            with self.subTest(args=args, japanese=env is not None):
                status, raw = run_pty([TLVC, *args], cwd=self.listed, env=env,
                                      stdout_file=out_file)
                self.assertIn(status, (0, 1))
                # the console draws the 79 blanks as it likes: compare without them
                self.assertEqual(re.sub(rb" *\r[ \r]*", b"\r", terminal_text(raw)), shown)
                self.assertLines(out_file.read_bytes(), lines)

    def test_pause_after_every_screenful(self):
        paged = self.root / "paged"
        files = [winpath(paged / ("F%02d.TXT" % i)).encode() for i in range(14)]
        # 8 rows: a page is 6 lines; the pause line itself is not counted
        expected_f0 = files[:6] + [PROMPT] + files[6:12] + [PROMPT] + files[12:]
        header = [b"", b"Directory of " + winpath(paged).encode(), b""]
        entries = [b"10/10/10  10:10:10             0 ___A F%02d.TXT" % i for i in range(14)]
        expected_f1 = (header + entries[:3] + [PROMPT] + entries[3:9] + [PROMPT]
                       + entries[9:] + [b"", b"        14 files                    0 bytes found!"])
        for args, expected in ((["*.TXT", "/P", "/-U"], expected_f0),
                               (["*.TXT", "/P", "/-U", "/F1"], expected_f1)):
            with self.subTest(args=args):
                status, raw = run_pty([TLVC, *args], rows=8, cwd=paged,
                                      keys=[(PROMPT, b"x"), (PROMPT, b" ")])
                self.assertEqual(status, 0)
                self.assertEqual(terminal_text(raw).replace(b"\r\r\n", b"\r\n"),
                                 b"".join(line + b"\r\n" for line in expected))

    def test_lines_wider_than_the_console_count_the_rows_they_wrap_to(self):
        # 20 rows of 50 columns: a page is 18 rows. A.TXT takes one, each B
        # line two; the ninth B line would not fit behind 17 rows, so the
        # pause comes before it and nothing scrolls away unseen.
        prefix = winpath(self.tmp) + "\\"
        names = ["A.TXT"] + ["B%d%s.TXT" % (i, "x" * (70 - len(prefix))) for i in range(1, 10)]
        for name in names:
            (self.tmp / name).write_bytes(b"")
        lines = [prefix + name for name in names]
        status, raw = run_pty([TLVC, "*.TXT", "/P", "/-U"], rows=20, cols=50, cwd=self.tmp,
                              keys=[(PROMPT, b" ")])
        self.assertEqual(re.sub(rb"[\r\n]", b"", terminal_text(raw)),
                         "".join(lines[:9]).encode() + PROMPT + lines[9].encode())

    def test_pause_reads_the_console_when_standard_input_is_a_file(self):
        paged = self.root / "paged"
        keys_file = self.tmp / "keys.txt"
        keys_file.write_bytes(b"yyyyyyyyyy\r\n" * 10)
        # cmd gives the program a file as standard input while the console
        # stays on the terminal
        command = "%s F0*.TXT /P /-U < %s" % (winpath(TLVC), winpath(keys_file))
        status, raw, waited = run_pty_waiting(["cmd", "/c", command], rows=8,
                                              keys=[b"\r"], cwd=paged)
        self.assertEqual(status, 0)
        self.assertEqual(waited, [True])
        files = [winpath(paged / ("F%02d.TXT" % i)).encode() for i in range(10)]
        self.assertEqual(terminal_text(raw).replace(b"\r\r\n", b"\r\n"),
                         b"".join(line + b"\r\n" for line in files[:6] + [PROMPT] + files[6:]))


    def test_pause_is_off_for_a_redirected_listing(self):
        # The console is there, but the listing goes to a file: no prompt,
        # no key read (a wait for one would run into the timeout).
        paged = self.root / "paged"
        out_file = self.tmp / "out.txt"
        status, raw = run_pty([TLVC, "F0*.TXT", "/P", "/-U"], rows=8, cwd=paged,
                              stdout_file=out_file, timeout=30)
        self.assertEqual(status, 0, raw)
        self.assertNotIn(PROMPT, raw)
        files = [winpath(paged / ("F%02d.TXT" % i)).encode() for i in range(10)]
        self.assertLines(out_file.read_bytes(), files)


if __name__ == "__main__":
    unittest.main()
