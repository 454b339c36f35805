#include "web/web_config.h"

#include <arpa/inet.h>

#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>

namespace tessar {

namespace {

constexpr std::array<IniKey, 3> kKnownKeys{{{"http", "port"}, {"http", "bind"}, {"http", "token"}}};
constexpr std::size_t kTokenLimit = 256;

// The token travels in query texts, a header and the page's own links: the
// characters that need no escaping in any of them.
bool IsTokenText(std::string_view token) {
  for (const char c : token) {
    const auto u = static_cast<unsigned char>(c);
    if (!std::isalnum(u) && c != '-' && c != '.' && c != '_' && c != '~') return false;
  }
  return true;
}

}  // namespace

bool IsIpAddress(std::string_view address) {
  if (address.empty() || address.size() > 45) return false;
  const std::string text(address);
  unsigned char bytes[16];
  return inet_pton(AF_INET, text.c_str(), bytes) == 1 ||
         inet_pton(AF_INET6, text.c_str(), bytes) == 1;
}

bool IsLoopbackAddress(std::string_view address) {
  if (address.empty() || address.size() > 45) return false;
  const std::string text(address);
  unsigned char bytes[16];
  if (inet_pton(AF_INET, text.c_str(), bytes) == 1) return bytes[0] == 127;
  if (inet_pton(AF_INET6, text.c_str(), bytes) != 1) return false;
  static constexpr unsigned char kLoopback6[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  static constexpr unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  if (std::memcmp(bytes, kLoopback6, 16) == 0) return true;
  return std::memcmp(bytes, kMapped, 12) == 0 && bytes[12] == 127;
}

WebConfigResult ParseWebConfig(const IniText& ini) {
  WebConfigResult out;
  if (!ini.ok()) {
    out.error = ini.error;
    return out;
  }
  if (std::string unknown = UnknownKeyMessage(ini, kKnownKeys); !unknown.empty()) {
    out.error = unknown;
    return out;
  }
  WebConfig config;
  const IniEntry* port = ini.Find("http", "port");
  long long number = 0;
  if (port == nullptr) {
    out.error = "[http] port is required";
    return out;
  }
  if (!ParseIniInteger(port->value, 1, 65535, number)) {
    out.error = "line " + std::to_string(port->line) + ": port must be a whole number 1..65535";
    return out;
  }
  config.port = static_cast<int>(number);
  if (const IniEntry* bind = ini.Find("http", "bind"); bind != nullptr && !bind->value.empty()) {
    if (!IsIpAddress(bind->value)) {
      out.error = "line " + std::to_string(bind->line) + ": bind must be an IPv4 or IPv6 address";
      return out;
    }
    config.bind = bind->value;
  }
  if (const IniEntry* token = ini.Find("http", "token"); token != nullptr) {
    if (token->value.size() > kTokenLimit || !IsTokenText(token->value)) {
      out.error = "line " + std::to_string(token->line) +
                  ": token must be at most 256 letters, digits and - . _ ~";
      return out;
    }
    config.token = token->value;
  }
  if (config.token.empty() && !IsLoopbackAddress(config.bind)) {
    out.error = "bind=" + config.bind +
                " reaches beyond this computer: set a token so that only those who know it "
                "can read the boards";
    return out;
  }
  out.config = config;
  return out;
}

std::optional<WebConfigResult> ReadWebConfig(const std::string& path) {
  const std::optional<IniText> ini = ReadIniFile(path);
  if (!ini) return std::nullopt;
  WebConfigResult result = ParseWebConfig(*ini);
  // the reader's own file errors name the path already
  if (!result.config && result.error.rfind(path, 0) != 0) result.error = path + ": " + result.error;
  return result;
}

std::string WebConfigPathFor(const std::string& settingsPath) {
  return std::filesystem::path(settingsPath).replace_extension(".web").string();
}

}  // namespace tessar
