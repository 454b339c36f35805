// The logger publishing a run of orva-sim to a real broker: every record of
// the recording files arrives once, in order, with the files' values, also
// across a 10 s outage of the broker; the retained status follows the
// program's life to its orderly end.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "../e2e/e2e_harness.h"
#include "acquisition/live_record.h"
#include "acquisition/recording_file.h"
#include "broker.h"
#include "test_support.h"

using namespace tessar;
using namespace tessar::e2e;
using namespace tessar::test;
namespace fs = std::filesystem;

namespace {

struct Device {
  char letter;
  int port;
  const char* model;
};
// slot 5 of board A is an open input: no data
const Device kDevices[] = {{'A', 1, "ORVA-2280"}, {'B', 2, "ORVA-2280"}};

// A record as text to compare: its time and its nine values ("null": no data).
using RecordText = std::vector<std::string>;

std::vector<RecordText> FileRecords(const std::string& dataDirectory, char letter) {
  std::vector<RecordText> out;
  for (const RecordingRecord& r : BoardRecords(dataDirectory, letter)) {
    RecordText t{JsonTime(r.time)};
    for (const double v : r.values) t.push_back(JsonNumber(v));
    out.push_back(t);
  }
  return out;
}

std::vector<RecordText> MessageRecords(const std::vector<Received>& messages, char letter) {
  const std::string topic = std::string("e2e/lab/") + letter + "/record";
  std::vector<RecordText> out;
  for (const Received& m : messages) {
    if (m.topic != topic) continue;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(m.payload)).object();
    EXPECT_EQ(o["board"].toString().toStdString(), std::string(1, letter));
    RecordText t{o["time"].toString().toStdString()};
    for (const QJsonValue v : o["values"].toArray())
      t.push_back(v.isNull() ? "null" : JsonNumber(v.toDouble()));
    out.push_back(t);
  }
  return out;
}

std::string RetainedStatus(int port) {
  Subscriber s(port, "e2e/lab/status");
  s.WaitFor([](auto& m) { return !m.empty(); }, 3000);
  const auto m = s.Messages();
  return m.empty() ? "(none)" : m.front().payload;
}

}  // namespace

TEST(MqttEndToEnd, EveryRecordOfTheRunReachesTheBrokerAcrossAnOutage) {
  Broker broker;
  ASSERT_TRUE(broker.Start()) << "no " << kBrokerProgram;
  PrivateInstall install(BinPath("tessar"));
  ASSERT_TRUE(install.Ok()) << install.Error();
  const std::string settings = install.BinDirectory() + "/tessar.SET";
  const std::string config = install.BinDirectory() + "/tessar.mqtt";
  std::ofstream(config) << "[broker]\nhost=127.0.0.1\nport=" << broker.port()
                        << "\nkeepalive=5\n[publish]\ntopic_prefix=e2e/lab\nqos=1\n";
  chmod(config.c_str(), 0600);

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", QString::fromStdString(install.Root()));
  QStringList simArgs{"--dir", QString::fromStdString(install.PortsDirectory())};
  QStringList assignments{"A.englishUi=1"};
  for (const Device& d : kDevices) {
    const QString p = QString(QChar(d.letter)) + ".";
    simArgs << "--device" << QString("COM%1").arg(d.port) << "--model" << d.model;
    for (int slot = 0; slot < kSlotCount; ++slot) {
      simArgs << "--signal"
              << QString("%1=%2").arg(slot).arg(d.letter == 'A' && slot == 5
                                                     ? QString("open")
                                                     : QString("constant:%1").arg(20.5 + slot));
      assignments << p + QString("channelSensorType[%1]=1").arg(slot)
                  << p + QString("alarmHigh[%1]=2000").arg(slot);
    }
    assignments << p + QString("portNumber=%1").arg(d.port) << p + "modelName=" + d.model
                << p + "boardSensorType=1" << p + "sampleInterval=1"
                << p + "dataDirectory=" + QString::fromStdString(install.DataDirectory());
  }
  ChildProcess sim(BinPath("orva-sim"), simArgs, env, QString::fromStdString(install.Root()));
  ASSERT_TRUE(sim.WaitForLine("ready", 10000)) << sim.Errors();
  ASSERT_EQ(RunProcess(BinPath("tessar-settings"), {"init", QString::fromStdString(settings)}).exitCode, 0);
  const ProcessResult set = RunProcess(
      BinPath("tessar-settings"), QStringList{"set", QString::fromStdString(settings)} + assignments);
  ASSERT_EQ(set.exitCode, 0) << set.err;

  Subscriber sub(broker.port(), "e2e/lab/+/record");
  ASSERT_TRUE(sub.WaitFor([&](auto&) { return sub.Subscriptions() > 0; }, 5000));
  ChildProcess tessar(install.ProgramPath(), {"--headless"}, env,
                      QString::fromStdString(install.Root()));
  ASSERT_TRUE(sub.WaitFor([](auto& m) { return MessageRecords(m, 'A').size() >= 3; }, 30000))
      << tessar.Errors();
  EXPECT_EQ(RetainedStatus(broker.port()), "online");

  // eight records without a broker: the files go on, the messages wait
  const std::size_t before = FileRecords(install.DataDirectory(), 'A').size();
  broker.Stop();
  EXPECT_TRUE(WaitUntil([&] { return FileRecords(install.DataDirectory(), 'A').size() >= before + 8; }, 20000))
      << "recording went on";
  ASSERT_TRUE(broker.Start());
  // the publisher's retry after the outage comes within 16 s
  const std::size_t target = FileRecords(install.DataDirectory(), 'A').size() + 1;
  EXPECT_TRUE(sub.WaitFor([&](auto& m) { return MessageRecords(m, 'A').size() >= target; }, 30000));
  EXPECT_EQ(RetainedStatus(broker.port()), "online");

  // SIGTERM: the orderly end says "offline" itself
  EXPECT_TRUE(tessar.Terminate(5000));
  EXPECT_EQ(RetainedStatus(broker.port()), "offline");
  EXPECT_NE(tessar.Errors().find("mqtt: disconnected from"), std::string::npos) << tessar.Errors();

  const std::vector<Received> messages = sub.Messages();
  for (const Device& d : kDevices) {
    SCOPED_TRACE(std::string("board ") + d.letter);
    const std::vector<RecordText> files = FileRecords(install.DataDirectory(), d.letter);
    const std::vector<RecordText> got = MessageRecords(messages, d.letter);
    // the record of the last tick may have been on its way at the end
    ASSERT_GE(got.size() + 1, files.size());
    ASSERT_LE(got.size(), files.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], files[i]) << "record " << i;
    // slot 5 of A: an open input; slot 1: a reading
    if (d.letter == 'A') {
      EXPECT_EQ(got.front()[6], "null");
    }
    EXPECT_NE(got.front()[2], "null");
  }
  EXPECT_NE(tessar.Errors().find("mqtt: connection to 127.0.0.1:"), std::string::npos)
      << tessar.Errors();
}

