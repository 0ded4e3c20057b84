#!/usr/bin/env bash
# Makes the ZIP fixtures of the end-to-end tests with the real tools, from a
# small tree with fixed times. The archives are committed; run this again
# only to remake them (the output depends on the versions of zip and 7zz).
#
#   plain.zip      zip -X: README.TXT, src/main.c, docs/guide.txt, docs/ (a
#                  directory entry), RO.TXT (read-only), big.bin (70000 bytes)
#   sevenzip.zip   the same tree by 7zz, which writes DOS attributes
#   sfx.exe        a 3000-byte stub with a stray "PK" in front of plain.zip
#   streamed.zip   zip writing to a pipe: sizes after the data (flag bit 3)
set -euo pipefail
cd "$(dirname "$0")"
export TZ=UTC LC_ALL=C

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/tree
mkdir -p "$tree/src" "$tree/docs"
printf 'Read me first.\n' > "$tree/README.TXT"
printf 'int main(void) { return 0; }\n' > "$tree/src/main.c"
printf 'A guide of some length.\n%.0s' {1..40} > "$tree/docs/guide.txt"
printf 'read only\n' > "$tree/RO.TXT"
head -c 70000 /dev/zero | tr '\0' 'z' > "$tree/big.bin"
chmod a-w "$tree/RO.TXT"
touch -d '2004-05-17 13:45:20' "$tree/README.TXT"
touch -d '1999-12-31 23:59:58' "$tree/src/main.c" "$tree/docs/guide.txt"
touch -d '2010-01-02 03:04:06' "$tree/RO.TXT" "$tree/big.bin" "$tree/src" "$tree/docs"

members=(README.TXT src/main.c docs/ docs/guide.txt RO.TXT big.bin)
rm -f plain.zip sevenzip.zip sfx.exe streamed.zip
(cd "$tree" && zip -X -q -D "$OLDPWD/plain.zip" README.TXT src/main.c docs/guide.txt RO.TXT big.bin &&
  zip -X -q "$OLDPWD/plain.zip" docs/)
(cd "$tree" && 7zz a -tzip -bd -bso0 "$OLDPWD/sevenzip.zip" "${members[@]}")
{
  printf 'MZ'
  head -c 2000 /dev/zero
  printf 'PK not a header'
  head -c 983 /dev/zero
} > "$work/stub"
cat "$work/stub" plain.zip > sfx.exe
(cd "$tree" && zip -X -q -D - README.TXT src/main.c docs/guide.txt) | cat > streamed.zip
ls -l plain.zip sevenzip.zip sfx.exe streamed.zip
