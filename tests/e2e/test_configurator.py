"""CFGTLVC on copies of TLVC.EXE: exporting the configuration, writing
edited configurations back in place, and the refusals."""
import shutil
import struct

import harness
from harness import CFGTLVC, TLVC, TOOLS, WineTestCase, run, run_line, run_pty, terminal_text, winpath
from pe_resources import PeImage, decode_block

JAPANESE = harness.wine_env(lang="ja_JP.UTF-8")

# (text id, key, shipped text); the keys keep their historic spelling
SHIPPED = [
    (1, "DefaultOption", "/J /O /U"),
    (3, "JananeseFound", "\n$C10 個 $SB19 バイトのファイルがみつかりました！"),
    (5, "JananeseNotFound", "ファイルがみつかりませんでした..."),
    (7, "JananesePause", "何かキーを押してね..."),
    (9, "JapaneseQuery", "Enter:実行  スペース:次のファイル  ESC:中止"),
    (11, "JapaneseWait", "ちょっとまっててね..."),
    (13, "JapaneseFinish", "はい、おまたせ."),
    (15, "EnglishFound", "\n$C10 files  $S19 bytes found!"),
    (17, "EnglishNotFound", "Cannot find files..."),
    (19, "EnglishPause", "Press any key to continue..."),
    (21, "EnglishQuery", "Enter:Execute    Space:Skip    ESC:Cancel"),
    (23, "EnglishWait", "Please wait a moment..."),
    (25, "EnglishFinish", "Finished."),
]

SHIPPED_LINES = [line.encode("cp932") for line in [
    'DefaultOption="/J /O /U"',
    'JananeseFound="$N$C10 個 $SB19 バイトのファイルがみつかりました！"',
    'JananeseNotFound="ファイルがみつかりませんでした..."',
    'JananesePause="何かキーを押してね..."',
    'JapaneseQuery="Enter:実行  スペース:次のファイル  ESC:中止"',
    'EnglishFound="$N$C10 files  $S19 bytes found!"',
    'EnglishNotFound="Cannot find files..."',
    'EnglishPause="Press any key to continue..."',
    'EnglishQuery="Enter:Execute    Space:Skip    ESC:Cancel"',
]]
HEADER = b";Configuration File Version 1.00"


