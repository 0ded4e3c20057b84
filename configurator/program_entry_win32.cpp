// CFGTLVC: the entry of the configurator.
//
// Module map: configurator_arguments (command line, default extensions,
// version text), pe_resources (the resource walk in the file's bytes: the
// version, the texts, the message table), file_version and file_version_win32
// (version resources), mapped_file_win32 (the executable's bytes),
// configuration_modes_win32 (mode R and mode W over those bytes),
// configuration_writer / configuration_reader (the text file in both
// directions), configuration_patcher and string_table_patch (the rewrite of
// the message table inside the executable).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/bounded_text.h"
#include "common/error_code.h"
#include "common/handle_sink.h"
#include "common/standard_streams.h"
#include "configurator/configuration_modes_win32.h"
#include "configurator/configurator_arguments.h"
#include "configurator/configurator_usage.h"
#include "configurator/file_version_win32.h"
#include "configurator/system_paths_win32.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kVersionMismatch = 2;

void ReportError(unsigned long code) {
  WriteErrorCode(StdErr(), code);
}

// The full path of a file argument with its default extension.
bool MakeFullPath(std::string_view arg, std::string_view extension, PathText& path) {
  unsigned long code = FullPathOf(arg, path);
  if (code == 0 && !(AddDefaultExtension(path, extension) && FitsSystem(path)))
    code = ERROR_FILENAME_EXCED_RANGE;
  if (code != 0) ReportError(code);
  return code == 0;
}

// The configurator's own version, from its own module file: found the same
// way whether it was started by a path, a bare name along PATH, or a name
// without its extension.
std::uint32_t OwnVersion() {
  auto self = std::make_unique<PathText>();
  if (unsigned long code = OwnModulePath(*self)) {
    ReportError(code);
    return 0;
  }
  return ReadFileVersion(self->c_str());
}

// True when `path` names the file that `file` has open (also through
// another spelling: a short name, another case, a link).
bool IsSameFile(HANDLE file, const char* path) {
  HANDLE other =
      CreateFileW(SystemPath(path).get(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (other == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION a, b;
  bool same = GetFileInformationByHandle(file, &a) && GetFileInformationByHandle(other, &b) &&
              a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
              a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
  CloseHandle(other);
  return same;
}

int ReadMode(const PathText& executable, const PathText* configuration,
             const BoundedText<16>& ownVersion) {
  if (!configuration)
    return ReadConfigurationFrom(executable.c_str(), StdOut()) ? kSuccess : kFailure;

  // Opened without emptying it first: "CFGTLVC TLVC TLVC.EXE" names the
  // executable as the configuration file, and emptying it would destroy the
  // program the configuration is to be read from.
  HANDLE file = CreateFileW(SystemPath(configuration->c_str()).get(), GENERIC_WRITE,
                            FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE &&
      (IsSameFile(file, executable.c_str()) || !SetEndOfFile(file))) {
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
  }
  if (file == INVALID_HANDLE_VALUE) {
    StdErr().Printf("Cannot open file : %s\n", ShownPath(configuration->c_str()).c_str());
    return kFailure;
  }
  HandleSink sink{file};
  bool done;
  bool written;
  {
    TextWriter out(HandleSink::Write, &sink, true);
    out.Printf(";Configuration File Version %s\n", ownVersion.c_str());
    done = ReadConfigurationFrom(executable.c_str(), out);
    out.Flush();
    written = !out.failed();
  }
  CloseHandle(file);
  // A full disk must not pass for a complete configuration file.
  if (!written) {
    ReportError(sink.error);
    return kFailure;
  }
  if (!done) return kFailure;
  StdErr().Write("Complete reading configuration.\n");
  return kSuccess;
}

int WriteMode(const PathText& executable, const PathText* configuration) {
  if (!configuration) {
    StdErr().Write("Configuration file is not specified.");
    return kFailure;
  }
  if (!WriteConfiguration(executable.c_str(), configuration->c_str())) return kFailure;
  StdErr().Write("Complete writing configuration.\n");
  return kSuccess;
}

int RunConfigurator(int argc, wchar_t** argv) {
  if (argc < 2) {
    StdOut().Write(ConfiguratorUsage());
    return kFailure;
  }
  if (!GetProcessHeap()) {
    ReportError(GetLastError());
    return kFailure;
  }
  std::uint32_t ownVersion = OwnVersion();
  if (ownVersion == 0) return kFailure;
  BoundedText<16> ownVersionText = VersionText(ownVersion);

  std::vector<std::string> texts;
  for (int i = 1; i < argc; ++i) texts.push_back(Utf8Argument(argv[i]));
  std::vector<std::string_view> args(texts.begin(), texts.end());
  ConfiguratorArguments parsed = ParseConfiguratorArguments(args);

  // Two paths of the platform's length are too much for the stack.
  auto paths = std::make_unique<PathText[]>(2);
  PathText& executable = paths[0];
  if (!parsed.executable.empty()) {
    if (!MakeFullPath(parsed.executable, ".EXE", executable)) return kFailure;
    std::uint32_t version = ReadFileVersion(executable.c_str());
    if (version == 0) return kFailure;
    if (version != ownVersion) {
      StdErr().Printf(parsed.modeAtExecutable == ConfigMode::kRead
                          ? "Cannot read configration from version %u.%02u file.\n"
                          : "Cannot write configration to version %u.%02u file.\n",
                      static_cast<unsigned>(version >> 16),
                      static_cast<unsigned>(version & 0xFFFF));
      return kVersionMismatch;
    }
  }
  PathText& configuration = paths[1];
  bool hasConfiguration = !parsed.configuration.empty();
  if (hasConfiguration && !MakeFullPath(parsed.configuration, ".CFG", configuration)) {
    return kFailure;
  }
  const PathText* configurationPath = hasConfiguration ? &configuration : nullptr;
  if (parsed.mode == ConfigMode::kRead)
    return ReadMode(executable, configurationPath, ownVersionText);
  return WriteMode(executable, configurationPath);
}

}  // namespace

// The arguments come from the wide command line (wmain), split by the C
// runtime's rules as they always were.
int wmain(int argc, wchar_t** argv) {
  // The configuration file, and with it every text the configurator shows,
  // stays in the ANSI code page.
  UseAnsiText();
  return EndStandardStreams(RunConfigurator(argc, argv));
}
