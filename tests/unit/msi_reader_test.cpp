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

TEST(MsiReader, ListsThePackage) {
  const Bytes package = Fixture("package.msi");
  std::cout << List(package) << List(package, "*", false, true) << List(package, "*.txt", false);
}

}  // namespace
