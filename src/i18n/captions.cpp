#include "i18n/captions.h"

namespace tessar {

namespace {

class TableBuilder {
 public:
  explicit TableBuilder(std::vector<CaptionEntry>& out) : out_(out) {}

  void One(const char* name, const char* english, const char* korean,
           CaptionRole role = CaptionRole::Text) {
    out_.push_back({QString::fromLatin1(name), role, -1, QString::fromUtf8(english),
                    QString::fromUtf8(korean)});
  }
  // `prefix` followed by the board number 1..4.
  void PerBoard(const char* prefix, const char* english, const char* korean,
                CaptionRole role = CaptionRole::Text) {
    for (int b = 0; b < 4; ++b)
      out_.push_back({QString::fromLatin1(prefix) + QString::number(b + 1), role, b,
                      QString::fromUtf8(english), QString::fromUtf8(korean)});
  }
  // `prefix` followed by the board letter A..D and `suffix`.
  void PerBoardLetter(const char* prefix, const char* suffix, const char* english,
                      const char* korean) {
    for (int b = 0; b < 4; ++b)
      out_.push_back({QString::fromLatin1(prefix) + QChar('A' + b) + QString::fromLatin1(suffix),
                      CaptionRole::Text, b, QString::fromUtf8(english), QString::fromUtf8(korean)});
  }

 private:
  std::vector<CaptionEntry>& out_;
};

}  // namespace

std::vector<CaptionEntry> KoreanCaptionTable(bool elapsedAxis, bool clientEdition) {
  std::vector<CaptionEntry> table;
  TableBuilder t(table);
  t.One("ChkNetOff", "Disable All Networking", "접속 불가");
  t.PerBoard("ChkScroll", "Scroll", "스크롤");
  t.PerBoard("ChkViewP", "View Point", "점 표시");
  t.PerBoard("BtXLS", "Save To XLS", "엑셀로저장");
  t.PerBoard("BtTxt", "Save To TXT", "Txt 저장");
  t.PerBoard("BtSaveBmp", "Save To BMP", "그림저장");
  t.PerBoard("BtSaveM", "Save Memo", "메모저장");
  t.PerBoard("BtBrowser", "Browser / Print", "차트보기 / 인쇄");
  t.PerBoard("GroupBox", "Channel Visible", "채널보기");
  if (clientEdition)
    t.One("PlClient", "Server List", "서버 목록");
  else
    t.One("PlClient", "Client List", "접속자 목록");
  t.One("PlRLog", "Receive Log", "받은 내용");
  t.One("PlSLog", "Send Log", "보낸 내용");
  t.One("MMFile", "File", "파일");
  t.One("MMExit", "Exit", "종료");
  t.One("MMConf", "Configure", "구성");
  t.One("MMBrowser", "Browser", "차트 보기");
  t.PerBoard("LblMsg", "To apply this values, you must restart this program.",
             "프로그램을 다시 시작하면 적용됩니다.");
  t.PerBoard("LblM", "Model : ", "모델명 :");
  t.PerBoard("LblSN", "Serial Number : ", "일련번호 :");
  t.PerBoard("GBCPort", "Communication Port", "통신 포트");
  t.PerBoard("RgTC", "Thermocouple type", "열전대 타입");
  t.PerBoard("GBVCP", "Voltage Correction Parameter", "보정 계수");
  t.PerBoard("GBSVol", "CJC Parameters", "상온 보정 계수");
  t.PerBoard("GBSInterval", "Sampling Interval", "측정 주기");
  t.PerBoard("GBRP", "Range Parameters", "채널 측정 범위");
  t.PerBoard("GBCP", "Conversion Parameter", "조정/변환 계수");
  t.PerBoard("GBDO", "D/O Relay", "D/O 릴레이");
  t.PerBoard("ChkR", "Interlock D/O", "알람 D/O 연동");
  // the form description of boards 2 and 4 carries a trailing blank
  table[table.size() - 3].english += QLatin1Char(' ');
  table[table.size() - 1].english += QLatin1Char(' ');
  t.PerBoardLetter("ChkDO", "1", "CH1 D/O On", "채널1 릴레이 출력   ");
  t.PerBoardLetter("ChkDO", "2", "CH2 D/O On", "채널2 릴레이 출력   ");
  t.PerBoardLetter("ChkDO", "3", "CH3 D/O On", "채널3 릴레이 출력   ");
  t.PerBoardLetter("ChkDO", "4", "CH4 D/O On", "채널4 릴레이 출력   ");
  t.PerBoard("BtnGet", "Get Configure", "프로그램 초기화");
  t.One("ChbZero", "Zero Correction", "영점 조정");
  t.One("GBCJT", "Cold Junction Temperature", "기준냉점 온도");
  t.PerBoard("OKBtn", "OK", "저장");
  t.PerBoard("GBAlarm", "Alarm Set", "알람 설정");
  t.PerBoard("PnlMTitle", "Double click the memo to pause scrolling",
             "메모를 중지하려면 메모장을 더블클릭하세요.", CaptionRole::Hint);
  t.One("ChkElapse", "Elapse", "경과시간  ");
  if (elapsedAxis)
    t.PerBoard("Chart", "Elapse Time", "경과 시간 ", CaptionRole::TimeAxisTitle);
  else
    t.PerBoard("Chart", "Record Time", "기록 시각 ", CaptionRole::TimeAxisTitle);
  t.One("LblFilter", "Filter : ", "필터 : ");
  t.PerBoard("BtRestart", "Restart", "기록 재시작");
  if (clientEdition) {
    t.PerBoard("GBIP", "IP Address", "IP 주소");
    t.PerBoard("BtConnect", "Connect", "연   결");
  }
  return table;
}

}  // namespace tessar
