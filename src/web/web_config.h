// The web read-out's configuration: a small INI file named like the settings
// file with the extension ".web". No file, no server. Every rule is checked
// before anything listens: a file that does not read as meant keeps the
// server off with a message saying why, and the recording goes on.
//
//   [http]
//   port=8080        ; required, 1..65535
//   bind=127.0.0.1   ; default; any other address needs a token
//   token=           ; when set, every request carries it
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/ini_file.h"

namespace tessar {

struct WebConfig {
  int port = 0;
  std::string bind = "127.0.0.1";  // an IPv4 or IPv6 address, never a host name
  std::string token;               // empty: no token (loopback binds only)
};

struct WebConfigResult {
  std::optional<WebConfig> config;  // set when the file was read and every rule holds
  std::string error;                // otherwise why not
};

// The configuration in `ini`, checked.
WebConfigResult ParseWebConfig(const IniText& ini);
// The file at `path`: nullopt when there is none (the server stays off
// without a word).
std::optional<WebConfigResult> ReadWebConfig(const std::string& path);
// The configuration file beside a settings file: its extension becomes ".web".
std::string WebConfigPathFor(const std::string& settingsPath);

// The address as written is a numeric IPv4 or IPv6 address.
bool IsIpAddress(std::string_view address);
// 127.0.0.0/8, ::1 and the IPv4-mapped loopback addresses.
bool IsLoopbackAddress(std::string_view address);

}  // namespace tessar
