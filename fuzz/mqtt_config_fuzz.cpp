// Any bytes as a publishing configuration file: refused with a message, or a
// configuration whose every value is in its range and whose topics are valid
// topic names (no wildcard).
#include <string_view>

#include "fuzz_support.h"
#include "mqtt/mqtt_config.h"

using namespace tessar;
using tessar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const IniText ini = ParseIni(std::string_view(reinterpret_cast<const char*>(data), size));
  const MqttConfigResult r = ParseMqttConfig(ini, "host", 1);
  Require(r.config.has_value() != !r.error.empty(), "either a configuration or a message");
  if (!r.config) return 0;
  const MqttConfig& c = *r.config;
  Require(!c.host.empty() && !c.clientId.empty(), "host and client id");
  Require(c.port >= 1 && c.port <= 65535, "port in range");
  Require(c.qos == 0 || c.qos == 1, "qos 0 or 1");
  Require(c.queueLimit >= 1 && c.queueLimit <= kMqttQueueLimitMax, "queue limit in range");
  Require(c.keepalive >= 5 && c.keepalive <= 65535, "keepalive in range");
  Require(c.password.empty() || !c.username.empty(), "password only with a username");
  for (int b = 0; b < 4; ++b) {
    const std::string topic = RecordTopic(c, b);
    Require(topic.find_first_of("+#") == std::string::npos, "no wildcard in a topic");
  }
  return 0;
}
