"""Random configurations written by CFGTLVC into one copy of TLVC.EXE, round
after round: ASCII and Japanese texts of every allowed length (now and then
one too long, which must be refused and leave its slot), all thirteen keys.
After each round the table reads back as last written, through the resource
directory and through the system's string loader; at the end TLVC itself
shows the English texts it was given.

TLVC_PROPERTY_ROUNDS sets the number of rounds (default 6).
"""
import os
import random

from harness import TLVC, run, wine_env
from test_configurator import SHIPPED, ConfiguratorCase

ROUNDS = int(os.environ.get("TLVC_PROPERTY_ROUNDS", "6"))
KANA = [chr(c) for c in range(0x3041, 0x3094)] + [chr(c) for c in range(0x30A1, 0x30F7)]
KANJI = list("表示能力検索結果一覧実行中止次画面終了確認文字列")
ASCII = [chr(c) for c in range(0x20, 0x7F) if chr(c) != '"']


def random_text(rng, japanese, length):
    pieces = []
    while sum(map(len, pieces)) < length:
        pick = rng.randrange(30)
        if pick == 0:
            pieces.append("$C10")
        elif pick == 1:
            pieces.append("\n")
        elif japanese and pick < 16:
            pieces.append(rng.choice(KANA + KANJI))
        else:
            pieces.append(rng.choice(ASCII))
    return "".join(pieces)[:length]


def config_value(text):
    """The configuration file's form of a text: "$" doubled, line feeds as $N."""
    return text.replace("$", "$$").replace("\n", "$N")


DEFAULT_OPTIONS = ["/J /O /U", "/O /U", "/O", "-u /J /O"]


class RandomConfigurations(ConfiguratorCase):
    def test_random_rounds_load_as_last_written(self):
        seed = int(os.environ.get("TLVC_PROPERTY_SEED", "1208"))
        rng = random.Random(seed)
        texts = self.shipped_texts()
        keys = [(text_id, key) for text_id, key, _text in SHIPPED]
        for round_number in range(ROUNDS):
            lines, messages = [], []
            # Every key in the first round, a random handful after it.
            chosen = keys if round_number == 0 else rng.sample(keys, rng.randint(1, len(keys)))
            for text_id, key in chosen:
                if text_id == 1:
                    text = rng.choice(DEFAULT_OPTIONS)
                else:
                    japanese = text_id < 15
                    length = 80 if rng.randrange(12) == 0 else rng.randint(0, 79)
                    text = random_text(rng, japanese, length)
                    if length == 80:
                        messages.append(b"%s is longer than 79 characters." % key.encode())
                lines.append(('%s="%s"' % (key, config_value(text))).encode("cp932"))
                if len(text) <= 79:
                    texts[text_id] = text
            with self.subTest(round=round_number, seed=seed):
                result = self.apply(lines, status=1 if messages else 0)
                self.assertLines(result.err, messages or [b"Complete writing configuration."])
                self.assertTable(texts)

        # TLVC itself: the found and not-found texts on standard output, the
        # wait and finish texts on standard error.
        (self.tmp / "one.txt").write_bytes(b"12345")
        line = lambda text: text.encode().replace(b"\n", b"\r\n")
        found = run(self.exe, "one.txt", "/F1", "/O", "/-U", cwd=self.tmp, env=wine_env())
        self.assertEqual(found.status, 0, found)
        count_free = texts[15].replace("$C10", " " * 9 + "1")
        if "$" not in count_free:
            self.assertTrue(found.out.endswith(line(count_free) + b"\r\n"), found)
        missing = run(self.exe, "none.zzz", "/O", "/-U", cwd=self.tmp, env=wine_env())
        self.assertEqual((missing.status, missing.out), (1, line(texts[17]) + b"\r\n"), missing)
        wait = line(texts[23]) + b"\r" if texts[23] else b""
        self.assertEqual(missing.err, wait + b" " * 79 + b"\r" + line(texts[25]), missing)


if __name__ == "__main__":
    import unittest
    unittest.main()
