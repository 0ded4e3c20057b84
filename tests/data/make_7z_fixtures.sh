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
