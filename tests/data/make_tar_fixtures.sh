#!/usr/bin/env bash
# Makes the tar fixtures of the unit and end-to-end tests with GNU tar and
# the compressors, from a small tree with fixed times. The archives are
# committed; run this again only to remake them. Records of one block (-b1)
# keep them small.
#   gnu.tar       --format=gnu: README.TXT (read-only, 15 bytes, 2004-05-17
#                 13:45:20 UTC), docs/ and docs/guide.txt (360 bytes,
#                 1999-12-31 23:59:58), a name of 150 letters and ".txt" in
#                 docs/ (a GNU long name), a symbolic and a hard link
#   pax.tar       --format=pax: docs/日本語.txt (8 bytes, 2021-03-04
#                 09:08:06.75), README.TXT
#   v7.tar        --format=v7: README.TXT, docs/ and docs/guide.txt
#   sparse.tar    --format=gnu --sparse: holes.bin (1 MiB, two bytes of data)
#   sparsepax.tar --format=pax --sparse --sparse-version=1.0: the same
#   pax.tgz pax.txz pax.tar.zst pax.tbz2   pax.tar compressed
#   multi.tgz     pax.tar in two gzip members, as parallel compressors write
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC LC_ALL=C.UTF-8
cd "$work"

long=$(printf 'l%.0s' {1..150}).txt
mkdir docs
printf 'Read me first.\n' > README.TXT
printf 'A guide of some length.\n%.0s' {1..15} > docs/guide.txt
printf '日本語\n' | head -c 8 > docs/日本語.txt
printf 'x' > "docs/$long"
ln -s README.TXT link.txt
ln docs/guide.txt hard.txt
truncate -s 1M holes.bin
printf 'a' | dd of=holes.bin bs=1 seek=4096 conv=notrunc status=none
printf 'b' | dd of=holes.bin bs=1 seek=700000 conv=notrunc status=none
chmod a-w README.TXT
touch -d '2004-05-17 13:45:20' README.TXT
touch -d '1999-12-31 23:59:58' docs/guide.txt
touch -d '2021-03-04 09:08:06.75' docs/日本語.txt "docs/$long"
touch -h -d '2010-01-02 03:04:06' link.txt
touch -d '2010-01-02 03:04:06' docs holes.bin

common=(-b1 --no-recursion --owner=0 --group=0 --numeric-owner --sort=name)
tar "${common[@]}" --format=gnu -cf "$out/gnu.tar" README.TXT docs/guide.txt "docs/$long" \
  link.txt hard.txt docs
tar "${common[@]}" --format=pax --pax-option=delete=atime,delete=ctime -cf "$out/pax.tar" \
  docs/日本語.txt README.TXT
tar "${common[@]}" --format=v7 -cf "$out/v7.tar" README.TXT docs/guide.txt docs
tar "${common[@]}" --format=gnu --sparse -cf "$out/sparse.tar" holes.bin
tar "${common[@]}" --format=pax --sparse --sparse-version=1.0 \
  --pax-option=delete=atime,delete=ctime -cf "$out/sparsepax.tar" holes.bin

gzip -9n < "$out/pax.tar" > "$out/pax.tgz"
xz -9e < "$out/pax.tar" > "$out/pax.txz"
zstd -q -19 < "$out/pax.tar" > "$out/pax.tar.zst"
bzip2 -9 < "$out/pax.tar" > "$out/pax.tbz2"
head -c 1024 "$out/pax.tar" | gzip -9n > "$out/multi.tgz"
tail -c +1025 "$out/pax.tar" | gzip -9n >> "$out/multi.tgz"
