// tessar-screenshots: the pictures of the README, taken of the programs' own
// windows. scripts/screenshots runs it under Xvfb against orva-sim devices.
//
//   tessar-screenshots window --edition logger|viewer --exe PATH
//                             [--server-port N] [--connect] PAGE@SECONDS=FILE.png ...
//     The main window of the edition, run as that program would be from the
//     folder of PATH (its settings file, ports/ and .web file beside it).
//     SECONDS into its run each PAGE (0..3 the boards' live pages, 4 the
//     network page, 5 "Display", 6..9 the configuration pages) is shown and
//     saved; after the last one the window closes as on SIGTERM.
//
//   tessar-screenshots browser --exe PATH --board L --day YYYY-MM-DD
//                              --window FILE.png --report FILE.pdf
//     Writes a day of recordings of board L (a thermal-cycling rig, with the
//     board's texts from the settings beside PATH) into its data directory,
//     loads the day into the record browser, smooths it and saves the window,
//     then the browser's report of it as a PDF.
#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "acquisition/program_state.h"
#include "browser/ui/browser_window.h"
#include "browser/ui/report_page.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "day_recording.h"
#include "net/ui/data_client.h"
#include "net/ui/data_network.h"
#include "net/ui/network_options.h"
#include "settings/board_settings.h"
#include "shell/edition.h"
#include "shell/ui/headless.h"
#include "shell/ui/main_window.h"
#include "shell/ui/tessar_application.h"

