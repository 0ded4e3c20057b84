"""Looking inside archives. What every kind of archive shares is one table,
ROWS, with one test per shared behaviour over its rows: the short form
(archive : member), the long form (a heading per archive, a line per member,
one summary), a self-extracting stub that changes nothing, damage that ends
an archive quietly, criteria applied to members, a command per member run in
the archive's directory, a whole-tree search that lists only members, and
the order of the archive passes within a directory. What belongs to one kind
alone follows the table.

The archives are the fixtures that tests/data/make_zip_fixtures.sh and
make_lzh_cab_fixtures.sh made with zip, 7zz, jlha and gcab. Stubs and damaged
variants are derived from them here; what no tool installed here writes
(LHA extended headers, ZIP archives past 4 GiB) is built here.
"""
import collections
import dataclasses
import gzip
import io
import os
import pathlib
import shutil
import struct
import subprocess
import tempfile
import unittest
import zipfile
import zlib

import harness
from harness import REPO, TLVC, TOOLS, TreeTestCase, run_line, winpath

DATA = REPO / "tests" / "data"
NOT_FOUND = [b"Cannot find files..."]
JAPANESE = harness.wine_env(lang="ja_JP.UTF-8")


def data(name):
    return (DATA / name).read_bytes()


# What one archive lists: its members' names in the short form, their lines
# in the long form (in stored order, UTC), and the sum of their sizes.
Members = collections.namedtuple("Members", "names long size")

# plain.zip (and sfx.exe), in central order.
PLAIN = Members(
    [b"README.TXT", b"main.c", b"guide.txt", b"RO.TXT", b"big.bin"],
    [b"04/05/17  13:45:20            15 ____ README.TXT",
     b"99/12/31  23:59:58            29 ____ main.c",
     b"99/12/31  23:59:58           960 ____ guide.txt",
     b"10/01/02  03:04:06            10 __R_ RO.TXT",
     b"10/01/02  03:04:06        70,000 ____ big.bin"],
    15 + 29 + 960 + 10 + 70000)
PLAIN_TXT = [b"README.TXT", b"guide.txt", b"RO.TXT"]

# Every level*.lzh. Levels 0 and 1 store MS-DOS stamps (two-second steps),
# levels 2 and 3 the exact second.
LZH_LONG = [
    b"21/03/04  09:08:06             7 ___A README.TXT",
    b"19/12/31  23:59:58             6 ___A FILE.TXT",
    b"00/01/02  13:14:16     1,234,567 ___A BIG.DAT",
]
LZH01 = Members([b"README.TXT", b"FILE.TXT", b"BIG.DAT"], LZH_LONG, 7 + 6 + 1234567)
LZH23 = LZH01._replace(long=[b"21/03/04  09:08:07" + LZH_LONG[0][18:]] + LZH_LONG[1:])

# members.cab: the hour carries a blank, not a zero; the folder part is shown
# in the short form only; the UTF-8 name is shown in the ANSI code page.
CAB = Members(
    [b"README.TXT", b"DOCS\\README.TXT", b"BIG.DAT", b"caf\xe9.txt"],
    [b"21/03/04   9:08:06             7 ___A README.TXT",
     b"00/01/02  13:14:16             6 ___A README.TXT",
     b"00/01/02  13:14:16     1,234,567 ___A BIG.DAT",
     b"24/07/08   9:10:10             7 ___A caf\xe9.txt"],
    7 + 6 + 1234567 + 7)

# A self-extracting stub with a stray signature of each kind in it.
STUB = b"MZ" + bytes(range(256)) * 20 + b"-lh MSCF\x01" + b"\x00" * 700


def cut_in_third_header(archive):
    third = archive.index(b"-lhd-", archive.index(b"-lhd-") + 1) - 2
    return archive[:third + 10]


def without_central_directory(archive):
    """Every central header signature broken: the local headers stay whole."""
    return archive.replace(b"PK\x01\x02", b"PK\x01\x09")


@dataclasses.dataclass(frozen=True)
class Kind:
    name: str       # also the name of the kind's own directory
    option: str
    pattern: str    # the archive names that the option alone searches
    heading: bytes  # each archive's heading in the long form: b"<heading> file of <archive>"
    # Fixtures in the kind's directory, (file name, Members), in directory order.
    archives: tuple
    # Short-form runs there: (member pattern, archive pattern or "", [(file name, names)]).
    short: tuple
    # Behind the stub: (file name, its bytes, Members).
    sfx: tuple
    # (file name, its bytes, the names still listed), in directory order.
    damaged: tuple
    # (archive searched, [(criteria, names listed)]).
    criteria: tuple
    # Fixtures in the shared tree: (path, fixture, names matching *.TXT), in walk order.
    tree: tuple
    # A member of every tree archive: (pattern, $N, $E, its size).
    command: tuple


