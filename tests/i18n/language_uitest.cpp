// The language of the window: English captions from the window itself,
// Korean ones from the caption table, only in Korean mode.
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

#include "../shell/window_fixture.h"
#include "i18n/captions.h"
#include "i18n/ui/caption_setter.h"
#include "config/ui/config_page.h"
#include "acquisition/ui/chart_page.h"

namespace tessar::test {
namespace {

bool HasHangul(const QString& text) {
  for (QChar c : text)
    if (c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3) return true;
  return false;
}

// Every caption, title and tool tip the window shows.
QStringList AllTexts(QWidget& window) {
  QStringList texts;
  for (auto* b : window.findChildren<QAbstractButton*>()) texts << b->text() << b->toolTip();
  for (auto* l : window.findChildren<QLabel*>()) texts << l->text() << l->toolTip();
  for (auto* g : window.findChildren<QGroupBox*>()) texts << g->title();
  for (auto* m : window.findChildren<QMenu*>()) texts << m->title();
  for (auto* a : window.findChildren<QAction*>()) texts << a->text();
  return texts;
}

class LanguageTest : public WindowTest {};

// A few rows of the caption table as the form and the Korean mode must show
// them, trailing blanks included; CaptionOf only reads the control.
const CaptionEntry kSampleCaptions[] = {
    {"ChkNetOff", CaptionRole::Text, -1, "Disable All Networking", "접속 불가"},
    {"GBCPort1", CaptionRole::Text, 0, "Communication Port", "통신 포트"},
    {"RgTC2", CaptionRole::Text, 1, "Thermocouple type", "열전대 타입"},
    {"OKBtn3", CaptionRole::Text, 2, "OK", "저장"},
    {"ChkR2", CaptionRole::Text, 1, "Interlock D/O ", "알람 D/O 연동"},
    {"ChkR3", CaptionRole::Text, 2, "Interlock D/O", "알람 D/O 연동"},
    {"ChkDOB1", CaptionRole::Text, 1, "CH1 D/O On", "채널1 릴레이 출력   "},
    {"LblM4", CaptionRole::Text, 3, "Model : ", "모델명 :"},
    {"MMFile", CaptionRole::Text, -1, "File", "파일"},
    {"PnlMTitle1", CaptionRole::Hint, 0, "Double click the memo to pause scrolling",
     "메모를 중지하려면 메모장을 더블클릭하세요."},
    {"Chart1", CaptionRole::TimeAxisTitle, 0, "Record Time", "기록 시각 "},
};

TEST_F(LanguageTest, EnglishRunShowsTheFormCaptionsOfEveryTableEntry) {
  SettingsImage image = DefaultImage();
  image.boards[0].englishUi = 1;
  WriteSettings(image);
  MainWindow& w = Start();
  for (const CaptionEntry& e : KoreanCaptionTable(false, false))
    EXPECT_EQ(CaptionOf(&w, e), e.english) << e.name.toStdString();
  for (const CaptionEntry& e : kSampleCaptions) EXPECT_EQ(CaptionOf(&w, e), e.english) << e.name.toStdString();
  for (const QString& text : AllTexts(w)) EXPECT_FALSE(HasHangul(text)) << text.toStdString();
  EXPECT_FALSE(w.state().KoreanUi);
}

TEST_F(LanguageTest, KoreanRunReplacesEveryTableEntry) {
  MainWindow& w = Start();  // no settings file: Korean
  const auto table = KoreanCaptionTable(false, false);
  for (const CaptionEntry& e : table)
    EXPECT_EQ(CaptionOf(&w, e), e.korean) << e.name.toStdString();
  for (const CaptionEntry& e : kSampleCaptions) EXPECT_EQ(CaptionOf(&w, e), e.korean) << e.name.toStdString();
  // what is not in the table stays English
  EXPECT_EQ(w.configPage(0)->ChbEnglish->text(), "English ");
  EXPECT_EQ(w.PageControl()->tabText(0), "DAQ 1");
  EXPECT_EQ(w.chartPage(0)->YMax->text(), "Y-Max");
}

TEST_F(LanguageTest, KoreanElapsedAxisTitleReplacesTheEnglishOne) {
  SettingsImage image = DefaultImage();
  image.boards[0].elapseTimeAxis = 1;
  WriteSettings(image);
  MainWindow& w = Start();
  for (int b = 0; b < kBoardCount; ++b)
    EXPECT_EQ(w.chartPage(b)->TimeAxis->titleText(), QString::fromUtf8("경과 시간 "));
}

TEST_F(LanguageTest, ViewerTableMatchesTheViewerWindow) {
  MainWindow& w = Start(kTessviewEdition);
  for (const CaptionEntry& e : KoreanCaptionTable(false, true))
    EXPECT_EQ(CaptionOf(&w, e), e.korean) << e.name.toStdString();
}

TEST_F(LanguageTest, ViewerFormCaptionsAreTheEnglishOfItsTable) {
  MainWindow w(kTessviewEdition, ExePath(kTessviewEdition), &dialogs_);
  for (const CaptionEntry& e : KoreanCaptionTable(false, true))
    EXPECT_EQ(CaptionOf(&w, e), e.english) << e.name.toStdString();
}

}  // namespace
}  // namespace tessar::test
