// The configuration dialogue's collector and parser, byte by byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "device/device_protocol.h"
#include "device/device_replies.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

// The kind-1 example reply with CR line ends.
const std::string kKind1Reply =
    "S\rORVA-2200\rA30001\r0\r0\r6\r6\r5\r5\rK\rK\rT\rT\rM\r1.0\r0.0\r2.5\r"
    "1.0\r1.0\r1.0\r1.0\r0.0\r0.0\r0.0\r0.0\rE";

BoardSettings Filled() {
  BoardSettings record;
  std::memset(&record, 0x5A, sizeof record);
  record.modelName[0] = '\0';
  record.serialNumber[0] = '\0';
  return record;
}

std::string Collect(ReplyCollector& collector, const std::string& chunk, int* completions) {
  std::string last;
  for (char c : chunk) {
    if (collector.Feed(c)) {
      ++*completions;
      last = collector.ReplyText;
    }
  }
  return last;
}

TEST(ReplyCollector, AssemblesSplitReplyAndDropsLeadingNoise) {
  ReplyCollector collector;
  int done = 0;
  Collect(collector, "01A, 7F\r\nS\rORVA-22", &done);
  Collect(collector, "00\rA30001\r0\r0\r6\r6", &done);
  EXPECT_EQ(done, 0);
  EXPECT_TRUE(collector.ReplyCollecting);
  const std::string reply = Collect(collector, kKind1Reply.substr(std::string("S\rORVA-2200\rA30001\r0\r0\r6\r6").size()), &done);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(reply, kKind1Reply);
  EXPECT_FALSE(collector.ReplyCollecting);
}

TEST(ReplyCollector, SecondSRestartsAndEInNumberEndsEarly) {
  ReplyCollector collector;
  int done = 0;
  // A type-S channel letter restarts the reply at that letter.
  std::string reply = Collect(collector, "S\rORVA-2200\rA1\r0\r0\r1\r1\r1\r1\rK\rS\rK\rK\rM\r1.0\r0.0\r2.5\rE", &done);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(reply, "S\rK\rK\rM\r1.0\r0.0\r2.5\rE");
  BoardSettings record = Filled();
  const BoardSettings before = record;
  EXPECT_EQ(ParseConfigReply(reply, 0, 1, record).outcome, ConfigOutcome::UnknownModel);
  EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);

  // An exponent ends the reply inside the number.
  collector.Reset();
  done = 0;
  reply = Collect(collector, "S\rORVA-2200\rA1\r0\r0\r1\r1\r1\r1\rK\rK\rK\rK\rM\r1E-3\r", &done);
  EXPECT_EQ(reply, "S\rORVA-2200\rA1\r0\r0\r1\r1\r1\r1\rK\rK\rK\rK\rM\r1E");
  EXPECT_EQ(ParseConfigReply(reply, 0, 1, record).outcome, ConfigOutcome::BadValue);
}

// A device that streams without an "E" cannot fill the memory: the reply ends
// at the bound, and the parse of what came is a failure, the record untouched.
TEST(ReplyCollector, AReplyWithoutEndIsCutAtTheBoundAndFails) {
  // Padding that a real reply never has: numbers of the T0 lines, then noise.
  const std::string streams[] = {
      std::string(kKind1Reply, 0, kKind1Reply.size() - 1) + std::string(2 * kLongestReply, '1'),
      "S" + std::string(3 * kLongestReply, '\r'),
  };
  for (const std::string& stream : streams) {
    ReplyCollector collector;
    int done = 0;
    const std::string reply = Collect(collector, stream, &done);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(reply.size(), kLongestReply + 1);
    EXPECT_FALSE(collector.ReplyCollecting);
    BoardSettings record = Filled();
    const BoardSettings before = record;
    EXPECT_EQ(ParseConfigReply(reply, 0, 1, record).outcome, ConfigOutcome::BadValue);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
  }
  // A reply of exactly the bound is still taken.
  ReplyCollector collector;
  int done = 0;
  Collect(collector, "S" + std::string(kLongestReply - 2, '\r') + "E", &done);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(collector.ReplyText.size(), kLongestReply);
}

