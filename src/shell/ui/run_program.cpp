#include "shell/ui/run_program.h"

#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

#include "common/error_log.h"
#include "net/ui/data_client.h"
#include "net/ui/data_network.h"
#include "net/ui/network_options.h"
#include "settings/platform_paths.h"
#include "settings/settings_lock.h"
#include "shell/ui/headless.h"
#include "shell/ui/main_window.h"
#include "shell/ui/tessar_application.h"

namespace tessar {

namespace {

bool HasOption(int argc, char** argv, const char* option) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], option) == 0) return true;
  return false;
}

QString ProgramName(const Edition& edition) {
  return QString::fromLatin1(edition.applicationTitle).toLower();
}

void PrintHelp(const Edition& edition) {
  const QByteArray name = ProgramName(edition).toUtf8();
  if (edition.IsLogger()) {
    std::printf(
        "Usage: %s [--headless] [--server-port N]\n"
        "\n"
        "Logs the thermocouple boards of ORVA devices on serial ports and serves\n"
        "their data to Tessview over TCP. Its settings file, error log and ports/\n"
        "folder live beside the program when its folder can be written, otherwise\n"
        "in $XDG_CONFIG_HOME/tessar (default ~/.config/tessar).\n"
        "\n"
        "Options:\n"
        "  --headless       run without a window (e.g. as the tessar.service user\n"
        "                   unit): status lines go to standard error, SIGTERM or\n"
        "                   SIGINT end the run as closing the window does (settings\n"
        "                   kept, relays reset, viewers told, ports closed). Needs\n"
        "                   a settings file: write one with tessar-settings or the\n"
        "                   window first.\n"
        "  --server-port N  serve boards A..D on TCP ports N..N+3 (default 7996)\n"
        "  --help           this text\n"
        "  --version        the program's version\n",
        name.constData());
  } else {
    std::printf(
        "Usage: %s [--connect] [--headless] [--server-port N]\n"
        "\n"
        "Watches Tessar loggers over TCP: shows, alarms and records their boards\n"
        "as the logger does. Its settings file and error log live beside the\n"
        "program when its folder can be written, otherwise in\n"
        "$XDG_CONFIG_HOME/tessar (default ~/.config/tessar).\n"
        "\n"
        "Options:\n"
        "  --connect        connect every board once the window has started\n"
        "  --headless       run without a window and connect every board (e.g. as\n"
        "                   the tessview.service user unit): status lines go to\n"
        "                   standard error, SIGTERM or SIGINT end the run as\n"
        "                   closing the window does (settings kept, connections\n"
        "                   closed). A board whose logger went away is connected\n"
        "                   again every 30 s. Without a settings file it watches\n"
        "                   the boards of a logger on this machine.\n"
        "  --server-port N  look for boards A..D on TCP ports N..N+3 (default 7996)\n"
        "  --help           this text\n"
        "  --version        the program's version\n",
        name.constData());
  }
}

}  // namespace

int RunProgram(const Edition& edition, int argc, char** argv) {
  if (HasOption(argc, argv, "--help")) {
    PrintHelp(edition);
    return 0;
  }
  if (HasOption(argc, argv, "--version")) {
    std::printf("%s %s\n", ProgramName(edition).toUtf8().constData(), edition.fileVersion);
    return 0;
  }
  const bool headless = HasOption(argc, argv, "--headless");
  // chosen before the application object reads it
  if (headless) qputenv("QT_QPA_PLATFORM", "offscreen");

  TessarApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(edition.applicationTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(edition.fileVersion));
  const QString programDirectory = ProgramDirectory(QApplication::applicationDirPath());
  // errors raised before the window exists go to the same log
  SetProgramErrorLog(ErrorLogPath(programDirectory, edition.errorLogName));
  // held for the run, as the shutdown writes the settings: tessar-settings then refuses them
  SettingsLock settingsLock;
  const QString settingsFile = SettingsPathIn(programDirectory, QApplication::applicationFilePath());
  const std::string sharedWith = settingsLock.HoldForRun(QFile::encodeName(settingsFile).toStdString());
  if (!sharedWith.empty()) WriteErrorLine(QString::fromStdString(sharedWith));

  std::unique_ptr<HeadlessDialogs> headlessDialogs;
  if (headless && edition.IsLogger()) {
    const QString settings = SettingsPathIn(programDirectory, QApplication::applicationFilePath());
    if (!QFileInfo::exists(settings)) {
      // a first run waits for a person on the configuration page: not here
      WriteErrorLine(QStringLiteral("no settings file %1; create it with \"tessar-settings init %1\" "
                                    "and \"tessar-settings set %1 ...\", or by running tessar with "
                                    "its window once")
                         .arg(settings));
      return 2;
    }
  }
  if (headless) headlessDialogs = std::make_unique<HeadlessDialogs>();
  MainWindow window(edition, QApplication::applicationFilePath(), headlessDialogs.get());
  const NetworkOptions network = ParseNetworkOptions(QApplication::arguments());
  ApplyNetworkOptions(network, window.network().Server(), window.network().Client());
  // a viewer without a window has nobody to press "Connect": it connects at
  // start and again after a logger went away
  const bool connectAtStart = network.connectAtStart || headless;
  if (connectAtStart && window.network().Client())  // once the start sequence has run
    QTimer::singleShot(500, &window, [&window] { window.network().Client()->ConnectAll(); });
  if (headless && window.network().Client())
    window.network().Client()->SetReconnectInterval(DataClient::kUnattendedReconnectMs);

  std::unique_ptr<TerminationSignals> termination;
  if (headless) {
    QObject::connect(window.SBar(), &QStatusBar::messageChanged, &window, [](const QString& text) {
      if (!text.isEmpty()) WriteErrorLine(text);
    });
    // the same close as the window's close button; the confirmation says yes
    termination = std::make_unique<TerminationSignals>([&window](int) { window.close(); });
  }
  window.show();
  return app.exec();
}

}  // namespace tessar
