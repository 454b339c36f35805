#include "shell/ui/main_window.h"

namespace tessar {

MainWindow::MainWindow(const Edition& edition, const QString& executableDirectory, QWidget* parent)
    : QMainWindow(parent), edition_(edition), exeDirectory_(executableDirectory) {
  setObjectName("Form1");
  setWindowTitle(QString::fromLatin1(edition.caption));
  setFixedSize(1024, 736);
}

}  // namespace tessar
