#include "common/text_writer.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/word_bytes.h"

void TextWriter::Put(char c) {
  if (c == '\n' && crlf_) PutRaw('\r');
  PutRaw(c);
  Done();
}

// A listing writes a line per entry, so this is the hot path of every run.
// Each byte takes at most two places in the buffer (a line feed becomes CR LF
// in text mode), so a piece of half the free room always fits and its loop
// needs no test for a full buffer (nor a block move that stores a few bytes
// more than it keeps: it never reaches past twice the bytes still to come);
// the bytes go through locals, which the compiler keeps in registers where a
// char store would make it reload the members after every byte.
void TextWriter::Write(std::string_view text) {
  const char* next = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    if (kBufferSize - used_ < 2) Flush();
    std::size_t piece = (kBufferSize - used_) / 2;
    if (piece > left) piece = left;
    char* out = buffer_ + used_;
    if (crlf_) {
      const char* const end = next + piece;
#if defined(__SSE2__)
      // Sixteen bytes at a step: moved whole, kept up to the first line feed.
      const __m128i lineFeeds = _mm_set1_epi8('\n');
      while (end - next >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(next));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
        const unsigned marks =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeeds)));
        const std::size_t kept = marks ? static_cast<std::size_t>(std::countr_zero(marks)) : 16;
        out += kept;
        next += kept;
        if (marks) {
          *out++ = '\r';
          *out++ = *next++;
        }
      }
#endif
      while (end - next >= 8) {
        std::uint64_t word;
        std::memcpy(&word, next, 8);
        std::memcpy(out, &word, 8);
        const std::uint64_t marks = WordByteMask(word, '\n');
        const std::size_t kept = marks ? FirstMarkedByte(marks) : 8;
        out += kept;
        next += kept;
        if (marks) {
          *out++ = '\r';
          *out++ = *next++;
        }
      }
      while (next != end) {
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
  if (!failed_ && !sink_(context_, buffer_, used_)) failed_ = true;
  used_ = 0;
}
