// The usage text of CFGTLVC.
#pragma once

#include <string_view>

std::string_view ConfiguratorUsage();
