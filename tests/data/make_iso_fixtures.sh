#!/usr/bin/env bash
# Makes the disc-image fixtures of the unit tests with genisoimage and
# xorriso, from a small tree with fixed times. The images are committed; run
# this again only to remake them (the output depends on the tools' versions).
# Every image holds the same tree:
#   README.TXT          2004-05-17 13:45:20 UTC, read-only, 15 bytes
#   hidden.txt          2010-01-02 03:04:06, 2 bytes (hidden where the tool can)
#   docs/guide.txt      1999-12-31 23:59:58, 360 bytes
#   docs/empty.txt      2010-01-02 03:04:06, empty
#   docs/日本語.txt     2021-03-04 09:08:06, 8 bytes
#   docs/deep/er/most.dat  2021-03-04 09:08:06, 5000 bytes
#   l…l.txt             a name of 90 letters and ".txt", 2021-03-04 09:08:06, 1 byte
#
#   joliet.iso  genisoimage -J -R -joliet-long, made at TZ=JST-9 so that the
#               stamps carry an offset of +9 hours; hidden.txt hidden
#   rr.iso      xorriso -as mkisofs -R: Rock Ridge without Joliet
#   udf.iso     genisoimage -udf: UDF 1.02 beside ISO 9660
# Each is cut behind its last used sector and gzipped; the tests unpack them.
set -euo pipefail
cd "$(dirname "$0")"
export LC_ALL=C.UTF-8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/tree
long=$(printf 'l%.0s' {1..90}).txt
mkdir -p "$tree/docs/deep/er"
printf 'Read me first.\n' > "$tree/README.TXT"
printf 'h\n' > "$tree/hidden.txt"
printf 'A guide of some length.\n%.0s' {1..15} > "$tree/docs/guide.txt"
: > "$tree/docs/empty.txt"
printf 'Nihongo\n' > "$tree/docs/日本語.txt"
head -c 5000 /dev/zero | tr '\0' 'm' > "$tree/docs/deep/er/most.dat"
printf 'x' > "$tree/$long"
chmod a-w "$tree/README.TXT"
export TZ=UTC
touch -d '2004-05-17 13:45:20' "$tree/README.TXT"
touch -d '1999-12-31 23:59:58' "$tree/docs/guide.txt"
touch -d '2021-03-04 09:08:06' "$tree/docs/日本語.txt" "$tree/$long" "$tree/docs/deep/er/most.dat"
touch -d '2010-01-02 03:04:06' "$tree/hidden.txt" "$tree/docs/empty.txt" "$tree/docs/deep/er" \
  "$tree/docs/deep" "$tree/docs" "$tree"

TZ=JST-9 genisoimage -quiet -J -R -joliet-long -input-charset utf-8 -hidden hidden.txt \
  -V JOLIET -o "$work/joliet.iso" "$tree"
xorriso -as mkisofs -quiet -R -V ROCKRIDGE -o "$work/rr.iso" "$tree" 2> /dev/null
genisoimage -quiet -udf -input-charset utf-8 -V UDF -o "$work/udf.iso" "$tree"
for image in joliet rr udf; do
  gzip -9n < "$work/$image.iso" > "$image.iso.gz"
done
