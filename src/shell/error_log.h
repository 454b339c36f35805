// The log of unhandled errors. Every exception that escapes an event handler
// is caught where the event is dispatched and appended as one line to the
// edition's error log beside the executable; nothing is shown and the
// program goes on with the next event.
#pragma once

#include <QString>
#include <functional>

class QObject;

namespace tessar {

// " <date> <hh:mm:ss> : <sender class> ===> <message>\n": the date in the
// system's short date format, the time of day in 24 hours.
QString FormatErrorLogLine(double now, const QString& senderClass, const QString& message);

// Appends the line for `now` to the file at `path` (created when missing).
// False when the file cannot be opened; nothing is written then.
bool AppendErrorLog(const QString& path, double now, const QString& senderClass,
                    const QString& message);

// The error log of an edition: `errorLogName` in the executable's directory.
QString ErrorLogPath(const QString& executableDirectory, const char* errorLogName);

// Runs `dispatch` (the delivery of one event to `receiver`); an exception
// escaping it is written to the log at `logPath` with the receiver's class
// name and the clock's Now(), and the result is false.
bool DispatchLoggingErrors(const QString& logPath, const QObject* receiver,
                           const std::function<bool()>& dispatch);

}  // namespace tessar
