"""Finding files: the run flow, the directory walk and the entry criteria.

One fixture tree serves every case; each case names the directory it runs in.
"""
import calendar
import os
import pathlib
import shutil
import subprocess
import tempfile
import time
import unittest

import harness
from harness import TLVC, WineTestCase, run, run_pty, terminal_text, winpath

WAIT = b"Please wait a moment...\r"
# 79 blanks wipe the wait message from the line before the finish message
FINISH = b" " * 79 + b"\rFinished."
NOT_FOUND = [b"Cannot find files..."]


def utc(text):
    """Seconds since 1970 of "YYYY-MM-DD HH:MM:SS" in UTC."""
    return calendar.timegm(time.strptime(text, "%Y-%m-%d %H:%M:%S"))


def make_tree(root):
    files = {
        # the walk: names sort as A_DIR, B.TXT, C.TXT, D.DOC, E_DIR.TXT, G_DIR
        "walk/b.txt": 3, "walk/C.TXT": 3, "walk/d.doc": 3,
        "walk/a_dir/m.txt": 1, "walk/a_dir/inner/n.txt": 1,
        "walk/e_dir.txt/f.txt": 1, "walk/g_dir/h.txt": 1, "walk/g_dir/b.TXT": 1,
        "sizes/s0.bin": 0, "sizes/s10.bin": 10, "sizes/s1024.bin": 1024, "sizes/s5000.bin": 5000,
        "attrs/plain.txt": 1, "attrs/ro.txt": 1, "attrs/hid.txt": 1, "attrs/sys.txt": 1,
        "times/t_old.txt": 1, "times/t_new.txt": 1, "times/t_late.txt": 1,
        "times/t_ancient.txt": 1, "times/now.txt": 1,
        # 表 is 0x95 0x5C in code page 932: its second byte is a backslash
        "ja/表a.txt": 1, "ja/b.txt": 1, "ja/sub/表c.txt": 1, "ja/sub/d.txt": 1,
        "dots/a.txt": 3,
    }
    for name, size in files.items():
        path = root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(b"x" * size)
    (root / "huge").mkdir()  # sparse files beyond 32 bits
    for name, size in (("g3", 3 << 30), ("g5", 5 << 30), ("g50", 50 << 30), ("t2", 2 << 40),
                       ("b100", 100)):
        with open(root / "huge" / (name + ".bin"), "wb") as sparse:
            sparse.truncate(size)
    (root / "attrs/dir.txt").mkdir()
    (root / "attrs/ro.txt").chmod(0o444)
    os.setxattr(root / "attrs/hid.txt", "user.DOSATTRIB", b"0x2")
    os.setxattr(root / "attrs/sys.txt", "user.DOSATTRIB", b"0x6")
    for name, stamp in (("t_old", "1999-12-31 12:00:00"), ("t_new", "2000-01-01 09:30:00"),
                        ("t_late", "2001-05-05 23:59:59"), ("t_ancient", "1975-06-01 12:00:00")):
        os.utime(root / "times" / (name + ".txt"), (utc(stamp), utc(stamp)))
    (root / "dots/sub").mkdir()
    stamp = utc("2001-02-03 04:05:06")
    for name in ("dots/a.txt", "dots/sub", "dots"):
        os.utime(root / name, (stamp, stamp))
    now = time.time() - 30
    os.utime(root / "times/now.txt", (now, now))

    # A tree nested past 700 characters, whose paths pass 260 characters
    # from the third level on.
    deep = root / "deep" / ("d" * 60) / ("e" * 60) / ("f" * 60)
    deep.mkdir(parents=True)
    (deep / "s.txt").write_bytes(b"")
    (deep / ("n" * 60 + ".txt")).write_bytes(b"")
    (deep / ("h" * 40) / ("i" * 200) / ("j" * 200)).mkdir(parents=True)
    (deep / ("h" * 40) / "in.txt").write_bytes(b"")
    (deep / ("h" * 40) / ("i" * 200) / ("j" * 200) / "z.txt").write_bytes(b"")
    os.utime(root, (stamp, stamp))  # the ".." of dots
    return deep


