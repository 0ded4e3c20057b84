// The usage text of TLVC, English and Japanese (code page 932).
#pragma once

#include <string_view>

std::string_view UsageText(bool japanese);
