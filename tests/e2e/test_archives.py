"""Looking inside ZIP archives: the short and the long member lines, the
headings, self-extracting stubs, damaged directories, the archive passes of
a whole tree and the criteria applied to members.

The archives are the fixtures that tests/data/make_zip_fixtures.sh made with
zip and 7zz; damaged variants are derived from them here.
"""
import pathlib
import shutil
import tempfile
import unittest

import harness
from harness import REPO, TLVC, TOOLS, TreeTestCase, run_line, winpath

DATA = REPO / "tests" / "data"

# The members of plain.zip (and of sfx.exe) in the long form, central order.
PLAIN_LONG = [
    b"04/05/17  13:45:20            15 ____ README.TXT",
    b"99/12/31  23:59:58            29 ____ main.c",
    b"99/12/31  23:59:58           960 ____ guide.txt",
    b"10/01/02  03:04:06            10 __R_ RO.TXT",
    b"10/01/02  03:04:06        70,000 ____ big.bin",
]
PLAIN_NAMES = [b"README.TXT", b"main.c", b"guide.txt", b"RO.TXT", b"big.bin"]
PLAIN_BYTES = 15 + 29 + 960 + 10 + 70000


def summary(count, total):
    return [b"", b"%10s files %20s bytes found!" % ("{:,}".format(count).encode(),
                                                    "{:,}".format(total).encode())]


def damage_central_directory(data):
    """Every central header signature broken: the local headers stay whole."""
    return data.replace(b"PK\x01\x02", b"PK\x01\x09")