TEST(ParseConfigReply, Kind1Example) {
  BoardSettings record = Filled();
  const ConfigParseResult result = ParseConfigReply(kKind1Reply, 2, 7, record);
  ASSERT_EQ(result.outcome, ConfigOutcome::Ok);
  EXPECT_EQ(result.modelKind, 1);
  EXPECT_EQ(FieldBytes(record.modelName), "ORVA-2200");
  EXPECT_EQ(FieldBytes(record.serialNumber), "A30001");
  EXPECT_EQ(record.boardIndex, 2);
  EXPECT_EQ(record.portNumber, 7);
  EXPECT_EQ(record.boardSensorType, 7);
  EXPECT_EQ(record.channelSensorType[0], 1);
  EXPECT_EQ(record.channelSensorType[1], 1);
  EXPECT_EQ(record.channelSensorType[2], 1);
  EXPECT_EQ(record.channelSensorType[3], 5);
  EXPECT_EQ(record.channelSensorType[4], 5);
  EXPECT_EQ(record.channelRangeMv[0], 78.125);
  EXPECT_EQ(record.channelRangeMv[1], 78.125);
  EXPECT_EQ(record.channelRangeMv[3], 156.25);
  EXPECT_EQ(record.refVoltage, 2.5);
  EXPECT_EQ(record.voltA1, 1.0);
  EXPECT_EQ(record.voltA0, 0.0);
  for (int ch = 1; ch <= 8; ++ch) {
    EXPECT_EQ(record.channelT1[ch], 1.0);
    EXPECT_EQ(record.channelT0[ch], 0.0);
    EXPECT_EQ(record.channelMin[ch], 0.0);
    EXPECT_EQ(record.channelMax[ch], 10000.0);
  }
  // Slots the model does not have keep their type and range; slot 0's
  // limits are not touched.
  BoardSettings untouched = Filled();
  EXPECT_EQ(std::memcmp(&record.channelSensorType[5], &untouched.channelSensorType[5], 4 * 4), 0);
  EXPECT_EQ(std::memcmp(&record.channelRangeMv[5], &untouched.channelRangeMv[5], 4 * 8), 0);
  EXPECT_EQ(std::memcmp(&record.channelMin[0], &untouched.channelMin[0], 8), 0);
}

TEST(ParseConfigReply, Kind0WithAndWithoutChannelCalibration) {
  BoardSettings record = Filled();
  // Calibration part of just "E": T1 = 1, T0 = 0 everywhere.
  const std::string bare = "S\rORVA-2100\rB7\r0\r1\r2\r3\r4\r5\r7\rK\rK\rK\rK\rK\rK\rK\rM\r1.5\r-0.25\r5.0\rE";
  ConfigParseResult result = ParseConfigReply(bare, 0, 3, record);
  ASSERT_EQ(result.outcome, ConfigOutcome::Ok);
  EXPECT_EQ(result.modelKind, 0);
  EXPECT_EQ(record.boardSensorType, 1);  // all letters equal
  EXPECT_EQ(record.channelRangeMv[0], 2500.0);
  EXPECT_EQ(record.channelRangeMv[6], 19.5313);
  EXPECT_EQ(record.voltA1, 1.5);
  EXPECT_EQ(record.voltA0, -0.25);
  EXPECT_EQ(record.refVoltage, 5.0);
  for (int ch = 1; ch <= 8; ++ch) EXPECT_EQ(record.channelT1[ch], 1.0);

  // A partial T1 line keeps the defaults of the values it does not give.
  const std::string partial =
      "S\rORVA-2000\rB7\r0\r0\r0\r0\r0\r0\r0\rV\rV\rJ\rV\rV\rV\rV\rM\r1.0\r0.0\r2.5\r"
      "2.0,3.0\r0.5,0.5,0.5,0.5,0.5,0.5\rE";
  record = Filled();
  ASSERT_EQ(ParseConfigReply(partial, 1, 3, record).outcome, ConfigOutcome::Ok);
  EXPECT_EQ(record.channelT1[1], 2.0);
  EXPECT_EQ(record.channelT1[2], 3.0);
  EXPECT_EQ(record.channelT1[3], 1.0);
  EXPECT_EQ(record.channelT0[6], 0.5);
  EXPECT_EQ(record.channelT0[7], 0.0);
  EXPECT_EQ(record.boardSensorType, 7);
  EXPECT_EQ(record.channelSensorType[2], 3);
}

