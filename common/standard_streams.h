// The process's standard output and standard error as buffered writers.
#pragma once

#include "common/text_writer.h"

TextWriter& StdOut();
TextWriter& StdErr();
// Flushes both; call before reading a key, starting a child, and at exit.
void FlushStandardStreams();
