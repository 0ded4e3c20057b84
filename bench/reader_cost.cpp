// The archive readers' own work per member, without Wine: the archive is
// held in memory and listed through the read-ahead buffer into a text-mode
// writer that drops what it is given, as often as it takes to fill about a
// second of processor time. Prints the processor time per member; the best
// of five such measurements, which a busy machine disturbs least.
//
//   reader_cost zip|lzh|cab ARCHIVE [long]
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>

#include "common/text_writer.h"
#include "finder/archive/buffered_byte_source.h"
#include "finder/archive/cab_reader.h"
#include "finder/archive/lzh_reader.h"
#include "finder/archive/zip_reader.h"
#include "finder/listing/member_lines.h"
#include "finder/records/run_context.h"

namespace {

bool Drop(void*, const char*, std::size_t) {
  return true;
}
TextWriter out(Drop, nullptr, true);

struct DroppingSink final : MemberSink {
  void Write(std::string_view text) override { out.Write(text); }
  void LineWritten() override {}
  void RunCommand(std::string_view) override {}
};

bool UtcClock(std::int64_t seconds, CalendarTime* clock) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm parts;
  if (!gmtime_r(&t, &parts)) return false;
  *clock = {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
  return true;
}

void ListOnce(RunContext& run, std::string_view kind, const std::vector<std::uint8_t>& archive) {
  MemoryByteSource memory(archive.data(), archive.size());
  BufferedByteSource file(memory);
  DroppingSink sink;
  const char* name = kind == "zip" ? "ZIP" : kind == "lzh" ? "LZH" : "CAB";
  const ArchiveFormat& format = *ArchiveFormatNamed(name);
  MemberListing listing(run, sink, format.style);
  ListArchiveMembers(format, file, {listing, UtcClock});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: reader_cost zip|lzh|cab ARCHIVE [long]\n");
    return 2;
  }
  std::string_view kind = argv[1];
  std::ifstream file(argv[2], std::ios::binary);
  std::vector<std::uint8_t> archive((std::istreambuf_iterator<char>(file)), {});
  if (!file.eof() && !file) {
    std::fprintf(stderr, "reader_cost: cannot read %s\n", argv[2]);
    return 1;
  }
  auto context = std::make_unique<RunContext>();
  RunContext& run = *context;
  const char* path = "Z:\\work\\bench-corpus\\archive";
  std::strncpy(run.archivePath, path, sizeof run.archivePath - 1);
  run.pattern.text[0] = '*';
  run.pattern.wide[0] = u'*';
  run.pattern.ansi[0] = '*';
  if (argc > 3 && std::string_view(argv[3]) == "long") {
    run.options.form = 1;
    run.options.needDetails = true;
  }

  ListOnce(run, kind, archive);
  const std::uint64_t members = run.totals.count;
  if (members == 0) {
    std::fprintf(stderr, "reader_cost: no member listed\n");
    return 1;
  }
  // Enough rounds for about a second in all.
  std::clock_t start = std::clock();
  int rounds = 1;
  ListOnce(run, kind, archive);
  const double once = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  if (once > 0) rounds = static_cast<int>(0.2 / once) + 1;

  double best = 0;
  for (int repeat = 0; repeat < 5; ++repeat) {
    start = std::clock();
    for (int i = 0; i < rounds; ++i) ListOnce(run, kind, archive);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    const double perMember = seconds * 1e9 / (static_cast<double>(members) * rounds);
    if (repeat == 0 || perMember < best) best = perMember;
  }
  std::printf("%.0f ns per member (%llu members)\n", best,
              static_cast<unsigned long long>(members));
  return 0;
}