# In the order of the archive passes within a directory.
ROWS = [
    Kind("LHA", "/L", "*.LZH", b"Archive",
         archives=(("level0.lzh", LZH01), ("level1.lzh", LZH01), ("level2.lzh", LZH23),
                   ("level3.lzh", LZH23)),
         short=(("*", "", [("level%d.lzh" % level, LZH01.names) for level in range(4)]),
                ("*.TXT", "LEVEL2.LZH", [("level2.lzh", LZH01.names[:2])])),
         sfx=("lzhsetup.exe", lambda: STUB + data("level1.lzh"), LZH01),
         # The directory entries before the cut have empty names and match nothing.
         damaged=(("cut.lzh", lambda: cut_in_third_header(data("level0.lzh")), [b"README.TXT"]),
                  ("not.lzh", lambda: b"-lh" * 2000, [])),
         criteria=("level1.lzh", [
             (["/D:00/01/02"], [b"BIG.DAT"]),
             (["/D:20/01/01-"], [b"README.TXT"]),
             (["/T:-10:00"], [b"README.TXT"]),
             (["/S:1000-"], [b"BIG.DAT"]),
             (["/A:A"], LZH01.names),
             (["/A:H"], []),
         ]),
         tree=(("top.lzh", "level0.lzh", [b"README.TXT", b"FILE.TXT"]),),
         command=("*.DAT", "BIG", "DAT", 1234567)),
    Kind("ZIP", "/Z", "*.ZIP", b"Archive",
         archives=(("plain.zip", PLAIN),),
         short=(("*.TXT", "", [("plain.zip", PLAIN_TXT)]),),
         sfx=("setup.exe", lambda: data("sfx.exe"), PLAIN),
         # The short form reads only the local headers: nothing is hidden.
         damaged=(("broken.zip", lambda: without_central_directory(data("plain.zip")),
                   PLAIN.names),
                  ("empty.zip", lambda: b"", []),
                  ("notzip.zip", lambda: b"PK" * 3000, [])),
         criteria=("plain.zip", [
             (["/D:99/12/31"], [b"main.c", b"guide.txt"]),
             (["/D:00/01/01-"], [b"README.TXT", b"RO.TXT", b"big.bin"]),
             (["/T:13:45:20"], [b"README.TXT"]),
             (["/S:900-"], [b"guide.txt", b"big.bin"]),
             (["/S:-15"], [b"README.TXT", b"RO.TXT"]),
             (["/A:R"], [b"RO.TXT"]),
             (["/A:!R"], [b"README.TXT", b"main.c", b"guide.txt", b"big.bin"]),
         ]),
         tree=(("top.zip", "plain.zip", PLAIN_TXT),
               ("a/deep/seven.zip", "sevenzip.zip", [b"README.TXT", b"RO.TXT", b"guide.txt"]),
               ("b/BACKUP1.ZIP", "plain.zip", PLAIN_TXT)),
         command=("RO.TXT", "RO", "TXT", 10)),
    Kind("Cabinet", "/C", "*.CAB", b"Cabinet",
         archives=(("members.cab", CAB),),
         short=(("*", "", [("members.cab", CAB.names)]),
                # matched by the part behind the folders, shown with them
                ("README.TXT", "", [("members.cab", CAB.names[:2])])),
         sfx=("cabsetup.exe", lambda: STUB + data("members.cab"), CAB),
         damaged=(("empty.cab", lambda: b"", []),),
         criteria=("members.cab", [
             (["/D:00/01/02"], [b"DOCS\\README.TXT", b"BIG.DAT"]),
             (["/D:20/01/01-"], [b"README.TXT", b"caf\xe9.txt"]),
             (["/T:-10:00"], [b"README.TXT", b"caf\xe9.txt"]),
             (["/S:1000-"], [b"BIG.DAT"]),
             (["/A:A"], CAB.names),
             (["/A:H"], []),
         ]),
         tree=(("sub/deep.cab", "members.cab", [b"README.TXT", b"DOCS\\README.TXT",
                                               b"caf\xe9.txt"]),),
         command=("*.DAT", "BIG", "DAT", 1234567)),
]


def in_walk_order(entries):
    """(pass, path) pairs as a whole-tree search meets them: a directory's
    archives, pass by pass, before its subdirectories, names in upper case."""
    def key(entry):
        path = pathlib.PurePosixPath(entry[1])
        return tuple(part.upper() for part in path.parent.parts), entry[0], path.name.upper()
    return sorted(entries, key=key)


