// Buffered text output. Both programs write their standard output and
// standard error through one of these each, so that a listing of many lines
// costs few system calls; Flush() is called before a key is read, before a
// child process starts and at exit, which keeps the order on a console.
//
// Like the C runtime's text mode, a line feed goes out as CR LF when
// `crlf` is set. A writer made with `follows` is flushed after every call and
// flushes that other writer first: standard error follows standard output,
// so a message never overtakes the listing lines written before it.
//
// Once the sink has failed, the writer drops whatever it is given and never
// calls the sink again: a reader that has gone stays gone, and the caller asks
// failed() when it is time to stop.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string_view>

class TextWriter {
 public:
  // Receives the bytes of a flush; returns false when they could not be written.
  using Sink = bool (*)(void* context, const char* data, std::size_t size);

  TextWriter(Sink sink, void* context, bool crlf, TextWriter* follows = nullptr)
      : sink_(sink), context_(context), crlf_(crlf), follows_(follows) {}
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;
  ~TextWriter() { Flush(); }

  void Write(std::string_view text);
  void Put(char c);
  // printf-style formatting; output of any length is written whole.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void VPrintf(const char* format, va_list args);
  void Flush();
  // True once a flush could not be written; stays true.
  bool failed() const { return failed_; }

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  void Done() {
    if (follows_) Flush();
  }
  void PutRaw(char c) {
    if (used_ == kBufferSize) Flush();
    buffer_[used_++] = c;
  }

  Sink sink_;
  void* context_;
  bool crlf_;
  TextWriter* follows_;
  bool failed_ = false;
  std::size_t used_ = 0;
  char buffer_[kBufferSize];
};
