// The two modes of the configurator over the real files.
#pragma once

class TextWriter;

// Paths are full paths in UTF-8.

// Mode R: writes the executable's default options and messages to `out`,
// read from the file's bytes as the system's string loader reads them;
// false after "Error Code : %d".
bool ReadConfigurationFrom(const char* executable, TextWriter& out);

// Mode W: writes the values of the configuration file into the executable's
// message table in place. False after its messages when a file cannot be
// opened or mapped, or when the executable holds no message table (then not
// one byte of it has been written), and when any value was refused (then
// every other value has been written).
bool WriteConfiguration(const char* executable, const char* configuration);
