// Log lines of the network page, shared by the data server and the data
// client: message pairs with printf fields (integers and texts only, so the
// locale plays no part) and the dash line that opens an event.
#pragma once

#include <QAbstractSocket>
#include <QPlainTextEdit>
#include <QString>

#include "common/clock.h"
#include "common/error_log.h"
#include "i18n/messages.h"

namespace tessar {

inline constexpr const char* kNetLogDashes = "------------------------------------------------------";

template <typename... Args>
QString FormatMessage(const MessagePair& pair, bool koreanUi, Args... args) {
  return QString::asprintf(koreanUi ? pair.korean : pair.english, args...);
}
template <typename... Args>
QString FormatMessage(Msg id, bool koreanUi, Args... args) {
  return FormatMessage(MessagePairOf(id), koreanUi, args...);
}

// Lines for the journal of an unattended program, each naming the board,
// the port and the reason.
namespace net_text {
// A data server's port cannot be opened (board, port, reason, seconds between tries).
inline constexpr MessagePair kPortTaken{
    Msg::kCount, "DAQ%d: 데이터 서버 포트 %d 열기 실패 (%s); %d초마다 다시 시도합니다",
    "DAQ%d: data server port %d cannot be opened (%s); trying again every %d s"};
// ... and now it can (board, port).
inline constexpr MessagePair kPortFree{Msg::kCount, "DAQ%d: 데이터 서버 포트 %d 열림, 대기 모드",
                                       "DAQ%d: data server port %d is open now, listening"};
// The viewer gives up hope of a board coming back soon (board, address, port,
// reason, longest seconds between tries).
inline constexpr MessagePair kNoHope{
    Msg::kCount,
    "DAQ%d: %s:%d에서 데이터를 받지 못했습니다 (%s); 점점 드물게, 최대 %d초마다 다시 연결합니다",
    "DAQ%d: no data from %s:%d (%s); connecting again less and less often, at most every %d s"};
// A data reply that no request asked for (board, address, port).
inline constexpr MessagePair kUnrequested{
    Msg::kCount, "[DAQ%d] 요청하지 않은 응답 [a0] 버림: %s:%d (이 연결에서 다시 기록하지 않음)",
    "[DAQ%d] Unrequested reply [a0] dropped: %s:%d (not logged again on this connection)"};
}  // namespace net_text

// A memo line; `event` puts the dash line before it.
inline void AppendNetLog(QPlainTextEdit* memo, const QString& line, bool event = false) {
  if (event) memo->appendPlainText(QString::fromLatin1(kNetLogDashes));
  memo->appendPlainText(line);
}

// A socket error that the handlers have dealt with still ends in the error
// log, as the socket layer's own error with the socket's error code and,
// beside it, what the code means (0 is a refused connection, not success).
inline void LogAsynchronousSocketError(const QAbstractSocket* socket, int code) {
  QString message = QString::asprintf("Asynchronous socket error %d", code);
  if (socket != nullptr) message += QStringLiteral(" (%1)").arg(socket->errorString());
  AppendErrorLog(ProgramErrorLog(), Now(), ClassNameOf(socket), message);
}

}  // namespace tessar
