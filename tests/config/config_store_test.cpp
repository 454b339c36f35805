// What the OK button stores, the number texts of the pages, the range lists
// and the port items.
#include <gtest/gtest.h>

#include <cstring>

#include "config/config_store.h"
#include "config/number_text.h"
#include "config/range_captions.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

TEST(NumberText, ReadsWholeNumbersOnly) {
  double v = 7.0;
  EXPECT_TRUE(ParseNumber("1.5", v));
  EXPECT_EQ(v, 1.5);
  EXPECT_TRUE(ParseNumber("  -20 ", v));
  EXPECT_EQ(v, -20.0);
  EXPECT_TRUE(ParseNumber("+3", v));
  EXPECT_EQ(v, 3.0);
  EXPECT_TRUE(ParseNumber("2.5e-3", v));
  EXPECT_EQ(v, 0.0025);
  EXPECT_TRUE(ParseNumber(".5", v));
  EXPECT_EQ(v, 0.5);
  for (const char* bad : {"", "  ", "abc", "1.2.3", "1,5", "12a", "inf", "nan", "-", "1e", "0x10"}) {
    v = 7.0;
    EXPECT_FALSE(ParseNumber(QString::fromLatin1(bad), v)) << bad;
    EXPECT_EQ(v, 7.0) << "a refused text leaves the value: " << bad;
  }
}

TEST(NumberText, FixedFormatIsTheCLocale) {
  EXPECT_EQ(FormatFixed(1.0, 5), "1.00000");
  EXPECT_EQ(FormatFixed(-20.0, 2), "-20.00");
  EXPECT_EQ(FormatFixed(10000.0, 5), "10000.00000");
  EXPECT_EQ(FormatFixed(78.125, 2), "78.12");  // printf rounds the exact tie to even
}

TEST(RangeCaptions, FollowTheRangeTableOfTheModelKind) {
  EXPECT_EQ(RangeCaptions(0),
            QStringList({"2500 mV", "1250 mV", "625 mV", "312.5 mV", "156.25 mV", "78.125 mV",
                         "39.0625 mV", "19.5313 mV"}));
  const QStringList kind12 = {"5000 mV ", "2500 mV", "1250 mV", "625 mV", "312.5 mV ",
                              "156.25 mV", "78.125 mV"};
  EXPECT_EQ(RangeCaptions(1), kind12);
  EXPECT_EQ(RangeCaptions(2), kind12);
  for (int kind = 0; kind < 3; ++kind) {
    const RangeTable table = RangeTableOf(kind);
    const QStringList captions = RangeCaptions(kind);
    ASSERT_EQ(captions.size(), table.count);
    for (int i = 0; i < table.count; ++i)
      EXPECT_EQ(captions[i].trimmed(), QString::number(table.values[i]) + " mV");
  }
}

class StorePages : public ::testing::Test {
 protected:
  void SetUp() override {
    FillDefaults(image, "/home/u/Tessar");
    original = image;
    for (int b = 0; b < kBoardCount; ++b) {
      ConfigPageTexts& p = pages[b];
      p.portNumber = b + 1;
      p.boardSensorType = 7;
      p.refVoltage = "0.5";
      p.voltA1 = "1.25";
      p.voltA0 = "-0.5";
      for (int k = 1; k <= kChannelCount; ++k) {
        ChannelPageTexts& c = p.channels[k];
        c.typeIndex = 3;
        c.rangeIndex = 0;
        c.t1 = QString::number(2 + k);
        c.t0 = "1";
        c.minimum = "-100";
        c.maximum = "500";
      }
    }
    choices.englishUi = true;
    choices.elapseTimeAxis = true;
    choices.dataDirectory = "/data/logs";
  }

  SettingsImage image{};
  SettingsImage original{};
  std::array<ConfigPageTexts, kBoardCount> pages;
  ProgramChoices choices;
  std::array<int, kBoardCount> kinds{0, 1, 2, 0};
};

TEST_F(StorePages, StoresEveryPageWithTheRangeTableOfEachBoard) {
  const StoreResult result = StoreConfigPages(image, choices, pages, kinds);
  EXPECT_FALSE(result.invalidNumber);
  EXPECT_FALSE(result.directoryRefused);
  EXPECT_EQ(image.boards[0].englishUi, 1);
  EXPECT_EQ(image.boards[0].elapseTimeAxis, 1);
  EXPECT_EQ(ReadField(image.boards[0].dataDirectory), "/data/logs");
  EXPECT_EQ(ReadField(image.boards[1].dataDirectory), "/home/u/Tessar") << "only board 0's copy";
  for (int b = 0; b < kBoardCount; ++b) {
    const BoardSettings& r = image.boards[b];
    EXPECT_EQ(r.portNumber, b + 1);
    EXPECT_EQ(r.boardSensorType, 7);
    EXPECT_EQ(r.refVoltage, 0.5);
    EXPECT_EQ(r.voltA1, 1.25);
    EXPECT_EQ(r.voltA0, -0.5);
    EXPECT_EQ(r.channelRangeMv[1], kinds[b] == 0 ? 2500.0 : 5000.0);
    EXPECT_EQ(r.channelT1[8], 10.0);
    EXPECT_EQ(r.channelMax[8], 500.0);
    EXPECT_EQ(r.channelSensorType[5], 3);
    // slot 0 is never edited by the pages
    EXPECT_EQ(r.channelT1[0], 1.0);
    EXPECT_EQ(r.channelRangeMv[0], 2500.0);
  }
}

