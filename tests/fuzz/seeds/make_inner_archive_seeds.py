#!/usr/bin/env python3
"""Writes the seeds of the inner-archive fuzzer: archives holding stored
archives (a jar of jars, a tar of a tar and a ZIP, a ZIP of a tar), each
followed by the fuzzer's two steering bytes (outer kind, then settings)."""
import io
import os
import tarfile
import zipfile

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "inner_archive")
STAMP = (2021, 3, 4, 9, 8, 6)


def zip_of(members):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        for name, data, method in members:
            info = zipfile.ZipInfo(name, STAMP)
            info.compress_type = method
            archive.writestr(info, data)
    return out.getvalue()


def tar_of(members):
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w", format=tarfile.USTAR_FORMAT) as archive:
        for name, data in members:
            info = tarfile.TarInfo(name)
            info.size, info.mtime = len(data), 1614848886
            archive.addfile(info, io.BytesIO(data))
    # Without the padding to whole records: two zero blocks end it.
    data = out.getvalue().rstrip(b"\0")
    return data + bytes(-len(data) % 512 + 1024)


stored, deflated = zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED
deepest = zip_of([("C.txt", b"c", stored)])
inner = zip_of([("B.class", b"b", stored), ("deeper.zip", deepest, stored)])
seeds = {
    "fat-jar": zip_of([("BOOT-INF/classes/A.class", b"a", stored),
                       ("BOOT-INF/lib/inner.jar", inner, stored),
                       ("BOOT-INF/lib/packed.jar", inner, deflated)]) + bytes([2 * 6, 0]),
    "tar-of-tar": tar_of([("dir/inner.tar", tar_of([("IN.TXT", b"in")])),
                          ("lib.zip", inner)]) + bytes([1 + 6, 8]),
    "zip-of-tar": zip_of([("x/in.tar", tar_of([("T.TXT", b"t")]), stored)]) + bytes([0, 1]),
}
for name, data in seeds.items():
    with open(os.path.join(here, name), "wb") as seed:
        seed.write(data)
