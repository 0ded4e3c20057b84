// The installer package reader on the package of make_msi_fixtures.sh and
// damaged copies.
#include "finder/archive/msi_reader.h"

#include <gtest/gtest.h>

#include "archive_test_support.h"

namespace {

using namespace archive_test;

constexpr const char* kArchive = "C:\\T\\A.MSI";

std::string List(const Bytes& package, const char* pattern = "*", bool longForm = true,
                 bool wholePaths = false) {
  ResetSearch(pattern, kArchive);
  if (longForm) UseLongForm();
  TestRun().options.wholeMemberPaths = wholePaths;
  RecordingSink sink;
  MemoryByteSource source(package.data(), package.size());
  ListMembers("MSI", source, sink);
  return sink.out;
}

std::string Lines(std::initializer_list<const char*> names) {
  std::string out;
  for (const char* name : names) out += std::string(kArchive) + " : " + name + "\n";
  return out;
}

// Where package.msi keeps what the damage below is done to (512-byte
// sectors; the mini stream in sectors 13-23, one behind the other).
constexpr std::size_t kFat = 31 * 512;        // its one FAT sector
constexpr std::size_t kDirectory = 26 * 512;  // sectors 25-29
constexpr std::size_t kCabinetEntry = kDirectory + 3 * 128;
constexpr std::size_t kFileEntry = kDirectory + 19 * 128;
constexpr std::size_t kMiniStream = 14 * 512;
constexpr std::size_t kStringPool = kMiniStream + 28 * 64;
constexpr std::size_t kFileTable = kMiniStream + 83 * 64;
constexpr std::size_t kEntryStart = 116, kEntrySize = 120;

// As msiinfo export lists the File table, the stamps as cabextract lists
// the embedded cabinet's.
TEST(MsiReader, ListsThePackage) {
  const Bytes package = Fixture("package.msi");
  EXPECT_EQ(List(package),
            "\nArchive file of C:\\T\\A.MSI\n\n"
            "04/05/17  13:45:20            15 __R_ README.TXT\n"
            "10/01/02  03:04:06             2 SH__ hidden.txt\n"
            "99/12/31  23:59:58           360 ____ user guide.txt\n"
            "21/03/04  09:08:06             8 ____ 日本語.txt\n"
            "21/03/04  09:08:06         6,000 ____ most.dat\n");
  // Folders by their long target names, the root and "." left out; matched
  // by the name alone.
  EXPECT_EQ(
      List(package, "*", false, true),
      Lines({"Fixture\\README.TXT", "Fixture\\hidden.txt", "Fixture\\documents\\user guide.txt",
             "Fixture\\documents\\日本語.txt", "Fixture\\documents\\deep\\most.dat"}));
  EXPECT_EQ(List(package, "m*", false, true), Lines({"Fixture\\documents\\deep\\most.dat"}));
  // Code page 65001: three characters; any other: nine bytes of the ANSI
  // code page.
  EXPECT_EQ(List(package, "???.txt", false), Lines({"日本語.txt"}));
  EXPECT_EQ(List(Patched(package, kStringPool, 1252, 2), "?????????.txt", false),
            Lines({"日本語.txt"}));
}

Bytes Replaced(Bytes bytes, std::string_view from, std::string_view to) {
  const auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
  std::copy(to.begin(), to.end(), at);
  return bytes;
}

// Damage ends the package quietly, after the files listed before it.
TEST(MsiReader, DamagedPackages) {
  const Bytes package = Fixture("package.msi");
  const auto all = Lines({"README.TXT", "hidden.txt", "user guide.txt", "日本語.txt", "most.dat"});
  const struct {
    const char* what;
    Bytes package;
    std::string expected;
  } rows[] = {
      {"cut inside its last sector, the FAT", Cut(package, 1), ""},
      {"only the header", Cut(package, package.size() - 512), ""},
      {"directory chain loops", Patched(package, kFat + 4 * 29, 25, 4), ""},
      {"directory sector past the end", Patched(package, kFat + 4 * 26, 4000, 4), ""},
      {"FAT sector past the end", Patched(package, 76, 0x10000, 4), ""},
      {"cabinet chain loops: its records come first", Patched(package, kFat + 4 * 5, 0, 4), all},
      {"cabinet's first sector past the end: no stamps",
       Patched(package, kCabinetEntry + kEntryStart, 900, 4), all},
      {"string reference beyond the pool", Patched(package, kFileTable + 24, 0xFFFF, 2),
       Lines({"README.TXT", "hidden.txt"})},
      {"File table of a million rows", Patched(package, kFileEntry + kEntrySize, 20000000, 4), ""},
      {"File table of 2 GiB", Patched(package, kFileEntry + kEntrySize, 0x7FFFFFF0, 4), ""},
  };
  for (const auto& row : rows) EXPECT_EQ(List(row.package, "*", false), row.expected) << row.what;
  // A cabinet outside the package: the stamps at the start of the range.
  EXPECT_EQ(List(Replaced(package, "#data.cab", "_data.cab"), "*.dat"),
            "\nArchive file of C:\\T\\A.MSI\n\n"
            "80/01/01  00:00:00         6,000 ____ most.dat\n");
  EXPECT_EQ(List(Patched(package, kCabinetEntry + kEntryStart, 900, 4), "*.dat"),
            List(Replaced(package, "#data.cab", "_data.cab"), "*.dat"));
}

}  // namespace
