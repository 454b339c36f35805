#include "mqtt/mqtt_config.h"

#include <array>

namespace tessar {

namespace {

constexpr std::array<IniKey, 10> kKnownKeys{{
    {"broker", "host"},
    {"broker", "port"},
    {"broker", "client_id"},
    {"broker", "username"},
    {"broker", "password"},
    {"broker", "ca_file"},
    {"broker", "keepalive"},
    {"publish", "topic_prefix"},
    {"publish", "qos"},
    {"publish", "queue_limit"},
}};

std::string LineOf(const IniEntry& e) { return "line " + std::to_string(e.line) + ": "; }

// Reads an optional whole number into `target`; false with `error` set when
// the entry is present and not a number in [min, max].
bool ReadInteger(const IniText& ini, const char* section, const char* key, long long min,
                 long long max, int& target, std::string& error) {
  const IniEntry* e = ini.Find(section, key);
  if (e == nullptr) return true;
  long long value = 0;
  if (!ParseIniInteger(e->value, min, max, value)) {
    error = LineOf(*e) + key + " must be a whole number from " + std::to_string(min) + " to " +
            std::to_string(max) + ", not \"" + e->value + "\"";
    return false;
  }
  target = static_cast<int>(value);
  return true;
}

std::string Text(const IniText& ini, const char* section, const char* key) {
  const IniEntry* e = ini.Find(section, key);
  return e ? e->value : std::string();
}

std::string BoardTopic(const MqttConfig& config, int board, const char* leaf) {
  std::string topic = config.topicPrefix + '/';
  topic += static_cast<char>('A' + board);
  topic += '/';
  return topic + leaf;
}

}  // namespace

MqttConfigResult ParseMqttConfig(const IniText& ini, std::string_view hostname, long long pid) {
  MqttConfigResult result;
  if (!ini.ok()) {
    result.error = ini.error;
    return result;
  }
  result.error = UnknownKeyMessage(ini, kKnownKeys);
  if (!result.error.empty()) return result;

  MqttConfig c;
  std::string& error = result.error;
  c.host = Text(ini, "broker", "host");
  if (c.host.empty()) {
    error = "[broker] host is required";
    return result;
  }
  if (!ReadInteger(ini, "broker", "port", 1, 65535, c.port, error) ||
      !ReadInteger(ini, "broker", "keepalive", 5, 65535, c.keepalive, error) ||
      !ReadInteger(ini, "publish", "qos", 0, 1, c.qos, error) ||
      !ReadInteger(ini, "publish", "queue_limit", 1, kMqttQueueLimitMax, c.queueLimit, error)) {
    return result;
  }
  c.clientId = Text(ini, "broker", "client_id");
  if (c.clientId.empty()) c.clientId = "tessar-" + std::string(hostname) + "-" + std::to_string(pid);
  c.username = Text(ini, "broker", "username");
  c.password = Text(ini, "broker", "password");
  if (!c.password.empty() && c.username.empty()) {
    error = "[broker] password is given without a username";
    return result;
  }
  c.caFile = Text(ini, "broker", "ca_file");

  c.topicPrefix = Text(ini, "publish", "topic_prefix");
  if (c.topicPrefix.empty()) c.topicPrefix = "tessar/" + std::string(hostname);
  // a wildcard in a topic name makes every publish fail at the broker
  if (c.topicPrefix.find_first_of("+#") != std::string::npos || c.topicPrefix.back() == '/') {
    const IniEntry* e = ini.Find("publish", "topic_prefix");
    error = (e ? LineOf(*e) : std::string()) + "topic_prefix \"" + c.topicPrefix +
            "\" must not hold '+' or '#' nor end with '/'";
    return result;
  }
  result.config = std::move(c);
  return result;
}

std::string PasswordFileProblem(const MqttConfig& config, unsigned mode) {
  if (config.password.empty() || (mode & 0044u) == 0) return {};
  return "the file holds a password and is readable by group or others "
         "(chmod 600 it to use it)";
}

std::string MqttConfigPathFor(std::string_view settingsPath) {
  const std::size_t slash = settingsPath.find_last_of('/');
  const std::size_t dot = settingsPath.find_last_of('.');
  std::string path(settingsPath);
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) {
    path.resize(dot);
  }
  return path + ".mqtt";
}

std::string RecordTopic(const MqttConfig& config, int board) {
  return BoardTopic(config, board, "record");
}

std::string AlarmTopic(const MqttConfig& config, int board) {
  return BoardTopic(config, board, "alarm");
}

std::string HealthTopic(const MqttConfig& config, int board) {
  return BoardTopic(config, board, "health");
}

std::string StatusTopic(const MqttConfig& config) { return config.topicPrefix + "/status"; }

int ReconnectDelayMs(int retry) {
  constexpr int kFirstMs = 1000;
  constexpr int kLastMs = 60000;
  if (retry <= 0) return kFirstMs;
  if (retry >= 6) return kLastMs;  // 64 s would pass the limit
  return kFirstMs << retry;
}

}  // namespace tessar
