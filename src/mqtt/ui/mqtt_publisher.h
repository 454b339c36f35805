// A connection to an MQTT broker driven from the Qt event loop: libmosquitto's
// socket through QSocketNotifiers, its housekeeping on a timer. Publish() only
// queues (the acquisition tick calls it); the queue goes out in order while
// the broker is there, and is held, within its limit, while it is away.
//
// The one call of libmosquitto that can block is the connection's start: it
// resolves the host name. That call runs on a short-lived thread of its own,
// which owns the new client object until the call returns; the event loop
// takes the client over once it has. A new client is made for every
// connection, so what a lost connection had in hand is sent again from the
// queue, and from nowhere else.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "mqtt/message_queue.h"
#include "mqtt/mqtt_config.h"

struct mosquitto;

namespace tessar {

class MqttPublisher : public QObject {
  Q_OBJECT
 public:
  // Receives the lines for the status bar.
  using StatusSink = std::function<void(const QString&)>;

  MqttPublisher(MqttConfig config, StatusSink status, QObject* parent = nullptr);
  ~MqttPublisher() override;

  // The first connection attempt; later ones follow by themselves.
  void Start();
  // Queues a message for the broker; never waits.
  void Publish(std::string topic, std::string payload);
  // A retained state of `topic`: only the newest one matters, so it is held
  // beside the queue (never dropped by its limit), sent after what is queued
  // and sent again on every new connection.
  void PublishRetained(std::string topic, std::string payload);
  // The orderly end: what is queued and the retained "offline" go out,
  // waiting at most `waitMs` for the broker's acknowledgement, then the
  // connection is closed (the last will is not used then).
  void Stop(int waitMs = 1000);

  bool Connected() const { return connected_; }
  const MessageQueue& queue() const { return queue_; }
  const MqttConfig& config() const { return config_; }

 private:
  struct Attempt;

  void BeginAttempt();
  void Housekeeping();
  void TakeOverAttempt();
  // Runs one of libmosquitto's loop calls and handles a lost connection
  // afterwards, outside its callbacks.
  void Drive(int rc);
  void Flush();
  void FlushRetained();
  void ConnectionLost(const std::string& reason);
  void DropNotifiers();
  void ScheduleRetry();
  void ShowDropped();
  void Log(const std::string& text) const;
  void Status(const QString& text) const;
  std::string Where() const;

  static void OnConnect(mosquitto* mosq, void* self, int rc);
  static void OnPublish(mosquitto* mosq, void* self, int mid);

  MqttConfig config_;
  StatusSink status_;
  MessageQueue queue_;
  std::map<std::string, std::string> retained_;  // topic -> newest state
  std::set<std::string> retainedDue_;            // not yet sent on this connection
  std::shared_ptr<mosquitto> client_;  // the connection the event loop drives
  std::shared_ptr<Attempt> attempt_;   // a connection being started on its thread
  QSocketNotifier* readNotifier_ = nullptr;  // children, while client_ is set
  QSocketNotifier* writeNotifier_ = nullptr;
  QTimer housekeeping_;
  QTimer retry_;
  QTimer flush_;
  QElapsedTimer connecting_;  // since the attempt began
  bool connected_ = false;   // the broker accepted the connection
  bool lost_ = false;        // a callback saw the connection fail; handled after it
  bool stopped_ = false;
  bool outage_ = false;      // the broker is away (or not yet reached)
  int retries_ = 0;          // attempts since the last connection held
  int offlineMid_ = -1;      // the "offline" of Stop(), until acknowledged
  std::size_t droppedShown_ = 0;
};

}  // namespace tessar
