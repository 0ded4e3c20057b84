"""Reads the resource directory of a PE file: enough to find the string
table blocks of TLVC.EXE, check their layout and move block 2 in place.
Used by the build (fix_string_table.py) and by the tests."""
import struct

RT_STRING = 6
RT_VERSION = 16


class PeError(Exception):
    pass


class DataEntry:
    """One resource data entry: where its descriptor is and what it says."""

    def __init__(self, image, entry_offset):
        self.entry_offset = entry_offset
        self.rva, self.size = struct.unpack_from("<II", image.data, entry_offset)
        self.file_offset = image.rva_to_offset(self.rva)

    def bytes(self, image):
        return bytes(image.data[self.file_offset:self.file_offset + self.size])


class PeImage:
    def __init__(self, data):
        self.data = bytearray(data)
        if self.data[:2] != b"MZ":
            raise PeError("no MS-DOS header")
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        sections, = struct.unpack_from("<H", self.data, pe + 6)
        optional_size, = struct.unpack_from("<H", self.data, pe + 20)
        optional = pe + 24
        magic, = struct.unpack_from("<H", self.data, optional)
        directories = optional + (112 if magic == 0x20B else 96)
        self.resource_rva, self.resource_size = struct.unpack_from("<II", self.data, directories + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", self.data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0"), vaddr, max(vsize, rawsize), rawptr, rawsize))
        if not self.resource_rva:
            raise PeError("no resource directory")
        self.resource_base = self.rva_to_offset(self.resource_rva)

    def rva_to_offset(self, rva):
        for _name, vaddr, _vsize, rawptr, rawsize in self.sections:
            if vaddr <= rva < vaddr + rawsize:
                return rawptr + (rva - vaddr)
        raise PeError("RVA 0x%x outside every section" % rva)

    def _directory(self, offset):
        """Entries (id or name offset, is_directory, target offset) of one directory."""
        named, ids = struct.unpack_from("<HH", self.data, offset + 12)
        result = []
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", self.data, offset + 16 + 8 * i)
            result.append((name, bool(target & 0x80000000), self.resource_base + (target & 0x7FFFFFFF)))
        return result

    def resources(self, type_id):
        """{name id: {language: DataEntry}} of one type, in directory order."""
        for found_type, is_dir, target in self._directory(self.resource_base):
            if found_type == type_id and is_dir:
                named = {}
                for name, name_is_dir, languages in self._directory(target):
                    if not name_is_dir:
                        raise PeError("resource without language directory")
                    named[name] = {lang: DataEntry(self, entry)
                                   for lang, _d, entry in self._directory(languages)}
                return named
        raise PeError("no resource of type %d" % type_id)

    def string_blocks(self):
        """{block number: {language: DataEntry}} in the order the directory lists them."""
        return self.resources(RT_STRING)

    def file_version(self):
        """The file version of the version resource as (major, minor, build, revision)."""
        entry = next(iter(next(iter(self.resources(RT_VERSION).values())).values()))
        raw = entry.bytes(self)
        at = raw.find(struct.pack("<I", 0xFEEF04BD))
        if at < 0:
            raise PeError("no fixed file information")
        ms, ls = struct.unpack_from("<II", raw, at + 8)
        return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def decode_block(raw):
    """The 16 counted UTF-16 strings of one block, as (length word, text)."""
    strings, pos = [], 0
    for _ in range(16):
        length, = struct.unpack_from("<H", raw, pos)
        pos += 2
        strings.append(raw[pos:pos + 2 * length].decode("utf-16-le"))
        pos += 2 * length
    if pos != len(raw):
        raise PeError("block holds %d bytes behind its 16 strings" % (len(raw) - pos))
    return strings
