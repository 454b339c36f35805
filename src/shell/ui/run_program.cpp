#include "shell/ui/run_program.h"

#include "shell/error_log.h"
#include "shell/ui/main_window.h"
#include "shell/ui/tessar_application.h"

namespace tessar {

int RunProgram(const Edition& edition, int argc, char** argv) {
  TessarApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(edition.applicationTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(edition.fileVersion));
  const QString exeDirectory = QApplication::applicationDirPath();
  // errors raised before the window exists go to the same log
  app.SetErrorLogPath(ErrorLogPath(exeDirectory, edition.errorLogName));
  MainWindow window(edition, QApplication::applicationFilePath());
  window.show();
  return app.exec();
}

}  // namespace tessar
