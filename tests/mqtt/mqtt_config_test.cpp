#include "mqtt/mqtt_config.h"

#include <gtest/gtest.h>

#include <vector>

#include "mqtt/message_queue.h"

namespace tessar {
namespace {

MqttConfigResult Parse(const char* text) { return ParseMqttConfig(ParseIni(text), "bench7", 4242); }

TEST(MqttConfig, DefaultsAndEveryKey) {
  const MqttConfigResult least = Parse("[broker]\nhost=10.0.0.5\n");
  ASSERT_TRUE(least.config) << least.error;
  EXPECT_EQ(*least.config, (MqttConfig{"10.0.0.5", 1883, "tessar-bench7-4242", "", "", "", 30,
                                       "tessar/bench7", 1, 10000}));

  const MqttConfigResult all = Parse(
      "[broker]\nhost=mq.lab ; the plant's broker\nport=8883\nclient_id=oven-3\n"
      "username=logger\npassword=s;cret\nca_file=/etc/ssl/lab-ca.pem\nkeepalive=60\n"
      "[publish]\ntopic_prefix=plant/ovens\nqos=0\nqueue_limit=1\n");
  ASSERT_TRUE(all.config) << all.error;
  EXPECT_EQ(*all.config, (MqttConfig{"mq.lab", 8883, "oven-3", "logger", "s;cret",
                                     "/etc/ssl/lab-ca.pem", 60, "plant/ovens", 0, 1}));
  EXPECT_EQ(RecordTopic(*all.config, 0), "plant/ovens/A/record");
  EXPECT_EQ(AlarmTopic(*all.config, 3), "plant/ovens/D/alarm");
  EXPECT_EQ(StatusTopic(*all.config), "plant/ovens/status");
}

TEST(MqttConfig, RefusesWhatItCannotUseWithTheReason) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"[broker]\nhost=h\nprot=1883\n", "line 3: unknown key \"prot\" in [broker]"},
      {"[publish]\nhost=h\n", "line 2: unknown key \"host\" in [publish]"},
      {"[broker]\nport=1883\n", "[broker] host is required"},
      {"[broker]\nhost=\n", "[broker] host is required"},
      {"[broker]\nhost=h\nport=0\n", "line 3: port must be a whole number from 1 to 65535, not \"0\""},
      {"[broker]\nhost=h\nport=65536\n",
       "line 3: port must be a whole number from 1 to 65535, not \"65536\""},
      {"[broker]\nhost=h\nport=18 83\n",
       "line 3: port must be a whole number from 1 to 65535, not \"18 83\""},
      {"[broker]\nhost=h\nkeepalive=2\n",
       "line 3: keepalive must be a whole number from 5 to 65535, not \"2\""},
      {"[broker]\nhost=h\n[publish]\nqos=2\n", "line 4: qos must be a whole number from 0 to 1, not \"2\""},
      {"[broker]\nhost=h\n[publish]\nqueue_limit=0\n",
       "line 4: queue_limit must be a whole number from 1 to 1000000, not \"0\""},
      {"[broker]\nhost=h\npassword=p\n", "[broker] password is given without a username"},
      {"[broker]\nhost=h\n[publish]\ntopic_prefix=lab/#\n",
       "line 4: topic_prefix \"lab/#\" must not hold '+' or '#' nor end with '/'"},
      {"[broker]\nhost=h\n[publish]\ntopic_prefix=lab/\n",
       "line 4: topic_prefix \"lab/\" must not hold '+' or '#' nor end with '/'"},
      {"[broker]\nhost\n", "line 2: expected key=value"},
  };
  for (const auto& c : cases) {
    const MqttConfigResult r = Parse(c.text);
    EXPECT_FALSE(r.config) << c.text;
    EXPECT_EQ(r.error, c.error) << c.text;
  }
}

TEST(MqttConfig, PasswordFileOnlyForItsOwner) {
  const MqttConfig withPassword = *Parse("[broker]\nhost=h\nusername=u\npassword=p\n").config;
  const MqttConfig without = *Parse("[broker]\nhost=h\nusername=u\n").config;
  const struct {
    unsigned mode;
    bool refusedWithPassword;
  } cases[] = {{0600, false}, {0400, false}, {0620, false}, {0640, true}, {0604, true}, {0644, true}};
  for (const auto& c : cases) {
    EXPECT_EQ(!PasswordFileProblem(withPassword, c.mode).empty(), c.refusedWithPassword) << c.mode;
    EXPECT_TRUE(PasswordFileProblem(without, c.mode).empty()) << c.mode;
  }
}

