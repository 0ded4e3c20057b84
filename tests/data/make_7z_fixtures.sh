#!/usr/bin/env bash
# Makes the 7z fixtures of the unit tests with 7zz, from a small tree with
# fixed times. The archives are committed; run this again only to remake them
# (the output depends on the version of 7zz). Every archive holds the same
# tree:
#   README.TXT        2004-05-17 13:45:20 UTC, read-only, 15 bytes
#   docs/             a directory (2010-01-02 03:04:06)
#   docs/guide.txt    1999-12-31 23:59:58, 360 bytes
#   docs/empty.txt    2010-01-02 03:04:06, empty (an empty stream, not a folder)
#   docs/日本語.txt   2021-03-04 09:08:06, 8 bytes
#   docs/empty/       an empty directory
#   l…l.txt           a name of 150 letters and ".txt", 2021-03-04 09:08:06, 1 byte
#
#   solid.7z       defaults: LZMA2, solid, the header LZMA-encoded
#   nonsolid.7z    -ms=off -m0=LZMA: a folder per file
#   plainhdr.7z    -mhc=off: the header stored plain (kHeader)
#   dataenc.7z     -pX: the data encrypted, the header not
#   hdrenc.7z      -pX -mhe=on: the header encrypted as well
set -euo pipefail
cd "$(dirname "$0")"
export TZ=UTC LC_ALL=C.UTF-8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/tree
long=$(printf 'l%.0s' {1..150}).txt
mkdir -p "$tree/docs/empty"
printf 'Read me first.\n' > "$tree/README.TXT"
printf 'A guide of some length.\n%.0s' {1..15} > "$tree/docs/guide.txt"
: > "$tree/docs/empty.txt"
printf 'Nihongo\n' > "$tree/docs/日本語.txt"
printf 'x' > "$tree/$long"
chmod a-w "$tree/README.TXT"
touch -d '2004-05-17 13:45:20' "$tree/README.TXT"
touch -d '1999-12-31 23:59:58' "$tree/docs/guide.txt"
touch -d '2021-03-04 09:08:06' "$tree/docs/日本語.txt" "$tree/$long"
touch -d '2010-01-02 03:04:06' "$tree/docs/empty.txt" "$tree/docs/empty" "$tree/docs"

members=(README.TXT docs "$long")
pack() {
  local out=$1
  shift
  rm -f "$out"
  (cd "$tree" && 7zz a -bd -bso0 "$@" "$OLDPWD/$out" "${members[@]}")
}
pack solid.7z
pack nonsolid.7z -ms=off -m0=LZMA
pack plainhdr.7z -mhc=off
pack dataenc.7z -pX
pack hdrenc.7z -pX -mhe=on
ls -l solid.7z nonsolid.7z plainhdr.7z dataenc.7z hdrenc.7z

# The fuzzer's seeds: a settings byte in front of each archive (short form;
# long form with /W), and plainhdr.7z with its header encoded again through
# the filter chains other archivers use (LZMA2, BCJ + LZMA2, Delta + LZMA).
seeds=../fuzz/seeds/sevenzip_reader
rm -rf "$seeds"
mkdir -p "$seeds"
python3 - "$seeds" solid.7z nonsolid.7z plainhdr.7z dataenc.7z hdrenc.7z <<'PYTHON'
import lzma, struct, sys, zlib
seeds, names = sys.argv[1], sys.argv[2:]
def number(value):
    return bytes([value]) if value < 0x80 else b"\xff" + struct.pack("<Q", value)
def wrap(packed, header):
    tail = struct.pack("<QQI", len(packed), len(header), zlib.crc32(header))
    return b"7z\xbc\xaf\x27\x1c\x00\x04" + struct.pack("<I", zlib.crc32(tail)) + tail + packed + header
def encode(packed, header, chain):
    coded = lzma.compress(header, format=lzma.FORMAT_RAW, filters=[f for f, _, _ in chain])
    out = b"\x17\x06" + number(len(packed)) + b"\x01\x09" + number(len(coded)) + b"\x00\x07\x0b\x01\x00"
    out += number(len(chain))
    for _, coder, properties in chain:
        out += bytes([len(coder) | (0x20 if properties else 0)]) + coder
        out += number(len(properties)) + properties if properties else b""
    for i in range(1, len(chain)):
        out += bytes([i - 1, i])
    out += b"\x0c" + number(len(header)) * len(chain)
    out += b"\x0a\x01" + struct.pack("<I", zlib.crc32(header)) + b"\x00\x00"
    return wrap(packed + coded, out)
for name in names:
    data = open(name, "rb").read()
    open(f"{seeds}/{name}", "wb").write(b"\x00" + data)
    open(f"{seeds}/long-{name}", "wb").write(b"\x03" + data)
data = open("plainhdr.7z", "rb").read()
at = 32 + struct.unpack("<Q", data[12:20])[0]
packed, header = data[32:at], data[at:]
lzma1 = {"id": lzma.FILTER_LZMA1, "preset": 1, "dict_size": 1 << 16}
lzma2 = {"id": lzma.FILTER_LZMA2, "preset": 1, "dict_size": 1 << 16}
chains = {
    "lzma2": [(lzma2, b"\x21", b"\x10")],
    "bcj-lzma2": [({"id": lzma.FILTER_X86}, b"\x03\x03\x01\x03", b""), (lzma2, b"\x21", b"\x10")],
    "delta-lzma": [({"id": lzma.FILTER_DELTA, "dist": 2}, b"\x03", b"\x01"),
                   (lzma1, b"\x03\x01\x01", b"\x5d\x00\x00\x01\x00")],
}
for name, chain in chains.items():
    open(f"{seeds}/{name}.7z", "wb").write(b"\x01" + encode(packed, header, chain))
PYTHON
ls "$seeds"
