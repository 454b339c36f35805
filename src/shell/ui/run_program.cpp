#include "shell/ui/run_program.h"

#include <QTimer>

#include "common/error_log.h"
#include "net/ui/data_client.h"
#include "net/ui/data_network.h"
#include "net/ui/network_options.h"
#include "shell/ui/main_window.h"
#include "shell/ui/tessar_application.h"

namespace tessar {

int RunProgram(const Edition& edition, int argc, char** argv) {
  TessarApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(edition.applicationTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(edition.fileVersion));
  const QString exeDirectory = QApplication::applicationDirPath();
  // errors raised before the window exists go to the same log
  SetProgramErrorLog(ErrorLogPath(exeDirectory, edition.errorLogName));
  MainWindow window(edition, QApplication::applicationFilePath());
  const NetworkOptions network = ParseNetworkOptions(QApplication::arguments());
  ApplyNetworkOptions(network, window.network().Server(), window.network().Client());
  if (network.connectAtStart && window.network().Client())  // once the start sequence has run
    QTimer::singleShot(500, &window, [&window] { window.network().Client()->ConnectAll(); });
  window.show();
  return app.exec();
}

}  // namespace tessar
