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

std::vector<std::string_view> SplitArchiveNames(std::string_view patterns) {
  std::vector<std::string_view> names;
  for (std::size_t at = 0; at <= patterns.size();) {
    std::size_t end = patterns.find(kArchiveNameBreak, at);
    if (end == std::string_view::npos) end = patterns.size();
    names.push_back(patterns.substr(at, end - at));
    at = end + 1;
  }
  return names;
}

ArchiveNames::Name ArchiveNames::Classify(std::string_view pattern) {
  if (pattern == "*" || pattern == "*.*") return {Form::Every, {}};
  if (pattern.starts_with('*') && IsPlainName(pattern.substr(1)))
    return {Form::Tail, pattern.substr(1)};
  if (IsPlainName(pattern)) return {Form::Exact, pattern};
  return {};
}

ArchiveNames::ArchiveNames(std::string_view patterns) {
  for (std::string_view pattern : SplitArchiveNames(patterns)) {
    names_.push_back(Classify(pattern));
    decided_ = decided_ && names_.back().form != Form::System;
  }
}

bool ArchiveNames::Matches(const Name& pattern, std::string_view name) {
  switch (pattern.form) {
    case Form::Every:
      return true;
    case Form::Exact:
      return MatchFromEnd(name, pattern.text) == name.size();
    case Form::Tail:
      return MatchFromEnd(name, pattern.text) != std::string_view::npos;
    case Form::System:
      break;
  }
  return false;
}

bool ArchiveNames::Match(const FileEntry& entry) const {
  for (const Name& pattern : names_)
    if (Matches(pattern, entry.name) ||
        (entry.shortName[0] != '\0' && Matches(pattern, entry.shortName)))
      return true;
  return false;
}
