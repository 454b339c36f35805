#include "mqtt/ui/mqtt_publisher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <fstream>

#include "acquisition/program_state.h"
#include "acquisition/ui/live_feed.h"
#include "broker.h"
#include "wait.h"
#include "mqtt/ui/mqtt_service.h"

namespace tessar {
namespace {

using test::Broker;
using test::Received;
using test::Subscriber;

std::vector<std::string> Payloads(const std::vector<Received>& messages, const std::string& topic) {
  std::vector<std::string> out;
  for (const Received& m : messages) {
    if (m.topic == topic) out.push_back(m.payload);
  }
  return out;
}

// The broker is away at the start: the newest queue_limit messages wait and
// go out in order once it is there; the orderly stop leaves "offline".
TEST(MqttPublisher, HoldsTheNewestWhileTheBrokerIsAwayThenSendsThemInOrder) {
  Broker broker;
  MqttConfig config;
  config.host = "127.0.0.1";
  config.port = broker.port();
  config.clientId = "publisher-test";
  config.topicPrefix = "t/lab";
  config.queueLimit = 3;
  QStringList status;
  MqttPublisher publisher(config, [&status](const QString& s) { status << s; });
  publisher.Start();
  for (const char* p : {"1", "2", "3", "4", "5"}) publisher.Publish("t/lab/A/record", p);
  // until the attempt has failed and said so
  EXPECT_TRUE(test::WaitUntil([&] { return !status.isEmpty() && status.last().contains("broker away"); }));
  EXPECT_FALSE(publisher.Connected());
  EXPECT_EQ(publisher.queue().size(), 3u);
  ASSERT_FALSE(status.isEmpty());
  EXPECT_EQ(status.last(), "MQTT: broker away, 2 messages dropped (queue_limit 3)");

  ASSERT_TRUE(broker.Start()) << "no " << test::kBrokerProgram;
  Subscriber sub(broker.port(), "t/lab/#");
  ASSERT_TRUE(sub.WaitFor([&](auto&) { return sub.Subscriptions() > 0; }, 5000));
  // the first retry comes 1 s after the failed attempt
  ASSERT_TRUE(sub.WaitFor([](auto& m) { return Payloads(m, "t/lab/A/record").size() >= 3; }, 8000));
  publisher.Publish("t/lab/A/record", "6");
  publisher.Publish("t/lab/B/alarm", "CH 1 high");
  ASSERT_TRUE(sub.WaitFor([](auto& m) { return Payloads(m, "t/lab/B/alarm").size() == 1; }, 3000));
  const std::vector<Received> got = sub.Messages();
  EXPECT_EQ(Payloads(got, "t/lab/A/record"), (std::vector<std::string>{"3", "4", "5", "6"}));
  EXPECT_EQ(Payloads(got, "t/lab/status"), (std::vector<std::string>{"online"}));
  EXPECT_TRUE(status.last().contains("connected to 127.0.0.1:")) << status.last().toStdString();
  EXPECT_TRUE(status.last().contains("2 messages were dropped")) << status.last().toStdString();

  publisher.Stop();
  EXPECT_EQ(publisher.queue().size(), 0u);
  Subscriber late(broker.port(), "t/lab/status");
  ASSERT_TRUE(late.WaitFor([](auto& m) { return !m.empty(); }, 3000));
  EXPECT_EQ(late.Messages().front().payload, "offline");
  EXPECT_TRUE(late.Messages().front().retained);

  // gone without the orderly stop (a crash, a kill): the last will says it
  auto crashing = std::make_unique<MqttPublisher>(config, nullptr);
  crashing->Start();
  ASSERT_TRUE(late.WaitFor([](auto& m) { return m.back().payload == "online"; }, 5000));
  crashing.reset();
  ASSERT_TRUE(late.WaitFor([](auto& m) { return m.back().payload == "offline"; }, 5000));
}

// A broker that takes the connection and never acknowledges a message: what
// it holds unacknowledged does not count against queue_limit.
class SilentBroker : public QObject {
 public:
  SilentBroker() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      QTcpSocket* peer = server_.nextPendingConnection();
      connect(peer, &QTcpSocket::readyRead, peer, [peer] {
        const QByteArray bytes = peer->readAll();
        // CONNECT is the first packet: accepted; every PUBLISH is left unanswered
        if (!bytes.isEmpty() && static_cast<unsigned char>(bytes[0]) == 0x10 && !peer->property("in").toBool()) {
          peer->setProperty("in", true);
          peer->write(QByteArray::fromHex("20020000"));
        }
      });
    });
  }
  int port() const { return server_.serverPort(); }

 private:
  QTcpServer server_;
};

