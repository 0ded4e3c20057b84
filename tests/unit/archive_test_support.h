// Helpers shared by the tests of the archive readers: a sink that records
// what a reader lists, byte builders for records, and the committed fixtures.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/inside_text.h"
#include "finder/archive/archive_format.h"
#include "finder/listing/member_lines.h"
#include "finder/records/run_context.h"

namespace archive_test {

using Bytes = std::vector<std::uint8_t>;

// Text as a file in the ANSI code page gets it: escaped bytes as they were
// stored.
inline std::string AsStored(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    bool escaped = false;
    std::size_t end = RunEnd(text, at, escaped);
    if (escaped) {
      char bytes[256];
      for (std::size_t piece = at; piece < end; piece += 3 * sizeof bytes) {
        std::size_t size = end - piece < 3 * sizeof bytes ? end - piece : 3 * sizeof bytes;
        out.append(bytes, UnescapeRun(text.substr(piece, size), bytes));
      }
    } else {
      out.append(text.substr(at, end - at));
    }
    at = end;
  }
  return out;
}

// "|" marks a line counted for paging, "!" a command run; what is written
// and handed to a command is recorded as stored (AsStored).
struct RecordingSink final : MemberSink {
  std::string out;
  void Write(std::string_view text) override { out += AsStored(text); }
  void LineWritten() override { out += "|"; }
  void RunCommand(std::string_view name) override { out += "!" + AsStored(name) + "\n"; }
};

// Counts what a reader lists and forgets it: for runs that only look for
// crashes.
struct DiscardingSink final : MemberSink {
  std::size_t bytes = 0;
  void Write(std::string_view text) override { bytes += text.size(); }
  void LineWritten() override {}
  void RunCommand(std::string_view name) override { bytes += name.size(); }
};

inline void Put8(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
}
inline void Put16(Bytes& out, unsigned value) {
  Put8(out, value & 0xFF);
  Put8(out, value >> 8 & 0xFF);
}
inline void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
inline void PutText(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}
inline void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

// Damage done to a good archive, for the tables of damaged ones: `bytes`
// without its last `count` bytes, and `bytes` with `value` written over the
// `width` bytes at `at`, little-endian.
inline Bytes Cut(Bytes bytes, std::size_t count) {
  bytes.resize(bytes.size() - count);
  return bytes;
}
inline Bytes Patched(Bytes bytes, std::size_t at, std::uint64_t value, int width = 1) {
  for (int i = 0; i < width; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
  return bytes;
}

inline Bytes Fixture(const std::string& name) {
  std::string here = __FILE__;
  std::string path = here.substr(0, here.rfind('/')) + "/../data/" + name;
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The run the readers under test list in.
inline RunContext& TestRun() {
  static const auto run = std::make_unique<RunContext>();
  return *run;
}

// A fresh run: pattern `pattern`, archive `archive`, short form.
inline void ResetSearch(const char* pattern, const char* archive) {
  RunContext& run = TestRun();
  run = RunContext{};
  std::string_view text = pattern;
  text.copy(run.pattern.text, sizeof run.pattern.text - 1);
  text.copy(run.pattern.ansi, sizeof run.pattern.ansi - 1);
  for (std::size_t i = 0; i < text.size() && i + 1 < kPathSize; ++i)
    run.pattern.wide[i] = static_cast<unsigned char>(text[i]);
  std::string_view path = archive;
  path.copy(run.archivePath, sizeof run.archivePath - 1);
}

// Local clocks for the readers' UTC stamps: the UTC calendar standing in for
// the local one, and a zone nine hours east of UTC.
inline bool UtcLocal(std::int64_t seconds, CalendarTime* out) {
  *out = UtcDateTime(seconds);
  return true;
}
inline bool EastLocal(std::int64_t seconds, CalendarTime* out) {
  *out = UtcDateTime(seconds + 9 * 3600);
  return true;
}

// Lists the archive in `source` with the reader of `kind` into `sink`, as
// the program does, in the run under test.
inline void ListMembers(std::string_view kind, ByteSource& source, MemberSink& sink,
                        LocalTimeConverter toLocal = nullptr, OemDecoder fromOem = nullptr,
                        CodePageDecoder fromCodePage = nullptr) {
  const ArchiveFormat& format = *ArchiveFormatNamed(kind);
  MemberListing listing(TestRun(), sink, format.style);
  ListArchiveMembers(format, source, {listing, toLocal, fromOem, fromCodePage});
}

// Code page 932 as far as the tests need it: 日本語 and 表 (second byte
// 0x5C); any other byte is the character of its value.
inline bool Fake932(std::uint32_t codePage, std::string_view bytes, char16_t* out,
                    std::size_t capacity) {
  constexpr std::string_view kSjis = "\x93\xFA\x96\x7B\x8C\xEA\x95\x5C";
  if (codePage != 932 || bytes.size() >= capacity) return false;
  std::size_t units = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::size_t at = kSjis.find(bytes.substr(i, 2));
    const bool pair = bytes.size() - i >= 2 && at % 2 == 0;
    out[units++] =
        pair ? u"\u65E5\u672C\u8A9E\u8868"[at / 2] : static_cast<unsigned char>(bytes[i]);
    i += pair;
  }
  out[units] = u'\0';
  return true;
}

// The long form, as the start-up sets it (attributes and details needed).
inline void UseLongForm() {
  TestRun().options.form = 1;
  TestRun().options.needDetails = true;
}

}  // namespace archive_test
