#include "finder/listing/command_query.h"

QueryAnswer ClassifyQueryKey(char key) {
  switch (key) {
    case 13:
    case 'E':
    case 'e':
      return QueryAnswer::Run;
    case 32:
    case 'S':
    case 's':
      return QueryAnswer::Skip;
    case 27:
    case 'C':
    case 'c':
      return QueryAnswer::Cancel;
    default:
      return QueryAnswer::Ignore;
  }
}

std::size_t CommandDirectoryEnd(std::string_view path, std::size_t backslash) {
  if (backslash == 2 && path.size() > 2 && path[1] == ':') return backslash + 1;
  return backslash;
}
