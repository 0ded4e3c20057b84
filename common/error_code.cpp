#include "common/error_code.h"

#include "common/text_writer.h"

void WriteErrorCode(TextWriter& out, unsigned long code) {
  out.Printf("Error Code : %lu\n", code);
}
