// Standard output and standard error on the system's handles.
//
// The writers hold text of the ANSI code page. Where it goes decides how it
// is written: a console gets it as UTF-16 through WriteConsoleW, which shows
// every character whatever the console's own code page (written as bytes,
// the console would read them in its OEM code page: "café" became "cafΘ");
// a file or pipe gets the bytes as they are, except when the console the
// program runs in has output code page 65001 (chcp 65001), where what reads
// the output expects UTF-8.
#include <windows.h>

#include "common/error_code.h"
#include "common/handle_sink.h"
#include "common/standard_streams.h"
#include "common/wide_text_win32.h"

namespace {

enum class Target { Unknown, Bytes, Console, Utf8 };

struct StandardSink {
  HandleSink bytes;  // the handle, and the code of a failed write
  Target target = Target::Unknown;
  // A lead byte whose second byte is still in the writer: a flush may fall
  // between the two bytes of a double-byte character.
  char heldLeadByte = 0;
};

// The length of the whole characters at the start of `text`: all of it,
// or all but a last lead byte that lacks its second byte.
std::size_t WholeCharacters(const char* text, std::size_t size) {
  std::size_t i = 0;
  while (i < size) {
    if (!IsDBCSLeadByte(static_cast<BYTE>(text[i]))) {
      ++i;
    } else if (i + 1 == size) {
      return i;
    } else {
      i += 2;
    }
  }
  return size;
}

bool Failed(StandardSink& sink) {
  DWORD code = GetLastError();
  sink.bytes.error = code != 0 ? code : ERROR_WRITE_FAULT;
  return false;
}

// Converts in pieces small enough for the stack; no character is split.
bool WriteConverted(StandardSink& sink, const char* data, std::size_t size) {
  constexpr std::size_t kPiece = 4096;
  char piece[kPiece];
  wchar_t wide[kPiece];
  char utf8[kPiece * 3];
  while (size > 0) {
    std::size_t used = 0;
    if (sink.heldLeadByte) {
      piece[used++] = sink.heldLeadByte;
      sink.heldLeadByte = 0;
    }
    std::size_t take = size < kPiece - used ? size : kPiece - used;
    CopyMemory(piece + used, data, take);
    used += take;
    data += take;
    size -= take;
    std::size_t whole = WholeCharacters(piece, used);
    if (whole < used) sink.heldLeadByte = piece[whole];
    if (whole == 0) continue;
    int units =
        MultiByteToWideChar(kInsideCodePage, 0, piece, static_cast<int>(whole), wide, kPiece);
    if (units <= 0) return Failed(sink);
    if (sink.target == Target::Console) {
      for (const wchar_t* at = wide; units > 0;) {
        DWORD written = 0;
        if (!WriteConsoleW(sink.bytes.handle, at, static_cast<DWORD>(units), &written, nullptr) ||
            written == 0)
          return Failed(sink);
        at += written;
        units -= static_cast<int>(written);
      }
    } else {
      int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof utf8, nullptr, nullptr);
      if (bytes <= 0) return Failed(sink);
      if (!HandleSink::Write(&sink.bytes, utf8, static_cast<std::size_t>(bytes))) return false;
    }
  }
  return true;
}

Target TargetOf(HANDLE handle) {
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) return Target::Console;
  // Without a console, GetConsoleOutputCP gives 0.
  if (GetConsoleOutputCP() == CP_UTF8 && GetACP() != CP_UTF8) return Target::Utf8;
  return Target::Bytes;
}

bool WriteStandard(void* context, const char* data, std::size_t size) {
  auto& sink = *static_cast<StandardSink*>(context);
  HANDLE handle = sink.bytes.handle;
  if (sink.target == Target::Unknown)
    sink.target =
        handle == nullptr || handle == INVALID_HANDLE_VALUE ? Target::Bytes : TargetOf(handle);
  if (sink.target == Target::Bytes) return HandleSink::Write(&sink.bytes, data, size);
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

void FlushStandardStreams() {
  StdOut().Flush();
  StdErr().Flush();
}

int EndStandardStreams(int status) {
  FlushStandardStreams();
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
