// The error log: line format, appending, and the catching of exceptions at
// event dispatch by the application object of both programs.
#include <QFile>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

#include "common/clock.h"
#include "common/date_time.h"
#include "shell/error_log.h"
#include "shell/ui/tessar_application.h"

namespace tessar {
namespace {

QStringList LogLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QString text = QString::fromUtf8(file.readAll());
  QStringList lines = text.split('\n');
  EXPECT_TRUE(lines.last().isEmpty()) << "every line ends with a line feed";
  lines.removeLast();
  return lines;
}

TEST(ErrorLog, LineCarriesDateTimeSenderAndMessage) {
  const double when = EncodeDateTime({2026, 12, 8, 14, 5, 32, 0});
  const QString date = QLocale::system().toString(QDate(2026, 12, 8), QLocale::ShortFormat);
  EXPECT_EQ(FormatErrorLogLine(when, "QPushButton", "Invalid floating point value"),
            " " + date + " 14:05:32 : QPushButton ===> Invalid floating point value\n");
  // hours run on 24
  EXPECT_TRUE(FormatErrorLogLine(EncodeDateTime({2026, 1, 2, 23, 0, 9, 0}), "X", "m")
                  .contains(" 23:00:09 : X ===> m"));
}

TEST(ErrorLog, AppendsLinesAndCreatesTheFile) {
  QTemporaryDir dir;
  const QString path = ErrorLogPath(dir.path(), "Exception1.Err");
  EXPECT_EQ(path, dir.path() + "/Exception1.Err");
  ASSERT_TRUE(AppendErrorLog(path, EncodeDateTime({2026, 12, 8, 1, 2, 3, 0}), "A", "first"));
  ASSERT_TRUE(AppendErrorLog(path, EncodeDateTime({2026, 12, 8, 1, 2, 4, 0}), "B", "second"));
  const QStringList lines = LogLines(path);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(" 01:02:03 : A ===> first"));
  EXPECT_TRUE(lines[1].endsWith(" 01:02:04 : B ===> second"));
}

TEST(ErrorLog, UnwritableLogWritesNothingAndReportsIt) {
  QTemporaryDir dir;
  EXPECT_FALSE(AppendErrorLog(dir.path() + "/missing/Exception1.Err", 0.0, "A", "m"));
}

TEST(ErrorLog, DispatchPassesResultsAndLogsEveryKindOfException) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/Exception2.Err";
  ManualClock clock(EncodeDateTime({2026, 12, 8, 9, 30, 0, 0}));
  ScopedClock scoped(clock);
  QObject receiver;
  EXPECT_TRUE(DispatchLoggingErrors(path, &receiver, [] { return true; }));
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_FALSE(DispatchLoggingErrors(path, &receiver, []() -> bool {
    throw std::runtime_error("boom");
  }));
  EXPECT_FALSE(DispatchLoggingErrors(path, &receiver, []() -> bool { throw 42; }));
  const QStringList lines = LogLines(path);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(" 09:30:00 : QObject ===> boom"));
  EXPECT_TRUE(lines[1].endsWith(" 09:30:00 : QObject ===> Unknown exception"));
}

// The application object of the programs: an exception escaping a click
// handler is logged once and the application goes on delivering events.
TEST(ErrorLog, ApplicationCatchesExceptionsOfEventHandlers) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "test_shell";
  char* argv[] = {name, nullptr};
  TessarApplication app(argc, argv);
  QTemporaryDir dir;
  const QString path = ErrorLogPath(dir.path(), "Exception1.Err");
  app.SetErrorLogPath(path);

  QPushButton button("throw");
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&] {
    ++clicks;
    if (clicks == 1) throw std::runtime_error("Invalid floating point value");
  });
  button.show();
  const QPointF at(5, 5);
  auto click = [&] {
    QMouseEvent press(QEvent::MouseButtonPress, at, button.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, button.mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &press);
    QApplication::sendEvent(&button, &release);
  };
  click();
  click();
  EXPECT_EQ(clicks, 2);
  const QStringList lines = LogLines(path);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(QRegularExpression("^ .+ \\d\\d:\\d\\d:\\d\\d : QPushButton ===> Invalid floating point value$")
                  .match(lines[0])
                  .hasMatch())
      << lines[0].toStdString();
}

}  // namespace
}  // namespace tessar
