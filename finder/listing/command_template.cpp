#include "finder/listing/command_template.h"

#include <cctype>

namespace {

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// "C:" when the path begins with a drive letter and a colon; else nothing.
std::string_view Drive(std::string_view path) {
  if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
    return path.substr(0, 2);
  return {};
}

// The directory part without drive and without its last backslash and what
// follows: C:\WORK\SUB\ -> \WORK\SUB, C:\ -> "", \\server\share\dir\ -> \share\dir.
std::string_view PathWithoutDrive(std::string_view path) {
  std::string_view rest;
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    std::size_t next = path.find('\\', 2);
    rest = next == std::string_view::npos ? path : path.substr(next);
  } else {
    rest = path.size() >= 2 ? path.substr(2) : std::string_view();
  }
  std::size_t last = rest.rfind('\\');
  return last == std::string_view::npos ? rest : rest.substr(0, last);
}

std::string_view AfterLastBackslash(std::string_view path) {
  std::size_t last = path.rfind('\\');
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

struct NameParts {
  std::string_view stem;       // $N
  std::string_view extension;  // $E
  bool hasDot;
};

NameParts SplitName(std::string_view name) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {name, {}, false};
  return {name.substr(0, dot), name.substr(dot + 1), true};
}

// Walks the template; `yield(code, piece)` appends what a code yields and
// returns false when the code is not one of this expansion's.
// What one code yields is at most a path, so it is cut only where the
// command would be.
using Piece = BoundedText<kCommandLineSize>;

// False when the command was cut.
template <typename Yield>
bool Expand(std::string_view commandTemplate, bool keepUnknown, CommandLineText& out, Yield yield) {
  out.Clear();
  std::size_t copied = 0;  // template text before this is in `out`
  std::size_t search = 0;  // where to look for the next "$"
  for (;;) {
    std::size_t dollar = commandTemplate.find('$', search);
    if (dollar == std::string_view::npos || dollar + 1 == commandTemplate.size()) {
      // No more codes; a "$" at the very end stays, for members as for files.
      out.Append(commandTemplate.substr(copied));
      return !out.truncated();
    }
    char code = Upper(commandTemplate[dollar + 1]);
    Piece piece;
    bool known = code == '$' ? piece.Append('$') : yield(code, piece);
    if (piece.truncated()) return false;
    if (known || !keepUnknown) {
      out.Append(commandTemplate.substr(copied, dollar - copied));
      out.Append(piece.view());
      copied = dollar + 2;
    }
    search = dollar + 2;
  }
}

}  // namespace

bool ExpandCommandTemplate(std::string_view commandTemplate, const FileTemplateInput& file,
                           bool shortNames, const ShortPathFunction& shortPath,
                           CommandLineText& expanded) {
  LongPathText shortDirectory;
  std::string_view directory = file.directory;
  std::string_view name = file.longName;
  if (shortNames) {
    shortPath(file.directory, shortDirectory);
    if (shortDirectory.truncated()) return false;
    directory = shortDirectory.view();
    if (!file.shortName.empty()) name = file.shortName;
  }
  NameParts parts = SplitName(name);
  return Expand(commandTemplate, true, expanded, [&](char code, Piece& piece) {
    switch (code) {
      case 'D':
        piece.Append(Drive(file.directory));
        return true;
      case 'P':
        piece.Append(PathWithoutDrive(directory));
        return true;
      case 'F':
        piece.Append(directory);
        // A directory path without its trailing backslash (a short form
        // that came back without it) still gets one before the name.
        if (!directory.empty() && directory.back() != '\\') piece.Append('\\');
        piece.Append(name);
        return true;
      case 'N':
        piece.Append(parts.stem);
        return true;
      case 'E':
        piece.Append(parts.extension);
        return true;
      default:
        return false;
    }
  });
}

bool ExpandMemberTemplate(std::string_view commandTemplate, std::string_view archivePath,
                          std::string_view memberName, bool shortNames,
                          const ShortPathFunction& shortPath, CommandLineText& expanded) {
  std::size_t separator = archivePath.find(" : ");
  if (separator != std::string_view::npos) archivePath = archivePath.substr(0, separator);
  LongPathText shortArchive;
  std::string_view archive = archivePath;
  if (shortNames) {
    shortPath(archivePath, shortArchive);
    if (shortArchive.truncated()) return false;
    archive = shortArchive.view();
  }
  NameParts parts = SplitName(memberName);
  return Expand(commandTemplate, false, expanded, [&](char code, Piece& piece) {
    switch (code) {
      case 'D':
        piece.Append(Drive(archivePath));
        return true;
      case 'P':
        piece.Append(PathWithoutDrive(archive));
        return true;
      case 'A':
        piece.Append(AfterLastBackslash(archive));
        return true;
      case 'N':
        piece.Append(parts.stem);
        return true;
      case 'E':
        piece.Append(parts.hasDot ? parts.extension : memberName);
        return true;
      default:
        return false;
    }
  });
}
