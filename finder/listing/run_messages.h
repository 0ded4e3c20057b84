// The messages of TLVC's run flow, whole, ending in "\n", English or
// Japanese.
#pragma once

#include <string_view>

// /E with a wildcard in the name: the lookup takes one exact name.
std::string_view StarInNameMessage(bool japanese);
std::string_view QuestionMarkInNameMessage(bool japanese);
// A \\computer path that names no shared directory.
std::string_view ShareNotSpecifiedMessage(bool japanese);
