// The logger publishing a run of orva-sim to a real broker: every record of
// the recording files arrives once, in order, with the files' values, also
// across a 10 s outage of the broker; the retained status follows the
// program's life to its orderly end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
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
