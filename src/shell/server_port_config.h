// The data servers' first port of a program folder: a small INI file named
// like the settings file with the extension ".net", read at start. It lets
// several loggers (and their viewers) on one machine, each in its own
// program folder or instance folder, use ports of their own without options
// on their command lines. No file: the default 7996.
//
//   [server]
//   port=8000        ; boards A..D on 8000..8003
//
// A file that does not read as meant refuses the start: serving or reading
// boards on another instance's ports would mix two loggers' data.
#pragma once

#include <optional>
#include <string>

#include "common/ini_file.h"

namespace tessar {

struct ServerPortConfig {
  int firstPort = 0;  // set when the file was read and holds a good port
  std::string error;  // otherwise why not
};

// The port in `ini`, checked.
ServerPortConfig ParseServerPortConfig(const IniText& ini);
// The file at `path`: nullopt when there is none.
std::optional<ServerPortConfig> ReadServerPortConfig(const std::string& path);
// The file beside a settings file: its extension becomes ".net".
std::string ServerPortConfigPathFor(const std::string& settingsPath);

}  // namespace tessar
