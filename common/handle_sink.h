// Output to a file or pipe handle of the system, as the sink of a TextWriter.
#pragma once

#include <cstddef>

struct HandleSink {
  void* handle;             // a HANDLE
  unsigned long error = 0;  // the system's code of the failed write, 0 until one fails

  // The TextWriter sink, with a HandleSink as its context: false, with
  // `error` set, when the handle did not take every byte. A missing handle
  // (null or INVALID_HANDLE_VALUE: a program started without that standard
  // stream) is no failure: nobody is there to miss the bytes.
  static bool Write(void* context, const char* data, std::size_t size);
};
