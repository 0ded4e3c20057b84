#include "finder/archive/archive_format.h"

#include <algorithm>
#include <iterator>

#include "finder/archive/cab_reader.h"
#include "finder/archive/cab_reader_records.h"
#include "finder/archive/compressed_tar_reader.h"
#include "finder/archive/iso_reader.h"
#include "finder/archive/lzh_reader.h"
#include "finder/archive/lzh_reader_headers.h"
#include "finder/archive/member_name_part.h"
#include "finder/archive/msi_reader.h"
#include "finder/archive/rar_reader.h"
#include "finder/archive/sevenzip_reader.h"
#include "finder/archive/tar_reader.h"
#include "finder/archive/zip_reader.h"

// Member names: LHA level 0 and 1 in the ANSI code page with "\" between
// folders, levels 2 and 3 with 0xFF and perhaps in UTF-16; ZIP in the ANSI
// code page or, with flag bit 11 or a Unicode path field, in UTF-8, "/" or
// "\" between folders; Cabinet in the ANSI code page or, with attribute bit
// 0x80, in UTF-8, "\" between folders; 7Z in UTF-16, "/" or "\" between
// folders; RAR 5 in UTF-8 with "/", RAR 4 in the ANSI code page, in UTF-8 or
// in a Unicode form of its own, "\" between folders; TAR in UTF-8 or the
// ANSI code page, "/" between folders; MSI in UTF-8 or the ANSI code page by
// the database's code page, folders from its Directory table. Each reader
// holds its own rules.
namespace {

const ArchiveFormat kRows[] = {
    {"LZH",
     'L',
     "*.LZH",
     {kLzhBaseSize, 2, '-', IsLzhMethodId},
     HeaderPlace::Scan,
     0,
     ListLzhMembers,
     {"  /L[:][lhafilename] searches Lha files.\n",
      "  /L[:][lhafilename] LHA 形式のアーカイブファイル内を検索します.\n"},
     ArchiveStyle::Archive},
    {"ZIP",
     'Z',
     "*.ZIP",
     {kZipLocalHeaderSize, 0, 'P', IsZipLocalHeader},
     HeaderPlace::Scan,
     0,
     ListZipMembers,
     {"  /Z[:][zipfilename] searches Zip files.\n",
      "  /Z[:][zipfilename] ZIP 形式のアーカイブファイル内を検索します.\n"},
     ArchiveStyle::Archive,
     // Archives that are ZIP under other names: Office and OpenDocument files,
     // Java, Android, e-books, NuGet, Visual Studio extensions, Python wheels,
     // browser extensions, app packages.
     "*.ZIP|*.JAR|*.WAR|*.EAR|*.APK|*.AAR|*.DOCX|*.XLSX|*.PPTX|*.ODT|*.ODS|*.ODP|*.EPUB|"
     "*.NUPKG|*.VSIX|*.WHL|*.XPI|*.APPX|*.MSIX|*.ZIPX"},
    {"CAB",
     'C',
     "*.CAB",
     {kCabHeaderSize, 0, 'M', IsCabinetHeader},
     HeaderPlace::Scan,
     0,
     ListCabMembers,
     {"  /C[:][cabfilename] searches Cab files.\n",
      "  /C[:][cabfilename] CAB 形式のアーカイブファイル内を検索します.\n"},
     ArchiveStyle::Cabinet},
    {"7Z",
     '\0',
     "*.7Z",
     {kSevenZipSignatureHeaderSize, 0, '7', IsSevenZipSignatureHeader},
     HeaderPlace::Scan,
     0,
     ListSevenZipMembers,
     {"", ""}},
    {"RAR",
     '\0',
     "*.RAR",
     {kRarMarkerSize, 0, 'R', IsRarMarker},
     HeaderPlace::Scan,
     0,
     ListRarMembers,
     {"", ""}},
    {"TAR",
     '\0',
     "*.TAR",
     {kTarBlockSize, 0, 0, IsTarHeader},
     HeaderPlace::Offset,
     0,
     ListTarMembers,
     {"", ""}},
    // Tar inside a compressed stream: on only when named, or with /X:*.
    {"TGZ",
     '\0',
     "*.TGZ",
     {kGzipMagicSize, 0, 0x1F, IsGzipMagic},
     HeaderPlace::Offset,
     0,
     ListGzipTarMembers,
     {"", ""},
     ArchiveStyle::Archive,
     "*.TGZ|*.TAR.GZ",
     true},
    {"TXZ",
     '\0',
     "*.TXZ",
     {kXzMagicSize, 0, 0xFD, IsXzMagic},
     HeaderPlace::Offset,
     0,
     ListXzTarMembers,
     {"", ""},
     ArchiveStyle::Archive,
     "*.TXZ|*.TAR.XZ",
     true},
    {"TZST",
     '\0',
     "*.TZST",
     {kZstdMagicSize, 0, 0x28, IsZstdMagic},
     HeaderPlace::Offset,
     0,
     ListZstdTarMembers,
     {"", ""},
     ArchiveStyle::Archive,
     "*.TZST|*.TAR.ZST",
     true},
    {"TBZ",
     '\0',
     "*.TBZ",
     {kBzip2MagicSize, 0, 'B', IsBzip2Magic},
     HeaderPlace::Offset,
     0,
     ListBzip2TarMembers,
     {"", ""},
     ArchiveStyle::Archive,
     "*.TBZ|*.TBZ2|*.TAR.BZ2",
     true},
    {"ISO",
     '\0',
     "*.ISO",
     // The key byte serves scans only; the descriptor stands at its offset.
     {kIsoDescriptorHeaderSize, 1, 'C', IsIsoDescriptorHeader},
     HeaderPlace::Offset,
     kIsoFirstDescriptor,
     ListIsoMembers,
     {"", ""}},
    // Installer packages, merge modules and patches: a compound file at the
    // start of the file.
    {"MSI",
     '\0',
     "*.MSI",
     {kCompoundHeaderSize, 0, 0xD0, IsCompoundFileHeader},
     HeaderPlace::Offset,
     0,
     ListMsiMembers,
     {"", ""},
     ArchiveStyle::Archive,
     "*.MSI|*.MSM|*.MSP"},
};
static_assert(std::size(kRows) <= kArchiveKindLimit);

}  // namespace

