#include "shell/ui/tessar_application.h"

#include "common/error_log.h"

namespace tessar {

TessarApplication::TessarApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TessarApplication::notify(QObject* receiver, QEvent* event) {
  return RunLoggingErrors(ProgramErrorLog(), ClassNameOf(receiver),
                          [&] { return QApplication::notify(receiver, event); });
}

}  // namespace tessar
