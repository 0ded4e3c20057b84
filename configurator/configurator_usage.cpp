#include "configurator/configurator_usage.h"

std::string_view ConfiguratorUsage() {
  return "Configure TLVC  Version 1.00 (C) 2026 The TLVC Developers\n"
         "USAGE : CFGTLVC W [d:][path]TLVC[.EXE] [d:][path]TLVC[.CFG]\n"
         "        CFGTLVC [R] [d:][path]TLVC[.EXE] [[d:][path]TLVC[.CFG]]\n"
         "\n";
}
