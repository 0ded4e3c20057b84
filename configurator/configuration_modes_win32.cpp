#include "configurator/configuration_modes_win32.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <span>
#include <string>

#include "common/bounded_text.h"
#include "common/error_code.h"
#include "common/standard_streams.h"
#include "configurator/configuration_patcher.h"
#include "configurator/configuration_reader.h"
#include "configurator/configuration_writer.h"
#include "configurator/string_table_patch.h"
#include "configurator/system_paths_win32.h"

namespace {

class ModuleStrings final : public MessageSource {
 public:
  explicit ModuleStrings(HMODULE module) : module_(module) {}

  bool Load(unsigned id, std::string_view& text, unsigned long& errorCode) override {
    int length = LoadStringA(module_, id, buffer_.data(), static_cast<int>(buffer_.capacity()));
    if (length <= 0) {
      errorCode = GetLastError();
      return false;
    }
    buffer_.Recount();
    text = buffer_.view();
    exact_ = HoldsWholeText(id, text);
    return true;
  }
  bool Exact() const override { return exact_; }

 private:
  // The ANSI text is whole when it converts back to the stored UTF-16 text.
  bool HoldsWholeText(unsigned id, std::string_view ansi) {
    wchar_t stored[260];
    int units = LoadStringW(module_, id, stored, 260);
    if (units <= 0) return true;
    wchar_t back[260];
    int backUnits =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), back, 260);
    return backUnits == units && std::wmemcmp(back, stored, static_cast<std::size_t>(units)) == 0;
  }

  HMODULE module_;
  BoundedText<260> buffer_;
  bool exact_ = true;
};

class AnsiCodePage final : public AnsiConverter {
 public:
  // The code page is taken once: every line of one run converts alike.
  AnsiCodePage() : codePage_(GetACP()) {}

  bool ToUtf16(std::string_view ansi, std::u16string& wide) override {
    wide.clear();
    if (ansi.empty()) return true;
    // However long the value, converting its first bytes tells that it is
    // longer than a slot.
    int size = static_cast<int>(ansi.size() < 0x10000 ? ansi.size() : 0x10000);
    int units = MultiByteToWideChar(codePage_, 0, ansi.data(), size, nullptr, 0);
    if (units <= 0) {
      WriteErrorCode(StdErr(), GetLastError());
      return false;
    }
    std::wstring converted(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(codePage_, 0, ansi.data(), size, converted.data(), units);
    wide.assign(converted.begin(), converted.end());
    return true;
  }

  std::string FromUtf16(std::u16string_view wide) override {
    if (wide.empty()) return {};
    std::wstring source(wide.begin(), wide.end());
    int size = static_cast<int>(source.size());
    int bytes =
        WideCharToMultiByte(codePage_, 0, source.data(), size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage_, 0, source.data(), size, ansi.data(), bytes, nullptr, nullptr);
    return ansi;
  }

 private:
  UINT codePage_;
};

void ReportOpenFailure(const char* path) {
  DWORD error = GetLastError();
  StdErr().Printf("Cannot open file : %s\n", ShownPath(path).c_str());
  WriteErrorCode(StdErr(), error);
}

// The mapped executable, released in the order it was taken.
class MappedFile {
 public:
  explicit MappedFile(HANDLE file) : file_(file) {}
  ~MappedFile() {
    if (view_) UnmapViewOfFile(view_);
    if (mapping_) CloseHandle(mapping_);
    CloseHandle(file_);
  }

  bool Map() {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_, &size)) return false;
    mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READWRITE, 0, 0, nullptr);
    if (!mapping_) return false;
    view_ = MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0);
    if (!view_) return false;
    bytes_ = {static_cast<std::uint8_t*>(view_), static_cast<std::size_t>(size.QuadPart)};
    return true;
  }
  std::span<std::uint8_t> Bytes() const { return bytes_; }

 private:
  HANDLE file_;
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
  std::span<std::uint8_t> bytes_;
};

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

bool ReadConfigurationFrom(const char* executable, TextWriter& out) {
  // Loaded as data only: the executable's own start-up code never runs.
  SystemPath path(executable);
  HMODULE module = LoadLibraryExW(path.get(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    WriteErrorCode(StdErr(), GetLastError());
    return false;
  }
  ModuleStrings strings(module);
  bool done = ReadConfiguration(strings, out, StdErr());
  FreeLibrary(module);
  return done;
}

bool WriteConfiguration(const char* executable, const char* configuration) {
  AnsiCodePage codePage;
  // Each path is converted before its call: the last error is read after it.
  SystemPath linesPath(configuration);
  SystemPath imagePath(executable);
  Handle lines(CreateFileW(linesPath.get(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (lines.get() == INVALID_HANDLE_VALUE) {
    ReportOpenFailure(configuration);
    return false;
  }
  // Others may read the executable meanwhile, but never write it.
  HANDLE file = CreateFileW(imagePath.get(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ReportOpenFailure(executable);
    return false;
  }
  MappedFile image(file);
  if (!image.Map()) {
    DWORD error = GetLastError();
    StdErr().Write("File mapping error.\n");
    WriteErrorCode(StdErr(), error);
    return false;
  }
  auto table = FindStringTable(image.Bytes());
  if (!table) {
    StdErr().Printf("No message table is found in %s.\n", ShownPath(executable).c_str());
    return false;
  }

  ConfigurationPatcher patcher(image.Bytes(), *table, codePage, StdErr());
  LineAssembler assembler;
  auto apply = [&patcher](std::string_view line) { patcher.ApplyLine(line); };
  static char chunk[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(lines.get(), chunk, sizeof chunk, &got, nullptr)) {
      WriteErrorCode(StdErr(), GetLastError());
      return false;
    }
    if (got == 0) break;
    assembler.Feed(std::string_view(chunk, got), apply);
  }
  assembler.Finish(apply);
  return true;
}
