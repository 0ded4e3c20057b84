#!/usr/bin/env bash
# Makes the installer package of the unit and end-to-end tests, package.msi,
# with wixl from package.wxs and a small tree with fixed times (UTC), its
# files in one cabinet inside the package (data.cab, made by wixl through
# gcab, which keeps the files' stamps). wixl writes neither file attributes
# nor names outside ASCII, and no short names: msibuild sets them after.
#   Fixture\README.TXT                  2004-05-17 13:45:20, 15 bytes, read-only
#   Fixture\hidden.txt                  2010-01-02 03:04:06, 2 bytes, hidden and system
#   Fixture\documents\user guide.txt    1999-12-31 23:59:58, 360 bytes ("GUIDE~1.TXT|...")
#   Fixture\documents\日本語.txt        2021-03-04 09:08:06, 8 bytes
#   Fixture\documents\deep\most.dat     2021-03-04 09:08:06, 6000 bytes
# The folder docs is "DOCUME~1|documents", deep "deep:DEEPSRC|deep source"
# (a target and a source name); the database's code page is 65001.
# The package is committed; run this again only to remake it (the output
# depends on the tools' versions and holds the time it was made).
set -euo pipefail
cd "$(dirname "$0")"
export LC_ALL=C.UTF-8 TZ=UTC

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/tree
mkdir -p "$tree/docs/deep"
printf 'Read me first.\n' > "$tree/README.TXT"
printf 'h\n' > "$tree/hidden.txt"
printf 'A guide of some length.\n%.0s' {1..15} > "$tree/docs/guide.txt"
printf 'Nihongo\n' > "$tree/docs/日本語.txt"
# Bytes that do not compress, so that the cabinet outgrows the mini stream.
python3 -c 'import random, sys; random.seed(5); sys.stdout.buffer.write(random.randbytes(6000))' \
  > "$tree/docs/deep/most.dat"
touch -d '2004-05-17 13:45:20' "$tree/README.TXT"
touch -d '2010-01-02 03:04:06' "$tree/hidden.txt"
touch -d '1999-12-31 23:59:58' "$tree/docs/guide.txt"
touch -d '2021-03-04 09:08:06' "$tree/docs/日本語.txt" "$tree/docs/deep/most.dat"

cp package.wxs "$work/"
(cd "$work" && wixl -o package.msi package.wxs)
printf '\r\n\r\n65001\t_ForceCodepage\r\n' > "$work/_ForceCodepage.idt"
msibuild "$work/package.msi" -i "$work/_ForceCodepage.idt" \
  -q "UPDATE File SET Attributes = 513 WHERE File = 'ReadMe'" \
  -q "UPDATE File SET Attributes = 518 WHERE File = 'Hidden'" \
  -q "UPDATE File SET FileName = 'GUIDE~1.TXT|user guide.txt' WHERE File = 'Guide'" \
  -q "UPDATE File SET FileName = 'NIHONG~1.TXT|日本語.txt' WHERE File = 'Nihongo'" \
  -q "UPDATE Directory SET DefaultDir = 'DOCUME~1|documents' WHERE Directory = 'DOCS'" \
  -q "UPDATE Directory SET DefaultDir = 'deep:DEEPSRC|deep source' WHERE Directory = 'DEEP'"
cp "$work/package.msi" package.msi
