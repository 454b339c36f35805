// The error log: line format, appending, and the catching of exceptions at
// event dispatch by the application object of both programs.
#include <QFile>
#include <QLocale>
#include <QAction>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

#include "common/clock.h"
#include "common/date_time.h"
#include "common/error_log.h"
#include "shell/ui/tessar_application.h"
#include "window_fixture.h"

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

TEST(ErrorLog, RunPassesResultsAndLogsEveryKindOfException) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/Exception2.Err";
  ManualClock clock(EncodeDateTime({2026, 12, 8, 9, 30, 0, 0}));
  ScopedClock scoped(clock);
  QObject receiver;
  EXPECT_TRUE(RunLoggingErrors(path, ClassNameOf(&receiver), [] { return true; }));
  EXPECT_FALSE(QFile::exists(path));
  EXPECT_FALSE(RunLoggingErrors(path, ClassNameOf(&receiver), []() -> bool {
    throw std::runtime_error("boom");
  }));
  EXPECT_FALSE(RunLoggingErrors(path, ClassNameOf(nullptr), []() -> bool { throw 42; }));
  const QStringList lines = LogLines(path);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(" 09:30:00 : QObject ===> boom"));
  EXPECT_TRUE(lines[1].endsWith(" 09:30:00 : QObject ===> Unknown exception"));
}

// A widget whose key handler fails, as a handler of the window's controls may.
class FailingWidget : public QWidget {
 public:
  using QWidget::QWidget;
  int presses = 0;

 protected:
  void keyPressEvent(QKeyEvent*) override {
    if (++presses == 1) throw std::runtime_error("'abc' is not a valid floating point value");
  }
};

// The window under the programs' own application object: an exception that
// escapes an event handler is caught where the event is dispatched, written
// once to the edition's log beside the executable, and the window goes on.
class ApplicationWindowTest : public test::WindowTest {
 protected:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<TessarApplication>(argc_, argv_);
    WindowTest::SetUp();
  }
  void TearDown() override {
    WindowTest::TearDown();
    app_.reset();
  }

  int argc_ = 1;
  char name_[11] = "test_shell";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<TessarApplication> app_;
};

TEST_F(ApplicationWindowTest, AnEscapedExceptionIsLoggedOnceBesideTheExecutable) {
  MainWindow& window = Start();
  window.show();
  auto* failing = new FailingWidget(window.PageControl());
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
  EXPECT_FALSE(QApplication::sendEvent(failing, &press));
  EXPECT_TRUE(QApplication::sendEvent(failing, &press));
  EXPECT_EQ(failing->presses, 2);

  EXPECT_EQ(window.state().ErrorLogPath, ExeDir() + "/Exception1.Err");
  const QStringList lines = LogLines(window.state().ErrorLogPath);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(QRegularExpression("^ .+ \\d\\d:\\d\\d:\\d\\d : QWidget ===> "
                                 "'abc' is not a valid floating point value$")
                  .match(lines[0])
                  .hasMatch())
      << lines[0].toStdString();
  EXPECT_EQ(dialogs_.calls().size(), 0u);  // nothing shown
  // the window goes on
  window.findChild<QAction*>("Config31")->trigger();
  EXPECT_EQ(window.PageControl()->currentIndex(), kPageConfig1 + 2);
}

}  // namespace
}  // namespace tessar
