// The error log: line format, appending, and the catching of exceptions at
// event dispatch by the application object of both programs.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QAction>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

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

// A failure told over and over is written once, and its count when another
// line comes (or the program ends); only a line that is still the file's last
// is counted.
TEST(ErrorLog, ARepeatedLineIsWrittenOnceThenItsCount) {
  struct Step {
    const char* sender;  // null: an action instead
    const char* message;  // with a null sender: "flush" or "remove"
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<const char*> lines;  // the ends of the lines of the file
    bool insideApplication = false;  // the steps run during an application object's life
  };
  const Case cases[] = {
      {"repeats, then another line",
       {{"QTcpSocket", "error 0"}, {"QTcpSocket", "error 0"}, {"QTcpSocket", "error 0"}, {"X", "other"}},
       {"QTcpSocket ===> error 0", "QTcpSocket ===> error 0 repeated 2 times", "X ===> other"}},
      {"one repeat, then the end", {{"A", "m"}, {"A", "m"}, {nullptr, "flush"}},
       {"A ===> m", "A ===> m repeated 1 time"}},
      {"the same message from another sender", {{"A", "m"}, {"B", "m"}, {"A", "m"}},
       {"A ===> m", "B ===> m", "A ===> m"}},
      {"no repeat: no count", {{"A", "m"}, {nullptr, "flush"}, {"A", "n"}}, {"A ===> m", "A ===> n"}},
      {"the file went: written anew", {{"A", "m"}, {"A", "m"}, {nullptr, "remove"}, {"A", "m"}, {"A", "n"}},
       {"A ===> m", "A ===> n"}},
      {"the end of the program tells the count", {{"A", "m"}, {"A", "m"}, {"A", "m"}},
       {"A ===> m", "A ===> m repeated 2 times"}, true},
  };
  QTemporaryDir dir;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.path() + QStringLiteral("/case%1.Err").arg(++n);
    int argc = 1;
    char name[] = "test_shell";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (c.insideApplication) app = std::make_unique<QCoreApplication>(argc, argv);
    for (const Step& step : c.steps) {
      if (step.sender != nullptr) {
        ASSERT_TRUE(AppendErrorLog(path, EncodeDateTime({2026, 12, 8, 1, 2, 3, 0}), step.sender, step.message));
      } else if (std::string(step.message) == "flush") {
        FlushErrorLogRepeats(EncodeDateTime({2026, 12, 8, 1, 2, 4, 0}));
      } else {
        QFile::remove(path);
      }
    }
    app.reset();
    const QStringList lines = LogLines(path);
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(c.lines.size())) << lines.join('\n').toStdString();
    for (std::size_t i = 0; i < c.lines.size(); ++i)
      EXPECT_TRUE(lines[i].endsWith(c.lines[i])) << lines[i].toStdString();
  }
  FlushErrorLogRepeats(0.0);
}

// The log of a program that runs for months stays bounded: past 1 MiB it
// becomes the older generation and a new log begins.
TEST(ErrorLog, ALogPastItsBoundBecomesTheOlderGeneration) {
  struct Case {
    const char* name;
    qint64 before;     // bytes already in the log
    bool olderExists;  // an older generation is there already
    bool moved;        // the log becomes the older generation
  };
  const Case cases[] = {
      {"far below the bound", 1000, false, false},
      {"the line still fits", kErrorLogBound - 100, true, false},
      {"the line would pass it", kErrorLogBound - 10, false, true},
      {"an older generation is replaced", kErrorLogBound, true, true},
  };
  QTemporaryDir dir;
  const QString path = dir.path() + "/Exception1.Err";
  const QString older = ErrorLogOlderPath(path);
  EXPECT_EQ(older, path + ".1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(path);
    QFile::remove(older);
    {
      QFile log(path);
      ASSERT_TRUE(log.open(QIODevice::WriteOnly));
      log.write(QByteArray(c.before - 1, 'x') + '\n');
    }
    if (c.olderExists) {
      QFile previous(older);
      ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
      previous.write("previous\n");
    }
    ASSERT_TRUE(AppendErrorLog(path, EncodeDateTime({2026, 12, 8, 1, 2, 3, 0}), "A", c.name));
    const QStringList lines = LogLines(path);
    if (c.moved) {
      ASSERT_EQ(lines.size(), 1);
      EXPECT_TRUE(lines[0].endsWith(QString("A ===> ") + c.name));
      EXPECT_EQ(QFileInfo(older).size(), c.before);
    } else {
      EXPECT_EQ(lines.size(), 2);
      EXPECT_LE(QFileInfo(path).size(), kErrorLogBound);
      EXPECT_EQ(QFile::exists(older), c.olderExists);
    }
  }
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
