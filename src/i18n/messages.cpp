#include "i18n/messages.h"

#include <QString>
#include <array>

namespace tessar {

namespace {

// Texts with a "%s" where the other language puts the path elsewhere are kept
// as composed by their users (see the comments).
constexpr MessagePair kMessages[] = {
    {Msg::ExitConfirmText, "프로그램 종료?", "Program Terminating... "},
    {Msg::ExitConfirmCaption, "종료 확인", "Exit Confirmation"},
    {Msg::PortOpenFailed, "Port 열기 실패", "Failed in Opening Port"},
    {Msg::ServerClosed, "Server is closed", "Server is closed"},
    {Msg::InvalidData, "값이 올바르지 않습니다.", "Invalid data"},
    {Msg::DataDirectoryTooLong,
     "데이터 폴더의 경로를 저장할 수 없습니다: 너무 길거나 (80바이트까지) 저장할 수 없는 문자가 있습니다. "
     "이전 폴더가 유지됩니다.",
     "The data directory path cannot be stored: it is too long (at most 80 bytes) or has "
     "characters the settings file cannot hold. The previous directory is kept."},
    {Msg::PortOpenedSuffix, " 열었습니다.", " was opened"},
    // Korean puts the port name first, English appends it directly ("Can not openCOM3")
    {Msg::ConfigPortOpenFailed, "을(를) 여는데 실패하였습니다.", "Can not open"},
    {Msg::SelectPort, "COM 포트를 선택하세요.", "Select your communication port."},
    {Msg::NoReply, "응답이 없습니다. 포트를 확인하십시오.", "Failed!!! Check COM Port"},
    {Msg::ConfigError1, "Error 1", "Error 1"},
    {Msg::CheckModel, "이 프로그램과 호환이 안 되는 모델입니다.", "Check your ORVA model"},
    {Msg::ConfigError2, "Error 2", "Error 2"},
    {Msg::ConfigError3, "Error 3", "Error 3"},
    {Msg::ConfigError4, "Error 4", "Error 4"},
    {Msg::ConfigError1098, "Error 1098", "Error 1098"},
    {Msg::DialogueOk, "OK", "OK"},
    {Msg::ChartRestarted, "차트 %d 기록 재시작되었습니다.", "Chart %d recording re-started."},
    {Msg::HighAlarm, "[%d] %s CH%d 상한 알람(%.3f), 상한치: %.3f. ",
     "[%d] %s CH%d High Alarm(%.3f), Max is %.3f. "},
    {Msg::LowAlarm, "[%d] %s CH%d 하한 알람(%.3f), 하한치: %.3f. ",
     "[%d] %s CH%d Low Alarm(%.3f), Min is %.3f. "},
    {Msg::AlarmMemoLine, "Alarm", "Alarm"},
    {Msg::HighLimitInvalid, "상한치가 올바르지 않습니다.", "Invalid data"},
    {Msg::LowLimitInvalid, "하한치가 올바르지 않습니다.", "Invalid data"},
    {Msg::HighLimitAccepted, "[%d,%d]HighAlarm = %f", "[%d,%d]HighAlarm = %f"},
    {Msg::LowLimitAccepted, "[%d,%d]LowAlarm = %f", "[%d,%d]LowAlarm = %f"},
    {Msg::HighNotAboveLow, "상한치는 하한치보다 커야합니다.",
     "High alarm must be greater than low alarm."},
    {Msg::LowNotBelowHigh, "하한치는 상한치보다 작아야 합니다.",
     "Low alarm must be less than high alarm."},
    // followed by the path in both languages
    {Msg::EventFileOpenFailed, "파일 열기 실패 ", "Cannot open file "},
    // "(" max ", " min ")  " are composed around these openings
    {Msg::YMaxTitle, "Y축 최대/최소(", "Y-Range("},
    {Msg::YMinTitle, "Y축 최대/최소 (", "Y-Range ("},
    {Msg::YMaxPrompt, "Y축 최대값을  입력하세요.  ", "Enter Y-Max "},
    {Msg::YMinPrompt, "Y축 최소값을 입력하세요.   ", "Enter Y-Min "},
    {Msg::YMaxNotAboveMin, "Y축 최소치보다 작은 수치입니다!", "The value is lower than minimum value!"},
    {Msg::YMinNotBelowMax, "Y축 최대값보다 큰 수치입니다!",
     "The value is greater than maximum value!"},
    {Msg::ChartTitleCaption, "차트 제목 변경", "Chart Title"},
    {Msg::ChartTitlePrompt, "차트 제목을 입력하세요.   ", "Enter Chart Title"},
    {Msg::YAxisTitleCaption, "Y축 제목 변경", "Y-Axis Title"},
    {Msg::YAxisTitlePrompt, "Y축 제목을 입력하세요.   ", "Enter Y-Axis Title"},
    {Msg::MemoPaused, "메모가 일시 중지되었습니다. 다시 기록하려면 더블클릭하세요.",
     "Memo Log paused. DblClick the memo to resume logging"},
    {Msg::MemoResumed, "메모가 다시 기록을 시작했습니다.", "Memo Logging resumed."},
    // Korean: the text followed by the path; English: "%s" stands for the path
    {Msg::ChartSaved, "차트가 저장 되었습니다. :%s", "The Chart is saved as %s file"},
    {Msg::LogSaved, "로그가 저장 되었습니다. : %s", "The Log is saved as %s file"},
    {Msg::TextExportFailed, "%s파일을 저장하는데 에러가 발생하였습니다.", "There are some errors"},
    {Msg::Listening, "대기 모드 : %s:%d", "Listening: %s:%d"},
    {Msg::ClientConnect, "클라이언트 연결: %s:%d", "Client Connect: %s:%d"},
    {Msg::ClientDisconnect, "클라이언트 연결 해제: %s:%d", "Client Disconnect: %s:%d"},
    {Msg::ClientSocketError, "클라이언트 소켓 에러: %s:%d, Error Code:%d",
     "Client Socket Error: %s:%d, Error Code:%d"},
    {Msg::ServerRequest, "[DAQ%d] Request:[%02x] %s:%d / %d bytes",
     "[DAQ%d] Request:[%02x] %s:%d / %d bytes"},
    {Msg::ServerSend, "[DAQ%d] Send:[%02X] %s:%d / %d bytes", "[DAQ%d] Send:[%02X] %s:%d / %d bytes"},
    {Msg::UnknownCode, "Unkown Code", "Unkown Code"},
    {Msg::TooManyUsers, "Too many user", "Too many user"},
    {Msg::ListenFailed, "대기 모드 실패 : %d (%s)", "Listening failed: %d (%s)"},
    {Msg::ClientDropped, "응답을 읽지 않는 클라이언트 연결 종료: %s:%d",
     "Client dropped, replies not read: %s:%d"},
    {Msg::InputServerAddress, "Tessar의 IP주소를 입력하세요.", "Input Tessar IP address"},
    {Msg::FailedOpening, "%s:%d 열기 실패", "Failed opening %s:%d"},
    {Msg::ConnectedToServer, "DAQ%d 서버에 연결되었습니다.", "DAQ%d connected to the Server."},
    {Msg::DisconnectedFromServer, "DAQ%d 연결이 종료되었습니다.", "DAQ%d was disconnected to server."},
    {Msg::ConnectionError, "DAQ%d 연결에 에러가 발생하였습니다.", "DAQ%d Connection Error."},
    {Msg::TooManyData, "너무 많은 data", "Too many data"},
    {Msg::TessarTerminated, "Tessar 종료.", "Tessar terminated."},
    {Msg::TessarPaused, "Tessar DAQ 중지.", "Tessar DAQ paused."},
    {Msg::UnknownResponse, "알수 없는 Tessar 응답.", "Unknown Tessar response."},
    {Msg::ConnectCaption, "연  결", "Connect"},
    {Msg::DisconnectCaption, "연결해제", "Disconnect"},
    {Msg::BrowserNoData, "해당하는 내용이 없습니다.", "No data!!"},
    {Msg::BrowserOpenFailed, "파일을 읽어들이는 데 오류가 발생하였습니다.", "Some errors!"},
    {Msg::BrowserUnsupported, "지원하지 않는 파일포맷입니다.", "It's not supported file format"},
    {Msg::BrowserLimitRecordTime,
     "데이터가 너무 많습니다. 서브샘플링 기능을 사용하십시오.(최대=3600)",
     "Too many data!!! Use subsampling.(Max=3600)"},
    {Msg::BrowserLimitElapsedTime,
     "데이터가 너무 많습니다. 서브샘플링 기능을 사용하십시오.(최대=3600)",
     "Too many data!!! Use subsampling. (Max=3600)"},
    {Msg::BrowserLimitElapsedSeconds,
     "데이터가 너무 많습니다. 서브샘플링 기능을 사용하십시오. (최대=3600)",
     "Too many data!!! Use subsampling. (Max=3600)"},
    {Msg::BrowserLoaded, "%d개 데이터를 읽었습니다.", "Total data are %d"},
    {Msg::BrowserLoadingRange, "데이터를 읽고 있습니다....", "Loading data..."},
    {Msg::BrowserLoadingSelection, "파일 읽는 중...", "Loading data..."},
    {Msg::BrowserStatisticsTitle, "기초 통계량", "Basic Statistic Properties"},
    {Msg::BrowserStatisticsClose, "닫으시려면 더블클릭을 하세요.",
     "Doubleclick on the memo to close it."},
    {Msg::BrowserSaved, "%s으로 저장되었습니다.", "Saved as %s"},
    // also when a file was created but could not be written to its end
    {Msg::BrowserSaveFailed, "%s파일을 저장하는데 에러가 발생하였습니다.", "There are some errors"},
    {Msg::BrowserPictureFailed, "%s 파일을 쓸 수 없습니다.", "Cannot write %s"},
};

static_assert(std::size(kMessages) == static_cast<std::size_t>(Msg::kCount),
              "every message has its pair");

constexpr bool InOrder() {
  for (std::size_t i = 0; i < std::size(kMessages); ++i)
    if (static_cast<std::size_t>(kMessages[i].id) != i) return false;
  return true;
}
static_assert(InOrder(), "the table lists the messages in the order of Msg");

}  // namespace

const MessagePair& MessagePairOf(Msg id) { return kMessages[static_cast<std::size_t>(id)]; }

QString MessageText(Msg id, bool koreanUi) {
  const MessagePair& pair = MessagePairOf(id);
  return QString::fromUtf8(koreanUi ? pair.korean : pair.english);
}

}  // namespace tessar