TEST_F(StorePages, ANonNumberStopsTheStoringAtThatField) {
  pages[0].channels[3].t1 = "abc";
  const StoreResult result = StoreConfigPages(image, choices, pages, kinds);
  EXPECT_TRUE(result.invalidNumber);
  EXPECT_EQ(result.failedBoard, 0);
  EXPECT_EQ(result.failedChannel, 3);
  const BoardSettings& r = image.boards[0];
  EXPECT_EQ(r.englishUi, 1) << "the program-wide choices come first";
  EXPECT_EQ(r.channelT1[1], 3.0);
  EXPECT_EQ(r.channelT1[2], 4.0);
  EXPECT_EQ(r.channelMax[2], 500.0);
  // channel 3's type and range precede its T1
  EXPECT_EQ(r.channelSensorType[3], 3);
  EXPECT_EQ(r.channelRangeMv[3], 2500.0);
  // from channel 3's T1 on nothing changed, boards 1..3 included
  EXPECT_EQ(std::memcmp(&r.channelT1[3], &original.boards[0].channelT1[3], sizeof(double) * 6), 0);
  EXPECT_EQ(r.channelT0[3], 0.0);
  EXPECT_EQ(r.channelSensorType[4], 0);
  for (int b = 1; b < kBoardCount; ++b)
    EXPECT_EQ(std::memcmp(&image.boards[b], &original.boards[b], sizeof(BoardSettings)), 0) << b;
}

TEST_F(StorePages, ABadBoardFieldStopsBeforeTheChannels) {
  pages[2].voltA0 = "";
  const StoreResult result = StoreConfigPages(image, choices, pages, kinds);
  EXPECT_TRUE(result.invalidNumber);
  EXPECT_EQ(result.failedBoard, 2);
  EXPECT_EQ(result.failedChannel, 0);
  EXPECT_EQ(image.boards[1].channelT1[8], 10.0);
  EXPECT_EQ(image.boards[2].portNumber, 3);
  EXPECT_EQ(image.boards[2].voltA1, 1.25);
  EXPECT_EQ(image.boards[2].voltA0, 0.0);
  EXPECT_EQ(image.boards[2].channelT1[1], 1.0);
  EXPECT_EQ(image.boards[3].portNumber, 0);
}

TEST_F(StorePages, ComboBoxesWithoutSelectionKeepTheStoredValues) {
  image.boards[1].channelRangeMv[2] = 9999.0;  // larger than every range: shown without selection
  image.boards[1].channelSensorType[2] = 5;
  image.boards[1].boardSensorType = 4;
  pages[1].channels[2].rangeIndex = -1;
  pages[1].channels[2].typeIndex = -1;
  pages[1].boardSensorType = -1;
  pages[1].channels[3].rangeIndex = 9;  // beyond the table
  StoreConfigPages(image, choices, pages, kinds);
  EXPECT_EQ(image.boards[1].channelRangeMv[2], 9999.0);
  EXPECT_EQ(image.boards[1].channelSensorType[2], 5);
  EXPECT_EQ(image.boards[1].boardSensorType, 4);
  EXPECT_EQ(image.boards[1].channelRangeMv[3], 78.125);
}

TEST_F(StorePages, ADirectoryLongerThanItsFieldIsRefusedNotCut) {
  choices.dataDirectory = "/" + QString(80, 'd');  // 81 bytes
  const StoreResult result = StoreConfigPages(image, choices, pages, kinds);
  EXPECT_TRUE(result.directoryRefused);
  EXPECT_FALSE(result.invalidNumber);
  EXPECT_EQ(ReadField(image.boards[0].dataDirectory), "/home/u/Tessar");
  EXPECT_EQ(image.boards[3].channelT1[8], 10.0) << "the rest is stored as usual";
  // 80 bytes fit (Korean text counts its CP949 bytes)
  choices.dataDirectory = "/" + QString(79, 'd');
  EXPECT_FALSE(StoreConfigPages(image, choices, pages, kinds).directoryRefused);
  EXPECT_EQ(ReadField(image.boards[0].dataDirectory), choices.dataDirectory);
  choices.dataDirectory = "/" + QString(40, QChar(0xB370));  // 81 bytes in CP949
  EXPECT_TRUE(StoreConfigPages(image, choices, pages, kinds).directoryRefused);
  // A path CP949 cannot hold as it is is refused the same way, never stored altered.
  const QString stored = ReadField(image.boards[0].dataDirectory);
  choices.dataDirectory = QString::fromUtf8("/tmp/café");
  EXPECT_TRUE(StoreConfigPages(image, choices, pages, kinds).directoryRefused);
  EXPECT_EQ(ReadField(image.boards[0].dataDirectory), stored);
}

}  // namespace
}  // namespace tessar
