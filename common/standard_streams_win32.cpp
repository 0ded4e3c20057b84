// Standard output and standard error on the system's handles.
//
// The writers hold the program's text: UTF-8, with bytes of the ANSI code
// page escaped in it (common/inside_text.h). Where it goes decides how it is
// written: a console gets it as UTF-16 through WriteConsoleW, which shows
// every character whatever the console's own code page; a file or pipe gets
// it in the ANSI code page, without best fit: a character the code page
// cannot hold becomes "?", never a look-alike that a script would take for
// another, existing name. Escaped bytes go out as they are; except when the
// console the program runs in has output code page 65001 (chcp 65001),
// where what reads the output expects UTF-8.
#include <windows.h>

#include "common/error_code.h"
#include "common/handle_sink.h"
#include "common/inside_text.h"
#include "common/standard_streams.h"
#include "common/wide_text_win32.h"

namespace {

enum class Target { Unknown, Ansi, Console, Utf8 };

// What one flush takes at a time; a TextWriter flushes its buffer whole.
constexpr std::size_t kPiece = 64 * 1024;
// The end of a character a flush cut off: at most an escaped pair of a
// double-byte character or the start of a UTF-8 sequence.
constexpr std::size_t kHeldSize = 2 * kEscapedByteSize;

struct StandardSink {
  HandleSink bytes;  // the handle, and the code of a failed write
  Target target = Target::Unknown;
  char held[kHeldSize] = {};
  std::size_t heldSize = 0;
};

bool Failed(StandardSink& sink) {
  DWORD code = GetLastError();
  sink.bytes.error = code != 0 ? code : ERROR_WRITE_FAULT;
  return false;
}

// Text of the ANSI code page: never longer than the UTF-8 it came from, nor
// an escaped byte longer than its escape.
std::size_t ToAnsi(std::string_view text, char* out, std::size_t size, wchar_t* wide) {
  std::size_t used = 0;
  for (std::size_t at = 0; at < text.size();) {
    bool escaped = false;
    std::size_t end = RunEnd(text, at, escaped);
    std::string_view run = text.substr(at, end - at);
    if (escaped) {
      used += UnescapeRun(run, out + used);
    } else {
      long units = WideFromText(CP_UTF8, run, wide, kPiece + 1);
      long bytes = units < 0 ? -1
                             : ShownTextFromWide(CP_ACP, {wide, static_cast<std::size_t>(units)},
                                                 out + used, size - used + 1);
      // Text that is no UTF-8 at all goes out as it came.
      if (bytes < 0) {
        CopyMemory(out + used, run.data(), run.size());
        bytes = static_cast<long>(run.size());
      }
      used += static_cast<std::size_t>(bytes);
    }
    at = end;
  }
  return used;
}

// Older consoles refuse a call of much more than 16,000 units; a surrogate
// pair stays in one call.
bool WriteConsole(StandardSink& sink, const wchar_t* at, std::size_t units) {
  constexpr std::size_t kConsoleUnits = 8192;
  while (units > 0) {
    std::size_t take = units < kConsoleUnits ? units : kConsoleUnits;
    if (take < units && at[take - 1] >= 0xD800 && at[take - 1] <= 0xDBFF) --take;
    DWORD written = 0;
    if (!WriteConsoleW(sink.bytes.handle, at, static_cast<DWORD>(take), &written, nullptr) ||
        written == 0)
      return Failed(sink);
    at += written;
    units -= written;
  }
  return true;
}

// One piece of whole characters, converted for the target.
bool WritePiece(StandardSink& sink, std::string_view text) {
  static wchar_t wide[kPiece + 1];
  static char converted[kPiece + 1];
  if (sink.target == Target::Ansi) {
    std::size_t size = ToAnsi(text, converted, kPiece, wide);
    return HandleSink::Write(&sink.bytes, converted, size);
  }
  if (sink.target == Target::Utf8 && !HoldsEscapedBytes(text))
    return HandleSink::Write(&sink.bytes, text.data(), text.size());
  long units = WideFromText(CP_UTF8, text, wide, kPiece + 1);
  if (units < 0) return Failed(sink);
  if (sink.target == Target::Console) return WriteConsole(sink, wide, units);
  long bytes =
      TextFromWide(CP_UTF8, {wide, static_cast<std::size_t>(units)}, converted, kPiece + 1);
  if (bytes < 0) return Failed(sink);
  return HandleSink::Write(&sink.bytes, converted, static_cast<std::size_t>(bytes));
}

// Converts in pieces; a character a piece would cut waits for the next one.
bool WriteConverted(StandardSink& sink, const char* data, std::size_t size) {
  static char piece[kPiece];
  // Escaped bytes go out to a file as they are: only the console and UTF-8
  // decode them, and so need both bytes of a double-byte character at once.
  LeadByteTest isLeadByte = sink.target == Target::Ansi ? nullptr : IsAnsiLeadByte;
  if (sink.heldSize == 0 && sink.target == Target::Ansi && IsAsciiText({data, size}))
    return HandleSink::Write(&sink.bytes, data, size);
  while (size > 0) {
    std::size_t used = sink.heldSize;
    CopyMemory(piece, sink.held, used);
    sink.heldSize = 0;
    std::size_t take = size < kPiece - used ? size : kPiece - used;
    CopyMemory(piece + used, data, take);
    used += take;
    data += take;
    size -= take;
    std::size_t whole = WholeCharacters({piece, used}, isLeadByte);
    if (used - whole > kHeldSize) whole = used - kHeldSize;
    sink.heldSize = used - whole;
    CopyMemory(sink.held, piece + whole, sink.heldSize);
    if (whole > 0 && !WritePiece(sink, {piece, whole})) return false;
  }
  return true;
}

Target TargetOf(HANDLE handle) {
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) return Target::Console;
  // Without a console, GetConsoleOutputCP gives 0.
  if (GetConsoleOutputCP() == CP_UTF8) return Target::Utf8;
  return Target::Ansi;
}

