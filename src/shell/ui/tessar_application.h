// The application object of both programs: every exception that escapes an
// event handler is caught where the event is dispatched and written to the
// edition's error log; nothing is shown and the program goes on.
#pragma once

#include <QApplication>
#include <QString>

namespace tessar {

class TessarApplication : public QApplication {
  Q_OBJECT
 public:
  TessarApplication(int& argc, char** argv);

  // The error log (set by the main window when it is created).
  void SetErrorLogPath(const QString& path) { errorLogPath_ = path; }
  const QString& errorLogPath() const { return errorLogPath_; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  QString errorLogPath_;
};

}  // namespace tessar
