#include "common/text_writer.h"

#include <cstdio>
#include <vector>

void TextWriter::Put(char c) {
  if (c == '\n' && crlf_) PutRaw('\r');
  PutRaw(c);
  Done();
}

void TextWriter::Write(std::string_view text) {
  for (char c : text) {
    if (c == '\n' && crlf_) PutRaw('\r');
    PutRaw(c);
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
