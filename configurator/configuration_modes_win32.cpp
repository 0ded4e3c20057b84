#include "configurator/configuration_modes_win32.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>

#include "common/error_code.h"
#include "common/standard_streams.h"
#include "common/wide_text_win32.h"
#include "configurator/configuration_patcher.h"
#include "configurator/configuration_reader.h"
#include "configurator/configuration_writer.h"
#include "configurator/mapped_file_win32.h"
#include "configurator/pe_resources.h"
#include "configurator/string_table_patch.h"
#include "configurator/system_paths_win32.h"

namespace {

// The texts as the system's string loader would give them, from the
// executable's bytes: the file is never loaded as a module, which fails on
// paths of 260 characters and more.
class ImageStrings final : public MessageSource {
 public:
  explicit ImageStrings(std::span<const std::uint8_t> image) : image_(image) {}

  bool Load(unsigned id, std::string_view& text, unsigned long& errorCode) override {
    ResourceMiss miss;
    auto stored = LoadResourceString(image_, id, miss);
    if (!stored) {
      errorCode = static_cast<unsigned long>(miss);
      return false;
    }
    std::wstring wide(stored->begin(), stored->end());
    // Converted as the -A string loader converts: best fit, then the default
    // character; the text ends at a null character, as a C string would.
    ansi_.assign(3 * wide.size() + 1, '\0');
    if (TextFromWide(CP_ACP, wide, ansi_.data(), ansi_.size()) < 0) {
      errorCode = GetLastError();
      return false;
    }
    ansi_.resize(std::strlen(ansi_.c_str()));
    text = ansi_;
    exact_ = HoldsWholeText(wide, text);
    return true;
  }
  bool Exact() const override { return exact_; }

 private:
  // The ANSI text is whole when it converts back to the stored text.
  static bool HoldsWholeText(std::wstring_view stored, std::string_view ansi) {
    std::wstring back(stored.size() + 1, L'\0');
    long units = WideFromText(CP_ACP, ansi, back.data(), back.size());
    return units >= 0 && std::wstring_view(back.data(), static_cast<std::size_t>(units)) == stored;
  }

  std::span<const std::uint8_t> image_;
  std::string ansi_;
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
    std::string_view head = ansi.substr(0, 0x10000);
    long units = WideLength(codePage_, head);
    std::wstring converted(static_cast<std::size_t>(units > 0 ? units : 0) + 1, L'\0');
    if (units <= 0 || WideFromText(codePage_, head, converted.data(), converted.size()) < 0) {
      WriteErrorCode(StdErr(), GetLastError());
      return false;
    }
    wide.assign(converted.begin(), converted.begin() + units);
    return true;
  }

  std::string FromUtf16(std::u16string_view wide) override {
    if (wide.empty()) return {};
    std::wstring source(wide.begin(), wide.end());
    std::string ansi(3 * source.size() + 1, '\0');
    long bytes = TextFromWide(codePage_, source, ansi.data(), ansi.size());
    ansi.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
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
  std::optional<MappedFile> image;
  if (unsigned long code = MapForReading(executable, image)) {
    WriteErrorCode(StdErr(), code);
    return false;
  }
  ImageStrings strings(image->Bytes());
  return ReadConfiguration(strings, out, StdErr());
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
  if (!image.Map(true)) {
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
  // The other values stay written: each line stands alone.
  return !patcher.refused();
}
