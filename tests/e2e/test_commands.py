"""Commands run for each file found, the query before each, and /E."""
import os
import pathlib
import shutil
import subprocess
import time

import harness
from harness import TLVC, TOOLS, WineTestCase, run, run_line, run_pty, terminal_text, winpath

WAIT = b"Please wait a moment...\r"
FINISH = b" " * 79 + b"\rFinished."
PROBE = winpath(TOOLS / "probe.exe")


class CommandTestCase(WineTestCase):
    """A small tree and a probe that logs "directory|command line" per run."""

    def setUp(self):
        super().setUp()
        self.tree = self.tmp / "tree"
        (self.tree / "sub").mkdir(parents=True)
        for name in ("report.txt", "sub/notes.txt", "other.dat"):
            (self.tree / name).write_bytes(b"x")
        self.log = self.tmp / "probe.log"
        self.env = harness.probe_env(self.log)
        self.top = winpath(self.tree)

    def probe_log(self):
        if not self.log.exists():
            return []
        return self.log.read_bytes().decode("latin-1").splitlines()

    def tlvc(self, arguments, **kwargs):
        kwargs.setdefault("env", self.env)
        return run_line('"%s" %s' % (winpath(TLVC), arguments), **kwargs)


class RunsForEachFile(CommandTestCase):
    def test_expanded_line_in_the_files_directory(self):
        result = self.tlvc(r"%s\*.txt [%s $F D:\BAK\$N.OLD]" % (self.top, PROBE))
        self.assertEqual(result.status, 0, result)
        self.assertLines(result.out, [(self.top + r"\report.txt").encode(),
                                      (self.top + r"\sub\notes.txt").encode()])
        commands = [r"%s %s\report.txt D:\BAK\report.OLD" % (PROBE, self.top),
                    r"%s %s\sub\notes.txt D:\BAK\notes.OLD" % (PROBE, self.top)]
        self.assertEqual(result.err, WAIT + b"".join(c.encode() + b"\r\n" for c in commands)
                         + FINISH)
        self.assertEqual(self.probe_log(), ["%s|%s" % (self.top, commands[0]),
                                            r"%s\sub|%s" % (self.top, commands[1])])

    def test_no_echo_hides_the_listing_but_not_the_command(self):
        result = self.tlvc(r"%s\report.txt /N {%s $d$p $e}" % (self.top, PROBE))
        self.assertEqual(result.status, 0, result)
        self.assertEqual(result.out, b"")
        drive, rest = self.top[:2], self.top[2:]
        command = "%s %s%s txt" % (PROBE, drive, rest)
        self.assertEqual(result.err, WAIT + command.encode() + b"\r\n" + FINISH)
        self.assertEqual(self.probe_log(), ["%s|%s" % (self.top, command)])

    def test_no_wait_returns_before_the_command_ends(self):
        # The child keeps the output pipes open, so the run is timed by its
        # own exit with the streams in files.
        env = dict(self.env, PROBE_SLEEP_MS="3000")
        line = self.tmp / "line.cmd"
        line.write_bytes(('"%s" %s\\report.txt [%s $I]' % (winpath(TLVC), self.top, PROBE)).encode())
        with open(self.tmp / "out", "wb") as out:
            status = subprocess.run(["wine", TOOLS / "launch.exe", winpath(line)], stdout=out,
                                    stderr=out, env=env, timeout=60).returncode
        self.assertEqual(status, 0)
        self.assertEqual(self.probe_log(), [])
        deadline = time.monotonic() + 20
        while not self.probe_log() and time.monotonic() < deadline:
            time.sleep(0.2)
        self.assertEqual(len(self.probe_log()), 1)

    def test_a_command_too_long_is_not_run_and_the_search_goes_on(self):
        # The platform's command line holds 32,767 characters: the 200-character
        # name's paths overrun it, the short name's fit.
        folder = self.tree / "long"
        folder.mkdir()
        for name in ("l" * 200 + ".txt", "s.txt"):
            (folder / name).write_bytes(b"")
        top = winpath(folder)
        count = 32767 // (len(top) + 206) + 1
        result = self.tlvc(r"%s\*.txt [%s%s]" % (top, PROBE, " $F" * count))
        self.assertEqual(result.status, 0, result)
        self.assertIn(b"The command line is too long : %s\\%s.txt\r\n" % (top.encode(), b"l" * 200),
                      result.err)
        self.assertEqual(self.probe_log(), ["%s|%s%s" % (top, PROBE, (" %s\\s.txt" % top) * count)])

    def test_a_command_that_cannot_start_is_reported_and_the_search_goes_on(self):
        # copy is a built-in of the command interpreter: no program to start.
        result = self.tlvc(r"%s\*.txt [copy $F x]" % self.top)
        echo = lambda name: ("copy %s\%s x\r\nError Code : 2\r\n" % (self.top, name)).encode()
        self.assertEqual((result.status, len(result.out.splitlines()), result.err),
                         (2, 2, WAIT + echo("report.txt") + echo(r"sub\notes.txt") + FINISH))
        result = self.tlvc(r"%s\report.txt /-U [cmd /c copy $F $N.bak]" % self.top)
        self.assertEqual(result.status, 0, result)
        self.assertTrue((self.tree / "report.bak").exists())

    def test_drive_root_is_the_current_directory_with_its_backslash(self):
        drive = pathlib.Path(os.environ.get("WINEPREFIX", harness.REPO / "build" / "wineprefix"))
        link = drive / "dosdevices" / "m:"
        link.unlink(missing_ok=True)
        link.symlink_to(self.tree)
        self.addCleanup(link.unlink)
        result = self.tlvc(r"M:\report.txt /-U [%s $F]" % PROBE)
        self.assertEqual(result.status, 0, result)
        self.assertEqual(self.probe_log(), [r"M:\|%s M:\report.txt" % PROBE])


