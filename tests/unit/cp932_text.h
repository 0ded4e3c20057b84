// Japanese expectations of the tests are written in UTF-8 and converted
// here, independently of the escaped code page 932 bytes in the program.
#pragma once

#include <iconv.h>

#include <string>

inline std::string ToCp932(const std::string& utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  std::string out(utf8.size() * 2, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  iconv(converter, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(converter);
  out.resize(out.size() - outLeft);
  return out;
}