bool ansiText = false;

// Text of the ANSI code page goes to a file or pipe as it is, and elsewhere
// as the escaped bytes it is.
bool WriteAnsiText(StandardSink& sink, const char* data, std::size_t size) {
  if (sink.target == Target::Ansi) return HandleSink::Write(&sink.bytes, data, size);
  static char escaped[kPiece];
  constexpr std::size_t kTake = kPiece / kEscapedByteSize;
  for (; size > 0;) {
    std::size_t take = size < kTake ? size : kTake;
    std::size_t length = EscapeCodePageBytes({data, take}, IsAnsiLeadByte, escaped, kPiece);
    if (!WriteConverted(sink, escaped, length)) return false;
    data += take;
    size -= take;
  }
  return true;
}

bool WriteStandard(void* context, const char* data, std::size_t size) {
  auto& sink = *static_cast<StandardSink*>(context);
  HANDLE handle = sink.bytes.handle;
  if (sink.target == Target::Unknown)
    sink.target =
        handle == nullptr || handle == INVALID_HANDLE_VALUE ? Target::Ansi : TargetOf(handle);
  if (ansiText) return WriteAnsiText(sink, data, size);
  return WriteConverted(sink, data, size);
}

StandardSink& OutSink() {
  static StandardSink sink{{GetStdHandle(STD_OUTPUT_HANDLE)}};
  return sink;
}

StandardSink& ErrSink() {
  static StandardSink sink{{GetStdHandle(STD_ERROR_HANDLE)}};
  return sink;
}

}  // namespace

TextWriter& StdOut() {
  static TextWriter writer(WriteStandard, &OutSink(), true);
  return writer;
}

TextWriter& StdErr() {
  static TextWriter writer(WriteStandard, &ErrSink(), true, &StdOut());
  return writer;
}

void UseAnsiText() {
  ansiText = true;
}

void FlushStandardStreams() {
  StdOut().Flush();
  StdErr().Flush();
}

namespace {

// What a last flush left of a character that never came whole.
void WriteHeld(StandardSink& sink) {
  if (sink.heldSize == 0) return;
  HandleSink::Write(&sink.bytes, sink.held, sink.heldSize);
  sink.heldSize = 0;
}

}  // namespace

int EndStandardStreams(int status) {
  FlushStandardStreams();
  WriteHeld(OutSink());
  WriteHeld(ErrSink());
  if (!StdOut().failed()) return status;
  unsigned long code = OutSink().bytes.error;
  // The pipe's reader has gone: Windows says ERROR_NO_DATA, Wine
  // ERROR_PIPE_NOT_CONNECTED, a closed anonymous pipe ERROR_BROKEN_PIPE.
  if (code != ERROR_NO_DATA && code != ERROR_PIPE_NOT_CONNECTED && code != ERROR_BROKEN_PIPE) {
    WriteErrorCode(StdErr(), code);
    StdErr().Flush();
  }
  return static_cast<int>(code);
}