namespace tessar::shots {

namespace {

int Fail(const QString& text) {
  std::fprintf(stderr, "tessar-screenshots: %s\n", qPrintable(text));
  return 1;
}

// Lets the window lay out and paint what changed.
void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

// Saves a widget's picture; PNG by the file's extension.
bool Save(QWidget& widget, const QString& path) {
  Settle();
  const QImage image = widget.grab().toImage();
  if (!image.save(path)) {
    std::fprintf(stderr, "tessar-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

struct Shot {
  int page;
  int seconds;
  QString path;
};

int RunWindow(const QStringList& args) {
  const Edition* edition = nullptr;
  QString exe;
  std::vector<Shot> shots;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == QLatin1String("--edition") && hasValue) {
      const QString e = args[++i];
      edition = e == QLatin1String("logger") ? &kTessarEdition
                : e == QLatin1String("viewer") ? &kTessviewEdition
                                               : nullptr;
    } else if (a == QLatin1String("--exe") && hasValue) {
      exe = QFileInfo(args[++i]).absoluteFilePath();
    } else if (a == QLatin1String("--server-port") && hasValue) {
      ++i;  // read by ParseNetworkOptions below
    } else if (a == QLatin1String("--connect")) {
    } else if (a.contains(QLatin1Char('='))) {
      const QString when = a.section(QLatin1Char('='), 0, 0);
      bool pageOk = false, secondsOk = false;
      const int page = when.section(QLatin1Char('@'), 0, 0).toInt(&pageOk);
      const int seconds = when.section(QLatin1Char('@'), 1).toInt(&secondsOk);
      if (!pageOk || !secondsOk || page < 0 || page > kPageConfig1 + 3 || seconds < 1)
        return Fail(QStringLiteral("not PAGE@SECONDS=FILE: ") + a);
      shots.push_back({page, seconds, a.section(QLatin1Char('='), 1)});
    } else {
      return Fail(QStringLiteral("unknown argument ") + a);
    }
  }
  if (!edition || exe.isEmpty() || shots.empty())
    return Fail(QStringLiteral("window needs --edition, --exe and PAGE@SECONDS=FILE"));

  // message boxes go to standard error: nothing can stop the run for a person
  HeadlessDialogs dialogs;
  MainWindow window(*edition, exe, &dialogs);
  window.SetCloseDelayMs(0);
  const NetworkOptions network = ParseNetworkOptions(args);
  ApplyNetworkOptions(network, window.network().Server(), window.network().Client());
  QObject::connect(window.SBar(), &QStatusBar::messageChanged, [](const QString& text) {
    if (!text.isEmpty()) std::fprintf(stderr, "status: %s\n", qPrintable(text));
  });
  if (network.connectAtStart && window.network().Client())
    QTimer::singleShot(1000, &window, [&window] { window.network().Client()->ConnectAll(); });
  window.show();

  // One picture after the other, each waiting for its time: a picture's
  // painting runs the event loop, which must not start the next one meanwhile.
  std::stable_sort(shots.begin(), shots.end(),
                   [](const Shot& a, const Shot& b) { return a.seconds < b.seconds; });
  int status = 0;
  QElapsedTimer clock;
  clock.start();
  std::function<void(std::size_t)> take = [&](std::size_t next) {
    if (next == shots.size()) {
      window.CloseUnasked();
      QTimer::singleShot(3000, qApp, &QCoreApplication::quit);  // should the close not end the loop
      return;
    }
    const qint64 wait = std::max<qint64>(0, shots[next].seconds * 1000LL - clock.elapsed());
    QTimer::singleShot(static_cast<int>(wait), &window, [&, next] {
      window.PageControl()->setCurrentIndex(shots[next].page);
      if (!Save(window, shots[next].path)) status = 1;
      take(next + 1);
    });
  };
  take(0);
  const int loop = QApplication::exec();
  return status != 0 ? status : loop;
}

int RunBrowser(const QStringList& args) {
  QString exe, windowPng, reportPdf;
  int board = -1;
  QDate day;
  for (int i = 0; i + 1 < args.size(); i += 2) {
    const QString& a = args[i];
    const QString& v = args[i + 1];
    if (a == QLatin1String("--exe")) exe = QFileInfo(v).absoluteFilePath();
    else if (a == QLatin1String("--board") && v.size() == 1) board = v.at(0).toLatin1() - 'A';
    else if (a == QLatin1String("--day")) day = QDate::fromString(v, Qt::ISODate);
    else if (a == QLatin1String("--window")) windowPng = v;
    else if (a == QLatin1String("--report")) reportPdf = v;
    else return Fail(QStringLiteral("unknown argument ") + a);
  }
  if (exe.isEmpty() || board < 0 || board >= kBoardCount || !day.isValid() || windowPng.isEmpty() ||
      reportPdf.isEmpty())
    return Fail(QStringLiteral("browser needs --exe, --board A..D, --day, --window and --report"));

  SettingsImage image;
  const std::string settingsPath = SettingsPathFor(QFile::encodeName(exe).toStdString());
  if (!LoadSettings(settingsPath, image))
    return Fail(QStringLiteral("no settings file ") + QString::fromStdString(settingsPath));
  const BoardSettings& record = image.boards[board];
  const QString data = QFile::decodeName(record.dataDirectory);

  const double dayStart = EncodeDateTime({day.year(), day.month(), day.day(), 0, 0, 0});
  // a record every 30 s: the day's 2880 records fit the browser's chart whole
  const std::string written =
      WriteCyclingDay(QFile::encodeName(data).toStdString(), board, record, dayStart, 30);
  if (!written.empty()) return Fail(QString::fromStdString(written));

  // the next morning: the report's print time
  ManualClock clock(dayStart + 1.0 + 9.0 / 24.0);
  ScopedClock scoped(clock);
  ProgramState state;
  state.KoreanUi = image.boards[0].englishUi == 0;
  state.CurrentDataDirectory = data;
  state.ProgramDirectory = QFileInfo(exe).absolutePath();
  HeadlessDialogs dialogs;
  BrowserWindow browser(state, dialogs);
  browser.show();
  Settle();
  browser.CBSel->setCurrentIndex(board);
  browser.DateTimePicker1->setDate(day);
  browser.UDStart->setValue(0);
  browser.DateTimePicker2->setDate(day.addDays(1));
  browser.UDEnd->setValue(0);
  browser.BtnDrawClick();
  browser.BtSmthClick();
  if (!Save(browser, windowPng)) return 1;

  bool reported = false;
  browser.showReport = [&](ReportForm& form) { reported = WriteReportPdf(form.content(), reportPdf); };
  browser.BtPrintClick();
  if (!reported) return Fail(QStringLiteral("no report written to ") + reportPdf);
  std::printf("%s\n", qPrintable(reportPdf));
  return 0;
}

}  // namespace

}  // namespace tessar::shots

int main(int argc, char** argv) {
  int qtArgc = 1;  // the options are ours
  tessar::TessarApplication app(qtArgc, argv);
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const QString command = args.isEmpty() ? QString() : args.takeFirst();
  if (command == QLatin1String("window")) return tessar::shots::RunWindow(args);
  if (command == QLatin1String("browser")) return tessar::shots::RunBrowser(args);
  std::fprintf(stderr, "usage: tessar-screenshots window|browser ... (see tools/screenshots/main.cpp)\n");
  return 2;
}
