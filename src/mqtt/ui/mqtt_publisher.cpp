#include "mqtt/ui/mqtt_publisher.h"

#include <mosquitto.h>
#include <poll.h>

#include <QDeadlineTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <limits>
#include <thread>
#include <utility>

namespace tessar {

namespace {

constexpr std::size_t kMaxInFlight = 100;  // handed over and not yet acknowledged
constexpr int kHousekeepingMs = 100;
// a connection the broker has not accepted by then is given up (a host that
// never answers leaves a connect pending for minutes)
constexpr qint64 kConnectTimeoutMs = 10000;
constexpr char kOnline[] = "online";
constexpr char kOffline[] = "offline";

void InitLibrary() {
  static const int once = mosquitto_lib_init();
  (void)once;
}

std::shared_ptr<mosquitto> NewClient(const MqttConfig& config, void* self, std::string& error) {
  InitLibrary();
  std::shared_ptr<mosquitto> client(mosquitto_new(config.clientId.c_str(), true, self),
                                    [](mosquitto* m) {
                                      if (m) mosquitto_destroy(m);
                                    });
  if (!client) {
    error = "cannot make a client";
    return nullptr;
  }
  const std::string status = StatusTopic(config);
  int rc = mosquitto_will_set(client.get(), status.c_str(), int(sizeof kOffline - 1), kOffline, 1, true);
  if (rc == MOSQ_ERR_SUCCESS && !config.username.empty()) {
    rc = mosquitto_username_pw_set(client.get(), config.username.c_str(),
                                   config.password.empty() ? nullptr : config.password.c_str());
  }
  if (rc == MOSQ_ERR_SUCCESS && !config.caFile.empty()) {
    rc = mosquitto_tls_set(client.get(), config.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
  }
  if (rc != MOSQ_ERR_SUCCESS) {
    error = mosquitto_strerror(rc);
    return nullptr;
  }
  return client;
}

}  // namespace

// A connection being started: the thread holds it until the call returns.
struct MqttPublisher::Attempt {
  std::shared_ptr<mosquitto> client;
  std::atomic<bool> done{false};
  int rc = MOSQ_ERR_SUCCESS;  // read only once done
  int error = 0;              // errno of the thread for MOSQ_ERR_ERRNO
};

MqttPublisher::MqttPublisher(MqttConfig config, StatusSink status, QObject* parent)
    : QObject(parent),
      config_(std::move(config)),
      status_(std::move(status)),
      queue_(static_cast<std::size_t>(config_.queueLimit)) {
  housekeeping_.setInterval(kHousekeepingMs);
  connect(&housekeeping_, &QTimer::timeout, this, &MqttPublisher::Housekeeping);
  retry_.setSingleShot(true);
  connect(&retry_, &QTimer::timeout, this, &MqttPublisher::BeginAttempt);
  flush_.setSingleShot(true);
  flush_.setInterval(0);
  connect(&flush_, &QTimer::timeout, this, &MqttPublisher::Flush);
}

// An attempt's thread keeps its client until its call returns; it calls
// nothing back. The notifiers go with this object, their children.
MqttPublisher::~MqttPublisher() = default;

void MqttPublisher::Start() {
  outage_ = true;
  housekeeping_.start();
  BeginAttempt();
}

void MqttPublisher::Publish(std::string topic, std::string payload) {
  if (stopped_) return;
  queue_.Push(std::move(topic), std::move(payload));
  // handed over at once: several messages of one tick must not wait
  // together for a later flush, where a small queue_limit would drop them
  if (connected_) Flush();
  ShowDropped();
}

void MqttPublisher::PublishRetained(std::string topic, std::string payload) {
  if (stopped_) return;
  retainedDue_.insert(topic);
  retained_[std::move(topic)] = std::move(payload);
  if (connected_ && !flush_.isActive()) flush_.start();
}

void MqttPublisher::BeginAttempt() {
  if (stopped_ || attempt_ || client_) return;
  std::string error;
  auto attempt = std::make_shared<Attempt>();
  attempt->client = NewClient(config_, this, error);
  if (!attempt->client) {
    // the configuration cannot work (e.g. an unreadable CA file): no retry
    Log("cannot set up the connection to " + Where() + ": " + error + "; publishing is off");
    Status(QStringLiteral("MQTT: ") + QString::fromStdString(error) + QStringLiteral("; publishing is off"));
    stopped_ = true;
    housekeeping_.stop();
    return;
  }
  mosquitto_connect_callback_set(attempt->client.get(), &MqttPublisher::OnConnect);
  mosquitto_publish_callback_set(attempt->client.get(), &MqttPublisher::OnPublish);
  attempt_ = attempt;
  connecting_.start();
  std::thread([attempt, host = config_.host, port = config_.port, keepalive = config_.keepalive] {
    attempt->rc = mosquitto_connect_async(attempt->client.get(), host.c_str(), port, keepalive);
    attempt->error = errno;
    attempt->done.store(true, std::memory_order_release);
  }).detach();
}

void MqttPublisher::Housekeeping() {
  if (attempt_ && attempt_->done.load(std::memory_order_acquire)) TakeOverAttempt();
  if (client_ && !connected_ && connecting_.hasExpired(kConnectTimeoutMs)) {
    ConnectionLost("no answer within " + std::to_string(kConnectTimeoutMs / 1000) + " s");
  }
  if (client_) {
    Drive(mosquitto_loop_misc(client_.get()));
    // TLS may hold read data the socket no longer signals
    if (client_ && !config_.caFile.empty()) Drive(mosquitto_loop_read(client_.get(), 1));
  }
  ShowDropped();
}

void MqttPublisher::TakeOverAttempt() {
  const std::shared_ptr<Attempt> attempt = std::exchange(attempt_, nullptr);
  if (attempt->rc != MOSQ_ERR_SUCCESS) {
    const std::string reason =
        attempt->rc == MOSQ_ERR_ERRNO ? std::strerror(attempt->error) : mosquitto_strerror(attempt->rc);
    Log("cannot connect to " + Where() + ": " + reason);
    ScheduleRetry();
    return;
  }
  client_ = attempt->client;
  const int fd = mosquitto_socket(client_.get());
  readNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  writeNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Write, this);
  connect(readNotifier_, &QSocketNotifier::activated, this,
          [this] { Drive(mosquitto_loop_read(client_.get(), 1)); });
  connect(writeNotifier_, &QSocketNotifier::activated, this,
          [this] { Drive(mosquitto_loop_write(client_.get(), 1)); });
  writeNotifier_->setEnabled(mosquitto_want_write(client_.get()));
}

void MqttPublisher::Drive(int rc) {
  if (!client_) return;
  if (rc != MOSQ_ERR_SUCCESS || lost_ || mosquitto_socket(client_.get()) < 0) {
    ConnectionLost(rc != MOSQ_ERR_SUCCESS ? mosquitto_strerror(rc) : "closed");
    return;
  }
  writeNotifier_->setEnabled(mosquitto_want_write(client_.get()));
}

void MqttPublisher::Flush() {
  if (!client_ || !connected_) return;
  const std::size_t window = stopped_ ? std::numeric_limits<std::size_t>::max() : kMaxInFlight;
  while (QueuedMessage* m = queue_.NextToSend(window)) {
    int mid = 0;
    const int rc = mosquitto_publish(client_.get(), &mid, m->topic.c_str(), int(m->payload.size()),
                                     m->payload.data(), config_.qos, false);
    if (rc == MOSQ_ERR_NO_CONN || rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_NOMEM) {
      lost_ = true;
      break;
    }
    queue_.MarkSent(*m, mid);
    if (rc != MOSQ_ERR_SUCCESS) {
      // this message can never go (too big, a topic the protocol refuses)
      Log("a message to " + m->topic + " is refused: " + mosquitto_strerror(rc));
      queue_.Acknowledge(mid);
    } else if (config_.qos == 0) {
      queue_.Acknowledge(mid);
    }
  }
  if (!lost_) FlushRetained();
  Drive(MOSQ_ERR_SUCCESS);
}

void MqttPublisher::FlushRetained() {
  while (!retainedDue_.empty()) {
    const std::string& topic = *retainedDue_.begin();
    const std::string& payload = retained_[topic];
    const int rc = mosquitto_publish(client_.get(), nullptr, topic.c_str(), int(payload.size()),
                                     payload.data(), config_.qos, true);
    if (rc == MOSQ_ERR_NO_CONN || rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_NOMEM) {
      lost_ = true;
      return;
    }
    if (rc != MOSQ_ERR_SUCCESS) Log("a message to " + topic + " is refused: " + mosquitto_strerror(rc));
    retainedDue_.erase(retainedDue_.begin());
  }
}

// Called from the notifiers' own handlers too: they are deleted later.
void MqttPublisher::DropNotifiers() {
  for (QSocketNotifier** n : {&readNotifier_, &writeNotifier_}) {
    if (*n == nullptr) continue;
    (*n)->setEnabled(false);
    (*n)->deleteLater();
    *n = nullptr;
  }
}

void MqttPublisher::ConnectionLost(const std::string& reason) {
  DropNotifiers();
  // the socket closes without a goodbye: the broker publishes the last will
  client_.reset();
  const bool wasConnected = std::exchange(connected_, false);
  lost_ = false;
  queue_.ConnectionLost();
  if (stopped_) return;
  if (wasConnected) {
    Log("connection to " + Where() + " lost: " + reason);
    Status(QString::fromStdString("MQTT: broker " + Where() + " away"));
    outage_ = true;
  } else {
    Log("cannot connect to " + Where() + ": " + reason);
  }
  ScheduleRetry();
}

void MqttPublisher::ScheduleRetry() {
  if (stopped_) return;
  retry_.start(ReconnectDelayMs(retries_++));
}

void MqttPublisher::ShowDropped() {
  const std::size_t dropped = queue_.Dropped();
  if (dropped == droppedShown_) return;
  droppedShown_ = dropped;
  if (dropped == 0) return;
  // connected, the queue filled because the broker acknowledges too slowly
  const QString reason = connected_ ? QStringLiteral("queue full") : QStringLiteral("broker away");
  Status(QStringLiteral("MQTT: %1, %2 messages dropped (queue_limit %3)")
             .arg(reason)
             .arg(dropped)
             .arg(config_.queueLimit));
}

void MqttPublisher::OnConnect(mosquitto* mosq, void* self, int rc) {
  auto* p = static_cast<MqttPublisher*>(self);
  if (p == nullptr || p->client_.get() != mosq) return;
  if (rc != 0) {
    // refused (identity, credentials): the library would go on without us
    p->Log("broker " + p->Where() + " refused the connection: " + mosquitto_connack_string(rc));
    p->lost_ = true;
    return;
  }
  p->connected_ = true;
  p->retries_ = 0;
  const std::string status = StatusTopic(p->config_);
  mosquitto_publish(mosq, nullptr, status.c_str(), int(sizeof kOnline - 1), kOnline, 1, true);
  std::string line = "connected to " + p->Where();
  const std::size_t dropped = p->queue_.TakeDropped();
  p->droppedShown_ = 0;
  if (dropped > 0) {
    line += "; " + std::to_string(dropped) + " messages were dropped (queue_limit " +
            std::to_string(p->config_.queueLimit) + ")";
  }
  p->outage_ = false;
  // a state sent on a lost connection may never have arrived: the newest again
  for (const auto& entry : p->retained_) p->retainedDue_.insert(entry.first);
  p->Log(line);
  p->Status(QStringLiteral("MQTT: ") + QString::fromStdString(line));
  p->flush_.start();
}

void MqttPublisher::OnPublish(mosquitto* mosq, void* self, int mid) {
  auto* p = static_cast<MqttPublisher*>(self);
  if (p == nullptr || p->client_.get() != mosq) return;
  if (mid == p->offlineMid_) p->offlineMid_ = -1;
  p->queue_.Acknowledge(mid);
  if (!p->flush_.isActive()) p->flush_.start();
}

void MqttPublisher::Stop(int waitMs) {
  if (stopped_) return;
  stopped_ = true;
  housekeeping_.stop();
  retry_.stop();
  flush_.stop();
  attempt_.reset();
  if (const std::size_t dropped = queue_.TakeDropped(); dropped > 0) {
    Log(std::to_string(dropped) + " messages were dropped while the broker was away");
  }
  if (client_ && connected_) {
    Flush();
  }
  if (client_ && connected_) {
    const std::string status = StatusTopic(config_);
    int mid = 0;
    if (mosquitto_publish(client_.get(), &mid, status.c_str(), int(sizeof kOffline - 1), kOffline,
                          1, true) == MOSQ_ERR_SUCCESS) {
      offlineMid_ = mid;
    }
    // bounded: the broker has `waitMs` to acknowledge the "offline"
    const QDeadlineTimer deadline(waitMs);
    while (client_ && offlineMid_ >= 0 && !deadline.hasExpired()) {
      pollfd fd{mosquitto_socket(client_.get()), POLLIN, 0};
      if (mosquitto_want_write(client_.get())) fd.events |= POLLOUT;
      if (poll(&fd, 1, int(std::min<qint64>(deadline.remainingTime(), 50))) < 0) break;
      int rc = MOSQ_ERR_SUCCESS;
      if (fd.revents & (POLLIN | POLLHUP | POLLERR)) rc = mosquitto_loop_read(client_.get(), 1);
      if (rc == MOSQ_ERR_SUCCESS && (fd.revents & POLLOUT)) rc = mosquitto_loop_write(client_.get(), 1);
      if (rc != MOSQ_ERR_SUCCESS) break;
    }
    if (offlineMid_ >= 0) Log("the broker did not acknowledge \"offline\" in time");
    mosquitto_disconnect(client_.get());
    Log("disconnected from " + Where() +
        (queue_.size() > 0 ? "; " + std::to_string(queue_.size()) + " messages not delivered" : ""));
  } else if (queue_.size() > 0) {
    Log(std::to_string(queue_.size()) + " messages not delivered: the broker is away");
  }
  DropNotifiers();
  client_.reset();
  connected_ = false;
}

void MqttPublisher::Log(const std::string& text) const {
  std::fprintf(stderr, "mqtt: %s\n", text.c_str());
}

void MqttPublisher::Status(const QString& text) const {
  if (status_) status_(text);
}

std::string MqttPublisher::Where() const {
  return config_.host + ":" + std::to_string(config_.port);
}

}  // namespace tessar
