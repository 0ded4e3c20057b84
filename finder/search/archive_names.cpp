#include "finder/search/archive_names.h"

#include "finder/records/search_options.h"

namespace {

bool IsPlainCharacter(char c) {
  // Wildcards (the system's *, ? and its DOS forms < > "), separators and
  // anything beyond ASCII, whose case the core does not fold.
  return c >= ' ' && c < 0x7F && c != '*' && c != '?' && c != '<' && c != '>' && c != '"' &&
         c != '\\' && c != '/' && c != ':' && c != '|';
}

bool IsPlainName(std::string_view text) {
  if (text.empty() || text.back() == '.' || text.back() == ' ') return false;
  for (char c : text)
    if (!IsPlainCharacter(c)) return false;
  return true;
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Compares `name` from its end with the upper-case ASCII `text`. The system
// folds with its upper-case table, in which two letters outside ASCII become
// ASCII ones: dotless i (U+0131, C4 B1 in UTF-8) becomes I, long s (U+017F,
// C5 BF) becomes S. Returns how many bytes of `name` matched all of `text`,
// or npos.
std::size_t MatchFromEnd(std::string_view name, std::string_view text) {
  std::size_t at = name.size();
  for (std::size_t t = text.size(); t-- > 0;) {
    const char want = Upper(text[t]);
    if (at == 0) return std::string_view::npos;
    const char c = name[at - 1];
    if (Upper(c) == want) {
      --at;
      continue;
    }
    if (at >= 2 && static_cast<unsigned char>(name[at - 2]) == 0xC4 &&
        static_cast<unsigned char>(c) == 0xB1 && want == 'I') {
      at -= 2;
      continue;
    }
    if (at >= 2 && static_cast<unsigned char>(name[at - 2]) == 0xC5 &&
        static_cast<unsigned char>(c) == 0xBF && want == 'S') {
      at -= 2;
      continue;
    }
    return std::string_view::npos;
  }
  return name.size() - at;
}

}  // namespace

ArchiveNames::ArchiveNames(std::string_view pattern) {
  if (pattern == "*" || pattern == "*.*") {
    form_ = Form::Every;
  } else if (pattern.starts_with('*') && IsPlainName(pattern.substr(1))) {
    form_ = Form::Tail;
    text_ = pattern.substr(1);
  } else if (IsPlainName(pattern)) {
    form_ = Form::Exact;
    text_ = pattern;
  }
}

bool ArchiveNames::Matches(std::string_view name) const {
  switch (form_) {
    case Form::Every:
      return true;
    case Form::Exact:
      return MatchFromEnd(name, text_) == name.size();
    case Form::Tail:
      return MatchFromEnd(name, text_) != std::string_view::npos;
    case Form::System:
      break;
  }
  return false;
}

bool ArchiveNames::Match(const FileEntry& entry) const {
  return Matches(entry.name) || (entry.shortName[0] != '\0' && Matches(entry.shortName));
}
