#include "common/long_path.h"

namespace {

constexpr std::u16string_view kDrivePrefix = u"\\\\?\\";
constexpr std::u16string_view kSharePrefix = u"\\\\?\\UNC\\";

bool IsDrivePath(std::u16string_view path) {
  return path.size() >= 3 && path[1] == u':' && path[2] == u'\\' &&
         ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

// \\server\share..., but neither \\?\ nor \\.\ (those are device paths).
bool IsSharePath(std::u16string_view path) {
  return path.size() > 2 && path[0] == u'\\' && path[1] == u'\\' && path[2] != u'?' &&
         path[2] != u'.';
}

bool Put(char16_t* out, std::size_t size, std::u16string_view prefix, std::u16string_view rest) {
  if (prefix.size() + rest.size() >= size) return false;
  prefix.copy(out, prefix.size());
  rest.copy(out + prefix.size(), rest.size());
  out[prefix.size() + rest.size()] = u'\0';
  return true;
}

}  // namespace

bool ToSystemPath(std::u16string_view path, char16_t* out, std::size_t size) {
  if (path.size() >= kLongPathUnits) {
    if (IsDrivePath(path)) return Put(out, size, kDrivePrefix, path);
    if (IsSharePath(path)) return Put(out, size, kSharePrefix, path.substr(2));
  }
  return Put(out, size, {}, path);
}

std::u16string_view WithoutLongPathPrefix(char16_t* path, std::size_t length) {
  std::u16string_view text(path, length);
  if (text.starts_with(kSharePrefix)) {
    path[kSharePrefix.size() - 2] = u'\\';
    return text.substr(kSharePrefix.size() - 2);
  }
  if (text.starts_with(kDrivePrefix) && IsDrivePath(text.substr(kDrivePrefix.size())))
    return text.substr(kDrivePrefix.size());
  return text;
}
