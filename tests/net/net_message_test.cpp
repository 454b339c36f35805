#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "net/net_message.h"

using namespace tessar;

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

std::string Header(int code, int length) {
  return Bytes({code, 0, 0, 0, length & 0xFF, (length >> 8) & 0xFF, (length >> 16) & 0xFF,
                (length >> 24) & 0xFF});
}

}  // namespace

TEST(NetMessage, RequestsAndRepliesHaveTheirBytes) {
  EXPECT_EQ(ComposeRequest(kDataCode), Bytes({0xA0, 0, 0, 0, 5}));
  EXPECT_EQ(ComposeRequest(kSettingsCode), Bytes({0xB0, 0, 0, 0, 5}));

  char served[kFrameTextSize];
  std::memset(served, 'x', sizeof served);
  std::memcpy(served, "000001, 000002\r\n", 17);  // with its terminating zero
  const std::string data = ComposeDataReply(served);
  EXPECT_EQ(data, Header(0xA0, 88) + std::string(served, 80));

  EXPECT_EQ(ComposePausedReply(), Header(0xC0, 88) + std::string(80, '\0'));

  BoardSettings record;
  FillBoardDefaults(record, 2, "/data");
  record.filterLength = 300;  // the last field, beyond one byte
  const std::string settings = ComposeSettingsReply(record);
  ASSERT_EQ(settings.size(), 1312u);
  EXPECT_EQ(settings.substr(0, 8), Header(0xB0, 1312));
  EXPECT_EQ(settings.substr(8), std::string(reinterpret_cast<const char*>(&record), 1304));
  EXPECT_EQ(settings.substr(8 + 1300), Bytes({0x2C, 0x01, 0, 0}));

  EXPECT_EQ(ComposeClosedReply(kServerClosedText), Header(0xF0, 24) + "Server is closed");
  EXPECT_EQ(ComposeClosedReply(kTooManyUsersText).size(), 21u);
}

TEST(NetMessage, ServerAnswersOneRequestPerReadEvent) {
  FrameState fresh;
  std::strcpy(fresh.ServedFrame, "frame");
  fresh.MissedTicks = 0;
  FrameState stale = fresh;
  stale.MissedTicks = 1;
  BoardSettings record{};
  struct Case {
    const char* name;
    std::string block;
    const FrameState* frame;
    ServerAnswer::Kind kind;
    int replyCode;
    std::size_t replySize;
  };
  const std::string a0 = ComposeRequest(kDataCode);
  const Case cases[] = {
      {"data, fresh frame", a0, &fresh, ServerAnswer::Kind::Reply, 0xA0, 88},
      {"data, missed ticks", a0, &stale, ServerAnswer::Kind::Reply, 0xC0, 88},
      {"settings", ComposeRequest(kSettingsCode), &stale, ServerAnswer::Kind::Reply, 0xB0, 1312},
      {"short request still answered", Bytes({0xA0}), &fresh, ServerAnswer::Kind::Reply, 0xA0, 88},
      {"unknown code", ComposeRequest(0x55), &fresh, ServerAnswer::Kind::Unknown, -1, 0},
      {"6 bytes", a0 + Bytes({0}), &fresh, ServerAnswer::Kind::Discard, -1, 0},
      {"two requests together", a0 + a0, &fresh, ServerAnswer::Kind::Discard, -1, 0},
      {"nothing", "", &fresh, ServerAnswer::Kind::Discard, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ServerAnswer answer = AnswerRequest(c.block, *c.frame, record);
    EXPECT_EQ(answer.kind, c.kind);
    EXPECT_EQ(answer.reply.size(), c.replySize);
    if (c.replyCode >= 0) {
      EXPECT_EQ(static_cast<std::uint8_t>(answer.reply[0]), c.replyCode);
      EXPECT_EQ(answer.requestSize, static_cast<int>(c.block.size()));
    }
  }
  EXPECT_EQ(AnswerRequest(a0, fresh, record).reply.substr(8, 6), std::string("frame\0", 6));
}

TEST(NetMessage, RepliesAreCutFromTheStreamByTheirLength) {
  BoardSettings record;
  FillBoardDefaults(record, 1, "/data");
  const std::string settings = ComposeSettingsReply(record);
  char served[kFrameTextSize] = "000010, 000020\r\n";
  const std::string data = ComposeDataReply(served);
  const std::string closed = ComposeClosedReply(kServerClosedText);
  struct Expect {
    int code;
    int size;
    bool dropped;
  };
  struct Case {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<Expect> events;
    std::size_t leftBuffered;
  };
  const Case cases[] = {
      {"settings in three segments",
       {settings.substr(0, 3), settings.substr(3, 700), settings.substr(703)},
       {{0xB0, 1312, false}},
       0},
      {"two replies in one read", {data + closed}, {{0xA0, 88, false}, {0xF0, 24, false}}, 0},
      {"a reply and the start of the next", {data + settings.substr(0, 100)}, {{0xA0, 88, false}}, 100},
      {"length 0 never loops", {Header(0xF0, 0) + data}, {{0xF0, 96, true}}, 0},
      {"length 7", {Header(0x11, 7)}, {{0x11, 8, true}}, 0},
      {"length beyond 1508", {Header(0xF0, 5000) + std::string(1600, 'z')}, {{0xF0, 1608, true}}, 0},
      {"negative length", {Header(0xF0, -8)}, {{0xF0, 8, true}}, 0},
      {"data reply of a settings length", {Header(0xA0, 1312) + std::string(1304, '\0')},
       {{0xA0, 1312, true}}, 0},
      {"settings reply of 88 bytes", {Header(0xB0, 88)}, {{0xB0, 8, true}}, 0},
      {"after a drop the stream goes on", {Header(0x01, 3), closed}, {{0x01, 8, true}, {0xF0, 24, false}}, 0},
      {"unknown code of its own length", {Header(0x42, 10) + "ab"}, {{0x42, 10, false}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReplyAssembler assembler;
    std::vector<ReplyAssembler::Event> events;
    for (const std::string& chunk : c.chunks) assembler.Feed(chunk, events);
    ASSERT_EQ(events.size(), c.events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
      EXPECT_EQ(events[i].message.code, c.events[i].code);
      EXPECT_EQ(events[i].message.size, c.events[i].size);
      EXPECT_EQ(events[i].dropped, c.events[i].dropped);
    }
    EXPECT_EQ(assembler.Buffered(), c.leftBuffered);
  }

  // the reassembled record is the one sent, byte for byte
  ReplyAssembler assembler;
  std::vector<ReplyAssembler::Event> events;
  for (char byte : settings) assembler.Feed(std::string_view(&byte, 1), events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(std::memcmp(events[0].message.record.payload, &record, sizeof record), 0);
}

TEST(NetMessage, FramePayloadEndsWithAZeroInsideTheFrameBuffer) {
  NetMessage record;
  std::memset(&record, '7', sizeof record);
  char frame[kFrameTextSize];
  std::memset(frame, 'q', sizeof frame);
  CopyFramePayload(record, frame);
  EXPECT_EQ(strnlen(frame, sizeof frame), static_cast<std::size_t>(kFrameTextSize - 1));

  const char served[kFrameTextSize] = "000001\r\n";
  const ReceivedMessage received = ClassifyBlock(ComposeDataReply(served));
  CopyFramePayload(received.record, frame);
  EXPECT_STREQ(frame, "000001\r\n");
  EXPECT_EQ(frame[kFrameTextSize - 1], '\0');
}
