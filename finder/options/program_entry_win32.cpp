// TLVC: the entry of the file finder.
#include <windows.h>

#include <cstring>

#include "common/standard_streams.h"
#include "finder/messages/message_loader.h"
#include "finder/options/usage_text.h"

namespace {

// The argument text: the command line behind the program name.
const char* ArgumentText(const char* commandLine, const char* programName) {
  std::size_t skip = std::strlen(programName);
  if (commandLine[0] == '"') skip += 2;
  std::size_t length = std::strlen(commandLine);
  return commandLine + (skip < length ? skip : length);
}

bool IsBlank(const char* text) {
  for (; *text; ++text)
    if (*text != ' ' && *text != '\t') return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  char defaultOptions[1024];
  LoadStringId(msg::kDefaultOption, defaultOptions, sizeof defaultOptions);

  const char* arguments = ArgumentText(GetCommandLineA(), argc > 0 ? argv[0] : "");
  int status = 0;
  if (IsBlank(arguments)) StdErr().Write(UsageText(false));
  FlushStandardStreams();
  return status;
}
