// Where the services outside the window (publishing, the web read-out) hear
// of the acquisition: every record taken and every alarm message, in the
// order the cycles produce them, on the UI thread. A listener must return at
// once: it runs inside the acquisition tick.
#pragma once

#include <QObject>
#include <QString>

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
};

}  // namespace tessar