class FindingFiles(WineTestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-walk-"))
        cls.deep = make_tree(cls.root)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.root, ignore_errors=True)

    def path(self, name):
        return winpath(self.root / name).encode()

    def tlvc(self, directory, *args, **kwargs):
        return run(TLVC, *args, cwd=self.root / directory, **kwargs)

    def assertListing(self, result, lines, status=0):
        self.assertEqual(result.status, status, result)
        self.assertLines(result.out, lines)

    def test_walk_lists_full_paths_depth_first(self):
        walk = lambda name: self.path("walk/" + name)
        cases = [
            # the shipped defaults /O /U: own matches first, then each subdirectory whole
            (["*.TXT"], [walk("b.txt"), walk("C.TXT"), walk("e_dir.txt"), walk("a_dir\\m.txt"),
                         walk("a_dir\\inner\\n.txt"), walk("e_dir.txt\\f.txt"),
                         walk("g_dir\\b.TXT"), walk("g_dir\\h.txt")]),
            (["*.txt", "/-U"], [walk("b.txt"), walk("C.TXT"), walk("e_dir.txt")]),
            (["*", "/-U"], [walk("a_dir"), walk("b.txt"), walk("C.TXT"), walk("d.doc"),
                            walk("e_dir.txt"), walk("g_dir")]),
            (["B.TXT"], [walk("b.txt"), walk("g_dir\\b.TXT")]),
            (["a_dir\\*.txt"], [walk("a_dir\\m.txt"), walk("a_dir\\inner\\n.txt")]),
            (["..\\walk\\g_dir\\*.*"], [walk("g_dir\\b.TXT"), walk("g_dir\\h.txt")]),
            (["*.txt", "/A:!D", "/-U"], [walk("b.txt"), walk("C.TXT")]),
            (["*.txt", "/N"], []),
        ]
        for args, lines in cases:
            with self.subTest(args=args):
                result = self.tlvc("walk", *args)
                self.assertListing(result, lines)
                self.assertEqual(result.err, WAIT + FINISH)

    def test_dot_entries_are_listed_in_the_tables_only(self):
        table = [b"", b"Directory of " + self.path("dots"), b"",
                 b"01/02/03  04:05:06   <DIR>       ____ .",
                 b"01/02/03  04:05:06   <DIR>       ____ ..",
                 b"01/02/03  04:05:06             3 ___A a.txt",
                 b"01/02/03  04:05:06   <DIR>       ____ sub",
                 b"", b"         4 files                    3 bytes found!"]
        self.assertListing(self.tlvc("dots", "*", "/F1", "/-U"), table)
        # an archive search lists in form 1 whatever form was asked for
        self.assertListing(self.tlvc("dots", "*", "/F2", "/Z", "/-U"), table)
        self.assertListing(self.tlvc("dots", "*", "/-U"),
                           [self.path("dots/a.txt"), self.path("dots/sub")])

    def test_commands_run_for_ordinary_files_only_without_an_archive_search(self):
        log = self.tmp / "probe.log"  # not in the tree: the tree's times stay put
        env = harness.probe_env(log)
        probe = winpath(harness.TOOLS / "probe.exe")
        top = winpath(self.root / "walk")
        for archives, runs in (("", ["b.txt", "C.TXT"]), ("/L", [])):
            with self.subTest(archives=archives):
                log.unlink(missing_ok=True)
                result = harness.run_line('"%s" %s\\*.txt /A:!D /-U %s [%s $F]'
                                          % (winpath(TLVC), top, archives, probe), env=env)
                self.assertListing(result, [self.path("walk/b.txt"), self.path("walk/C.TXT")])
                logged = log.read_bytes().decode().splitlines() if log.exists() else []
                self.assertEqual(logged, ["%s|%s %s\\%s" % (top, probe, top, name) for name in runs])

    def test_usage_without_a_file_name_or_on_request(self):
        usage_head = b"TALVEN for Console Version 1.00 "
        for args in (["/U"], ["/-O", "/N"], ["/?"], ["*.txt", "/h"]):
            with self.subTest(args=args):
                result = self.tlvc("walk", *args)
                self.assertEqual((result.status, result.out), (0, b""), result)
                self.assertTrue(result.err.startswith(usage_head), result.err)
                self.assertTrue(result.err.endswith(b"  /Z[:][zipfilename] searches Zip files.\r\n"))
        # The help request is seen before the command line is read: its
        # language is the one the default options chose.
        status, raw = run_pty([TLVC, "/-J", "/?"], rows=40, cols=100, cwd=self.root / "walk",
                              env=harness.wine_env(lang="ja_JP.UTF-8"))
        self.assertEqual(status, 0)
        self.assertIn("たるべん for コンソール Version 1.00", terminal_text(raw).decode("utf-8"))
        # On a UTF-8 console the shipped /J speaks Japanese to a Japanese user only.
        for lang, head in (("C.UTF-8", "TALVEN for Console"), ("ja_JP.UTF-8", "たるべん for コンソール")):
            with self.subTest(lang=lang):
                status, raw = run_pty(["cmd", "/c", "chcp 65001 > nul & %s /?" % winpath(TLVC)],
                                      rows=40, cols=100, cwd=self.root / "walk",
                                      env=harness.wine_env(lang=lang))
                self.assertEqual(status, 0)
                self.assertIn(head + " Version 1.00", terminal_text(raw).decode("utf-8"))

    def test_drive_letter_is_written_in_upper_case(self):
        name = "z" + winpath(self.root / "walk" / "*.txt")[1:]
        result = self.tlvc("walk", name, "/-U")
        self.assertListing(result, [self.path("walk/b.txt"), self.path("walk/C.TXT"),
                                    self.path("walk/e_dir.txt")])

    def test_ends_without_matches(self):
        cases = [
            # (directory, args, stdout lines, status)
            ("walk", ["*.zzz"], NOT_FOUND, 1),
            ("walk", ["*.txt", "/-O"], NOT_FOUND, 1),  # only archives searched, none asked for
        ]
        for directory, args, lines, status in cases:
            with self.subTest(args=args):
                self.assertListing(self.tlvc(directory, *args), lines, status)
        # A top directory that is not there is an error, whichever listing
        # meets it first: the pattern's or the whole directory's.
        for args in (["nothere\\*.txt"], ["nothere\\*.txt", "/-O"]):
            with self.subTest(args=args):
                result = self.tlvc("walk", *args)
                self.assertEqual((result.status, result.out, result.err),
                                 (3, b"", WAIT + b"Error Code : 3\r\n"))

    def test_errors_of_the_file_name(self):
        cases = [
            # the share is looked at after the wait message is out
            (["\\\\pc\\x.txt"], WAIT + b"Name of shared directory is not specified.\r\n", 2),
            (["\\\\pc"], WAIT + b"Name of shared directory is not specified.\r\n", 2),
            (["tlvc*.exe", "/E"], b"Cannot include '*' in file name.\r\n", 2),
            (["tlvc?.exe", "/E"], b"Cannot include '?' in file name.\r\n", 2),
            (["tlv?*.exe", "/E"], b"Cannot include '*' in file name.\r\n", 2),
            (["/Q"], b"Invalid option character. : Q\r\n", 2),
            (["/X:7Y"], b"Unknown archive kind. : 7Y\r\n", 2),
            (["x", "/"], b"Invalid option character. : \r\n", 2),  # no character behind
        ]
        for args, message, status in cases:
            with self.subTest(args=args):
                result = self.tlvc("walk", *args)
                self.assertEqual((result.status, result.out, result.err), (status, b"", message))

    def test_paging_is_off_without_a_console(self):
        # Redirected output has no screen to fill: /P changes nothing.
        result = self.tlvc("walk", "*.txt", "/P", "/-U")
        self.assertListing(result, [self.path("walk/b.txt"), self.path("walk/C.TXT"),
                                    self.path("walk/e_dir.txt")])
        self.assertEqual(result.err, WAIT + FINISH)

    def test_deep_tree_is_walked_to_its_bottom(self):
        h = self.deep / ("h" * 40)
        files = [self.deep / ("n" * 60 + ".txt"), self.deep / "s.txt", h / "in.txt",
                 h / ("i" * 200) / ("j" * 200) / "z.txt"]
        self.assertListing(self.tlvc("deep", "*.txt"), [winpath(f).encode() for f in files])
        for form in ("/F1", "/F2"):
            with self.subTest(form=form):
                result = self.tlvc("deep", "*.txt", form)
                self.assertEqual(result.status, 0, result)
                self.assertIn(b"\r\nDirectory of %s\r\n" % winpath(files[3].parent).encode(),
                              result.out)
                self.assertTrue(result.out.endswith(b"%10d files %20d bytes found!\r\n" % (4, 0)))
        # A command runs in its file's directory, or, where that directory
        # cannot be a current directory (259 characters and more), is refused
        # with the entry named.
        log = self.tmp / "probe.log"
        probe = winpath(harness.TOOLS / "probe.exe")
        line = '"%s" *.txt /N [%s $F]' % (winpath(TLVC), probe)
        result = harness.run_line(line, cwd=self.deep, env=harness.probe_env(log))
        self.assertEqual(result.status, 0, result)
        runs = [f for f in files if len(winpath(f.parent)) < 259]
        self.assertTrue(0 < len(runs) < len(files))
        for refused in files[len(runs):]:
            self.assertIn(b"The directory is too long to run the command in : %s\r\n"
                          % winpath(refused).encode(), result.err)
        self.assertEqual(log.read_text().splitlines(),
                         ["%s|%s %s" % (winpath(f.parent), probe, winpath(f)) for f in runs])

    def test_size_criterion(self):
        size = lambda *names: [self.path("sizes/s%s.bin" % name) for name in names]
        cases = [
            ("/S10", size("10")),
            ("/S:10-10", size("10")),
            ("/S-1000", size("0", "10")),
            ("/S-0", size("0")),
            ("/S1000-", size("1024", "5000")),
            ("/S1K", size("1024")),
            ("/S10-1,024", size("10", "1024")),
            ("/S4.8K-", size("5000")),
        ]
        for option, lines in cases:
            with self.subTest(option=option):
                self.assertListing(self.tlvc("sizes", "*.bin", option), lines)
        self.assertListing(self.tlvc("sizes", "*.bin", "/S200-100"), NOT_FOUND, 1)
        huge = lambda *names: [self.path("huge/%s.bin" % name) for name in names]
        for option, lines in (("/S:5000M-5200M", huge("g5")), ("/S:-6000M", huge("b100", "g3", "g5")),
                              ("/S:1G-", huge("g3", "g5", "g50", "t2")), ("/S:2T", huge("t2"))):
            self.assertListing(self.tlvc("huge", "*.bin", option), lines)

    def test_attribute_criterion(self):
        attr = lambda *names: [self.path("attrs/" + name) for name in names]
        cases = [
            ("/A", attr("dir.txt", "hid.txt", "plain.txt", "ro.txt", "sys.txt")),
            ("/A:H", attr("hid.txt", "sys.txt")),
            ("/AHS", attr("sys.txt")),
            ("/A:H!S", attr("hid.txt")),
            ("/AR", attr("ro.txt")),
            ("/A:D", attr("dir.txt")),
            ("/A!D!H-R", attr("plain.txt")),
            ("/AA", attr("hid.txt", "plain.txt", "ro.txt", "sys.txt")),
        ]
        for option, lines in cases:
            with self.subTest(option=option):
                self.assertListing(self.tlvc("attrs", "*.txt", option), lines)
        self.assertListing(self.tlvc("attrs", "*.txt", "/AH!H"), NOT_FOUND, 1)

    def test_date_and_time_criteria(self):
        times = lambda *names: [self.path("times/%s.txt" % name) for name in names]
        cases = [
            ("/D99/12/31", times("t_old")),
            ("/D:1999/12/31", times("t_old")),
            ("/D00/01/01", times("t_new")),
            # a moment before 1980 counts as 1980-01-01 00:00:00, as it is shown
            ("/D-99/12/31", times("t_ancient", "t_old")),
            ("/D00/01/01-", times("now", "t_late", "t_new")),
            ("/D99/12/31-00/01/01", times("t_new", "t_old")),
            ("/DT", times("now")),
            ("/DTD1-", times("now")),
            ("/D-TY1", times("t_ancient", "t_late", "t_new", "t_old")),
            # the time of day alone, whatever the date (now.txt left out: its
            # time of day is the clock's)
            ("t_*.txt /T12:00", times("t_old")),
            ("t_*.txt /T12:00:00-", times("t_late", "t_old")),
            ("t_*.txt /T9:00-17:00", times("t_new", "t_old")),
            ("t_*.txt /T-09:30", times("t_ancient", "t_new")),
            ("t_*.txt /T:-9:30:01", times("t_ancient", "t_new")),
            ("t_*.txt /D00/01/01- /T-12:00", times("t_new")),
        ]
        for option, lines in cases:
            with self.subTest(option=option):
                args = option.split()
                if not args[0].startswith("t_"):
                    args.insert(0, "*.txt")
                result = self.tlvc("times", *args)
                self.assertListing(result, lines)
        # dates and times of day are local: 23:59:59 UTC is the next morning in Japan
        self.assertListing(self.tlvc("times", "t_*.txt", "/D01/05/06", "/T8:59:58",
                                     env=harness.wine_env(tz="JST-9")), times("t_late"))
        # relative to the start of the run: the file written 30 seconds before
        # it, unless the last five minutes crossed midnight
        if time.gmtime(time.time() - 300).tm_mday == time.gmtime().tm_mday:
            self.assertListing(self.tlvc("times", "now.txt", "/TNM5-"), times("now"))
            self.assertListing(self.tlvc("times", "now.txt", "/T-NM5"), NOT_FOUND, 1)

    def test_double_byte_names_keep_their_second_byte(self):
        result = self.tlvc("ja", "表*.txt", env=harness.wine_env(lang="ja_JP.UTF-8"))
        self.assertListing(result, [winpath(self.root / "ja" / name).encode("cp932")
                                    for name in ("表a.txt", "sub\\表c.txt")])

    def test_japanese_only_on_a_console_with_code_page_932(self):
        japanese = harness.wine_env(lang="ja_JP.UTF-8")
        cases = [
            # (arguments, environment, on a console, expected text)
            (["*.zzz"], japanese, True, "ファイルがみつかりませんでした..."),
            (["*.zzz"], japanese, False, "Cannot find files..."),
            (["*.zzz"], None, True, "Cannot find files..."),
            (["*.zzz", "/-J"], japanese, True, "Cannot find files..."),
            (["\\\\pc\\x.txt"], japanese, True, "共有ディレクトリ名が指定されていません."),
            (["tlvc*.exe", "/E"], japanese, True,
             "E オプション指定時はファイル名に '*' を含めることができません."),
        ]
        for args, env, console, text in cases:
            with self.subTest(args=args, console=console, japanese=env is japanese):
                if console:
                    status, raw = run_pty([TLVC, *args], cwd=self.root / "walk", env=env)
                    shown = terminal_text(raw).decode("utf-8")
                    # on a console there is no wait message
                    self.assertEqual(shown.replace("\r", "").strip("\n"), text)
                else:
                    result = self.tlvc("walk", *args, env=env)
                    status = result.status
                    self.assertLines(result.out, [text.encode()])
                self.assertIn(status, (1, 2))