def fixed_file_info(data):
    """Offset of the version resource's fixed file information."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    assert at > 0
    return at


class ConfiguratorCase(WineTestCase):
    def setUp(self):
        super().setUp()
        self.exe = self.tmp / "TLVC.EXE"
        shutil.copyfile(TLVC, self.exe)
        self.shipped = self.exe.read_bytes()

    def cfg(self, *args, env=JAPANESE):
        return run(CFGTLVC, *args, cwd=self.tmp, env=env)

    def write_config(self, lines, name="EDIT.CFG"):
        (self.tmp / name).write_bytes(b"".join(line + b"\r\n" for line in lines))
        return name

    def apply(self, lines, env=JAPANESE, status=0):
        """Mode W with these lines; checks the status (1 when a value was
        refused) and the size."""
        result = self.cfg("W", "TLVC", self.write_config(lines), env=env)
        self.assertEqual(result.status, status, result)
        self.assertEqual(len(self.exe.read_bytes()), len(self.shipped))
        return result

    def assertTable(self, texts):
        """Both blocks valid and every text as given, through the resource
        directory (as the system reads it) and through LoadStringA."""
        image = PeImage(self.exe.read_bytes())
        blocks = image.string_blocks()
        first, second = blocks[1][1041], blocks[2][1041]
        self.assertEqual(first.size + second.size, 2144)
        self.assertEqual(second.rva, first.rva + first.size)
        strings = decode_block(first.bytes(image)) + decode_block(second.bytes(image))
        self.assertEqual(strings[0], "")
        self.assertEqual(strings[27:], [""] * 5)
        for text_id, _key, _text in SHIPPED:
            self.assertEqual(strings[text_id], texts[text_id], "id %d" % text_id)
            self.assertEqual(len(strings[text_id + 1]), 80 - len(texts[text_id]), "spacer %d" % (text_id + 1))
        result = run(TOOLS / "loadstrings.exe", winpath(self.exe), 260, env=JAPANESE)
        self.assertEqual(result.status, 0, result)
        loaded = {}
        for line in result.out.split(b"\r\n")[:-1]:
            number, length, text = line.split(b"\t", 2)
            loaded[int(number)] = (int(length), bytes.fromhex(text.decode()))
        for text_id, _key, _text in SHIPPED:
            expected = texts[text_id].encode("cp932")
            self.assertEqual(loaded[text_id], (len(expected), expected), "id %d" % text_id)
        for text_id in range(27, 32):
            self.assertEqual(loaded[text_id], (0, b""))

    def shipped_texts(self, **changes):
        texts = {text_id: text for text_id, _key, text in SHIPPED}
        for key, text in changes.items():
            texts[next(i for i, k, _t in SHIPPED if k == key)] = text
        return texts


class ModeR(ConfiguratorCase):
    def test_to_standard_output_without_the_header(self):
        result = self.cfg("TLVC")
        self.assertEqual((result.status, result.err), (0, b""))
        self.assertLines(result.out, SHIPPED_LINES)

    def test_into_a_file_with_the_header(self):
        (self.tmp / "OUT.TXT").write_bytes(b"an older, longer file\r\n" * 100)
        for args, name in ((["TLVC", "MY"], "MY.CFG"), (["r", "TLVC.EXE", "OUT.TXT"], "OUT.TXT")):
            with self.subTest(args=args):
                result = self.cfg(*args)
                self.assertEqual((result.status, result.out), (0, b""))
                self.assertLines(result.err, [b"Complete reading configuration."])
                self.assertLines((self.tmp / name).read_bytes(), [HEADER] + SHIPPED_LINES)

    def test_a_point_in_a_directory_name_still_gets_the_extension(self):
        (self.tmp / "A.B").mkdir()
        shutil.copyfile(TLVC, self.tmp / "A.B" / "TLVC.EXE")
        result = self.cfg("A.B\\TLVC")
        self.assertEqual(result.status, 0, result)
        self.assertLines(result.out, SHIPPED_LINES)

    def test_an_empty_message_cannot_be_read_and_the_lines_before_it_stay(self):
        self.apply([b'EnglishNotFound=""'])
        result = self.cfg("TLVC", "MY")
        self.assertEqual(result.status, 1)
        self.assertRegex(result.err, rb"\AError Code : \d+\r\n\Z")
        self.assertLines((self.tmp / "MY.CFG").read_bytes(), [HEADER] + SHIPPED_LINES[:6])

    def test_started_by_its_bare_name_along_the_path(self):
        env = harness.wine_env(lang="ja_JP.UTF-8", extra={"WINEPATH": winpath(CFGTLVC.parent)})
        result = run_line("CFGTLVC TLVC", cwd=self.tmp, env=env)
        self.assertEqual((result.status, result.err), (0, b""))
        self.assertLines(result.out, SHIPPED_LINES)


class Refusals(ConfiguratorCase):
    def assertRefused(self, result, status, lines):
        self.assertEqual((result.status, result.out), (status, b""), result)
        self.assertLines(result.err, lines)
        self.assertEqual(self.exe.read_bytes(), self.shipped)

    def test_messages_and_statuses(self):
        path = winpath(self.tmp)
        self.write_config([b'EnglishPause="x"'], "MY.CFG")
        cases = [
            (["W", "TLVC"], 1, None),
            (["NOPE"], 1, [b"%s\\NOPE.EXE is not found." % path.encode()]),
            (["W", "TLVC", "NONE"], 1, [b"Cannot open file : %s\\NONE.CFG" % path.encode(), b"Error Code : 2"]),
            (["TLVC", "NODIR\\MY"], 1, [b"Cannot open file : %s\\NODIR\\MY.CFG" % path.encode()]),
            # the executable itself as the configuration file is never emptied
            (["TLVC", "TLVC.EXE"], 1, [b"Cannot open file : %s\\TLVC.EXE" % path.encode()]),
            (["R", "TLVC.EXE", "tlvc.exe"], 1, [b"Cannot open file : %s\\tlvc.exe" % path.encode()]),
        ]
        for args, status, lines in cases:
            with self.subTest(args=args):
                result = self.cfg(*args)
                if lines is None:
                    self.assertEqual((result.status, result.out, result.err),
                                     (1, b"", b"Configuration file is not specified."))
                else:
                    self.assertRefused(result, status, lines)

    def test_another_version_is_refused_in_the_mode_given_before_it(self):
        data = bytearray(self.shipped)
        at = fixed_file_info(data)
        struct.pack_into("<I", data, at + 8, 0x00010001)  # 1.01
        self.exe.write_bytes(data)
        self.shipped = bytes(data)
        self.write_config([b'EnglishPause="x"'], "MY.CFG")
        read = [b"Cannot read configration from version 1.01 file."]
        write = [b"Cannot write configration to version 1.01 file."]
        for args, lines in ((["TLVC"], read), (["W", "TLVC", "MY"], write), (["TLVC", "MY", "W"], read),
                            (["w", "R", "TLVC", "MY", "w"], read)):
            with self.subTest(args=args):
                self.assertRefused(self.cfg(*args), 2, lines)

    def test_only_major_and_minor_count(self):
        data = bytearray(self.shipped)
        struct.pack_into("<I", data, fixed_file_info(data) + 12, 0x00070063)  # 1.0.7.99
        self.exe.write_bytes(data)
        result = self.cfg("TLVC")
        self.assertEqual(result.status, 0, result)
        self.assertLines(result.out, SHIPPED_LINES)

    def test_no_version_resource(self):
        data = bytearray(self.shipped)
        image = PeImage(data)
        named, ids = struct.unpack_from("<HH", data, image.resource_base + 12)
        for i in range(named + ids):
            entry = image.resource_base + 16 + 8 * i
            if struct.unpack_from("<I", data, entry)[0] == 16:
                struct.pack_into("<I", data, entry, 17)
        self.exe.write_bytes(data)
        self.shipped = bytes(data)
        result = self.cfg("TLVC")
        self.assertEqual((result.status, result.out), (1, b""))
        self.assertRegex(result.err, rb"\AError Code : \d+\r\n\Z")

    def test_an_executable_without_a_message_table_is_left_untouched(self):
        # CFGTLVC.EXE carries the same version and no string table at all;
        # the copy of TLVC.EXE has its string type renamed.
        other = self.tmp / "OTHER.EXE"
        shutil.copyfile(CFGTLVC, other)
        data = bytearray(self.shipped)
        image = PeImage(data)
        struct.pack_into("<I", data, image.resource_base + 16, 7)
        self.exe.write_bytes(data)
        self.shipped = bytes(data)
        self.write_config([b'EnglishPause="x"'], "MY.CFG")
        for name in ("OTHER", "TLVC"):
            with self.subTest(name=name):
                before = (self.tmp / (name + ".EXE")).read_bytes()
                result = self.cfg("W", name, "MY")
                self.assertEqual((result.status, result.out), (1, b""))
                self.assertLines(result.err, [b"No message table is found in %s\\%s.EXE." %
                                              (winpath(self.tmp).encode(), name.encode())])
                self.assertEqual((self.tmp / (name + ".EXE")).read_bytes(), before)


class ModeW(ConfiguratorCase):
    def test_the_exported_configuration_writes_back_byte_for_byte(self):
        exported = self.cfg("TLVC", "MY")
        self.assertEqual((exported.status, exported.out), (0, b""), exported)
        for args in (["w", "TLVC.EXE", "MY.CFG"], ["TLVC.EXE", "MY.CFG", "W"]):
            with self.subTest(args=args):
                result = self.cfg(*args)
                self.assertEqual((result.status, result.out), (0, b""))
                self.assertLines(result.err, [b"Complete writing configuration."])
                self.assertEqual(self.exe.read_bytes(), self.shipped)

    def test_an_english_system_round_trip_keeps_the_japanese_texts(self):
        english = harness.wine_env(lang="C.UTF-8")
        self.assertLines(self.cfg("TLVC", "MY", env=english).err, [
            key + b" cannot be written in this code page." for key in
            (b"JananeseFound", b"JananeseNotFound", b"JananesePause", b"JapaneseQuery")]
            + [b"Complete reading configuration."])
        lines = (self.tmp / "MY.CFG").read_bytes().split(b"\r\n")[:-1]
        self.assertIn(b'JananesePause="?????????..."', lines)
        self.apply(lines, env=english)
        self.assertEqual(self.exe.read_bytes(), self.shipped)
        self.apply([b'DefaultOption="/O"'] + lines[2:], env=english)  # the user's only edit
        self.assertTable(self.shipped_texts(DefaultOption="/O"))

    def test_edited_messages_load_and_every_other_one_as_before(self):
        edits = [
            ([b'EnglishPause="Press key"'], {"EnglishPause": "Press key"}),
            ([b'EnglishFound="$N$C10 files and $S19 bytes were found in the search!"'],
             {"EnglishFound": "\n$C10 files and $S19 bytes were found in the search!"}),
            ([b'  englishfound = "$n$c10/$s19" behind'], {"EnglishFound": "\n$C10/$S19"}),
            ([b'EnglishFinish="Done $5, $$5, 100$$ $"', b"EnglishWait=\"Wait\""],
             {"EnglishFinish": "Done 5, $5, 100$ ", "EnglishWait": "Wait"}),
            (['JananesePause="はい"'.encode("cp932")], {"JananesePause": "はい"}),
            ([b'EnglishFound=""', b'EnglishQuery="' + b"q" * 79 + b'"'],
             {"EnglishFound": "", "EnglishQuery": "q" * 79}),
            ([b'EnglishFound="$N$C10 files  $S19 bytes found!"'], {"EnglishFound": "\n$C10 files  $S19 bytes found!"}),
        ]
        texts = self.shipped_texts()
        for lines, changes in edits:
            with self.subTest(lines=lines):
                result = self.apply(lines)
                self.assertLines(result.err, [b"Complete writing configuration."])
                for key, text in changes.items():
                    texts[next(i for i, k, _t in SHIPPED if k == key)] = text
                self.assertTable(texts)

    def test_default_options_are_stored_as_the_finder_reads_them(self):
        for value, stored in ((b"-u /Jfoo /S:100-200 junk /Zdata", "-u /J /S:100-200 /Zdata"),
                              (b"/!J /O", "/O")):
            with self.subTest(value=value):
                result = self.apply([b'DefaultOption="' + value + b'"'])
                self.assertLines(result.err, [b"Complete writing configuration."])
                self.assertTable(self.shipped_texts(DefaultOption=stored))
        result = self.apply([b'DefaultOption="/O /Q"'], status=1)
        self.assertLines(result.err, [b"Invalid option character. : Q"])
        self.assertTable(self.shipped_texts(DefaultOption="/O"))

    def test_refused_values_name_their_key_and_leave_their_slot(self):
        lines = [
            'EnglishPause="一時停止"'.encode("cp932"),
            b"EnglishWait=\"caf\xe9\"",
            b'EnglishQuery="' + b"q" * 80 + b'"',
            'JapaneseQuery="'.encode("cp932") + "あ".encode("cp932") * 80 + b'"',
            b'EnglishNotFound="Nothing."',
        ]
        result = self.apply(lines, status=1)
        self.assertLines(result.err, [
            b"EnglishPause includes not ascii code.",
            b"EnglishWait includes not ascii code.",
            b"EnglishQuery is longer than 79 characters.",
            b"JapaneseQuery is longer than 79 characters.",
        ])
        self.assertTable(self.shipped_texts(EnglishNotFound="Nothing."))

    def test_writing_twice_gives_what_writing_once_gives(self):
        lines = [HEADER, b'EnglishFound="$N$C10 found"', b'EnglishPause="Wait"', b"; a comment",
                 b'JananeseFound="' + "見つかった".encode("cp932") + b'"', b'EnglishPause="Later wins"']
        self.apply(lines)
        once = self.exe.read_bytes()
        self.apply(lines)
        self.assertEqual(self.exe.read_bytes(), once)
        self.assertTable(self.shipped_texts(EnglishFound="\n$C10 found", EnglishPause="Later wins",
                                            JananeseFound="見つかった"))

    def test_any_name_and_paths_past_260_characters_in_both_modes(self):
        # A folder the ANSI code page holds (in 932 with a second byte 0x5C),
        # one it cannot hold, and below it, past 260 characters, CFGTLVC,
        # TLVC.EXE and the configuration files.
        for folder, ansi, env, codec in (("日本😀", "é", harness.wine_env(lang="C.UTF-8"), "cp1252"),
                                         ("한국😀", "表", JAPANESE, "cp932")):
            with self.subTest(folder=folder):
                long = ansi * 40 + "\\" + folder + "\\" + "d" * 200 + "\\"
                deep = self.tmp / (ansi * 40) / folder / ("d" * 200)
                deep.mkdir(parents=True)
                self.assertGreater(len(winpath(deep / "TLVC.EXE")), 260)
                shutil.copyfile(TLVC, deep / "TLVC.EXE")
                shutil.copyfile(CFGTLVC, deep / "CFGTLVC.EXE")
                (deep / "EDIT.CFG").write_bytes(b'EnglishPause="Press key"\r\n')
                cfg = lambda *args: run(deep / "CFGTLVC.EXE", *args, cwd=self.tmp, env=env)
                result = cfg(long + "TLVC", long + "MY")
                self.assertEqual(result.status, 0, result)
                self.assertTrue(result.err.endswith(b"Complete reading configuration.\r\n"), result)
                self.assertEqual((deep / "MY.CFG").read_bytes().split(b"\r\n")[:2],
                                 [HEADER, SHIPPED_LINES[0]])
                result = cfg("W", long + "TLVC", long + "EDIT")
                self.assertEqual((result.status, result.err), (0, b"Complete writing configuration.\r\n"))
                self.assertIn(b'EnglishPause="Press key"', cfg(long + "TLVC").out.split(b"\r\n"))
                self.assertLines(cfg("W", long + "TLVC", ansi * 40 + "\\NONE").err, [
                    ("Cannot open file : %s\\%s\\NONE.CFG" % (winpath(self.tmp), ansi * 40)).encode(codec),
                    b"Error Code : 2"])

    def test_a_file_with_the_header_only_changes_nothing(self):
        result = self.apply([HEADER])
        self.assertLines(result.err, [b"Complete writing configuration."])
        self.assertEqual(self.exe.read_bytes(), self.shipped)


class ThroughTlvc(ConfiguratorCase):
    """What TLVC itself shows after an edit."""

    def setUp(self):
        super().setUp()
        self.found = self.tmp / "found"
        self.found.mkdir()
        for i in range(10):
            (self.found / ("F%02d.TXT" % i)).write_bytes(b"ab")

    def tlvc(self, *args):
        return run(self.exe, *args, cwd=self.found)

    def test_the_found_text_changes_the_summary_and_every_other_message_still_loads(self):
        for value, summary in ((b"$N$C10 files and $S19 bytes were found in the search!",
                                b"        10 files and                  20 bytes were found in the search!"),
                               (b"$N$C10/$S19", b"        10/                 20")):
            with self.subTest(value=value):
                self.apply([b'EnglishFound="' + value + b'"'])
                result = self.tlvc("*.TXT", "/F1", "/-U")
                self.assertEqual(result.status, 0, result)
                self.assertEqual(result.out.split(b"\r\n")[-3:], [b"", summary, b""])
                result = self.tlvc("*.zzz")
                self.assertEqual(result.status, 1)
                self.assertLines(result.out, [b"Cannot find files..."])
                self.assertEqual(result.err, b"Please wait a moment...\r" + b" " * 79 + b"\rFinished.")

    def test_the_pause_text_is_what_tlvc_shows(self):
        self.apply([b'EnglishPause="Press key"'])
        status, raw = run_pty([self.exe, "F0*.TXT", "/P", "/-U"], rows=8, cwd=self.found,
                              keys=[(b"Press key", b"x")])
        self.assertEqual(status, 0)
        files = [winpath(self.found / ("F%02d.TXT" % i)).encode() for i in range(10)]
        self.assertEqual(terminal_text(raw).replace(b"\r\r\n", b"\r\n"),
                         b"".join(line + b"\r\n" for line in files[:6] + [b"Press key"] + files[6:]))


if __name__ == "__main__":
    import unittest
    unittest.main()
