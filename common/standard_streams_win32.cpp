#include <windows.h>

#include "common/error_code.h"
#include "common/handle_sink.h"
#include "common/standard_streams.h"

namespace {

HandleSink& OutSink() {
  static HandleSink sink{GetStdHandle(STD_OUTPUT_HANDLE)};
  return sink;
}

HandleSink& ErrSink() {
  static HandleSink sink{GetStdHandle(STD_ERROR_HANDLE)};
  return sink;
}

}  // namespace

TextWriter& StdOut() {
  static TextWriter writer(HandleSink::Write, &OutSink(), true);
  return writer;
}

TextWriter& StdErr() {
  static TextWriter writer(HandleSink::Write, &ErrSink(), true, &StdOut());
  return writer;
}

void FlushStandardStreams() {
  StdOut().Flush();
  StdErr().Flush();
}

int EndStandardStreams(int status) {
  FlushStandardStreams();
  if (!StdOut().failed()) return status;
  unsigned long code = OutSink().error;
  // The pipe's reader has gone: Windows says ERROR_NO_DATA, Wine
  // ERROR_PIPE_NOT_CONNECTED, a closed anonymous pipe ERROR_BROKEN_PIPE.
  if (code != ERROR_NO_DATA && code != ERROR_PIPE_NOT_CONNECTED && code != ERROR_BROKEN_PIPE) {
    WriteErrorCode(StdErr(), code);
    StdErr().Flush();
  }
  return static_cast<int>(code);
}