// A connected broker: every message of a burst goes out even with a small
// queue_limit; when messages pile up because the broker does not acknowledge
// them, the drops are reported as a full queue, not as the broker away.
TEST(MqttPublisher, ALimitCountsWhatWaitsNotWhatIsOnItsWay) {
  struct Case {
    bool acknowledging;
    int burst;
    std::size_t limit;
    const char* status;  // the last status line, empty: none beyond the connection's
  };
  const Case cases[] = {
      {true, 6, 1, ""},
      {false, 105, 3, "MQTT: queue full, 2 messages dropped (queue_limit 3)"},
  };
  for (const Case& c : cases) {
    Broker broker;
    SilentBroker silent;
    if (c.acknowledging) {
      ASSERT_TRUE(broker.Start()) << "no " << test::kBrokerProgram;
    }
    MqttConfig config;
    config.host = "127.0.0.1";
    config.port = c.acknowledging ? broker.port() : silent.port();
    config.clientId = "limit-test";
    config.topicPrefix = "t/lab";
    config.queueLimit = static_cast<int>(c.limit);
    QStringList status;
    MqttPublisher publisher(config, [&status](const QString& s) { status << s; });
    std::unique_ptr<Subscriber> sub;
    if (c.acknowledging) {
      sub = std::make_unique<Subscriber>(broker.port(), "t/lab/A/#");
      ASSERT_TRUE(sub->WaitFor([&](auto&) { return sub->Subscriptions() > 0; }, 5000));
    }
    publisher.Start();
    ASSERT_TRUE(test::WaitUntil([&] { return publisher.Connected(); }, 10000)) << c.burst;
    for (int i = 1; i <= c.burst; ++i) publisher.Publish("t/lab/A/record", std::to_string(i));
    if (c.acknowledging) {
      ASSERT_TRUE(sub->WaitFor([&](auto& m) { return int(m.size()) >= c.burst; }, 5000))
          << sub->Messages().size();
      EXPECT_EQ(publisher.queue().Dropped(), 0u);
      EXPECT_TRUE(status.last().startsWith("MQTT: connected to ")) << status.last().toStdString();
    } else {
      EXPECT_EQ(publisher.queue().Waiting(), c.limit);
      EXPECT_EQ(status.last(), c.status);
    }
    publisher.Stop(0);
  }
}

// A configuration that cannot be used is refused with its reason; without a
// file nothing is said and nothing published.
TEST(MqttPublisher, RefusedConfigurationsSayWhyAndPublishNothing) {
  QTemporaryDir dir;
  const QString settings = dir.path() + "/tessar.SET";
  const std::string file = dir.path().toStdString() + "/tessar.mqtt";
  const struct {
    const char* text;
    unsigned mode;
    const char* message;  // empty: no file
  } cases[] = {
      {nullptr, 0600, ""},
      {"[broker]\nhost=127.0.0.1\nhots=x\n", 0644, "line 3: unknown key \"hots\" in [broker]"},
      {"[broker]\nhost=127.0.0.1\nusername=u\npassword=p\n", 0644,
       "holds a password and is readable by group or others"},
      {"[broker]\nhost=127.0.0.1\nca_file=/nonexistent/ca.pem\n", 0644,
       "ca_file \"/nonexistent/ca.pem\" cannot be read"},
  };
  LiveFeed feed;
  ProgramState state;
  for (const auto& c : cases) {
    std::remove(file.c_str());
    if (c.text) {
      std::ofstream(file) << c.text;
      chmod(file.c_str(), c.mode);
    }
    QStringList status;
    const auto publisher =
        StartMqttPublishing(settings, feed, state, [&status](const QString& s) { status << s; });
    EXPECT_EQ(publisher, nullptr) << c.message;
    if (*c.message == '\0') {
      EXPECT_TRUE(status.isEmpty());
    } else {
      ASSERT_EQ(status.size(), 1) << c.message;
      EXPECT_TRUE(status[0].startsWith("MQTT: tessar.mqtt: ")) << status[0].toStdString();
      EXPECT_TRUE(status[0].contains(c.message)) << status[0].toStdString();
      EXPECT_TRUE(status[0].endsWith("publishing is off")) << status[0].toStdString();
    }
  }
}

}  // namespace
}  // namespace tessar