class QueryBeforeEachCommand(CommandTestCase):
    QUERY = b"Enter:Execute    Space:Skip    ESC:Cancel\r"
    ERASE = b" " * 79 + b"\r"

    def setUp(self):
        super().setUp()
        for name in ("b.txt", "c.txt", "d.txt"):
            (self.tree / name).write_bytes(b"x")

    def query_run(self, keys):
        """keys: (text to wait for, key) pairs, or keys typed at each new query."""
        keys = [key if isinstance(key, tuple) else (self.QUERY, key) for key in keys]
        args = [TLVC, r"%s\*.txt" % self.top, "/-U", "[%s" % PROBE, "$N", "$Q]"]
        return run_pty(args, keys=keys, env=self.env)

    def test_enter_space_letters_and_ignored_keys(self):
        # b: Enter runs; c: X is ignored, then s skips; d: e runs; report: Space skips.
        keys = [(self.QUERY, b"\r"), (self.QUERY, b"X"), (b"", b"s"), (self.QUERY, b"e"),
                (self.QUERY, b" ")]
        status, raw = self.query_run(keys)
        self.assertEqual(status, 0, raw)
        self.assertEqual([line.split("|")[1] for line in self.probe_log()],
                         ["%s b " % PROBE, "%s d " % PROBE])
        text = terminal_text(raw)
        self.assertEqual(text.count(self.QUERY), 4, text)

    def test_escape_ends_the_run_at_once_without_a_summary(self):
        status, raw = self.query_run([b"\x1b\x1b"])
        self.assertEqual(status, 0, raw)
        self.assertEqual(self.probe_log(), [])
        text = terminal_text(raw)
        self.assertNotIn(b"found", text)
        self.assertNotIn(b"c.txt", text)

    def test_c_cancels_like_escape_after_an_enter(self):
        status, raw = self.query_run([b"\r", b"C"])
        self.assertEqual(status, 0, raw)
        self.assertEqual(len(self.probe_log()), 1)


class LongQueryPrompt(CommandTestCase):
    def test_a_79_character_prompt_keeps_its_carriage_return(self):
        exe = self.tmp / "TLVC.EXE"
        shutil.copyfile(TLVC, exe)
        prompt = "Q" * 79
        (self.tmp / "LONG.CFG").write_bytes(b'EnglishQuery="%s"\r\n' % prompt.encode())
        result = run(harness.CFGTLVC, "W", "TLVC", "LONG", cwd=self.tmp, env=self.env)
        self.assertEqual(result.status, 0, result)
        # Without a console no key can be read: the entry is skipped and the
        # prompt stays as written, carriage return included.
        result = run_line('"%s" %s\\report.txt /-U [%s $Q]' % (winpath(exe), self.top, PROBE),
                          env=self.env)
        self.assertEqual(result.status, 0, result)
        command = "%s " % PROBE
        self.assertEqual(result.err, WAIT + command.encode() + b"\r\n" + prompt.encode() + b"\r"
                         + FINISH)
        self.assertEqual(self.probe_log(), [])


