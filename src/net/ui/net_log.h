// Log lines of the network page, shared by the data server and the data
// client: message pairs with printf fields (integers and texts only, so the
// locale plays no part) and the dash line that opens an event.
#pragma once

#include <QPlainTextEdit>
#include <QString>

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

}  // namespace tessar