TEST(ParseConfigReply, ErrorOutcomesLeaveTheRecordAlone) {
  struct Case {
    const char* reply;
    ConfigOutcome outcome;
    int kind;
  };
  const Case cases[] = {
      {"S\rORVA-2200\rA1\r0\r0\rE", ConfigOutcome::NoModelSection, -1},
      {"S\rORVA-2200 \rA1\rM\r1.0\r0.0\r2.5\rE", ConfigOutcome::UnknownModel, -1},
      {"S\rORVA-2300\rA1\rM\rE", ConfigOutcome::UnknownModel, -1},
      {"SM", ConfigOutcome::UnknownModel, -1},
      {"S\rORVA-2280\r \r\rM\r1.0\r0.0\r2.5\rE", ConfigOutcome::SettingsUnreadable, 2},
      {"S\rORVA-2280\rM\r1.0\rE", ConfigOutcome::SettingsUnreadable, 2},
      {"S\rORVA-2000\rX1\r0\r0\r0\r0\r0\r0\r0\rK\rK\rK\rK\rK\rK\rK\rM\r1.0\r0.0\r2.5\rxx\r1,1\rE",
       ConfigOutcome::FirstCalUnreadable, 0},
      {"S\rORVA-2000\rX1\r0\r0\r0\r0\r0\r0\r0\rK\rK\rK\rK\rK\rK\rK\rM\r1.0\r0.0\r2.5\r1,1\rE",
       ConfigOutcome::SecondCalUnreadable, 0},
      {"S\rORVA-2000\rX1\r0\r0\r0\r0\r0\r0\r0\rK\rK\rK\rK\rK\rK\rK\rM\r1.0\r\r2.5\rE",
       ConfigOutcome::BadValue, 0},
      {"S\rORVA-2200\rA1\r0\r0\r1\r1\r1\r1\rK\rK\rK\rK\rM\r1.0\r0.0\r2.5x\r", ConfigOutcome::BadValue, 1},
      // Too few T1/T0 lines: the "E" is met where a number is due.
      {"S\rORVA-2200\rA1\r0\r0\r1\r1\r1\r1\rK\rK\rK\rK\rM\r1.0\r0.0\r2.5\r1.0\rE", ConfigOutcome::BadValue, 1},
      // Range index beyond the table (7 for kinds 1/2, 8 for kind 0), negative.
      {"S\rORVA-2200\rA1\r0\r0\r1\r7\r1\r1\rK\rK\rK\rK\rM\r1\r0\r2.5\r1\r1\r1\r1\r0\r0\r0\r0\rE",
       ConfigOutcome::BadValue, 1},
      {"S\rORVA-2000\rX1\r8\r0\r0\r0\r0\r0\r0\rK\rK\rK\rK\rK\rK\rK\rM\r1.0\r0.0\r2.5\rE", ConfigOutcome::BadValue, 0},
      {"S\rORVA-2000\rX1\r0\r-1\r0\r0\r0\r0\r0\rK\rK\rK\rK\rK\rK\rK\rM\r1.0\r0.0\r2.5\rE", ConfigOutcome::BadValue, 0},
      // A serial number of 21 characters does not fit the record.
      {"S\rORVA-2000\r123456789012345678901\r0\r0\r0\r0\r0\r0\r0\rK\rK\rK\rK\rK\rK\rK\rM\r1.0\r0.0\r2.5\rE",
       ConfigOutcome::BadValue, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    BoardSettings record = Filled();
    const BoardSettings before = record;
    const ConfigParseResult result = ParseConfigReply(c.reply, 1, 2, record);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.modelKind, c.kind);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
  }
  EXPECT_STREQ(MessageOf(ConfigOutcome::UnknownModel).english, "Check your ORVA model");
  EXPECT_STREQ(MessageOf(ConfigOutcome::BadValue).korean, "Error 1098");
  EXPECT_STREQ(MessageOf(ConfigOutcome::SecondCalUnreadable).english, "Error 4");
}

