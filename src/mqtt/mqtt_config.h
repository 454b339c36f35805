// The publishing configuration: an INI file beside the settings file (the
// settings file's name with the extension ".mqtt"). Without the file nothing
// is published; a file that does not read as meant is refused whole, with a
// message, and recording goes on without publishing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/ini_file.h"

namespace tessar {

struct MqttConfig {
  std::string host;          // required
  int port = 1883;
  std::string clientId;      // default "tessar-<hostname>-<pid>"
  std::string username;      // empty: none
  std::string password;      // only with a username
  std::string caFile;        // empty: plain TCP; else TLS against this CA file
  int keepalive = 30;        // seconds
  std::string topicPrefix;   // default "tessar/<hostname>"
  int qos = 1;               // 0 or 1
  int queueLimit = 10000;    // messages held while the broker is away

  bool operator==(const MqttConfig&) const = default;
};

struct MqttConfigResult {
  std::optional<MqttConfig> config;
  std::string error;  // set when config is empty
};

constexpr long long kMqttQueueLimitMax = 1000000;

// The configuration of a read INI text; `hostname` and `pid` fill the
// defaults of the client id and the topic prefix.
MqttConfigResult ParseMqttConfig(const IniText& ini, std::string_view hostname, long long pid);

// A configuration file that holds a password must be readable by its owner
// only: the message refusing it when `mode` (the file's permission bits)
// lets group or others read it; empty when the file may be used.
std::string PasswordFileProblem(const MqttConfig& config, unsigned mode);

// "<file>.SET" -> "<file>.mqtt" (any extension, or none, is replaced).
std::string MqttConfigPathFor(std::string_view settingsPath);

// The topics of one publisher.
std::string RecordTopic(const MqttConfig& config, int board);  // <prefix>/<letter>/record
std::string AlarmTopic(const MqttConfig& config, int board);   // <prefix>/<letter>/alarm
std::string HealthTopic(const MqttConfig& config, int board);  // <prefix>/<letter>/health
std::string StatusTopic(const MqttConfig& config);             // <prefix>/status

// The wait before a connection attempt after a failed or lost one; `retry`
// counts the attempts since the last connection held (0 = the first):
// 1 s, doubling, at most 60 s.
int ReconnectDelayMs(int retry);

}  // namespace tessar
