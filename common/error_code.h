// The line both programs report a failed system call with.
#pragma once

class TextWriter;

// Writes "Error Code : <code>" and a line end to `out`.
void WriteErrorCode(TextWriter& out, unsigned long code);
