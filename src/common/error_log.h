// The log of unhandled errors. An exception that escapes a handler is caught
// where the handler runs (see common/ui/guarded.h) or, as the last net, where
// the application object dispatches the event, and appended as one line to
// the edition's error log beside the executable; nothing is shown and the
// program goes on.
//
// A program left running for months must not fill its disk with one failure
// told over and over: a line identical to the one just written (same sender,
// same message, and still the file's last line) is only counted, and the
// count is written as a line of its own ("<line> repeated N times") when a
// different line comes or the program ends. The log is bounded: once it
// would pass kErrorLogBound bytes it becomes the older generation
// "<log>.1" (replacing the one before) and a new log is begun.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class QObject;

namespace tessar {

inline constexpr std::int64_t kErrorLogBound = 1024 * 1024;

// " <date> <hh:mm:ss> : <sender class> ===> <message>\n": the date in the
// system's short date format, the time of day in 24 hours.
QString FormatErrorLogLine(double now, const QString& senderClass, const QString& message);

// Appends the line for `now` to the file at `path` (created when missing),
// or counts it when it repeats the last line written there. False when the
// file cannot be opened; nothing is written then.
bool AppendErrorLog(const QString& path, double now, const QString& senderClass,
                    const QString& message);

// Writes the count of a repeated line still untold (also done when the
// application object ends).
void FlushErrorLogRepeats(double now);

// The older generation of an error log: the same path with ".1".
QString ErrorLogOlderPath(const QString& path);

// The error log of an edition: `errorLogName` in the executable's directory.
QString ErrorLogPath(const QString& executableDirectory, const char* errorLogName);

// The error log of the running program (empty until set: errors are then
// caught but written nowhere).
void SetProgramErrorLog(const QString& path);
QString ProgramErrorLog();

// The class name an error line gives for `object` ("QObject" for none).
QString ClassNameOf(const QObject* object);

// Runs `body`; an exception escaping it is appended to the log at `logPath`
// with `senderClass` and the clock's Now(), and the result is false.
bool RunLoggingErrors(const QString& logPath, const QString& senderClass,
                      const std::function<bool()>& body);

}  // namespace tessar
