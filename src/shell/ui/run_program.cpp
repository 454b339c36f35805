#include "shell/ui/run_program.h"

#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/error_log.h"
#include "device/ui/journal.h"
#include "net/net_message.h"
#include "net/ui/data_client.h"
#include "net/ui/data_network.h"
#include "net/ui/network_options.h"
#include "settings/platform_paths.h"
#include "settings/settings_lock.h"
#include "shell/command_line.h"
#include "shell/server_port_config.h"
#include "shell/ui/headless.h"
#include "shell/ui/main_window.h"
#include "shell/ui/service_manager.h"
#include "shell/ui/termination.h"
#include "shell/ui/tessar_application.h"

namespace tessar {

namespace {

QString ProgramName(const Edition& edition) {
  return QString::fromLatin1(edition.applicationTitle).toLower();
}

void Print(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

// The first port of boards A..D: the command line's, else that of the
// program folder's ".net" file, else the default. False (with the reason on
// standard error) for a file that cannot be used.
bool ChooseFirstServerPort(const CommandLine& line, const QString& settingsPath, int& firstPort) {
  firstPort = kFirstServerPort;
  if (line.serverPort != 0) {
    firstPort = line.serverPort;
    return true;
  }
  const std::optional<ServerPortConfig> file =
      ReadServerPortConfig(ServerPortConfigPathFor(QFile::encodeName(settingsPath).toStdString()));
  if (!file) return true;
  if (file->firstPort == 0) {
    WriteErrorLine(QString::fromStdString(file->error));
    return false;
  }
  firstPort = file->firstPort;
  return true;
}

}  // namespace

int RunProgram(const Edition& edition, int argc, char** argv) {
  std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write, as a full disk does
  const std::string name = ProgramName(edition).toStdString();
  const CommandLine line =
      ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), edition.kind);
  switch (line.action) {
    case CommandLine::Action::Help:
      Print(stdout, HelpText(edition.kind, name));
      return 0;
    case CommandLine::Action::Version:
      std::printf("%s %s\n", name.c_str(), edition.fileVersion);
      return 0;
    case CommandLine::Action::Refuse:
      Print(stderr, name + ": " + line.error + "\n" + UsageText(edition.kind, name));
      return 2;
    case CommandLine::Action::Run:
      break;
  }
  const bool headless = line.headless;
  // chosen before the application object reads it
  if (headless) qputenv("QT_QPA_PLATFORM", "offscreen");

  // Qt reads no option of ours: the platform comes from its environment
  int qtArgc = argc > 0 ? 1 : 0;
  TessarApplication app(qtArgc, argv);
  QApplication::setApplicationName(QString::fromLatin1(edition.applicationTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(edition.fileVersion));
  const QString instance = QString::fromStdString(line.instance);
  const QString programDirectory = ProgramDirectory(QApplication::applicationDirPath(), instance);
  // errors raised before the window exists go to the same log
  SetProgramErrorLog(ErrorLogPath(programDirectory, edition.errorLogName));
  const QString settings = SettingsPathIn(programDirectory, QApplication::applicationFilePath());
  // held for the run, as the shutdown writes the settings: tessar-settings then refuses them
  SettingsLock settingsLock;
  const std::string sharedWith = settingsLock.HoldForRun(QFile::encodeName(settings).toStdString());
  if (!sharedWith.empty()) WriteErrorLine(QString::fromStdString(sharedWith));
  int firstPort = kFirstServerPort;
  if (!ChooseFirstServerPort(line, settings, firstPort)) return 2;

  std::unique_ptr<HeadlessDialogs> headlessDialogs;
  if (headless && edition.IsLogger()) {
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
  MainWindow window(edition, QApplication::applicationFilePath(), headlessDialogs.get(), instance);
  NetworkOptions network;
  network.firstPort = firstPort;
  network.connectAtStart = line.connectAtStart;
  ApplyNetworkOptions(network, window.network().Server(), window.network().Client());
  // a viewer without a window has nobody to press "Connect": it connects at
  // start and again after a logger went away
  const bool connectAtStart = network.connectAtStart || headless;
  if (connectAtStart && window.network().Client())  // once the start sequence has run
    QTimer::singleShot(500, &window, [&window] { window.network().Client()->ConnectAll(); });
  if (headless && window.network().Client())
    window.network().Client()->SetReconnectInterval(DataClient::kUnattendedReconnectMs);

  if (headless) {
    StatusBarJournaled = true;
    QObject::connect(window.SBar(), &QStatusBar::messageChanged, &window, [](const QString& text) {
      if (!text.isEmpty()) WriteErrorLine(text);
    });
  }
  auto* serviceManager = new ServiceManagerLink(window);
  // the same close as the window's close button, without the question
  TerminationSignals termination([&window, serviceManager](int) {
    serviceManager->Stopping();
    CloseUnaskedWhenUnblocked(window);
  });
  window.show();
  return app.exec();
}

}  // namespace tessar
