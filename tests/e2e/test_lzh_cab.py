"""Looking inside LHA and Cabinet archives: the short and the long member
lines, the headings, self-extracting stubs, damage, local time of level-2
stamps, the criteria and commands applied to members, and the order of the
archive passes.

The archives are the fixtures that tests/data/make_lzh_cab_fixtures.sh made
with jlha (header levels 0, 1 and 2) and gcab; damaged variants and stubs are
derived from them here.
"""
import pathlib
import shutil
import tempfile
import unittest

import harness
from harness import REPO, TLVC, TOOLS, TreeTestCase, run_line, winpath

DATA = REPO / "tests" / "data"

# The members of every level*.lzh in the long form, in UTC. Levels 0 and 1
# store MS-DOS stamps (two-second steps), level 2 the exact second.
LZH_LONG = [
    b"21/03/04  09:08:06             7 ___A README.TXT",
    b"19/12/31  23:59:58             6 ___A FILE.TXT",
    b"00/01/02  13:14:16     1,234,567 ___A BIG.DAT",
]
LZH2_LONG = [b"21/03/04  09:08:07" + LZH_LONG[0][18:]] + LZH_LONG[1:]
LZH_NAMES = [b"README.TXT", b"FILE.TXT", b"BIG.DAT"]
LZH_BYTES = 7 + 6 + 1234567

# members.cab in the long form: the hour carries a blank, not a zero, and a
# folder part is not shown; the UTF-8 name is shown in the ANSI code page.
CAB_LONG = [
    b"21/03/04   9:08:06             7 ___A README.TXT",
    b"00/01/02  13:14:16             6 ___A README.TXT",
    b"00/01/02  13:14:16     1,234,567 ___A BIG.DAT",
    b"24/07/08   9:10:10             7 ___A caf\xe9.txt",
]
CAB_NAMES = [b"README.TXT", b"DOCS\\README.TXT", b"BIG.DAT", b"caf\xe9.txt"]
CAB_BYTES = 7 + 6 + 1234567 + 7


def summary(count, total):
    return [b"", b"%10s files %20s bytes found!" % ("{:,}".format(count).encode(),
                                                    "{:,}".format(total).encode())]


