#include "common/text_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

void TextWriter::Put(char c) {
  if (c == '\n' && crlf_) PutRaw('\r');
  PutRaw(c);
  Done();
}

namespace {

// Whether one of the eight bytes is a line feed: a byte of `word ^ LF...` is
// zero exactly there, and the classic test finds a zero byte.
bool HasLineFeed(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101, kHighBits = 0x8080808080808080;
  const std::uint64_t x = word ^ (kOnes * '\n');
  return ((x - kOnes) & ~x & kHighBits) != 0;
}

}  // namespace

// A listing writes a line per entry, so this is the hot path of every run.
// Each byte takes at most two places in the buffer (a line feed becomes CR LF
// in text mode), so a piece of half the free room always fits and its loop
// needs no test for a full buffer; the bytes go through locals, which the
// compiler keeps in registers where a char store would make it reload the
// members after every byte.
void TextWriter::Write(std::string_view text) {
  const char* next = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    if (kBufferSize - used_ < 2) Flush();
    std::size_t piece = (kBufferSize - used_) / 2;
    if (piece > left) piece = left;
    char* out = buffer_ + used_;
    if (crlf_) {
      for (const char* end = next + piece; next != end;) {
        // Eight bytes without a line feed go in as one move.
        if (end - next >= 8) {
          std::uint64_t word;
          std::memcpy(&word, next, 8);
          if (!HasLineFeed(word)) {
            std::memcpy(out, &word, 8);
            out += 8;
            next += 8;
            continue;
          }
        }
        if (*next == '\n') *out++ = '\r';
        *out++ = *next++;
      }
    } else {
      std::memcpy(out, next, piece);
      out += piece;
      next += piece;
    }
    used_ = static_cast<std::size_t>(out - buffer_);
    left -= piece;
  }
  Done();
}

void TextWriter::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  VPrintf(format, args);
  va_end(args);
}

void TextWriter::VPrintf(const char* format, va_list args) {
  char small[512];
  va_list again;
  va_copy(again, args);
  int needed = std::vsnprintf(small, sizeof small, format, args);
  if (needed < 0) {
    va_end(again);
    return;
  }
  if (static_cast<std::size_t>(needed) < sizeof small) {
    Write(std::string_view(small, needed));
  } else {
    std::vector<char> large(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(large.data(), large.size(), format, again);
    Write(std::string_view(large.data(), needed));
  }
  va_end(again);
}

void TextWriter::Flush() {
  if (follows_) follows_->Flush();
  if (used_ == 0) return;
  sink_(context_, buffer_, used_);
  used_ = 0;
}