TEST(ParseConfigReply, ShortSettingsKeepDefaultsAndTwentyCharSerialFits) {
  // The scan stops after the first range: the rest default to index 6, "V".
  BoardSettings record = Filled();
  const std::string reply =
      "S\rORVA-2280\r12345678901234567890\r0\r0\r2\rM\r1\r0\r2.5\r"
      "1\r1\r1\r1\r1\r1\r1\r1\r0\r0\r0\r0\r0\r0\r0\r0\rE";
  ASSERT_EQ(ParseConfigReply(reply, 3, 4, record).outcome, ConfigOutcome::Ok);
  EXPECT_EQ(FieldBytes(record.serialNumber), "12345678901234567890");
  EXPECT_EQ(record.channelRangeMv[1], 1250.0);
  EXPECT_EQ(record.channelRangeMv[2], 78.125);
  EXPECT_EQ(record.channelRangeMv[8], 78.125);
  EXPECT_EQ(record.channelSensorType[8], 0);
  EXPECT_EQ(record.boardSensorType, 0);
}

TEST(DeviceReplies, FramesAndDumpsRoundTrip) {
  const std::int32_t counts[] = {0x0012AB, -1, 0x7FFFFF, 0, -8388607};
  EXPECT_EQ(FormatFrame(counts), "0012AB, FFFFFF, 7FFFFF, 000000, 800001\r\n");
  EXPECT_EQ(FormatDumpNumber(1e-7), "0.0000001");
  EXPECT_EQ(FormatDumpNumber(2.0), "2.0");

  DeviceConfig config;
  config.model = "ORVA-2200";
  config.serialNumber = "A30001";
  config.rangeIndex = {0, 6, 6, 5, 5};
  config.letter = {'K', 'K', 'K', 'T', 'T'};
  EXPECT_EQ(FormatConfigReply(config), kKind1Reply);

  config.model = "ORVA-2100";
  config.rangeIndex = {1, 2, 3, 4, 5, 6, 7};
  config.letter.fill('J');
  config.t1[3] = 1.25;
  config.t0[6] = -0.5;
  BoardSettings record = Filled();
  ASSERT_EQ(ParseConfigReply(FormatConfigReply(config), 0, 1, record).outcome, ConfigOutcome::Ok);
  EXPECT_EQ(record.channelRangeMv[0], 1250.0);
  EXPECT_EQ(record.channelRangeMv[6], 19.5313);
  EXPECT_EQ(record.channelT1[3], 1.25);
  EXPECT_EQ(record.channelT0[6], -0.5);
}

TEST(DeviceCommands, RelayWords) {
  EXPECT_EQ(SingleRelayCommand(true), "D1\r");
  EXPECT_EQ(OutputMaskCommand(5), "P5\r");
  EXPECT_EQ(OutputMaskCommand(0xF), "PF\r");
  EXPECT_EQ(OutputsOffCommand(0), "D0\r");
  EXPECT_EQ(OutputsOffCommand(2), "P0\r");
}

}  // namespace
}  // namespace tessar
