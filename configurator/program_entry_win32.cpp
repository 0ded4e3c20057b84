// CFGTLVC: the entry of the configurator.
#include <windows.h>

#include "common/standard_streams.h"
#include "configurator/configurator_usage.h"

int main(int argc, char** /*argv*/) {
  if (argc < 2) {
    StdOut().Write(ConfiguratorUsage());
    FlushStandardStreams();
    return 1;
  }
  FlushStandardStreams();
  return 1;
}
