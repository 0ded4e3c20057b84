#!/usr/bin/env python3
"""Moves string block 2 of TLVC.EXE directly behind block 1, in place.

The linker puts each resource on an 8-byte boundary, which leaves a gap of
padding between block 1 (1212 bytes) and block 2. The configurator walks the
message table across both blocks as one run of counted strings, so the gap
must go: block 2's data moves back over it and its data entry is updated.
Nothing else in the file changes; the size stays the same."""
import struct
import sys

from pe_resources import PeImage, PeError

JAPANESE = 1041
BLOCK_SIZES = {1: 1212, 2: 932}


def main(path):
    with open(path, "rb") as f:
        image = PeImage(f.read())
    blocks = image.string_blocks()
    if list(blocks)[:2] != [1, 2] or any(JAPANESE not in blocks[b] for b in (1, 2)):
        raise PeError("expected string blocks 1 and 2 in language 1041, found %r" % blocks)
    first, second = blocks[1][JAPANESE], blocks[2][JAPANESE]
    for number, entry in ((1, first), (2, second)):
        if entry.size != BLOCK_SIZES[number]:
            raise PeError("string block %d holds %d bytes, not %d" % (number, entry.size, BLOCK_SIZES[number]))
    wanted = first.rva + first.size
    gap = second.rva - wanted
    if gap < 0 or gap >= 8 or any(image.data[first.file_offset + first.size:second.file_offset]):
        raise PeError("unexpected bytes between the string blocks (gap %d)" % gap)
    if gap:
        payload = second.bytes(image)
        start = first.file_offset + first.size
        image.data[start:start + len(payload)] = payload
        image.data[start + len(payload):start + len(payload) + gap] = bytes(gap)
        struct.pack_into("<I", image.data, second.entry_offset, wanted)
        with open(path, "r+b") as f:
            f.write(image.data)


if __name__ == "__main__":
    try:
        main(sys.argv[1])
    except (PeError, OSError, struct.error) as error:
        sys.exit("fix_string_table: %s: %s" % (sys.argv[1], error))
