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
#   zip64.zip      zip -fz (ZIP64 forced): the members of plain.zip but docs/,
#                  every size escaped into a ZIP64 block, ZIP64 end records
#   streamed64.zip zip -fz to a pipe: ZIP64 and sizes after the data
#   japanese7z.zip 7zz: 日本語.txt, docs/表示.txt (0x5C in code page 932),
#                  😀.txt (beyond U+FFFF), README.TXT; non-ASCII names UTF-8
#                  flagged (bit 11)
#   japanesepy.zip the same tree by Python's zipfile (bit 11 as well)
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
rm -f plain.zip sevenzip.zip sfx.exe streamed.zip zip64.zip streamed64.zip japanese7z.zip \
  japanesepy.zip
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
(cd "$tree" && zip -X -q -D -fz "$OLDPWD/zip64.zip" README.TXT src/main.c docs/guide.txt RO.TXT big.bin)
(cd "$tree" && zip -X -q -D -fz - README.TXT src/main.c docs/guide.txt) | cat > streamed64.zip

japanese=$work/japanese
mkdir -p "$japanese/docs"
printf 'Nihongo\n' > "$japanese/日本語.txt"
printf 'Hyouji, a longer text\n' > "$japanese/docs/表示.txt"
printf 'smile\n' > "$japanese/😀.txt"
printf 'Read me first.\n' > "$japanese/README.TXT"
touch -d '2021-03-04 09:08:06' "$japanese/日本語.txt" "$japanese/README.TXT"
touch -d '1999-12-31 23:59:58' "$japanese/docs/表示.txt" "$japanese/😀.txt"
jmembers=(日本語.txt docs/表示.txt 😀.txt README.TXT)
(cd "$japanese" && LC_ALL=C.UTF-8 7zz a -tzip -bd -bso0 "$OLDPWD/japanese7z.zip" "${jmembers[@]}")
(cd "$japanese" && python3 - "$OLDPWD/japanesepy.zip" "${jmembers[@]}" <<'EOF'
import os, sys, time, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    for name in sys.argv[2:]:
        info = zipfile.ZipInfo(name, time.gmtime(os.stat(name).st_mtime)[:6])
        info.external_attr = 0x20  # the DOS archive bit, as 7zz writes it
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(name, "rb") as data:
            archive.writestr(info, data.read())
EOF
)
ls -l plain.zip sevenzip.zip sfx.exe streamed.zip zip64.zip streamed64.zip japanese7z.zip japanesepy.zip
