// The Korean caption table and the message pairs.
#include <gtest/gtest.h>

#include <set>

#include "i18n/captions.h"
#include "i18n/messages.h"

namespace tessar {
namespace {

const CaptionEntry* Find(const std::vector<CaptionEntry>& table, const QString& name) {
  for (const CaptionEntry& e : table)
    if (e.name == name) return &e;
  return nullptr;
}

TEST(CaptionTable, ListsEveryControlOnceWithExactTexts) {
  const auto table = KoreanCaptionTable(false, false);
  std::set<QString> names;
  for (const CaptionEntry& e : table) {
    EXPECT_TRUE(names.insert(e.name).second) << "twice: " << e.name.toStdString();
    EXPECT_FALSE(e.korean.isEmpty());
  }
  // 12 single controls, 26 four-board families, 4 x 4 relay boxes
  EXPECT_EQ(table.size(), 12u + 26u * 4u + 16u);

  auto korean = [&](const char* name) {
    const CaptionEntry* e = Find(table, name);
    return e ? e->korean : QStringLiteral("<missing>");
  };
  auto english = [&](const char* name) {
    const CaptionEntry* e = Find(table, name);
    return e ? e->english : QStringLiteral("<missing>");
  };
  EXPECT_EQ(korean("GBCPort3"), QString::fromUtf8("통신 포트"));
  EXPECT_EQ(korean("OKBtn4"), QString::fromUtf8("저장"));
  EXPECT_EQ(korean("ChkDOC2"), QString::fromUtf8("채널2 릴레이 출력   "));
  EXPECT_EQ(korean("ChkElapse"), QString::fromUtf8("경과시간  "));
  EXPECT_EQ(korean("LblM1"), QString::fromUtf8("모델명 :"));
  EXPECT_EQ(korean("PlClient"), QString::fromUtf8("접속자 목록"));
  EXPECT_EQ(english("ChkR1"), "Interlock D/O");
  EXPECT_EQ(english("ChkR2"), "Interlock D/O ");
  EXPECT_EQ(english("ChkR3"), "Interlock D/O");
  EXPECT_EQ(english("ChkR4"), "Interlock D/O ");
  EXPECT_EQ(english("LblSN2"), "Serial Number : ");
  const CaptionEntry* hint = Find(table, "PnlMTitle2");
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->role, CaptionRole::Hint);
  EXPECT_EQ(hint->board, 1);
  EXPECT_EQ(korean("Chart3"), QString::fromUtf8("기록 시각 "));
  EXPECT_EQ(Find(table, "GBIP1"), nullptr) << "the viewer's groups are not captioned by the logger";
}

TEST(CaptionTable, ElapsedAxisAndViewerVariants) {
  const auto elapsed = KoreanCaptionTable(true, false);
  EXPECT_EQ(Find(elapsed, "Chart1")->korean, QString::fromUtf8("경과 시간 "));
  EXPECT_EQ(Find(elapsed, "Chart1")->english, "Elapse Time");
  const auto viewer = KoreanCaptionTable(false, true);
  EXPECT_EQ(Find(viewer, "PlClient")->korean, QString::fromUtf8("서버 목록"));
  EXPECT_EQ(Find(viewer, "PlClient")->english, "Server List");
  EXPECT_EQ(Find(viewer, "GBIP4")->korean, QString::fromUtf8("IP 주소"));
  EXPECT_EQ(Find(viewer, "BtConnect2")->korean, QString::fromUtf8("연   결"));
}

TEST(MessagePairs, ChosenByTheLanguageOfTheRun) {
  EXPECT_EQ(MessageText(Msg::ExitConfirmText, true), QString::fromUtf8("프로그램 종료?"));
  EXPECT_EQ(MessageText(Msg::ExitConfirmText, false), "Program Terminating... ");
  EXPECT_EQ(MessageText(Msg::ExitConfirmCaption, false), "Exit Confirmation");
  EXPECT_EQ(MessageText(Msg::InvalidData, true), QString::fromUtf8("값이 올바르지 않습니다."));
  EXPECT_EQ(MessageText(Msg::PortOpenFailed, false), "Failed in Opening Port");
  EXPECT_EQ(MessageText(Msg::ServerClosed, true), "Server is closed") << "not translated";
  for (int i = 0; i < static_cast<int>(Msg::kCount); ++i) {
    const MessagePair& pair = MessagePairOf(static_cast<Msg>(i));
    EXPECT_EQ(static_cast<int>(pair.id), i);
    EXPECT_FALSE(QString::fromUtf8(pair.korean).isEmpty());
    EXPECT_FALSE(QString::fromUtf8(pair.english).isEmpty());
  }
}

}  // namespace
}  // namespace tessar
