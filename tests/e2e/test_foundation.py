"""The built programs: their resources, their usage texts and exit statuses;
the release archive that carries them."""
import io
import os
import pathlib
import subprocess
import tempfile
import unittest
import zipfile

import harness
from harness import CFGTLVC, REPO, TLVC, TOOLS, WIN, WineTestCase, run, run_pty, terminal_text
from pe_resources import PeImage, decode_block

# (text id, shipped text) of the message table
SHIPPED = [
    (1, "/J /O /U"),
    (3, "\n$C10 個 $SB19 バイトのファイルがみつかりました！"),
    (5, "ファイルがみつかりませんでした..."),
    (7, "何かキーを押してね..."),
    (9, "Enter:実行  スペース:次のファイル  ESC:中止"),
    (11, "ちょっとまっててね..."),
    (13, "はい、おまたせ."),
    (15, "\n$C10 files  $S19 bytes found!"),
    (17, "Cannot find files..."),
    (19, "Press any key to continue..."),
    (21, "Enter:Execute    Space:Skip    ESC:Cancel"),
    (23, "Please wait a moment..."),
    (25, "Finished."),
]

ENGLISH_USAGE_HEAD = b"TALVEN for Console Version 1.00 "
CFG_USAGE = (
    b"Configure TLVC  Version 1.00 (C) 2026 The TLVC Developers\r\n"
    b"USAGE : CFGTLVC W [d:][path]TLVC[.EXE] [d:][path]TLVC[.CFG]\r\n"
    b"        CFGTLVC [R] [d:][path]TLVC[.EXE] [[d:][path]TLVC[.CFG]]\r\n"
    b"\r\n")


class MessageTableLayout(unittest.TestCase):
    """The string table as the configurator relies on it."""

    @classmethod
    def setUpClass(cls):
        cls.image = PeImage(TLVC.read_bytes())
        cls.blocks = cls.image.string_blocks()

    def test_two_contiguous_blocks_in_japanese(self):
        self.assertEqual(list(self.blocks), [1, 2])
        first, second = self.blocks[1][1041], self.blocks[2][1041]
        self.assertEqual(list(self.blocks[1]), [1041])
        self.assertEqual(list(self.blocks[2]), [1041])
        self.assertEqual((first.size, second.size), (1212, 932))
        self.assertEqual(second.rva, first.rva + 1212)
        self.assertEqual(second.file_offset, first.file_offset + 1212)

    def test_slots_hold_the_shipped_texts_and_blank_spacers(self):
        strings = (decode_block(self.blocks[1][1041].bytes(self.image))
                   + decode_block(self.blocks[2][1041].bytes(self.image)))
        self.assertEqual(strings[0], "")
        self.assertEqual(strings[27:], [""] * 5)
        self.assertEqual([(i, strings[i]) for i, _ in SHIPPED], SHIPPED)
        for text_id, text in SHIPPED:
            self.assertEqual(strings[text_id + 1], " " * (80 - len(text)), "spacer %d" % (text_id + 1))

    def test_file_versions(self):
        self.assertEqual(self.image.file_version(), (1, 0, 0, 15))
        self.assertEqual(PeImage(CFGTLVC.read_bytes()).file_version(), (1, 0, 0, 14))


class ReleaseArchive(unittest.TestCase):
    """scripts/make-dist: the four entries, Windows text, and the same bytes every run."""

    def make(self, out):
        env = dict(os.environ, SOURCE_DATE_EPOCH="1767225600")  # 2026-01-01 00:00 UTC
        listed = subprocess.run([REPO / "scripts" / "make-dist", WIN, out], env=env, check=True,
                                capture_output=True, text=True).stdout.strip()
        return pathlib.Path(listed).read_bytes(), pathlib.Path(listed).name

    def test_entries_texts_and_reproducibility(self):
        with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
            (archive, name), (again, _) = self.make(first), self.make(second)
        self.assertEqual(archive, again)
        major, minor, _, _ = PeImage(TLVC.read_bytes()).file_version()
        self.assertEqual(name, "tlvc-%d.%02d-win64.zip" % (major, minor))
        with zipfile.ZipFile(io.BytesIO(archive)) as zip_file:
            entries = zip_file.infolist()
            self.assertEqual([e.filename for e in entries],
                             ["TLVC.EXE", "CFGTLVC.EXE", "README.txt", "README-ja.txt"])
            for e in entries:
                self.assertEqual((e.date_time, e.create_system, e.external_attr, e.extra),
                                 ((2026, 1, 1, 0, 0, 0), 0, 0x20, b""), e.filename)
            self.assertEqual(zip_file.read("TLVC.EXE"), TLVC.read_bytes())
            for entry, bom in (("README.txt", b""), ("README-ja.txt", b"\xef\xbb\xbf")):
                text = zip_file.read(entry)
                self.assertTrue(text.startswith(bom + b"# TLVC") and text.endswith(b"\r\n"), entry)
                self.assertEqual(text.count(b"\n"), text.count(b"\r\n"), entry)


class MessagesThroughTheSystemLoader(WineTestCase):
    def test_every_id_loads_its_text_in_the_ansi_code_page(self):
        for lang, encoding in ((None, "cp1252"), ("ja_JP.UTF-8", "cp932")):
            with self.subTest(lang=lang):
                result = run(TOOLS / "loadstrings.exe", harness.winpath(TLVC), 260,
                             env=harness.wine_env(lang=lang))
                self.assertEqual(result.status, 0, result)
                loaded = {}
                for line in result.out.split(b"\r\n")[:-1]:
                    number, length, text = line.split(b"\t", 2)
                    loaded[int(number)] = (int(length), bytes.fromhex(text.decode()))
                for text_id, text in SHIPPED:
                    if encoding == "cp1252" and not text.isascii():
                        continue  # not representable: the loader writes "?"s
                    expected = text.encode(encoding)
                    self.assertEqual(loaded[text_id], (len(text.encode(encoding)), expected))


class UsageAndStatus(WineTestCase):
    def test_tlvc_without_arguments_shows_the_usage_on_standard_error(self):
        result = run(TLVC)
        self.assertEqual(result.status, 0)
        self.assertEqual(result.out, b"")
        lines = result.err.split(b"\r\n")
        self.assertTrue(lines[0].startswith(ENGLISH_USAGE_HEAD), lines[0])
        self.assertEqual(lines[1], b"TLVC [[drive:]|[\\\\computer]][path]<filename> [option] [option]... [commandline]")
        self.assertEqual(lines[-2], b"  /Z[:][zipfilename] searches Zip files.")
        self.assertEqual(len(lines), 26)  # 25 lines and nothing behind the last line end

    def test_cfgtlvc_without_arguments_shows_its_usage_on_standard_output(self):
        result = run(CFGTLVC)
        self.assertEqual((result.status, result.out, result.err), (1, CFG_USAGE, b""))

    def test_usage_on_a_console(self):
        status, raw = run_pty([TLVC], rows=40, cols=100)
        self.assertEqual(status, 0)
        self.assertIn(b"  /U                 searches Subdirectory.", terminal_text(raw))


if __name__ == "__main__":
    unittest.main()
