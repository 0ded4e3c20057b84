"""Runs the Windows programs of the build under Wine for the end-to-end tests.

One Wine prefix under build/ (the wineserver is started once per test run by
ctest's wine_start fixture), WINEDEBUG=-all and TZ=UTC unless a test says
otherwise. Three ways to run a program:

  run(...)       plain, standard streams redirected (no console under Wine)
  run_line(...)  with an exact command line, through tools/launch.exe
  run_pty(...)   under a pseudo-terminal of a given size, with keys typed
"""
import errno
import fcntl
import os
import pathlib
import pty
import re
import select
import struct
import subprocess
import sys
import tempfile
import termios
import time
import unittest

REPO = pathlib.Path(__file__).resolve().parents[2]
WIN = pathlib.Path(os.environ.get("TLVC_WIN_DIR", REPO / "build" / "win"))
TLVC = WIN / "TLVC.EXE"
CFGTLVC = WIN / "CFGTLVC.EXE"
TOOLS = WIN / "tools"
sys.path.insert(0, str(REPO / "scripts"))

TIMEOUT = 60


def wine_env(tz="UTC", lang=None, extra=None):
    env = dict(os.environ)
    env.update(
        WINEPREFIX=str(REPO / "build" / "wineprefix"),
        WINEARCH="win64",
        WINEDEBUG="-all",
        WINEDLLOVERRIDES="mscoree,mshtml=",
        TZ=tz,
    )
    env.pop("TLVC", None)
    if lang:
        env["LANG"] = env["LC_ALL"] = lang
    else:
        env["LANG"] = env["LC_ALL"] = "C.UTF-8"
    if extra:
        env.update(extra)
    return env


def probe_env(log, lang=None, wide=False):
    """The environment for runs of tools/probe.exe that record into `log`
    (wide: the wide current directory and command line, in UTF-8)."""
    extra = {"PROBE_LOG": winpath(log)}
    if wide:
        extra["PROBE_WIDE"] = "1"
    return wine_env(lang=lang, extra=extra)


def winpath(path):
    """The Windows name of a Linux path (drive Z: is the root)."""
    return "Z:" + str(path).replace("/", "\\")


class Result:
    def __init__(self, status, out, err):
        self.status, self.out, self.err = status, out, err

    def __repr__(self):
        return "Result(status=%r, out=%r, err=%r)" % (self.status, self.out, self.err)


def run(program, *args, cwd=None, env=None, stdin=b"", timeout=TIMEOUT):
    """Runs program with args under Wine; stdout and stderr as bytes."""
    result = _run_once(program, args, cwd, env, stdin, timeout)
    if result.status != 0 and not result.out and not result.err:
        # Now and then, on a loaded machine, a Wine process ends with status
        # 1 and not a byte on either stream (about one start in a thousand
        # with both cores busy, seen with programs that cannot end so on any
        # path of their own). Both programs write a message on every path
        # that ends with another status than 0 (the tests reach none of the
        # exceptions), so one second try hides no fault of theirs.
        result = _run_once(program, args, cwd, env, stdin, timeout)
    return result


def _run_once(program, args, cwd, env, stdin, timeout):
    proc = subprocess.run(
        ["wine", str(program), *map(str, args)],
        input=stdin, capture_output=True, cwd=cwd, env=env or wine_env(), timeout=timeout)
    return Result(proc.returncode, proc.stdout, proc.stderr)


def run_line(command_line, cwd=None, env=None, stdin=b"", timeout=TIMEOUT):
    """Runs an exact Windows command line (bytes or str) through the launcher."""
    if isinstance(command_line, str):
        command_line = command_line.encode("latin-1")
    with tempfile.NamedTemporaryFile(suffix=".cmd", delete=False) as line_file:
        line_file.write(command_line)
    try:
        return run(TOOLS / "launch.exe", winpath(line_file.name), cwd=cwd, env=env,
                   stdin=stdin, timeout=timeout)
    finally:
        os.unlink(line_file.name)


def _raw_mode(fd):
    try:
        lflag = termios.tcgetattr(fd)[3]
    except termios.error:
        return False
    return not lflag & termios.ICANON