class ProgramLookup(CommandTestCase):
    def setUp(self):
        super().setUp()
        self.cur, self.bin, self.util = (self.tmp / n for n in ("cur", "bin", "util"))
        for directory in (self.cur, self.bin, self.util):
            directory.mkdir()
        for path in ("cur/FOO.COM", "bin/FOO.EXE", "bin/FOO.BAT", "util/FOO.EXE", "util/FOO.TXT",
                     "bin/BAR.EXE"):
            (self.tmp / path).write_bytes(b"1234")
        (self.util / "BAR.EXE").mkdir()

    def lookup(self, arguments, path_dirs, cwd=None):
        env = dict(self.env, WINEPATH=";".join(path_dirs))
        return run_line('"%s" %s' % (winpath(TLVC), arguments), cwd=cwd or self.cur, env=env)

    def test_current_directory_then_path_in_order(self):
        path = [winpath(self.bin), "", winpath(self.util)]
        result = self.lookup("/E FOO", path)
        self.assertEqual(result.status, 0, result)
        self.assertLines(result.out, [
            (winpath(self.cur) + r"\FOO.COM").encode(),
            (winpath(self.bin) + r"\FOO.EXE").encode(),
            (winpath(self.bin) + r"\FOO.BAT").encode(),
            (winpath(self.util) + r"\FOO.EXE").encode()])

    def test_pathext_a_quoted_entry_and_a_trailing_backslash(self):
        # Wine's PATHEXT (from its registry) holds .CMD.
        (self.tmp / "my tools").mkdir()
        (self.tmp / "my tools" / "npm.cmd").write_bytes(b"")
        path = ['"%s"' % winpath(self.tmp / "my tools"), winpath(self.util) + "\\"]
        self.assertLines(self.lookup("/E npm", path).out + self.lookup("/E FOO.TXT", path).out,
                         [winpath(self.tmp / "my tools" / "npm.cmd").encode(),
                          (winpath(self.util) + r"\FOO.TXT").encode()])

    def test_current_directory_on_path_is_searched_twice(self):
        result = self.lookup("/E FOO /F1", [winpath(self.cur)])
        self.assertEqual(result.status, 0, result)
        out = result.out.decode("latin-1")
        self.assertEqual(out.count("FOO.COM"), 2, out)
        self.assertEqual(out.count("Directory of"), 2, out)

    def test_given_extension_is_tried_as_is_and_directories_are_ignored(self):
        self.assertLines(self.lookup("/E FOO.TXT", [winpath(self.util)]).out,
                         [(winpath(self.util) + r"\FOO.TXT").encode()])
        self.assertLines(self.lookup("/E BAR", [winpath(self.util), winpath(self.bin)]).out,
                         [(winpath(self.bin) + r"\BAR.EXE").encode()])

    def test_directory_part_looks_there_only(self):
        result = self.lookup(r"/E %s\FOO." % winpath(self.bin), [winpath(self.util)])
        self.assertLines(result.out, [(winpath(self.bin) + r"\FOO.EXE").encode(),
                                      (winpath(self.bin) + r"\FOO.BAT").encode()])

    def test_wildcards_are_refused(self):
        for name, message in (("F*O?", b"Cannot include '*' in file name."),
                              ("F?O", b"Cannot include '?' in file name.")):
            result = self.lookup("/E " + name, [])
            self.assertEqual(result.status, 2, result)
            self.assertLines(result.err, [message])

    def test_not_found_and_commands_for_each_hit(self):
        result = self.lookup("/E NONE", [winpath(self.bin)])
        self.assertEqual(result.status, 1, result)
        self.assertLines(result.out, [b"Cannot find files..."])
        result = self.lookup("/E FOO [%s $F]" % PROBE, [winpath(self.util)])
        self.assertEqual(result.status, 0, result)
        self.assertEqual(self.probe_log(), [
            r"%s|%s %s\FOO.COM" % (winpath(self.cur), PROBE, winpath(self.cur)),
            r"%s|%s %s\FOO.EXE" % (winpath(self.util), PROBE, winpath(self.util))])
