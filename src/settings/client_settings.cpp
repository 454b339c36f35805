#include "settings/client_settings.h"

#include <algorithm>
#include <cstring>

#include "i18n/text_codec.h"
#include "settings/platform_paths.h"
#include "settings/settings_file.h"

namespace tessar {

void FillClientDefaults(ClientSettings& s, const std::string& dataDirectory) {
  std::memset(&s, 0, sizeof s);
  for (int b = 0; b < kBoardCount; ++b) {
    s.remoteBoard[b] = b;
    s.pollInterval[b] = 2;
  }
  s.serverCount = 1;
  StoreFieldBytes(s.serverAddress[0], "127.0.0.1");
  StoreFieldBytes(s.clientDataDirectory, dataDirectory.substr(0, Cp949PrefixLength(dataDirectory, 80)));
}

void FillClientDefaults(ClientSettings& s) { FillClientDefaults(s, DefaultDataDirectory("Tessview")); }

bool LoadClientSettings(const std::string& path, ClientSettings& s) {
  const auto bytes = ReadSettingsBytes(path, sizeof s);
  if (!bytes) {
    FillClientDefaults(s);
    return false;
  }
  std::memset(&s, 0, sizeof s);
  std::memcpy(&s, bytes->data(), bytes->size());
  // An empty directory would put every recording at the file system's root.
  if (s.clientDataDirectory[0] == '\0') StoreFieldBytes(s.clientDataDirectory, DefaultDataDirectory("Tessview"));
  return true;
}

bool WriteClientSettings(const std::string& path, const ClientSettings& s) {
  return WriteSettingsBytes(path, &s, sizeof s);
}

std::vector<std::string> OfferedServerAddresses(const ClientSettings& s) {
  const int count = std::clamp(s.serverCount, 0, kServerAddressCount);
  std::vector<std::string> addresses;
  for (int i = 0; i < count; ++i) {
    const std::string_view address = FieldBytes(s.serverAddress[i]);
    if (address.size() > 5) addresses.emplace_back(address);
  }
  return addresses;
}

int RemoteBoardOf(const ClientSettings& s, int board) {
  const std::int32_t remote = s.remoteBoard[board];
  return remote >= 0 && remote < kBoardCount ? remote : board;
}

std::int32_t PollIntervalOf(const ClientSettings& s, int board) {
  return std::clamp(s.pollInterval[board], kPollIntervalMin, kPollIntervalMax);
}

void StoreServerAddresses(ClientSettings& s, const std::vector<std::string>& addresses) {
  std::memset(s.serverAddress, 0, sizeof s.serverAddress);
  int count = 0;
  for (const std::string& address : addresses) {
    if (count == kServerAddressCount) break;
    if (SetServerAddress(s, count, address)) ++count;
  }
  s.serverCount = count;
}

bool StoreClientDataDirectory(ClientSettings& s, const std::string& directory) {
  if (directory.size() >= kClientDirectorySize || directory.find('\0') != std::string::npos)
    return false;
  std::memset(s.clientDataDirectory, 0, sizeof s.clientDataDirectory);
  StoreFieldBytes(s.clientDataDirectory, directory);
  return true;
}

bool SetServerAddress(ClientSettings& s, int index, const std::string& address) {
  if (index < 0 || index >= kServerAddressCount) return false;
  if (address.size() >= kServerAddressSize || address.find('\0') != std::string::npos) return false;
  StoreFieldBytes(s.serverAddress[index], address);
  return true;
}

}  // namespace tessar
