// The application object of both programs. Handlers catch their own
// exceptions (common/ui/guarded.h); an exception that still escapes an event
// handler is caught here, where the event is dispatched, and written to the
// program's error log; nothing is shown and the program goes on.
#pragma once

#include <QApplication>

namespace tessar {

class TessarApplication : public QApplication {
  Q_OBJECT
 public:
  TessarApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tessar
