#include "common/error_log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>

#include "common/clock.h"
#include "common/date_time.h"
#include "i18n/text_codec.h"

namespace tessar {

namespace {

QString& ProgramErrorLogPath() {
  static QString path;
  return path;
}

// The last line written, so that a repetition is counted instead.
struct LastLine {
  QString path;  // empty: nothing to compare with
  QString senderClass;
  QString message;
  std::int64_t fileSize = -1;  // the log's size right after that line
  std::int64_t repeats = 0;    // identical lines counted since
  bool flushAtExit = false;    // the application object's end writes the count
};

std::mutex& LogMutex() {
  static std::mutex mutex;
  return mutex;
}

LastLine& Last() {
  static LastLine last;
  return last;
}

std::string LocalPath(const QString& path) { return path.toLocal8Bit().toStdString(); }

std::int64_t FileSize(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec ? -1 : static_cast<std::int64_t>(size);
}

// Appends `line`, first moving a log that would pass the bound to its older
// generation. The log's size after it, or -1 when it cannot be opened.
std::int64_t WriteLine(const QString& path, const QByteArray& line) {
  const std::string file = LocalPath(path);
  const std::int64_t size = FileSize(file);
  if (size > 0 && size + line.size() > kErrorLogBound) {
    std::error_code ec;
    std::filesystem::rename(file, LocalPath(ErrorLogOlderPath(path)), ec);
  }
  std::FILE* out = std::fopen(file.c_str(), "a+");
  if (out == nullptr) return -1;
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), out);
  std::fclose(out);
  return FileSize(file);
}

// The count of the last line, when there is one and the log still ends with
// that line. Called with the mutex held.
void WriteRepeatsLocked(double now) {
  LastLine& last = Last();
  if (last.repeats > 0 && !last.path.isEmpty() &&
      FileSize(LocalPath(last.path)) == last.fileSize) {
    const QString count = last.repeats == 1
                              ? QStringLiteral(" repeated 1 time")
                              : QStringLiteral(" repeated %1 times").arg(last.repeats);
    last.fileSize =
        WriteLine(last.path, ToCp949(FormatErrorLogLine(now, last.senderClass, last.message + count)));
  }
  last.repeats = 0;
}

void FlushAtExit() {
  {
    std::lock_guard lock(LogMutex());
    Last().flushAtExit = false;
  }
  FlushErrorLogRepeats(Now());
}

}  // namespace

QString FormatErrorLogLine(double now, const QString& senderClass, const QString& message) {
  const QDateTime when = FromDayCount(now);
  const QString date = QLocale::system().toString(when.date(), QLocale::ShortFormat);
  const QString time = QString::fromStdString(FormatTime(now));
  return QStringLiteral(" %1 %2 : %3 ===> %4\n").arg(date, time, senderClass, message);
}

bool AppendErrorLog(const QString& path, double now, const QString& senderClass,
                    const QString& message) {
  std::lock_guard lock(LogMutex());
  LastLine& last = Last();
  if (last.path == path && last.senderClass == senderClass && last.message == message &&
      last.fileSize >= 0 && FileSize(LocalPath(path)) == last.fileSize) {
    ++last.repeats;
    if (!last.flushAtExit) {
      last.flushAtExit = true;
      qAddPostRoutine(&FlushAtExit);
    }
    return true;
  }
  WriteRepeatsLocked(now);
  const std::int64_t size = WriteLine(path, ToCp949(FormatErrorLogLine(now, senderClass, message)));
  if (size < 0) {
    last.path.clear();
    return false;
  }
  last.path = path;
  last.senderClass = senderClass;
  last.message = message;
  last.fileSize = size;
  return true;
}

void FlushErrorLogRepeats(double now) {
  std::lock_guard lock(LogMutex());
  WriteRepeatsLocked(now);
}

QString ErrorLogOlderPath(const QString& path) { return path + QStringLiteral(".1"); }

QString ErrorLogPath(const QString& executableDirectory, const char* errorLogName) {
  return executableDirectory + QLatin1Char('/') + QString::fromLatin1(errorLogName);
}

void SetProgramErrorLog(const QString& path) { ProgramErrorLogPath() = path; }

QString ProgramErrorLog() { return ProgramErrorLogPath(); }

QString ClassNameOf(const QObject* object) {
  return object != nullptr ? QString::fromLatin1(object->metaObject()->className())
                           : QStringLiteral("QObject");
}

bool RunLoggingErrors(const QString& logPath, const QString& senderClass,
                      const std::function<bool()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    AppendErrorLog(logPath, Now(), senderClass, QString::fromLocal8Bit(error.what()));
  } catch (...) {
    AppendErrorLog(logPath, Now(), senderClass, QStringLiteral("Unknown exception"));
  }
  return false;
}

}  // namespace tessar
