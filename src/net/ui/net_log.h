// Log lines of the network page, shared by the data server and the data
// client: message pairs with printf fields (integers and texts only, so the
// locale plays no part) and the dash line that opens an event.
#pragma once

#include <QPlainTextEdit>
#include <QString>

#include "common/clock.h"
#include "common/error_log.h"
#include "i18n/messages.h"

namespace tessar {

inline constexpr const char* kNetLogDashes = "------------------------------------------------------";

template <typename... Args>
QString FormatMessage(Msg id, bool koreanUi, Args... args) {
  const MessagePair& pair = MessagePairOf(id);
  return QString::asprintf(koreanUi ? pair.korean : pair.english, args...);
}

// A memo line; `event` puts the dash line before it.
inline void AppendNetLog(QPlainTextEdit* memo, const QString& line, bool event = false) {
  if (event) memo->appendPlainText(QString::fromLatin1(kNetLogDashes));
  memo->appendPlainText(line);
}

// A socket error that the handlers have dealt with still ends in the error
// log, as the socket layer's own error with the socket's error code.
inline void LogAsynchronousSocketError(const QObject* socket, int code) {
  AppendErrorLog(ProgramErrorLog(), Now(), ClassNameOf(socket),
                 QString::asprintf("Asynchronous socket error %d", code));
}

}  // namespace tessar
