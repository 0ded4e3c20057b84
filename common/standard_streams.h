// The process's standard output and standard error as buffered writers.
#pragma once

#include "common/text_writer.h"

// They take UTF-8, with bytes of the ANSI code page escaped in it
// (inside_text.h); after UseAnsiText(), made before anything is written, they
// take text of the ANSI code page instead, as the configurator keeps it.
TextWriter& StdOut();
TextWriter& StdErr();
void UseAnsiText();
// Flushes both; call before reading a key, starting a child, and at exit.
void FlushStandardStreams();

// The end of a program's output, the last thing before it exits: flushes
// both streams and returns the exit status. That is `status`, unless a write
// to standard output failed: then it is the system's code, and standard
// error has its "Error Code" line first, except when the pipe's reader has
// gone (ERROR_NO_DATA, ERROR_PIPE_NOT_CONNECTED, ERROR_BROKEN_PIPE), which
// ends the run quietly.
int EndStandardStreams(int status);