namespace {

// GET `path` of the logger's web read-out on loopback; the body, or empty.
std::string HttpGet(int port, const std::string& path) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return {};
  timeval timeout{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    const std::string request =
        "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
      char buffer[4096];
      for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, std::size_t(n));
    }
  }
  close(fd);
  const std::size_t body = reply.find("\r\n\r\n");
  return reply.rfind("HTTP/1.1 200", 0) == 0 && body != std::string::npos ? reply.substr(body + 4)
                                                                           : std::string();
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The health array of a JSON object ("" for null).
std::vector<std::string> HealthOf(const QJsonObject& object) {
  std::vector<std::string> states;
  for (const QJsonValue v : object["health"].toArray()) states.push_back(v.toString().toStdString());
  return states;
}

}  // namespace

// One headless logger on orva-sim with the health checks, the web read-out
// and publishing: board A's channel 2 is open for 15 frames and then reads
// again, channel 3 is frozen, channel 4 jumps. Each start and end is one line
// on standard error; the web read-out shows each state on its channel; the
// broker holds each board's health, retained, for a subscriber that comes late.
TEST(HealthEndToEnd, OpenStuckAndJumpReachStandardErrorTheWebAndTheBroker) {
  Broker broker;
  ASSERT_TRUE(broker.Start()) << "no " << kBrokerProgram;
  PrivateInstall install(BinPath("tessar"));
  ASSERT_TRUE(install.Ok()) << install.Error();
  const std::string bin = install.BinDirectory();
  const std::string settings = bin + "/tessar.SET";
  std::ofstream(bin + "/tessar.mqtt") << "[broker]\nhost=127.0.0.1\nport=" << broker.port()
                                      << "\n[publish]\ntopic_prefix=e2e/health\n";
  const int webPort = FreeLoopbackPort();
  std::ofstream(bin + "/tessar.web") << "[http]\nport=" << webPort << "\n";
  std::ofstream(bin + "/tessar.health") << "[health]\nstuck_minutes=0.05  ; 3 s\njump_limit=20\n";

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", QString::fromStdString(install.Root()));
  QStringList simArgs{"--dir", QString::fromStdString(install.PortsDirectory()), "--device",
                      "COM1", "--signal", "0=constant:24"};
  for (int k = 1; k <= 8; ++k) simArgs << "--signal" << QString("%1=noise:%2:0.5").arg(k).arg(30 + k);
  simArgs << "--fault" << "open:2:15" << "--fault" << "freeze:3" << "--fault" << "jump:4";
  ChildProcess sim(BinPath("orva-sim"), simArgs, env, QString::fromStdString(install.Root()));
  ASSERT_TRUE(sim.WaitForLine("ready", 10000)) << sim.Errors();
  QStringList assignments{"set", QString::fromStdString(settings), "A.englishUi=1", "A.portNumber=1",
                          "A.modelName=ORVA-2280", "A.boardSensorType=1", "A.sampleInterval=1",
                          "A.dataDirectory=" + QString::fromStdString(install.DataDirectory())};
  for (int slot = 0; slot < kSlotCount; ++slot) assignments << QString("A.channelSensorType[%1]=1").arg(slot);
  ASSERT_EQ(RunProcess(BinPath("tessar-settings"), {"init", QString::fromStdString(settings)}).exitCode, 0);
  const ProcessResult set = RunProcess(BinPath("tessar-settings"), assignments);
  ASSERT_EQ(set.exitCode, 0) << set.err;

  Subscriber all(broker.port(), "e2e/health/+/health");
  ASSERT_TRUE(all.WaitFor([&](auto&) { return all.Subscriptions() > 0; }, 5000));
  ChildProcess tessar(install.ProgramPath(), {"--headless"}, env, QString::fromStdString(install.Root()));

  // every state seen on its channel by the web read-out, until channel 2 reads again
  std::set<std::pair<int, std::string>> seen;
  const bool again = WaitUntil(
      [&] {
        const QJsonArray boards =
            QJsonDocument::fromJson(QByteArray::fromStdString(HttpGet(webPort, "/api/boards"))).array();
        std::vector<std::string> health;
        if (!boards.isEmpty()) health = HealthOf(boards[0].toObject());
        for (std::size_t k = 0; k < health.size(); ++k) seen.insert({int(k), health[k]});
        return (seen.count({2, "open"}) && health.size() > 2 && health[2] == "ok") ||
               !tessar.Running();
      }, 60000);
  ASSERT_TRUE(again && tessar.Running()) << (tessar.Terminate(5000), tessar.Errors());
  EXPECT_TRUE(seen.count({2, "open"})) << "channel 2 shown open";
  EXPECT_TRUE(seen.count({3, "stuck"})) << "channel 3 shown stuck";
  EXPECT_TRUE(seen.count({4, "jump"})) << "channel 4 shown jumping";
  EXPECT_FALSE(seen.count({1, "open"}) || seen.count({1, "stuck"}) || seen.count({1, "jump"}));
  EXPECT_TRUE(seen.count({0, ""})) << "the cold junction is not checked";

  // the retained state, as a subscriber that comes now finds it
  Subscriber late(broker.port(), "e2e/health/A/health");
  ASSERT_TRUE(late.WaitFor([](auto& m) { return !m.empty(); }, 5000));
  const Received retained = late.Messages().front();
  EXPECT_TRUE(retained.retained);
  const QJsonObject last = QJsonDocument::fromJson(QByteArray::fromStdString(retained.payload)).object();
  EXPECT_EQ(last["board"].toString(), "A");
  EXPECT_EQ(HealthOf(last), (std::vector<std::string>{"", "ok", "ok", "stuck", "jump", "ok", "ok", "ok", "ok"}))
      << retained.payload;
  EXPECT_TRUE(last["since"].toArray()[3].isString());
  bool publishedOpen = false;
  for (const Received& m : all.Messages()) {
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(m.payload)).object();
    if (HealthOf(o).size() == kSlotCount && HealthOf(o)[2] == "open") publishedOpen = true;
  }
  EXPECT_TRUE(publishedOpen) << "each change was published";

  EXPECT_TRUE(tessar.Terminate(10000));
  const std::string errors = tessar.Errors();
  // one line per start and end, not one more from the status bar
  EXPECT_EQ(Count(errors, "tessar: A CH2 thermocouple open\n"), 1u) << errors;
  EXPECT_EQ(Count(errors, "tessar: A CH2 reading again\n"), 1u) << errors;
  EXPECT_EQ(Count(errors, "tessar: A CH3 reading stuck (count unchanged for 0.05 min)\n"), 1u) << errors;
  EXPECT_EQ(Count(errors, "tessar: A CH4 reading jumps (more than 20 between records)\n"), 1u) << errors;
  EXPECT_EQ(Count(errors, "tessar: A CH1 "), 0u) << errors;
  EXPECT_FALSE(FileExists(bin + "/Exception1.Err"));
}