class Archives(TreeTestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-archives-"))
        r = cls.root
        for name in ("one", "sfx", "damaged", "streamed", "tree/a/deep", "tree/b"):
            (r / name).mkdir(parents=True)
        shutil.copy(DATA / "plain.zip", r / "one" / "plain.zip")
        (r / "one" / "README.TXT").write_bytes(b"an ordinary file\n")
        shutil.copy(DATA / "sfx.exe", r / "sfx" / "setup.exe")
        (r / "damaged" / "broken.zip").write_bytes(
            damage_central_directory((DATA / "plain.zip").read_bytes()))
        shutil.copy(DATA / "streamed.zip", r / "streamed" / "streamed.zip")
        shutil.copy(DATA / "plain.zip", r / "tree" / "top.zip")
        shutil.copy(DATA / "sevenzip.zip", r / "tree" / "a" / "deep" / "seven.zip")
        shutil.copy(DATA / "plain.zip", r / "tree" / "b" / "BACKUP1.ZIP")
        (r / "tree" / "a" / "note.txt").write_bytes(b"not in an archive\n")
        (r / "tree" / "b" / "empty.zip").write_bytes(b"")
        (r / "tree" / "b" / "notzip.zip").write_bytes(b"PK" * 3000)
        (r / "tree" / "b" / "dir.zip").mkdir()

    def test_short_form_lists_matching_members(self):
        result = self.tlvc("one", "*.TXT", "/-O", "/-U", "/Z")
        archive = self.path("one", "plain.zip")
        self.assertLines(result.out, self.short(archive, [b"README.TXT", b"guide.txt", b"RO.TXT"]))
        self.assertEqual(result.status, 0)

    def test_long_form_with_heading_and_summary(self):
        result = self.tlvc("one", "*", "/-O", "/-U", "/Z", "/F1")
        archive = self.path("one", "plain.zip")
        self.assertLines(result.out,
                         self.heading(archive) + PLAIN_LONG + summary(5, PLAIN_BYTES))
        # Form 2 with an archive search is form 1.
        self.assertEqual(self.tlvc("one", "*", "/-O", "/-U", "/Z", "/F2").out, result.out)

    def test_ordinary_match_then_archive(self):
        # An archive that the pattern matches is listed as a file, then searched.
        result = self.tlvc("one", "*.TXT", "/O", "/-U", "/Z")
        archive = self.path("one", "plain.zip")
        self.assertLines(result.out, [self.path("one", "README.TXT")] +
                         self.short(archive, [b"README.TXT", b"guide.txt", b"RO.TXT"]))

    def test_self_extracting_stub_changes_nothing(self):
        archive = self.path("sfx", "setup.exe")
        result = self.tlvc("sfx", "*", "/-O", "/-U", "/Z:*.EXE")
        self.assertLines(result.out, self.short(archive, PLAIN_NAMES))
        result = self.tlvc("sfx", "*", "/-O", "/-U", "/Z:*.EXE", "/F1")
        self.assertLines(result.out,
                         self.heading(archive) + PLAIN_LONG + summary(5, PLAIN_BYTES))

    def test_damaged_central_directory(self):
        archive = self.path("damaged", "broken.zip")
        # The short form reads only the local headers: nothing is hidden.
        result = self.tlvc("damaged", "*", "/-O", "/-U", "/Z")
        self.assertLines(result.out, self.short(archive, PLAIN_NAMES))
        # The long form and attribute criteria need the directory: nothing.
        for extra in (["/F1"], ["/A:R"]):
            result = self.tlvc("damaged", "*", "/-O", "/-U", "/Z", *extra)
            self.assertLines(result.out, [b"Cannot find files..."], extra)
            self.assertEqual(result.status, 1)

    def test_sizes_after_the_data_are_listed_completely(self):
        archive = self.path("streamed", "streamed.zip")
        result = self.tlvc("streamed", "*", "/-O", "/-U", "/Z")
        self.assertLines(result.out, self.short(archive, PLAIN_NAMES[:3]))
        result = self.tlvc("streamed", "*", "/-O", "/-U", "/Z", "/F1")
        self.assertLines(result.out, self.heading(archive) + PLAIN_LONG[:3] +
                         summary(3, 15 + 29 + 960))

    def test_whole_tree_lists_only_archive_members(self):
        result = self.tlvc("tree", "*.TXT", "/-O", "/U", "/Z")
        self.assertLines(result.out, (
            self.short(self.path("tree", "top.zip"), [b"README.TXT", b"guide.txt", b"RO.TXT"]) +
            self.short(self.path("tree", "a", "deep", "seven.zip"),
                       [b"README.TXT", b"RO.TXT", b"guide.txt"]) +
            self.short(self.path("tree", "b", "BACKUP1.ZIP"),
                       [b"README.TXT", b"guide.txt", b"RO.TXT"])))
        self.assertEqual(result.status, 0)

    def test_archive_name_pattern(self):
        result = self.tlvc("tree", "RO.TXT", "/-O", "/U", "/Z:BACKUP*.ZIP")
        self.assertLines(result.out, [self.path("tree", "b", "BACKUP1.ZIP") + b" : RO.TXT"])

    def test_attributes_from_7z_archives(self):
        archive = self.path("tree", "a", "deep", "seven.zip")
        result = self.tlvc("tree/a/deep", "*.TXT", "/-O", "/-U", "/Z", "/F1")
        self.assertLines(result.out, self.heading(archive) + [
            b"04/05/17  13:45:20            15 ___A README.TXT",
            b"10/01/02  03:04:06            10 __RA RO.TXT",
            b"99/12/31  23:59:58           960 ___A guide.txt",
        ] + summary(3, 985))

    def test_criteria_apply_to_members(self):
        archive = self.path("one", "plain.zip")
        cases = [
            (["/D:99/12/31"], [b"main.c", b"guide.txt"]),
            (["/D:00/01/01-"], [b"README.TXT", b"RO.TXT", b"big.bin"]),
            (["/T:13:45:20"], [b"README.TXT"]),
            (["/S:900-"], [b"guide.txt", b"big.bin"]),
            (["/S:-15"], [b"README.TXT", b"RO.TXT"]),
            (["/A:R"], [b"RO.TXT"]),
            (["/A:!R"], [b"README.TXT", b"main.c", b"guide.txt", b"big.bin"]),
        ]
        for options, names in cases:
            result = self.tlvc("one", "*", "/-O", "/-U", "/Z", *options)
            self.assertLines(result.out, self.short(archive, names), options)

    def test_commands_run_for_members_in_the_archives_directory(self):
        log = self.tmp / "probe.log"
        env = harness.probe_env(log)
        probe = winpath(TOOLS / "probe.exe")
        top = winpath(self.root / "tree")
        for form in ("/F0", "/F1"):
            log.unlink(missing_ok=True)
            result = run_line('"%s" %s\\RO.TXT /-O /U /Z %s /N [%s $A $N $E $F]'
                              % (winpath(TLVC), top, form, probe), env=env)
            self.assertEqual(result.status, 0, result)
            self.assertEqual(result.out, b"" if form == "/F0" else
                             b"\r\n" + b"%10s files %20s bytes found!\r\n" % (b"3", b"30"))
            # $F means nothing for a member and disappears.
            self.assertEqual(log.read_bytes().decode().splitlines(), [
                r"%s|%s top.zip RO TXT " % (top, probe),
                r"%s\a\deep|%s seven.zip RO TXT " % (top, probe),
                r"%s\b|%s BACKUP1.ZIP RO TXT " % (top, probe),
            ], form)

    def test_no_archive_anywhere(self):
        result = self.tlvc("tree", "*", "/-O", "/U", "/Z:NOSUCH*.ZIP")
        self.assertLines(result.out, [b"Cannot find files..."])
        self.assertEqual(result.status, 1)
        self.assertNotIn(b"Error Code", result.err)


if __name__ == "__main__":
    unittest.main()
