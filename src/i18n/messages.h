// Every text the program composes for the user exists as a Korean and an
// English literal; the one to show is chosen by the language of the run
// (KoreanUi) at the moment it is shown. This is the one table of those pairs.
// Texts with printf-style fields are formatted by the caller in the C locale.
#pragma once

// Only declared here: the device protocol and its simulator read the pairs
// without Qt.
class QString;

namespace tessar {

enum class Msg {
  // Start-up and closing
  ExitConfirmText,
  ExitConfirmCaption,
  PortOpenFailed,
  ServerClosed,
  // Configuration pages
  InvalidData,
  DataDirectoryTooLong,
  // Serial ports ("COM3 was opened": the port name, then this suffix)
  PortOpenedSuffix,
  // Device configuration dialogue
  ConfigPortOpenFailed,
  SelectPort,
  NoReply,
  ConfigError1,
  CheckModel,
  ConfigError2,
  ConfigError3,
  ConfigError4,
  ConfigError1098,
  DialogueOk,
  // Acquisition cycle
  ChartRestarted,
  // Alarms and relays
  HighAlarm,
  LowAlarm,
  AlarmMemoLine,
  HighLimitInvalid,
  LowLimitInvalid,
  HighLimitAccepted,
  LowLimitAccepted,
  HighNotAboveLow,
  LowNotBelowHigh,
  EventFileOpenFailed,
  // Live chart panels
  YMaxTitle,
  YMinTitle,
  YMaxPrompt,
  YMinPrompt,
  YMaxNotAboveMin,
  YMinNotBelowMax,
  ChartTitleCaption,
  ChartTitlePrompt,
  YAxisTitleCaption,
  YAxisTitlePrompt,
  MemoPaused,
  MemoResumed,
  // Export of live data
  ChartSaved,
  LogSaved,
  TextExportFailed,
  // Data server
  Listening,
  ClientConnect,
  ClientDisconnect,
  ClientSocketError,
  ServerRequest,
  ServerSend,
  UnknownCode,
  TooManyUsers,
  ListenFailed,
  ClientDropped,
  // Data client
  InputServerAddress,
  FailedOpening,
  ConnectedToServer,
  DisconnectedFromServer,
  ConnectionError,
  TooManyData,
  TessarTerminated,
  TessarPaused,
  UnknownResponse,
  ConnectCaption,
  DisconnectCaption,
  // Record browser ("%s" the path, "%d" the number of points)
  BrowserNoData,
  BrowserOpenFailed,
  BrowserUnsupported,
  BrowserLimitRecordTime,
  BrowserLimitElapsedTime,
  BrowserLimitElapsedSeconds,
  BrowserLoaded,
  BrowserLoadingRange,
  BrowserLoadingSelection,
  BrowserStatisticsTitle,
  BrowserStatisticsClose,
  BrowserSaved,
  BrowserSaveFailed,
  BrowserPictureFailed,
  kCount
};

struct MessagePair {
  Msg id;
  const char* korean;   // UTF-8
  const char* english;  // UTF-8
};

// The pair of a message.
const MessagePair& MessagePairOf(Msg id);
// The text of a message in the language of the run (include <QString> to use it).
QString MessageText(Msg id, bool koreanUi);

}  // namespace tessar
