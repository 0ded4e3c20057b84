#!/usr/bin/env bash
# Makes the LHA and Cabinet fixtures of the archive tests with the real tools
# (jlha for header levels 0, 1 and 2, its library for level 3, which its
# command line does not offer; gcab for cabinets). The archives are
# committed; run this again only to remake them. Stamps are fixed and the
# clock is UTC so that the listings in the tests stay the same.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=UTC
cd "$work"

mkdir -p DIR/SUB DOCS
printf 'readme\n' > README.TXT
printf 'hello\n' > DIR/SUB/FILE.TXT
printf 'notes\n' > DOCS/README.TXT
head -c 1234567 /dev/zero > BIG.DAT
printf 'accent\n' > café.txt
touch -d '2021-03-04 09:08:07' README.TXT
touch -d '2019-12-31 23:59:58' DIR/SUB/FILE.TXT
touch -d '2000-01-02 13:14:16' DOCS/README.TXT BIG.DAT
touch -d '2024-07-08 09:10:11' café.txt
touch -d '2018-05-06 07:08:09' DIR/SUB DIR

# LHA: the same members at each header level, directories (method -lhd-)
# among them. Level 0 stores the path in the name; levels 1 and 2 keep it in
# a directory header.
for level in 0 1 2; do
  rm -f "$out/level$level.lzh"
  jlha "a${level}q" "$out/level$level.lzh" README.TXT DIR BIG.DAT >/dev/null
done
rm -f "$out/level3.lzh"
java -cp /usr/share/java/jlha.jar "$out/MakeLevel3Lzh.java" "$out/level3.lzh" README.TXT DIR BIG.DAT

# Cabinet: a member in a folder, one with a non-ASCII name (gcab marks it
# UTF-8), an hour below 10 and a size that needs digit grouping.
rm -f "$out/members.cab"
gcab -cz "$out/members.cab" README.TXT DOCS/README.TXT BIG.DAT café.txt
