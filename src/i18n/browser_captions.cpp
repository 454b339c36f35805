#include "i18n/captions.h"

namespace tessar {

namespace {

CaptionEntry Entry(const char* name, const char* english, const char* korean) {
  return {QString::fromLatin1(name), CaptionRole::Text, -1, QString::fromUtf8(english),
          QString::fromUtf8(korean)};
}

}  // namespace

std::vector<CaptionEntry> BrowserCaptionTable() {
  return {
      Entry("BtTXT", "Save as TXT", "TXT로 저장"),
      Entry("BtXLS", "Save as XLS", "XLS로 저장"),
      Entry("ChkViewP1", "View Point", "점 표시"),
      Entry("GroupBox1", "Channel Visible", "채널보기"),
      Entry("BtClose", "Close", "닫기"),
      Entry("BtZoomIn", "Zoom In", "확대"),
      Entry("BtZoomOut", "Zoom Out", "축소"),
      Entry("BtPrint", "Print Chart", "차트인쇄"),
      Entry("BtClipboard", "Clipboard", "클립보드복사"),
      Entry("Copy1", "Copy to Clipboard", "클립보드로 복사"),
      Entry("ModifyTitles1", "Modify Titles", "제목변경"),
      Entry("GetAverage1", "Get Average", "평균값"),
      Entry("BtSmth", "Smoothing", "노이즈 억제"),
      Entry("GBSample", "Subsampling", "서브 샘플링"),
      Entry("GBDate", "Date/Time", "날짜/시간"),
      Entry("LblSN", "Serial Number : ", "시리얼 번호 : "),
      Entry("BtnDraw", "Draw Chart", "그리기"),
      Entry("LblSDate", "Start Date", "시작날짜  "),
      Entry("LblEDate", "End Date", "종료날짜  "),
      Entry("LblSTime", "Time", "시간  "),
      Entry("LblETime", "Time", "시간  "),
      Entry("RGX", "X Axis", "X 축 "),
      Entry("RGX0", "Record Time (hh:mm:ss)", "기록 시각 (hh:mm:ss)"),
      Entry("RGX1", "Elapse Time (hh:mm:ss)", "경과 시간 (hh:mm:ss)"),
      Entry("RGX2", "Elapse Time (sec)", "경과 시간 (sec)"),
      Entry("LblPort", "Device", "계기포트 "),
      Entry("LblStart", "Start Time", "시작시각 "),
      Entry("BtAuto", "Auto", "자동"),
  };
}

std::vector<CaptionEntry> ReportCaptionTable() {
  return {
      Entry("QRStartL", "Start", "시작 시각"),
      Entry("QREndL", "End", "종료 시각"),
      Entry("QRTotalL", "Total", "총데이터수"),
      Entry("QRManager", "Manager", "관 리 자"),
      Entry("QRM", "M", "정"),
      Entry("QRS", "S", "부"),
      Entry("QRMemoL", "Memo", "메모"),
      Entry("QRMinL", "Min", "최소값"),
      Entry("QRMaxL", "Max", "최대값"),
      Entry("QRAvgL", "Avg", "평균값"),
      Entry("QRStdL", "Std", "표준편차"),
  };
}

}  // namespace tessar
