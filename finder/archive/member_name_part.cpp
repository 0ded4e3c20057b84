#include "finder/archive/member_name_part.h"

bool IsShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsWideLeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

LeadByteTest MemberNameLeadByteTest(std::uint32_t codePage) {
  switch (codePage) {
    case 932:
      return IsShiftJisLeadByte;
    case 936:
    case 949:
    case 950:
      return IsWideLeadByte;
    default:
      return nullptr;
  }
}

std::size_t LastSeparator(std::string_view name, char separator, LeadByteTest isLeadByte) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == separator) {
      last = i;
    } else if (isLeadByte && isLeadByte(static_cast<unsigned char>(name[i])) &&
               i + 1 < name.size() && IsSecondByte(static_cast<unsigned char>(name[i + 1]))) {
      ++i;
    }
  }
  return last;
}