def run_pty(args, rows=25, cols=80, keys=(), cwd=None, env=None, timeout=TIMEOUT,
            stdin_file=None, stdout_file=None):
    """Runs `wine args...` on a new pseudo-terminal of rows x cols.

    keys: a list of (wait_for, data): after `wait_for` (bytes, may be empty)
    has appeared in the output since the previous key and the console has put
    the terminal in raw mode, `data` is typed. stdin_file / stdout_file
    redirect those streams of the program to files instead of the terminal.
    Returns (status, everything written to the terminal as bytes).
    """
    status, output = _run_pty_once(args, rows, cols, keys, cwd, env, timeout, stdin_file,
                                   stdout_file)
    if status != 0 and not output:
        # Now and then, on a loaded machine, Wine gives up on a new terminal
        # before the program has started (status 1, not one byte written); a
        # program that ran always writes to the terminal, so a second try is safe.
        status, output = _run_pty_once(args, rows, cols, keys, cwd, env, timeout, stdin_file,
                                       stdout_file)
    return status, output


def _run_pty_once(args, rows, cols, keys, cwd, env, timeout, stdin_file, stdout_file):
    pid, master = pty.fork()
    if pid == 0:
        try:
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))
            if cwd:
                os.chdir(cwd)
            if stdin_file:
                fd = os.open(stdin_file, os.O_RDONLY)
                os.dup2(fd, 0)
            if stdout_file:
                fd = os.open(stdout_file, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
                os.dup2(fd, 1)
            os.execvpe("wine", ["wine", *map(str, args)], env or wine_env())
        finally:
            os._exit(127)
    output = bytearray()
    pending = list(keys)
    seen_from = 0
    deadline = time.monotonic() + timeout
    try:
        while True:
            if pending:
                wait_for, data = pending[0]
                if output.find(wait_for, seen_from) >= 0 and _raw_mode(master):
                    time.sleep(0.05)
                    os.write(master, data)
                    found = output.find(wait_for, seen_from)
                    seen_from = found + len(wait_for)
                    pending.pop(0)
                    continue
            left = deadline - time.monotonic()
            if left <= 0:
                os.kill(pid, 9)
                raise TimeoutError("pty run timed out; output so far: %r" % bytes(output))
            ready, _, _ = select.select([master], [], [], min(left, 0.05))
            if ready:
                try:
                    chunk = os.read(master, 65536)
                except OSError as error:
                    if error.errno == errno.EIO:
                        break
                    raise
                if not chunk:
                    break
                output += chunk
    finally:
        os.close(master)
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), bytes(output)


_ESCAPES = re.compile(rb"\x1b(\[[0-?]*[ -/]*[@-~]|\][^\x07\x1b]*(\x07|\x1b\\)|[()][0-9A-Za-z]|[=>78])")


def terminal_text(raw):
    """What a pty run wrote, without the terminal's escape sequences."""
    return _ESCAPES.sub(b"", raw)


class WineTestCase(unittest.TestCase):
    """Base of the end-to-end tests: a scratch directory per test."""

    def setUp(self):
        self.tmp = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-e2e-"))
        self.addCleanup(subprocess.run, ["rm", "-rf", str(self.tmp)])

    def assertLines(self, data, lines, msg=None):
        """data (bytes, CR LF line ends) holds exactly these lines."""
        self.assertEqual(data, b"".join(line + b"\r\n" for line in lines), msg)


class TreeTestCase(WineTestCase):
    """Tests that share one tree, made once by setUpClass in cls.root."""

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["rm", "-rf", str(cls.root)])

    def tlvc(self, directory, *args, env=None):
        return run(TLVC, *args, cwd=self.root / directory, env=env)

    def path(self, *parts, encoding="ascii"):
        """The Windows name of a path below the tree, as TLVC writes it."""
        return winpath(self.root.joinpath(*parts)).encode(encoding)

    @staticmethod
    def short(archive, names):
        """Short-form member lines of one archive."""
        return [archive + b" : " + name for name in names]

    @staticmethod
    def heading(archive, kind=b"Archive"):
        return [b"", kind + b" file of " + archive, b""]

    @staticmethod
    def summary(count, total):
        """The last two lines of the long form."""
        return [b"", b"%10s files %20s bytes found!" % ("{:,}".format(count).encode(),
                                                        "{:,}".format(total).encode())]
