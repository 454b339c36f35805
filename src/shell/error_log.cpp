#include "shell/error_log.h"

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <cstdio>
#include <exception>

#include "common/clock.h"
#include "common/date_time.h"
#include "i18n/text_codec.h"

namespace tessar {

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

bool DispatchLoggingErrors(const QString& logPath, const QObject* receiver,
                           const std::function<bool()>& dispatch) {
  const auto senderClass = [receiver] {
    return receiver != nullptr ? QString::fromLatin1(receiver->metaObject()->className())
                               : QStringLiteral("QObject");
  };
  try {
    return dispatch();
  } catch (const std::exception& error) {
    AppendErrorLog(logPath, Now(), senderClass(), QString::fromLocal8Bit(error.what()));
  } catch (...) {
    AppendErrorLog(logPath, Now(), senderClass(), QStringLiteral("Unknown exception"));
  }
  return false;
}

}  // namespace tessar
