// The usage text of TLVC, English and Japanese: every option in letter
// order, the archive kinds' lines taken from their table.
#pragma once

#include <string>

std::string UsageText(bool japanese);
