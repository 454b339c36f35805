// Where the services outside the window (publishing, the web read-out) hear
// of the acquisition: every record taken, every alarm message and each change
// of a board's thermocouple health, in the order the cycles produce them, on
// the UI thread. A listener must return at once: it runs inside the
// acquisition tick.
#pragma once

#include <QObject>
#include <QString>

#include "acquisition/channel_health.h"
#include "acquisition/live_record.h"

namespace tessar {

class LiveFeed : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

 signals:
  // A record was taken (written to its file or, when the file failed, not:
  // see LiveRecord::written).
  void RecordTaken(const tessar::LiveRecord& record);
  // One alarm message of a cycle, as the status bar shows it.
  void AlarmMessage(int board, const QString& text);
  // A board's thermocouple health changed (or was checked for the first time).
  void HealthChanged(const tessar::HealthReport& report);
};

}  // namespace tessar