TEST(MqttConfig, FileNameAndReconnectDelays) {
  EXPECT_EQ(MqttConfigPathFor("/opt/tessar/tessar.SET"), "/opt/tessar/tessar.mqtt");
  EXPECT_EQ(MqttConfigPathFor("/home/u/.config/tessview.ini"), "/home/u/.config/tessview.mqtt");
  EXPECT_EQ(MqttConfigPathFor("/opt/v1.2/tessar"), "/opt/v1.2/tessar.mqtt");

  std::vector<int> delays;
  for (int retry = 0; retry < 9; ++retry) delays.push_back(ReconnectDelayMs(retry));
  EXPECT_EQ(delays, (std::vector<int>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
}

std::vector<std::string> Payloads(const MessageQueue& q) {
  std::vector<std::string> out;
  for (const QueuedMessage& m : q.messages()) out.push_back(m.payload);
  return out;
}

TEST(MessageQueue, HoldsTheNewestInOrderAndCountsDropsPerOutage) {
  MessageQueue q(3);
  for (const char* p : {"1", "2", "3", "4", "5"}) q.Push("t", p);
  EXPECT_EQ(Payloads(q), (std::vector<std::string>{"3", "4", "5"}));
  EXPECT_EQ(q.TakeDropped(), 2u);
  EXPECT_EQ(q.TakeDropped(), 0u);

  // handed over, two of three acknowledged out of order: only the prefix goes
  QueuedMessage* m = nullptr;
  for (int mid = 1; (m = q.NextToSend(2)) != nullptr; ++mid) q.MarkSent(*m, mid);
  EXPECT_EQ(q.InFlight(), 2u) << "the window holds back the third";
  q.Acknowledge(2);
  EXPECT_EQ(q.size(), 3u);
  q.Acknowledge(1);
  EXPECT_EQ(Payloads(q), (std::vector<std::string>{"5"}));
  q.Acknowledge(1);  // a repeated or unknown acknowledgement changes nothing
  EXPECT_EQ(q.size(), 1u);

  // lost before its acknowledgement: sent again in place, after acknowledged ones left
  q.MarkSent(*q.NextToSend(10), 3);
  q.Push("t", "6");
  q.MarkSent(*q.NextToSend(10), 4);
  q.Push("t", "7");
  q.Acknowledge(4);
  q.ConnectionLost();
  EXPECT_EQ(q.InFlight(), 0u);
  EXPECT_EQ(Payloads(q), (std::vector<std::string>{"5", "7"}));
  EXPECT_EQ(q.NextToSend(10)->payload, "5");

}

// Only what waits to be handed over counts against the limit: messages on
// their way to the broker take no place until a lost connection puts them
// back among the waiting, where the oldest beyond the limit are dropped.
TEST(MessageQueue, OnlyWaitingMessagesCountAgainstTheLimit) {
  struct Step {
    const char* action;  // "push", "send", "ack <mid>", "lost"
    std::vector<std::string> held;
    std::size_t waiting;
    std::size_t dropped;
  };
  const Step steps[] = {
      {"push", {"1"}, 1, 0},
      {"send", {"1"}, 0, 0},
      {"push", {"1", "2"}, 1, 0},
      {"push", {"1", "2", "3"}, 2, 0},  // "1" on its way takes no place
      {"send", {"1", "2", "3"}, 1, 0},
      {"push", {"1", "2", "3", "4"}, 2, 0},
      {"push", {"1", "2", "4", "5"}, 2, 1},  // the oldest waiting goes, not one on its way
      {"ack 1", {"2", "4", "5"}, 2, 1},
      {"lost", {"4", "5"}, 2, 2},  // "2" waits again: three beyond the limit of two
  };
  MessageQueue q(2);
  int pushed = 0;
  int mid = 0;
  for (const Step& step : steps) {
    const std::string action = step.action;
    if (action == "push") {
      q.Push("t", std::to_string(++pushed));
    } else if (action == "send") {
      q.MarkSent(*q.NextToSend(10), ++mid);
    } else if (action.rfind("ack ", 0) == 0) {
      q.Acknowledge(std::stoi(action.substr(4)));
    } else {
      q.ConnectionLost();
    }
    EXPECT_EQ(Payloads(q), step.held) << action << " " << pushed;
    EXPECT_EQ(q.Waiting(), step.waiting) << action << " " << pushed;
    EXPECT_EQ(q.Dropped(), step.dropped) << action << " " << pushed;
  }
}

}  // namespace
}  // namespace tessar
