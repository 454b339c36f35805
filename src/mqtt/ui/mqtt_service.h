// Publishing as a service of the window: reads the configuration file beside
// the settings file and, when it is there and reads well, publishes every
// record and alarm message of the live feed and each board's health. A
// configuration that cannot be used is reported (standard error and the
// status bar) and nothing is published; recording is never affected.
#pragma once

#include <QString>
#include <memory>

#include "mqtt/ui/mqtt_publisher.h"

namespace tessar {

class LiveFeed;
struct ProgramState;

// Null when there is no configuration file or it is refused. `state` gives
// the board records the messages describe; it outlives the publisher.
std::unique_ptr<MqttPublisher> StartMqttPublishing(const QString& settingsPath, LiveFeed& feed,
                                                   const ProgramState& state,
                                                   MqttPublisher::StatusSink status);

// Every record and alarm message of `feed` goes to `publisher` (as long as
// the publisher lives), and each board's health as its retained state.
void PublishFeed(LiveFeed& feed, const ProgramState& state, MqttPublisher& publisher);

}  // namespace tessar