const std::span<const ArchiveFormat> kArchiveFormats(kRows);

const ArchiveFormat* ArchiveFormatNamed(std::string_view name) {
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  for (const ArchiveFormat& format : kArchiveFormats)
    if (std::ranges::equal(format.name, name, {}, {}, upper)) return &format;
  return nullptr;
}

const ArchiveFormat* ArchiveFormatForOption(char letter) {
  // The kinds that only /X names have no letter.
  if (letter == '\0') return nullptr;
  for (const ArchiveFormat& format : kArchiveFormats)
    if (format.option == letter) return &format;
  return nullptr;
}

ArchiveWant& WantOf(SearchOptions& options, const ArchiveFormat& format) {
  return options.archives[static_cast<std::size_t>(&format - kArchiveFormats.data())];
}

const ArchiveWant& WantOf(const SearchOptions& options, const ArchiveFormat& format) {
  return options.archives[static_cast<std::size_t>(&format - kArchiveFormats.data())];
}

ByteNameCodes ByteNameCodesOf(const MemberReading& reading) {
  const SearchOptions& options = reading.listing.options();
  if (options.memberCodePage != 0 && reading.fromCodePage)
    return {MemberNameLeadByteTest(options.memberCodePage), options.memberCodePage,
            reading.fromCodePage};
  return {MemberNameLeadByteTest(options.ansiCodePage)};
}

void ListArchiveMembers(const ArchiveFormat& format, ByteSource& file,
                        const MemberReading& reading) {
  std::uint8_t header[kLargestFirstHeader];
  const HeaderFormat& first = format.firstHeader;
  const std::size_t size = first.size;
  if (size > sizeof header) return;
  if (format.place == HeaderPlace::Offset) {
    if (!SkipTo(file, format.headerOffset) || file.Read(header, size) != size ||
        !first.passes({header, size}))
      return;
  } else if (!FindFirstHeader(file, first, {header, size})) {
    return;
  }
  format.list(file, {header, size}, reading);
}
