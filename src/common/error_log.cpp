#include "common/error_log.h"

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <cstdio>
#include <exception>

#include "common/clock.h"
#include "common/date_time.h"
#include "i18n/text_codec.h"

namespace tessar {

namespace {
QString& ProgramErrorLogPath() {
  static QString path;
  return path;
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
  std::FILE* file = std::fopen(path.toLocal8Bit().constData(), "a+");
  if (file == nullptr) return false;
  const QByteArray line = ToCp949(FormatErrorLogLine(now, senderClass, message));
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), file);
  std::fclose(file);
  return true;
}

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
