// The viewer's own settings file: language, axis mode, which server board
// each local board takes, poll intervals, the server address list and the
// data directory. 372 bytes, little-endian, no header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/board_settings.h"

namespace tessar {

constexpr int kServerAddressCount = 10;
constexpr std::size_t kServerAddressSize = 25;
constexpr std::size_t kClientDirectorySize = 82;

struct ClientSettings {
  std::uint8_t englishUi;
  std::uint8_t elapseTimeAxis;
  std::uint8_t padding2[2];
  std::int32_t remoteBoard[kBoardCount];
  std::int32_t pollInterval[kBoardCount];
  std::int32_t serverCount;
  char serverAddress[kServerAddressCount][kServerAddressSize];
  char clientDataDirectory[kClientDirectorySize];
};

static_assert(sizeof(ClientSettings) == 372);
static_assert(std::is_trivially_copyable_v<ClientSettings>);
static_assert(offsetof(ClientSettings, englishUi) == 0);
static_assert(offsetof(ClientSettings, elapseTimeAxis) == 1);
static_assert(offsetof(ClientSettings, padding2) == 2);
static_assert(offsetof(ClientSettings, remoteBoard) == 4);
static_assert(offsetof(ClientSettings, pollInterval) == 20);
static_assert(offsetof(ClientSettings, serverCount) == 36);
static_assert(offsetof(ClientSettings, serverAddress) == 40);
static_assert(offsetof(ClientSettings, clientDataDirectory) == 290);
constexpr std::size_t kClientSettingsSize = sizeof(ClientSettings);

void FillClientDefaults(ClientSettings& settings, const std::string& dataDirectory);
void FillClientDefaults(ClientSettings& settings);

// Defaults when the path is not a readable regular file; otherwise zeros and
// up to 372 bytes of the file (a short file leaves the rest zero), an empty
// data directory becoming the default one. True when the file was read.
bool LoadClientSettings(const std::string& path, ClientSettings& settings);

// Writes the 372 bytes through a temporary file renamed over the settings
// file; false, the old file left whole, when that cannot be done.
bool WriteClientSettings(const std::string& path, const ClientSettings& settings);

// The addresses offered at start: of the first `serverCount` entries (taken
// as 0 below zero and as 10 above), those longer than 5 characters, each
// read no further than its field.
std::vector<std::string> OfferedServerAddresses(const ClientSettings& settings);

// The server board a local board takes: `remoteBoard`, or the board's own
// number when the stored one is outside 0..3.
int RemoteBoardOf(const ClientSettings& settings, int board);

// The range of a board's poll interval, in seconds: that of its interval box.
constexpr std::int32_t kPollIntervalMin = 1;
constexpr std::int32_t kPollIntervalMax = 1000;

// A board's poll interval as stored, brought into the interval box's range
// (a short file's zero polls every second, not on every tick).
std::int32_t PollIntervalOf(const ClientSettings& settings, int board);

// The address list saved at shutdown: up to 10 entries in order, an entry
// that does not fit its field (more than 24 bytes) left out; `serverCount`
// becomes the number stored.
void StoreServerAddresses(ClientSettings& settings, const std::vector<std::string>& addresses);

// Stores the data directory; a path that does not fit its field keeps the
// stored one (false).
bool StoreClientDataDirectory(ClientSettings& settings, const std::string& directory);

// Stores an address into entry `index` of the address list. An address that
// does not fit its 25-byte field (24 characters and the terminator) is
// refused: false, and the entry is left as it was.
bool SetServerAddress(ClientSettings& settings, int index, const std::string& address);

}  // namespace tessar