class ArchiveKinds(TreeTestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = r = pathlib.Path(tempfile.mkdtemp(prefix="tlvc-archives-"))
        for name in ("sfx", "damaged", "mixed", "streamed", "tree/a", "tree/b/dir.zip",
                     "tree/sub", "zip64", "streamed64", "japanese", "huge", "cab-today",
                     "lzh-today"):
            (r / name).mkdir(parents=True)
        for kind in ROWS:
            (r / kind.name).mkdir()
            for name, _ in kind.archives:
                shutil.copy(DATA / name, r / kind.name / name)
            name, make, _ = kind.sfx
            (r / "sfx" / name).write_bytes(make())
            for name, make, _ in kind.damaged:
                (r / "damaged" / name).write_bytes(make())
            shutil.copy(DATA / kind.archives[0][0], r / "mixed" / ("a" + kind.pattern[1:].lower()))
            for path, fixture, _ in kind.tree:
                (r / "tree" / path).parent.mkdir(parents=True, exist_ok=True)
                shutil.copy(DATA / fixture, r / "tree" / path)
        (r / "ZIP" / "README.TXT").write_bytes(b"an ordinary file\n")
        shutil.copy(DATA / "plain.zip", r / "mixed" / "a.docx")
        (r / "modern").mkdir()
        for name in ("solid.7z", "hdrenc.7z"):
            shutil.copy(DATA / name, r / "modern" / name)
        for name in ("five.rar", "four.rar"):
            shutil.copy(REPO / "tests" / "fuzz" / "seeds" / "rar_reader" / name, r / "modern" / name)
        (r / "discs").mkdir()
        for name in ("joliet", "rr", "udf"):
            (r / "discs" / (name + ".iso")).write_bytes(gzip.decompress(data(name + ".iso.gz")))
        (r / "packages").mkdir()
        shutil.copy(DATA / "package.msi", r / "packages" / "package.msi")
        (r / "tars").mkdir()
        for name in ("gnu.tar", "pax.tar", "v7.tar", "sparse.tar", "pax.tgz", "multi.tgz",
                     "pax.txz", "pax.tar.zst", "pax.tbz2"):
            shutil.copy(DATA / name, r / "tars" / name)
        (r / "tree" / "a" / "note.txt").write_bytes(b"not in an archive\n")
        (r / "tree" / "sub" / "README.TXT").write_bytes(b"an ordinary file\n")
        shutil.copy(DATA / "streamed.zip", r / "streamed")
        shutil.copy(DATA / "zip64.zip", r / "zip64")
        shutil.copy(DATA / "streamed64.zip", r / "streamed64")
        shutil.copy(DATA / "japanese7z.zip", r / "japanese" / "a7z.zip")
        shutil.copy(DATA / "japanesepy.zip", r / "japanese" / "bpy.zip")
        make_huge_archive(r / "huge" / "seekable.zip", True)
        make_huge_archive(r / "huge" / "streamed.zip", False)
        make_cabinet_of_today(r / "cab-today")
        (r / "lzh-today" / "today.lzh").write_bytes(lzh_of_today())
        (r / "fat").mkdir()
        (r / "fat" / "app.jar").write_bytes(fat_jar())

    def listed(self, directory, archives):
        """Short-form lines of (file name, names) pairs in a directory."""
        return [line for name, names in archives
                for line in self.short(self.path(directory, name), names)]

    # ---- What every kind shares ----

    def test_short_form_lists_matching_members(self):
        for kind in ROWS:
            for pattern, archive, expected in kind.short:
                with self.subTest(kind=kind.name, pattern=pattern, archive=archive):
                    option = kind.option + (":" + archive if archive else "")
                    result = self.tlvc(kind.name, pattern, "/-O", "/-U", option)
                    self.assertLines(result.out, self.listed(kind.name, expected))
                    self.assertEqual(result.status, 0)

    def test_long_form_with_headings_and_summary(self):
        for kind in ROWS:
            with self.subTest(kind=kind.name):
                result = self.tlvc(kind.name, "*", "/-O", "/-U", kind.option, "/F1")
                expected = []
                for name, members in kind.archives:
                    expected += self.heading(self.path(kind.name, name), kind.heading)
                    expected += members.long
                self.assertLines(result.out, expected + self.summary(
                    sum(len(m.long) for _, m in kind.archives),
                    sum(m.size for _, m in kind.archives)))
                self.assertEqual(result.status, 0)
                # Form 2 with an archive search is form 1.
                self.assertEqual(
                    self.tlvc(kind.name, "*", "/-O", "/-U", kind.option, "/F2").out, result.out)

    def test_self_extracting_stub_changes_nothing(self):
        # Every pass looks into every stub: the signatures of the others match nothing.
        options = [kind.option + ":*.EXE" for kind in ROWS]
        result = self.tlvc("sfx", "*", "/-O", "/-U", *options)
        self.assertLines(result.out, self.listed("sfx", [(kind.sfx[0], kind.sfx[2].names)
                                                         for kind in ROWS]))
        result = self.tlvc("sfx", "*", "/-O", "/-U", *options, "/F1")
        expected = []
        for kind in ROWS:
            expected += self.heading(self.path("sfx", kind.sfx[0]), kind.heading) + kind.sfx[2].long
        self.assertLines(result.out, expected + self.summary(
            sum(len(kind.sfx[2].long) for kind in ROWS), sum(kind.sfx[2].size for kind in ROWS)))

    def test_damage_ends_an_archive_quietly(self):
        result = self.tlvc("damaged", "*", "/-O", "/-U", *[kind.option for kind in ROWS])
        self.assertLines(result.out, self.listed("damaged", [
            (name, names) for kind in ROWS for name, _, names in kind.damaged]))
        self.assertNotIn(b"Error Code", result.err)
        self.assertEqual(result.status, 0)

    def test_criteria_apply_to_members(self):
        for kind in ROWS:
            archive, cases = kind.criteria
            for options, names in cases:
                with self.subTest(kind=kind.name, criteria=options):
                    result = self.tlvc(kind.name, "*", "/-O", "/-U",
                                       kind.option + ":" + archive.upper(), *options)
                    self.assertLines(result.out, self.listed(kind.name, [(archive, names)])
                                     or NOT_FOUND)

    def test_commands_run_for_members_in_the_archives_directory(self):
        log = self.tmp / "probe.log"
        env = harness.probe_env(log)
        probe = winpath(TOOLS / "probe.exe")
        top = winpath(self.root / "tree")
        for kind in ROWS:
            pattern, name, extension, size = kind.command
            # $F means nothing for a member and disappears.
            expected = []
            for path, _, _ in kind.tree:
                path = pathlib.PurePosixPath(path)
                directory = "\\".join((top,) + path.parent.parts)
                expected.append("%s|%s %s %s %s " % (directory, probe, path.name, name, extension))
            for form in ("/F0", "/F1"):
                with self.subTest(kind=kind.name, form=form):
                    log.unlink(missing_ok=True)
                    result = run_line('"%s" %s\\%s /-O /U %s %s /N [%s $A $N $E $F]'
                                      % (winpath(TLVC), top, pattern, kind.option, form, probe),
                                      env=env)
                    self.assertEqual(result.status, 0, result)
                    if form == "/F0":
                        self.assertEqual(result.out, b"")
                    else:
                        self.assertLines(result.out, self.summary(len(kind.tree),
                                                                  len(kind.tree) * size))
                    self.assertEqual(log.read_bytes().decode().splitlines(), expected)

    def test_whole_tree_lists_only_archive_members(self):
        result = self.tlvc("tree", "*.TXT", "/-O", "/U", *[kind.option for kind in ROWS])
        found = {}
        for index, kind in enumerate(ROWS):
            for path, _, names in kind.tree:
                found[index, path] = names
        self.assertLines(result.out, [
            line for entry in in_walk_order(found)
            for line in self.short(self.path("tree", *entry[1].split("/")), found[entry])])
        self.assertEqual(result.status, 0)

    def test_passes_run_in_a_fixed_order(self):
        result = self.tlvc("mixed", "README.TXT", "/-O", "/-U",
                           *[kind.option for kind in reversed(ROWS)])
        self.assertLines(result.out, [
            self.path("mixed", "a" + kind.pattern[1:].lower()) + b" : " + name
            for kind in ROWS for name in kind.archives[0][1].names
            if name.split(b"\\")[-1] == b"README.TXT"])

    def test_x_turns_on_kinds_by_name(self):
        def lines(*archives):
            return [self.path("mixed", name) + b" : " + member for name, member in archives]
        readme = b"README.TXT"
        result = self.tlvc("mixed", "README.TXT", "/-O", "/-U", "/X")
        self.assertLines(result.out, lines(("a.lzh", readme), ("a.docx", readme), ("a.zip", readme),
                                           ("a.cab", readme), ("a.cab", b"DOCS\\README.TXT")))
        result = self.tlvc("mixed", "README.TXT", "/-O", "/-U", "/X:zip=*.docx;*.xlsx")
        self.assertLines(result.out, lines(("a.docx", readme)))
        result = self.tlvc("mixed", "README.TXT", "/-O", "/-U", "/X:CAB,7Y")
        self.assertEqual((result.status, result.out), (2, b""))
        self.assertLines(result.err, [b"Unknown archive kind. : 7Y"])

    def test_7z_and_rar_members_under_x(self):
        # As 7zz -slt and bsdtar list them, directories left out; the archive
        # whose headers are encrypted lists nothing and the walk goes on. The
        # kinds' passes run in the table's order: 7z, then RAR.
        result = self.tlvc("modern", "*", "/-O", "/-U", "/X", "/F1")
        self.assertLines(result.out, [
            b"", b"Archive file of " + self.path("modern", "solid.7z"), b"",
            b"10/01/02  03:04:06             0 ___A empty.txt",
            b"04/05/17  13:45:20            15 __RA README.TXT",
            b"99/12/31  23:59:58           360 ___A guide.txt",
            b"21/03/04  09:08:06             8 ___A ???.txt",
            b"21/03/04  09:08:06             1 ___A " + b"l" * 150 + b".txt",
            b"", b"Archive file of " + self.path("modern", "five.rar"), b"",
            b"21/03/04  10:08:07     1,234,567 __RA WIN.TXT",
            b"21/03/04  09:09:07             7 __R_ unix.txt",
            b"21/03/04  09:08:07             5 ____ plain.txt",
            b"", b"Archive file of " + self.path("modern", "four.rar"), b"",
            b"21/03/04  09:08:06             5 ___A CP.TXT",
            b"21/03/04  09:08:06             5 ___A ??.TXT",
            b"21/03/04  09:08:06             5 __R_ \xe9.TXT",
            b"21/03/04  09:08:07 4,886,718,345 ___A BIG.DAT",
        ] + self.summary(12, 4887953323))
        self.assertEqual(result.status, 0)

    def test_iso_images_under_x(self):
        # As 7zz -slt and bsdtar list them, folders left out, each folder's
        # files before its folders: Joliet names (hidden.txt marked hidden),
        # Rock Ridge names (README.TXT without a write bit), UDF names.
        def image(name, root):
            return [b"", b"Archive file of " + self.path("discs", name), b""] + root + [
                b"10/01/02  03:04:06             0 ____ empty.txt",
                b"99/12/31  23:59:58           360 ____ guide.txt",
                b"21/03/04  09:08:06             8 ____ ???.txt",
                b"21/03/04  09:08:06         5,000 ____ most.dat",
            ]
        readme = b"04/05/17  13:45:20            15 ____ README.TXT"
        hidden = b"10/01/02  03:04:06             2 ____ hidden.txt"
        long = b"21/03/04  09:08:06             1 ____ " + b"l" * 90 + b".txt"
        result = self.tlvc("discs", "*", "/-O", "/-U", "/X:ISO", "/F1")
        self.assertLines(result.out,
                         image("joliet.iso", [readme, hidden.replace(b"____", b"_H__"), long]) +
                         image("rr.iso", [hidden, long, readme.replace(b"____", b"__R_")]) +
                         image("udf.iso", [readme, hidden, long]) + self.summary(21, 3 * 5386))
    def test_msi_packages_under_x(self):
        # As msiinfo export lists the File table, stamped as cabextract lists
        # the embedded cabinet; under /W by the Directory table's folders.
        archive = self.path("packages", "package.msi")
        result = self.tlvc("packages", "*", "/-O", "/-U", "/X:MSI", "/F1")
        self.assertLines(result.out, self.heading(archive) + [
            b"04/05/17  13:45:20            15 __R_ README.TXT",
            b"10/01/02  03:04:06             2 SH__ hidden.txt",
            b"99/12/31  23:59:58           360 ____ user guide.txt",
            b"21/03/04  09:08:06             8 ____ ???.txt",
            b"21/03/04  09:08:06         6,000 ____ most.dat",
        ] + self.summary(5, 6385))
        result = self.tlvc("packages", "*.dat", "/-O", "/-U", "/X", "/W")
        self.assertLines(result.out, self.short(archive, [b"Fixture\\documents\\deep\\most.dat"]))

    def test_tar_and_compressed_tar_members_under_x(self):
        # As Python's tarfile lists them, folders left out, stamps in UTC; the
        # compressed kinds only under /X:*, in the table's order.
        pax = [b"21/03/04  09:08:06             8 ____ ???.txt",
               b"04/05/17  13:45:20            15 __R_ README.TXT"]
        expected = self.heading(self.path("tars", "gnu.tar")) + [
            b"04/05/17  13:45:20            15 __R_ README.TXT",
            b"99/12/31  23:59:58           360 ____ guide.txt",
            b"21/03/04  09:08:06             1 ____ " + b"l" * 150 + b".txt",
            b"10/01/02  03:04:06             0 ____ link.txt",
            b"99/12/31  23:59:58             0 ____ hard.txt",
        ] + self.heading(self.path("tars", "pax.tar")) + pax + self.heading(
            self.path("tars", "sparse.tar")) + [
            b"10/01/02  03:04:06     1,048,576 ____ holes.bin",
        ] + self.heading(self.path("tars", "v7.tar")) + [
            b"04/05/17  13:45:20            15 __R_ README.TXT",
            b"99/12/31  23:59:58           360 ____ guide.txt",
        ]
        result = self.tlvc("tars", "*", "/-O", "/-U", "/X", "/F1")
        self.assertLines(result.out, expected + self.summary(10, 1049350))
        for name in ("multi.tgz", "pax.tgz", "pax.txz", "pax.tar.zst", "pax.tbz2"):
            expected += self.heading(self.path("tars", name)) + pax
        result = self.tlvc("tars", "*", "/-O", "/-U", "/X:*", "/F1")
        self.assertLines(result.out, expected + self.summary(20, 1049465))
        self.assertEqual(result.status, 0)

    def test_stored_archives_inside_under_m(self):
        # A fat jar: its own classes, and with /M those of the library it
        # stores; the compressed one stays a member. $A names the jar on disk.
        jar = self.path("fat", "app.jar")
        result = self.tlvc("fat", "*.class", "/-O", "/-U", "/X:ZIP")
        self.assertLines(result.out, self.short(jar, [b"A.class"]))
        result = self.tlvc("fat", "*.class", "/-O", "/-U", "/X:ZIP", "/M")
        self.assertLines(result.out, self.short(jar, [b"A.class", b"lib.jar : B.class"]))
        result = self.tlvc("fat", "*", "/-O", "/-U", "/X:ZIP", "/M", "/W", "/F1")
        def line(size, name):
            return b"21/03/04  09:08:06%14s ____ %s" % ("{:,}".format(size).encode(), name)
        lib = len(LIB_JAR)
        self.assertLines(result.out, self.heading(jar) + [
            line(1, b"BOOT-INF\\classes\\A.class"), line(lib, b"BOOT-INF\\lib\\lib.jar"),
        ] + self.heading(jar + b" : BOOT-INF\\lib\\lib.jar") + [
            line(1, b"B.class"),
        ] + self.heading(jar) + [
            line(lib, b"BOOT-INF\\lib\\packed.jar"),
        ] + self.summary(4, 2 + 2 * lib))
        log = self.tmp / "probe.log"
        probe = winpath(TOOLS / "probe.exe")
        result = run_line('"%s" %s\\*.class /-O /-U /X:ZIP /M /N [%s $A $N.$E]'
                          % (winpath(TLVC), winpath(self.root / "fat"), probe),
                          env=harness.probe_env(log))
        self.assertEqual(result.status, 0, result)
        directory = winpath(self.root / "fat")
        self.assertEqual(log.read_bytes().decode().splitlines(),
                         ["%s|%s app.jar %s.class" % (directory, probe, name)
                          for name in ("A", "B")])

    def test_no_archive_anywhere(self):
        result = self.tlvc("tree", "*", "/-O", "/U",
                           *[kind.option + ":NOSUCH" + kind.pattern for kind in ROWS])
        self.assertLines(result.out, NOT_FOUND)
        self.assertEqual(result.status, 1)
        self.assertNotIn(b"Error Code", result.err)

    def test_ordinary_files_and_members_in_walk_order(self):
        result = self.tlvc("tree", "README.TXT", "/O", "/U", "/L", "/C")
        self.assertLines(result.out, [self.path("tree", "top.lzh") + b" : README.TXT",
                                      self.path("tree", "sub", "README.TXT"),
                                      self.path("tree", "sub", "deep.cab") + b" : README.TXT",
                                      self.path("tree", "sub", "deep.cab") + b" : DOCS\\README.TXT"])

    # ---- LHA ----

    def test_lzh_stamps_of_levels_2_and_3_in_local_time(self):
        # Nine hours east of UTC: only levels 2 and 3 store UTC and are converted.
        env = harness.wine_env(tz="JST-9")
        result = self.tlvc("LHA", "README.TXT", "/-O", "/-U", "/L", "/F1", env=env)
        expected = []
        for level in range(4):
            expected += self.heading(self.path("LHA", "level%d.lzh" % level))
            expected += LZH_LONG[:1] if level < 2 else [b"21/03/04  18:08:07" + LZH_LONG[0][18:]]
        self.assertLines(result.out, expected + self.summary(4, 28))
        # FILE.TXT was stamped 2019-12-31 23:59:58 UTC: in Tokyo a new year.
        result = self.tlvc("LHA", "*", "/-O", "/-U", "/L:LEVEL2.LZH", "/D:20/01/01", env=env)
        self.assertLines(result.out, self.short(self.path("LHA", "level2.lzh"), [b"FILE.TXT"]))
        result = self.tlvc("LHA", "*", "/-O", "/-U", "/L:LEVEL0.LZH", "/D:20/01/01", env=env)
        self.assertLines(result.out, NOT_FOUND)

    def test_lzh_newer_headers_under_code_page_932(self):
        archive = self.path("lzh-today", "today.lzh")
        japanese = LZH_JAPANESE.encode("cp932")
        result = self.tlvc("lzh-today", "*", "/-O", "/-U", "/L", "/F1", env=JAPANESE)
        self.assertLines(result.out, self.heading(archive) + [
            b"24/07/08  09:10:11             7 ___A " + japanese,
            b"21/03/04  09:08:07 5,000,000,000 ___A HUGE.BIN",
            b"21/03/04  09:08:07             3 _H_A PLAIN.TXT",
        ] + self.summary(3, 5000000010))
        # The Japanese pattern finds the UTF-16 name; the 8-bit name beside
        # it plays no part. The criteria see the 64-bit size and the Windows stamp.
        for args, names in ((["\u65e5\u672c*"], [japanese]), (["NIHONGO.TXT"], []),
                            (["*.BIN"], [b"HUGE.BIN"]), (["*", "/S:3000000000-"], [b"HUGE.BIN"]),
                            (["*", "/D:24/07/08"], [japanese]), (["*", "/A:H"], [b"PLAIN.TXT"])):
            with self.subTest(args=args):
                result = self.tlvc("lzh-today", args[0], "/-O", "/-U", "/L", *args[1:],
                                   env=JAPANESE)
                self.assertLines(result.out, self.short(archive, names) or NOT_FOUND)

    # ---- ZIP ----

    def test_zip_ordinary_match_then_archive(self):
        # An archive that the pattern matches is listed as a file, then searched.
        result = self.tlvc("ZIP", "*.TXT", "/O", "/-U", "/Z")
        self.assertLines(result.out, [self.path("ZIP", "README.TXT")] +
                         self.short(self.path("ZIP", "plain.zip"), PLAIN_TXT))

    def test_zip_damaged_central_directory(self):
        # The long form and attribute criteria need the directory: nothing.
        for extra in (["/F1"], ["/A:R"]):
            result = self.tlvc("damaged", "*", "/-O", "/-U", "/Z", *extra)
            self.assertLines(result.out, NOT_FOUND, extra)
            self.assertEqual(result.status, 1)

    def test_zip_archive_name_pattern(self):
        result = self.tlvc("tree", "RO.TXT", "/-O", "/U", "/Z:BACKUP*.ZIP")
        self.assertLines(result.out, [self.path("tree", "b", "BACKUP1.ZIP") + b" : RO.TXT"])

    def test_zip_attributes_from_7z(self):
        archive = self.path("tree", "a", "deep", "seven.zip")
        result = self.tlvc("tree/a/deep", "*.TXT", "/-O", "/-U", "/Z", "/F1")
        self.assertLines(result.out, self.heading(archive) + [
            b"04/05/17  13:45:20            15 ___A README.TXT",
            b"10/01/02  03:04:06            10 __RA RO.TXT",
            b"99/12/31  23:59:58           960 ___A guide.txt",
        ] + self.summary(3, 985))

    def test_zip_sizes_after_the_data_and_zip64(self):
        # Written to a pipe: sizes after the data (flag bit 3), with ZIP64 as
        # well in streamed64.zip. Forced ZIP64 (zip64.zip): every size
        # escaped, the members of plain.zip byte for byte.
        for directory, count, size in (("streamed", 3, 15 + 29 + 960),
                                       ("streamed64", 3, 15 + 29 + 960), ("zip64", 5, PLAIN.size)):
            with self.subTest(directory):
                archive = self.path(directory, directory + ".zip")
                result = self.tlvc(directory, "*", "/-O", "/-U", "/Z")
                self.assertLines(result.out, self.short(archive, PLAIN.names[:count]))
                result = self.tlvc(directory, "*", "/-O", "/-U", "/Z", "/F1")
                self.assertLines(result.out, self.heading(archive) + PLAIN.long[:count] +
                                 self.summary(count, size))
        result = self.tlvc("zip64", "*", "/-O", "/-U", "/Z", "/S:900-")
        self.assertLines(result.out, self.short(self.path("zip64", "zip64.zip"),
                                                [b"guide.txt", b"big.bin"]))

    def test_zip_past_4_gib(self):
        # Written to a file (the local walk skips the 4 GiB by the ZIP64 size)
        # and streamed (the directory is found through the ZIP64 locator).
        for name in ("seekable.zip", "streamed.zip"):
            archive = self.path("huge", name)
            option = "/Z:" + name.upper()
            for extra, expected in (
                    ([], self.short(archive, HUGE_NAMES)),
                    (["/F1"], self.heading(archive) + HUGE_LONG + self.summary(3, HUGE_SIZE + 12)),
                    (["/S:1000-"], self.short(archive, [b"huge.bin"])),
                    (["/S:-1000"], self.short(archive, [b"small.txt", b"after.txt"]))):
                result = self.tlvc("huge", "*", "/-O", "/-U", option, *extra)
                self.assertLines(result.out, expected, (name, extra))

    def test_zip_utf8_names_in_the_ansi_code_page(self):
        # Code page 1252 lacks the Japanese characters: each becomes "?".
        # Code page 932 shows them; 表 ends in byte 0x5C, the name stays whole.
        for env, encoding in ((None, "cp1252"), (JAPANESE, "cp932")):
            result = self.tlvc("japanese", "*", "/-O", "/-U", "/Z", "/F1", env=env)
            self.assertLines(result.out,
                             self.heading(self.path("japanese", "a7z.zip")) +
                             long_lines(JAPANESE_7Z, encoding) +
                             self.heading(self.path("japanese", "bpy.zip")) +
                             long_lines(JAPANESE_PY, encoding) +
                             self.summary(8, 2 * JAPANESE_BYTES), encoding)
            result = self.tlvc("japanese", "*.txt", "/-O", "/-U", "/Z", env=env)
            self.assertLines(result.out, [
                self.path("japanese", name) + b" : " + shown(member[2], encoding)
                for name, members in (("a7z.zip", JAPANESE_7Z), ("bpy.zip", JAPANESE_PY))
                for member in members], encoding)

    def test_zip_japanese_pattern_under_code_page_932(self):
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
            self.assertLines(result.out, expected or NOT_FOUND, pattern)

    def test_zip_command_gets_the_name_in_code_page_932(self):
        log = self.tmp / "probe.log"
        env = harness.probe_env(log, lang="ja_JP.UTF-8")
        probe = winpath(TOOLS / "probe.exe")
        top = winpath(self.root / "japanese")
        line = '"%s" %s\\日本*.txt /-O /-U /Z /N [%s $N $E]' % (winpath(TLVC), top, probe)
        result = run_line(line.encode("cp932"), env=env)
        self.assertEqual(result.status, 0, result)
        self.assertEqual(log.read_bytes().splitlines(),
                         [("%s|%s 日本語 txt" % (top, probe)).encode("cp932")] * 2)

    # ---- Cabinet ----

    def test_cabinet_long_form_matches_the_last_part_of_a_name(self):
        archive = self.path("Cabinet", "members.cab")
        result = self.tlvc("Cabinet", "README.TXT", "/-O", "/-U", "/C", "/F1")
        self.assertLines(result.out,
                         self.heading(archive, b"Cabinet") + CAB.long[:2] + self.summary(2, 13))

    def test_cabinet_utf8_name_matched_in_utf16(self):
        archive = self.path("Cabinet", "members.cab")
        for pattern in ("CAF?.TXT", "caf\u00e9.*"):
            result = self.tlvc("Cabinet", pattern, "/-O", "/-U", "/C")
            self.assertLines(result.out, self.short(archive, [b"caf\xe9.txt"]), pattern)

    def test_cabinet_names_of_today(self):
        # Hours below 10 with a blank, as cabinets show them.
        cab_lines = [line[:10] + (b" " + line[11:] if line[10:11] == b"0" else line[10:])
                     for line in long_lines(JAPANESE_7Z, "cp932")]
        archive = self.path("cab-today", "today.cab")
        result = self.tlvc("cab-today", "*", "/-O", "/-U", "/C", "/F1", env=JAPANESE)
        self.assertLines(result.out, [b"", b"Cabinet file of " + archive, b""] + cab_lines +
                         self.summary(4, JAPANESE_BYTES))
        result = self.tlvc("cab-today", "??.TXT", "/-O", "/-U", "/C", env=JAPANESE)
        self.assertLines(result.out, self.short(archive, [shown("表示.txt", "cp932"), b"??.txt"]))


# ---- LHA extended headers: 64-bit sizes, Windows stamps, UTF-16 names ----
# No tool installed here writes them; the archive is built from the layout
# of the headers.

STAMP_2021 = 1614848887  # 2021-03-04 09:08:07 UTC
STAMP_2024 = 1720429811  # 2024-07-08 09:10:11 UTC
LZH_JAPANESE = "\u65e5\u672c\u8a9e.TXT"


def ext_area(exts, width):
    """The extended headers with their sizes in front (width 2, or 4 at level 3)."""
    out = b""
    for kind, payload in exts:
        out += (1 + width + len(payload)).to_bytes(width, "little") + bytes([kind]) + payload
    return out + bytes(width)


def lzh_member(level, exts, payload=b"xyz", size=None, stamp=STAMP_2021, packed=None):
    area = ext_area(exts, 4 if level == 3 else 2)
    base = b"-lh5-" + struct.pack("<IIIBB", len(payload) if packed is None else packed,
                                  len(payload) if size is None else size, stamp, 0x20, level)
    if level == 2:
        head = struct.pack("<H", 24 + len(area)) + base + b"\0\0U"
    else:
        head = struct.pack("<H", 4) + base + b"\0\0U" + struct.pack("<I", 28 + len(area))
    return head + area + payload


def filetime(seconds):
    return (seconds + 11644473600) * 10000000


def lzh_of_today():
    return b"".join([
        # A Japanese name in UTF-16 beside a plain one, and a Windows stamp
        # that differs from the base one.
        lzh_member(3, [(0x01, b"NIHONGO.TXT"), (0x44, LZH_JAPANESE.encode("utf-16-le")),
                       (0x41, struct.pack("<QQQ", 0, filetime(STAMP_2024), 0))],
                   payload=b"nihongo", stamp=0),
        # 5,000,000,000 bytes: the base header holds only the low 32 bits,
        # and no compressed size; the data is skipped by the 64-bit one.
        lzh_member(2, [(0x01, b"HUGE.BIN"), (0x42, struct.pack("<QQ", 3, 5000000000))],
                   size=5000000000 & 0xFFFFFFFF, packed=0),
        lzh_member(3, [(0x02, b"DIR\xff"), (0x01, b"PLAIN.TXT"), (0x40, b"\x22\x00")]),
    ]) + b"\0"


# ---- Names in UTF-8: japanese7z.zip (7zz sorts them), japanesepy.zip ----

# Long form, as (date and time, size, name).
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


def make_cabinet_of_today(directory):
    """The members of japanese7z.zip by gcab, which marks every non-ASCII
    name as UTF-8 and stores a name as given."""
    for stamp, size, name in JAPANESE_7Z:
        member = directory / name
        member.write_bytes(b"c" * size)
        when = 946684798 if stamp.startswith(b"99") else 1614848886
        os.utime(member, (when, when))
    names = [name for _, _, name in JAPANESE_7Z]
    subprocess.run(["gcab", "-c", str(directory / "today.cab")] + names, cwd=directory,
                   check=True, env=dict(os.environ, TZ="UTC"))
    for name in names:
        (directory / name).unlink()


# ---- A ZIP archive past 4 GiB, made sparse ----

ZERO_BLOCK = bytes(1 << 20)
# CRC-32 over a block of zeros is an affine map of the CRC in front of it:
# its value from 0 and from each single bit give it, so that zipfile sums the
# 4 GiB member without reading 4 GiB of zeros.
_ZERO_BASE = zlib.crc32(ZERO_BLOCK, 0)
_ZERO_COLUMNS = [zlib.crc32(ZERO_BLOCK, 1 << i) ^ _ZERO_BASE for i in range(32)]


def _crc32(payload, value=0):
    if payload is not ZERO_BLOCK:
        return zlib.crc32(payload, value)
    out = _ZERO_BASE
    for i in range(32):
        if value >> i & 1:
            out ^= _ZERO_COLUMNS[i]
    return out


def jar_of(members):
    """A jar of (name, data, compression) members, stamped 2021-03-04 09:08:06."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as jar:
        for name, data, compression in members:
            info = zipfile.ZipInfo(name, (2021, 3, 4, 9, 8, 6))
            info.compress_type = compression
            jar.writestr(info, data)
    return out.getvalue()


LIB_JAR = jar_of([("B.class", b"b", zipfile.ZIP_STORED)])


def fat_jar():
    """As Spring Boot packs an application: its libraries stored."""
    return jar_of([("BOOT-INF/classes/A.class", b"a", zipfile.ZIP_DEFLATED),
                   ("BOOT-INF/lib/lib.jar", LIB_JAR, zipfile.ZIP_STORED),
                   ("BOOT-INF/lib/packed.jar", LIB_JAR, zipfile.ZIP_DEFLATED)])


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

    def write(self, payload):
        if payload is ZERO_BLOCK:
            self.file.seek(len(payload), 1)
        else:
            self.file.write(payload)
        self.end = max(self.end, self.file.tell())
        return len(payload)

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
HUGE_LONG = [
    b"24/07/08  09:10:10             6 ____ small.txt",
    b"24/07/08  09:10:10 4,294,968,320 ____ huge.bin",
    b"24/07/08  09:10:10             6 ____ after.txt",
]
HUGE_NAMES = [b"small.txt", b"huge.bin", b"after.txt"]


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


if __name__ == "__main__":
    unittest.main()
