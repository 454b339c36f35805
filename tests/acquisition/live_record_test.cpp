#include "acquisition/live_record.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "acquisition/thermocouple.h"
#include "common/date_time.h"
#include "i18n/text_codec.h"
#include "settings/board_settings.h"

namespace tessar {
namespace {

TEST(LiveRecord, NumbersAreShortestAndReadBack) {
  for (const double v : {0.0, 1.0, -1.5, 23.45, 0.1 + 0.2, 1e-300, 123456789.125, 1e21}) {
    const std::string text = JsonNumber(v);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
    EXPECT_LE(text.size(), 24u) << text;
  }
  EXPECT_EQ(JsonNumber(23.45), "23.45");
  EXPECT_EQ(JsonNumber(NoDataValue), "null");
  EXPECT_EQ(JsonNumber(std::nan("")), "null");
  EXPECT_EQ(JsonNumber(HUGE_VAL), "null");
  EXPECT_EQ(JsonString("a\"b\\c\n\x01\xed\x95\x9c"), "\"a\\\"b\\\\c\\u000a\\u0001\xed\x95\x9c\"");
  EXPECT_EQ(JsonTime(EncodeDateTime({2026, 12, 8, 14, 5, 32, 7})), "2026-12-08T14:05:32.007");
  EXPECT_EQ(JsonTime(std::nan("")), "");
}

TEST(LiveRecord, RecordMessageGolden) {
  BoardSettings settings{};
  std::strcpy(settings.serialNumber, "A30001");
  std::strcpy(settings.modelName, "ORVA-2280");
  StoreFieldBytes(settings.jobTitle, sizeof settings.jobTitle, ToCp949("가마 1").toStdString());
  std::strcpy(settings.yAxisTitle, "Temp");
  for (int i = 0; i < kSlotCount; ++i)
    std::snprintf(settings.channelName[i], sizeof settings.channelName[i], " CH%d  ", i);
  LiveRecord record;
  record.board = 1;
  record.time = EncodeDateTime({2026, 12, 8, 14, 5, 32, 0});
  for (int i = 0; i < kSlotCount; ++i) record.values[i] = i + 0.25;
  record.values[3] = NoDataValue;
  EXPECT_EQ(RecordJson(record, settings),
            "{\"board\":\"B\",\"time\":\"2026-12-08T14:05:32.000\",\"serial\":\"A30001\","
            "\"model\":\"ORVA-2280\",\"title\":\"\xea\xb0\x80\xeb\xa7\x88 1\",\"unit\":\"Temp\","
            "\"names\":[\"CH0\",\"CH1\",\"CH2\",\"CH3\",\"CH4\",\"CH5\",\"CH6\",\"CH7\",\"CH8\"],"
            "\"values\":[0.25,1.25,2.25,null,4.25,5.25,6.25,7.25,8.25]}");

  // the cache gives the same messages, texts included when they change
  RecordJsonCache cache;
  EXPECT_EQ(cache.Message(record, settings), RecordJson(record, settings));
  record.values[3] = 3.5;
  std::strcpy(settings.channelName[8], "last");
  EXPECT_EQ(cache.Message(record, settings), RecordJson(record, settings));
  std::strcpy(settings.yAxisTitle, "Voltage");
  EXPECT_EQ(cache.Message(record, settings), RecordJson(record, settings));
}

}  // namespace
}  // namespace tessar
