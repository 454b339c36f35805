// A real mosquitto broker of the test's own on a free loopback port, and a
// subscriber that records what arrives. The broker runs until stopped or the
// test process ends; a missing broker program fails the test.
#pragma once

#include <mosquitto.h>
#include <sys/prctl.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <csignal>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "wait.h"

namespace tessar::test {

inline int FreeLoopbackPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

inline constexpr const char* kBrokerProgram = "/usr/sbin/mosquitto";

class Broker {
 public:
  Broker() : port_(FreeLoopbackPort()) {
    std::ofstream(Config()) << "listener " << port_ << " 127.0.0.1\nallow_anonymous true\n"
                            << "persistence false\n";
  }
  ~Broker() { Stop(); }

  // Starts the broker and waits until it takes connections.
  bool Start() {
    process_ = std::make_unique<QProcess>();
    process_->setProgram(kBrokerProgram);
    process_->setArguments({"-c", QString::fromStdString(Config())});
    process_->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_->start();
    if (!process_->waitForStarted(5000)) return false;
    return WaitUntil([&] {
      QTcpSocket probe;
      probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
      return probe.waitForConnected(100);
    }, 15000);
  }
  void Stop() {
    if (!process_ || process_->state() == QProcess::NotRunning) return;
    process_->terminate();
    if (!process_->waitForFinished(5000)) process_->kill();
    process_->waitForFinished(2000);
  }
  int port() const { return port_; }

 private:
  std::string Config() const { return dir_.path().toStdString() + "/broker.conf"; }
  QTemporaryDir dir_;
  int port_;
  std::unique_ptr<QProcess> process_;
};

struct Received {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// Subscribes to `filter` on its own thread, again after every reconnection.
class Subscriber {
 public:
  Subscriber(int port, std::string filter) : filter_(std::move(filter)) {
    mosquitto_lib_init();
    mosq_ = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int rc) {
      if (rc == 0) mosquitto_subscribe(m, nullptr, static_cast<Subscriber*>(self)->filter_.c_str(), 1);
    });
    mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
      auto* s = static_cast<Subscriber*>(self);
      std::lock_guard lock(s->mutex_);
      ++s->subscriptions_;
    });
    mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
      auto* s = static_cast<Subscriber*>(self);
      std::lock_guard lock(s->mutex_);
      s->messages_.push_back(
          {m->topic, std::string(static_cast<const char*>(m->payload), std::size_t(m->payloadlen)),
           m->retain});
    });
    mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
    mosquitto_connect_async(mosq_, "127.0.0.1", port, 10);
    mosquitto_loop_start(mosq_);
  }
  ~Subscriber() {
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
    mosquitto_destroy(mosq_);
  }
  std::vector<Received> Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  int Subscriptions() {
    std::lock_guard lock(mutex_);
    return subscriptions_;
  }
  // Waits up to `ms` for `done` on the messages so far.
  bool WaitFor(const std::function<bool(const std::vector<Received>&)>& done, int ms) {
    return WaitUntil([&] { return done(Messages()); }, ms);
  }

 private:
  std::string filter_;
  mosquitto* mosq_ = nullptr;
  std::mutex mutex_;
  std::vector<Received> messages_;
  int subscriptions_ = 0;
};

}  // namespace tessar::test