class LzhAndCab(TreeTestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-lzhcab-"))
        r = cls.root
        for name in ("lzh", "cab", "sfx", "damaged", "mixed", "tree/sub"):
            (r / name).mkdir(parents=True)
        for level in (0, 1, 2):
            shutil.copy(DATA / ("level%d.lzh" % level), r / "lzh" / ("level%d.lzh" % level))
        shutil.copy(DATA / "members.cab", r / "cab" / "members.cab")
        stub = b"MZ" + bytes(range(256)) * 20 + b"-lh MSCF\x01" + b"\x00" * 700
        (r / "sfx" / "lzhsetup.exe").write_bytes(stub + (DATA / "level1.lzh").read_bytes())
        (r / "sfx" / "cabsetup.exe").write_bytes(stub + (DATA / "members.cab").read_bytes())
        # The third member's header cut short: the first two stay listed.
        level0 = (DATA / "level0.lzh").read_bytes()
        third = level0.index(b"-lhd-", level0.index(b"-lhd-") + 1) - 2
        (r / "damaged" / "cut.lzh").write_bytes(level0[:third + 10])
        (r / "damaged" / "empty.cab").write_bytes(b"")
        (r / "damaged" / "not.lzh").write_bytes(b"-lh" * 2000)
        shutil.copy(DATA / "level2.lzh", r / "mixed" / "a.lzh")
        shutil.copy(DATA / "members.cab", r / "mixed" / "a.cab")
        shutil.copy(DATA / "plain.zip", r / "mixed" / "a.zip")
        shutil.copy(DATA / "level0.lzh", r / "tree" / "top.lzh")
        shutil.copy(DATA / "members.cab", r / "tree" / "sub" / "deep.cab")
        (r / "tree" / "sub" / "README.TXT").write_bytes(b"an ordinary file\n")

    def test_lzh_short_form_every_level(self):
        result = self.tlvc("lzh", "*", "/-O", "/-U", "/L")
        expected = []
        for level in (0, 1, 2):
            expected += self.short(self.path("lzh", "level%d.lzh" % level), LZH_NAMES)
        self.assertLines(result.out, expected)
        self.assertEqual(result.status, 0)
        result = self.tlvc("lzh", "*.TXT", "/-O", "/-U", "/L:LEVEL2.LZH")
        self.assertLines(result.out, self.short(self.path("lzh", "level2.lzh"), LZH_NAMES[:2]))

    def test_lzh_long_form_with_headings_and_summary(self):
        result = self.tlvc("lzh", "*", "/-O", "/-U", "/L", "/F1")
        expected = []
        for level, lines in ((0, LZH_LONG), (1, LZH_LONG), (2, LZH2_LONG)):
            expected += self.heading(self.path("lzh", "level%d.lzh" % level)) + lines
        self.assertLines(result.out, expected + summary(9, 3 * LZH_BYTES))

    def test_lzh_level2_stamps_in_local_time(self):
        # Nine hours east of UTC: only level 2 stores UTC and is converted.
        env = harness.wine_env(tz="JST-9")
        result = self.tlvc("lzh", "README.TXT", "/-O", "/-U", "/L", "/F1", env=env)
        self.assertLines(result.out,
                         self.heading(self.path("lzh", "level0.lzh")) + LZH_LONG[:1] +
                         self.heading(self.path("lzh", "level1.lzh")) + LZH_LONG[:1] +
                         self.heading(self.path("lzh", "level2.lzh")) +
                         [b"21/03/04  18:08:07" + LZH_LONG[0][18:]] + summary(3, 21))
        # FILE.TXT was stamped 2019-12-31 23:59:58 UTC: in Tokyo a new year.
        result = self.tlvc("lzh", "*", "/-O", "/-U", "/L:LEVEL2.LZH", "/D:20/01/01", env=env)
        self.assertLines(result.out, self.short(self.path("lzh", "level2.lzh"), [b"FILE.TXT"]))
        result = self.tlvc("lzh", "*", "/-O", "/-U", "/L:LEVEL0.LZH", "/D:20/01/01", env=env)
        self.assertLines(result.out, [b"Cannot find files..."])

    def test_cab_short_form_keeps_folder_parts(self):
        archive = self.path("cab", "members.cab")
        result = self.tlvc("cab", "*", "/-O", "/-U", "/C")
        self.assertLines(result.out, self.short(archive, CAB_NAMES))
        result = self.tlvc("cab", "README.TXT", "/-O", "/-U", "/C")
        self.assertLines(result.out, self.short(archive, [b"README.TXT"]))
        result = self.tlvc("cab", "*README.TXT", "/-O", "/-U", "/C")
        self.assertLines(result.out, self.short(archive, CAB_NAMES[:2]))

    def test_cab_long_form_with_heading_and_summary(self):
        archive = self.path("cab", "members.cab")
        result = self.tlvc("cab", "*", "/-O", "/-U", "/C", "/F1")
        self.assertLines(result.out,
                         self.heading(archive, b"Cabinet") + CAB_LONG + summary(4, CAB_BYTES))
        # In the long form the last part of the name is matched.
        result = self.tlvc("cab", "README.TXT", "/-O", "/-U", "/C", "/F1")
        self.assertLines(result.out,
                         self.heading(archive, b"Cabinet") + CAB_LONG[:2] + summary(2, 13))

    def test_cab_utf8_name_matched_in_utf16(self):
        archive = self.path("cab", "members.cab")
        result = self.tlvc("cab", "CAF?.TXT", "/-O", "/-U", "/C")
        self.assertLines(result.out, self.short(archive, [b"caf\xe9.txt"]))
        result = self.tlvc("cab", "caf\u00e9.*", "/-O", "/-U", "/C")
        self.assertLines(result.out, self.short(archive, [b"caf\xe9.txt"]))

    def test_self_extracting_stub_changes_nothing(self):
        result = self.tlvc("sfx", "*", "/-O", "/-U", "/L:*.EXE", "/C:*.EXE")
        self.assertLines(result.out, self.short(self.path("sfx", "lzhsetup.exe"), LZH_NAMES) +
                         self.short(self.path("sfx", "cabsetup.exe"), CAB_NAMES))

    def test_damage_ends_an_archive_quietly(self):
        result = self.tlvc("damaged", "*", "/-O", "/-U", "/L", "/C")
        # The directory entries of cut.lzh have empty names and match nothing.
        self.assertLines(result.out, self.short(self.path("damaged", "cut.lzh"), [b"README.TXT"]))
        self.assertEqual(result.err.count(b"Error Code"), 0)
        self.assertEqual(result.status, 0)

    def test_passes_run_lzh_then_zip_then_cab(self):
        result = self.tlvc("mixed", "README.TXT", "/-O", "/-U", "/C", "/Z", "/L")
        self.assertLines(result.out, [self.path("mixed", "a.lzh") + b" : README.TXT",
                                      self.path("mixed", "a.zip") + b" : README.TXT",
                                      self.path("mixed", "a.cab") + b" : README.TXT"])

    def test_whole_tree_lists_only_archive_members(self):
        result = self.tlvc("tree", "README.TXT", "/-O", "/U", "/L", "/C")
        self.assertLines(result.out, [self.path("tree", "top.lzh") + b" : README.TXT",
                                      self.path("tree", "sub", "deep.cab") + b" : README.TXT"])
        result = self.tlvc("tree", "README.TXT", "/O", "/U", "/L", "/C")
        self.assertLines(result.out, [self.path("tree", "top.lzh") + b" : README.TXT",
                                      self.path("tree", "sub", "README.TXT"),
                                      self.path("tree", "sub", "deep.cab") + b" : README.TXT"])

    def test_criteria_apply_to_members(self):
        lzh = self.path("lzh", "level1.lzh")
        cab = self.path("cab", "members.cab")
        cases = [
            (["/D:00/01/02"], [b"BIG.DAT"], [b"DOCS\\README.TXT", b"BIG.DAT"]),
            (["/D:20/01/01-"], [b"README.TXT"], [b"README.TXT", b"caf\xe9.txt"]),
            (["/T:-10:00"], [b"README.TXT"], [b"README.TXT", b"caf\xe9.txt"]),
            (["/S:1000-"], [b"BIG.DAT"], [b"BIG.DAT"]),
            (["/A:A"], LZH_NAMES, CAB_NAMES),
            (["/A:H"], [], []),
        ]
        for options, lzh_names, cab_names in cases:
            result = self.tlvc("lzh", "*", "/-O", "/-U", "/L:LEVEL1.LZH", *options)
            self.assertLines(result.out, self.short(lzh, lzh_names) or [b"Cannot find files..."],
                             options)
            result = self.tlvc("cab", "*", "/-O", "/-U", "/C", *options)
            self.assertLines(result.out, self.short(cab, cab_names) or [b"Cannot find files..."],
                             options)

    def test_commands_run_for_members_in_the_archives_directory(self):
        log = self.tmp / "probe.log"
        env = harness.probe_env(log)
        probe = winpath(TOOLS / "probe.exe")
        top = winpath(self.root / "tree")
        for form in ("/F0", "/F1"):
            log.unlink(missing_ok=True)
            result = run_line('"%s" %s\\*.DAT /-O /U /L /C %s /N [%s $A $N $E]'
                              % (winpath(TLVC), top, form, probe), env=env)
            self.assertEqual(result.status, 0, result)
            self.assertEqual(log.read_bytes().decode().splitlines(), [
                r"%s|%s top.lzh BIG DAT" % (top, probe),
                r"%s\sub|%s deep.cab BIG DAT" % (top, probe),
            ], form)


if __name__ == "__main__":
    unittest.main()