def as_nobody(*command):
    return ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", *command]


@unittest.skipUnless(os.geteuid() == 0 and shutil.which("setpriv"), "needs root and setpriv")
class UnreadableSubdirectory(unittest.TestCase):
    """As root every directory is readable: these run as user 65534 with a
    Wine prefix of that user's own (made once, some seconds)."""

    @classmethod
    def setUpClass(cls):
        cls.base = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-nobody-"))
        cls.base.chmod(0o755)
        home = cls.base / "home"
        home.mkdir()
        os.chown(home, 65534, 65534)
        tree = cls.base / "tree"
        for name in ("a.txt", "locked/x.txt", "open/y.txt"):
            (tree / name).parent.mkdir(parents=True, exist_ok=True)
            (tree / name).write_bytes(b"")
        (tree / "locked").chmod(0)
        cls.tree = tree
        cls.env = {"PATH": "/usr/bin:/bin", "HOME": str(home), "WINEPREFIX": str(home / "prefix"),
                   "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=", "TZ": "UTC",
                   "LANG": "C.UTF-8"}
        # The server and the processes wineboot leaves running must not hold
        # pipes of ours open.
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(as_nobody("wineboot", "-i"), env=cls.env, timeout=300, **quiet)
        # One server for the runs of this class, as the other tests have.
        subprocess.run(as_nobody("wineserver", "-p"), env=cls.env, **quiet)

    @classmethod
    def tearDownClass(cls):
        quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(as_nobody("wineserver", "-k"), env=cls.env, **quiet)
        subprocess.run(as_nobody("wineserver", "-w"), env=cls.env, **quiet)
        (cls.tree / "locked").chmod(0o755)
        shutil.rmtree(cls.base, ignore_errors=True)

    def tlvc(self, *args):
        proc = subprocess.run(as_nobody("wine", str(TLVC), *args), cwd=self.tree, env=self.env,
                              capture_output=True, timeout=120)
        return proc.returncode, proc.stdout, proc.stderr

    def test_walk_goes_on_and_the_status_keeps_the_error(self):
        tree = lambda name: winpath(self.tree / name).encode()
        cases = [
            # (arguments, listing, status)
            (["*.txt"], [tree("a.txt"), tree("open\\y.txt")], 5),
            (["*.zzz"], NOT_FOUND, 5),
            # archives only: the locked directory is reported once and passed over
            (["*.txt", "/-O", "/Z", "/L", "/C"], NOT_FOUND, 5),
        ]
        for args, lines, status in cases:
            with self.subTest(args=args):
                code, out, err = self.tlvc(*args)
                self.assertEqual(out, b"".join(line + b"\r\n" for line in lines))
                self.assertEqual(code, status)
                self.assertEqual(err, WAIT + b"Error Code : 5\r\n" + FINISH)

    def test_an_unreadable_top_directory_ends_the_run(self):
        code, out, err = self.tlvc("locked\\*.txt")
        self.assertEqual((code, out), (5, b""))
        self.assertEqual(err, WAIT + b"Error Code : 5\r\n")


if __name__ == "__main__":
    unittest.main()
