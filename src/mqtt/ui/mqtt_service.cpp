#include "mqtt/ui/mqtt_service.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>
#include <array>
#include <cstdio>
#include <memory>

#include "acquisition/program_state.h"
#include "acquisition/ui/live_feed.h"

namespace tessar {

std::unique_ptr<MqttPublisher> StartMqttPublishing(const QString& settingsPath, LiveFeed& feed,
                                                   const ProgramState& state,
                                                   MqttPublisher::StatusSink status) {
  const std::string path = MqttConfigPathFor(settingsPath.toStdString());
  const std::optional<IniText> ini = ReadIniFile(path);
  if (!ini) return nullptr;  // publishing is off
  MqttConfigResult parsed = ParseMqttConfig(
      *ini, QSysInfo::machineHostName().toStdString(), QCoreApplication::applicationPid());
  if (parsed.config) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) parsed.error = PasswordFileProblem(*parsed.config, info.st_mode);
    const std::string& ca = parsed.config->caFile;
    if (parsed.error.empty() && !ca.empty() && !QFileInfo(QString::fromStdString(ca)).isReadable()) {
      parsed.error = "ca_file \"" + ca + "\" cannot be read";
    }
  }
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "mqtt: %s: %s; publishing is off\n", path.c_str(), parsed.error.c_str());
    if (status) {
      // the file's name only: the status bar is one line
      status(QStringLiteral("MQTT: %1: %2; publishing is off")
                 .arg(QFileInfo(QString::fromStdString(path)).fileName(),
                      QString::fromStdString(parsed.error)));
    }
    return nullptr;
  }

  auto publisher = std::make_unique<MqttPublisher>(std::move(*parsed.config), std::move(status));
  PublishFeed(feed, state, *publisher);
  publisher->Start();
  return publisher;
}

void PublishFeed(LiveFeed& feed, const ProgramState& state, MqttPublisher& publisher) {
  // what the tick needs made once
  struct Boards {
    std::array<RecordJsonCache, kBoardCount> messages;
    std::array<std::string, kBoardCount> recordTopics;
  };
  auto boards = std::make_shared<Boards>();
  for (int b = 0; b < kBoardCount; ++b) boards->recordTopics[b] = RecordTopic(publisher.config(), b);
  MqttPublisher* p = &publisher;
  QObject::connect(&feed, &LiveFeed::RecordTaken, p, [p, &state, boards](const LiveRecord& record) {
    // published even when the file could not take it: the broker then holds
    // what the disk could not
    const int b = record.board;
    p->Publish(boards->recordTopics[b], boards->messages[b].Message(record, state.Settings.boards[b]));
  });
  QObject::connect(&feed, &LiveFeed::AlarmMessage, p, [p](int board, const QString& text) {
    p->Publish(AlarmTopic(p->config(), board), text.toStdString());
  });
  // retained: a subscriber that comes later learns each board's state at once
  QObject::connect(&feed, &LiveFeed::HealthChanged, p, [p](const HealthReport& report) {
    p->PublishRetained(HealthTopic(p->config(), report.board), '{' + HealthJsonFields(report) + '}');
  });
}

}  // namespace tessar
