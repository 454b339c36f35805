#include "shell/ui/run_program.h"

#include <QApplication>

#include "shell/ui/main_window.h"

namespace tessar {

int RunProgram(const Edition& edition, int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(edition.applicationTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(edition.fileVersion));
  MainWindow window(edition, QApplication::applicationDirPath());
  window.show();
  return app.exec();
}

}  // namespace tessar
