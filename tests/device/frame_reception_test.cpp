// Frame acceptance by length and LF position, and the frame part of the tick.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "device/device_replies.h"
#include "device/frame_reception.h"

namespace tessar {
namespace {

std::string FrameOf(int fields) {
  std::vector<std::int32_t> counts;
  for (int i = 0; i < fields; ++i) counts.push_back(0x100000 + i);
  return FormatFrame(counts);
}

FrameState BoardOf(const char* model) {
  FrameState state;
  EXPECT_TRUE(ApplyModelToFrameState(model, state));
  return state;
}

TEST(FrameReception, LengthFollowsTheModel) {
  EXPECT_EQ(BoardOf("ORVA-2000").FrameLength, 56);
  EXPECT_EQ(BoardOf("ORVA-2100").FrameLength, 56);
  EXPECT_EQ(BoardOf("ORVA-2200").FrameLength, 40);
  FrameState kind2 = BoardOf("ORVA-2280");
  EXPECT_EQ(kind2.FrameLength, 72);
  EXPECT_EQ(kind2.ModelKind, 2);
  // An unknown name leaves kind and length as they were.
  EXPECT_FALSE(ApplyModelToFrameState("ORVA-2280 ", kind2));
  EXPECT_EQ(kind2.FrameLength, 72);
  EXPECT_EQ(FrameOf(7).size(), 56u);
  EXPECT_EQ(FrameOf(9).size(), 72u);
}

TEST(FrameReception, AcceptsOnlyAWholeFrameOfTheBoardsLength) {
  const std::string frame56 = FrameOf(7);
  FrameState kind0 = BoardOf("ORVA-2000");
  ASSERT_EQ(ReceiveFrame(kind0, frame56), FrameDecision::Accepted);
  EXPECT_TRUE(kind0.FrameReady);
  EXPECT_EQ(std::string(kind0.FrameText), frame56);

  // The same line on a kind-1 board is the wrong length.
  FrameState kind1 = BoardOf("ORVA-2200");
  EXPECT_EQ(ReceiveFrame(kind1, frame56), FrameDecision::Discarded);
  EXPECT_FALSE(kind1.FrameReady);
  EXPECT_EQ(ReceiveFrame(kind1, FrameOf(5)), FrameDecision::Accepted);

  FrameState kind2 = BoardOf("ORVA-2280");
  const std::string frame72 = FrameOf(9);
  std::string embedded = frame72;
  embedded[10] = '\n';                   // right length, first LF too early
  EXPECT_EQ(ReceiveFrame(kind2, embedded), FrameDecision::Discarded);
  EXPECT_EQ(ReceiveFrame(kind2, frame72.substr(0, 71) + "\r"), FrameDecision::Discarded);
  EXPECT_EQ(ReceiveFrame(kind2, frame72 + frame72), FrameDecision::Discarded);   // two together
  EXPECT_EQ(ReceiveFrame(kind2, frame72.substr(30) + frame72.substr(0, 30)), FrameDecision::Discarded);
  EXPECT_FALSE(kind2.FrameReady);

  // A board whose model is unknown (length 0) takes nothing, not even an empty read.
  FrameState unknown;
  EXPECT_EQ(ReceiveFrame(unknown, ""), FrameDecision::Discarded);
  EXPECT_EQ(ReceiveFrame(unknown, frame56), FrameDecision::Discarded);

  // A newer frame replaces one not yet recorded; the text stops at a NUL.
  std::string withNul = frame56;
  withNul[20] = '\0';
  ASSERT_EQ(ReceiveFrame(kind0, withNul), FrameDecision::Accepted);
  EXPECT_EQ(std::strlen(kind0.FrameText), 20u);
}

TEST(FrameReception, HoldDiscardsFramesAndTickOnlyCountsDown) {
  std::array<FrameState, 4> boards;
  boards[0] = BoardOf("ORVA-2200");
  {
    ScopedAcquisitionHold hold;
    EXPECT_EQ(ReceiveFrame(boards[0], FrameOf(5)), FrameDecision::Discarded);
    boards[0].FrameReady = true;  // a frame from before the hold
    int cycles = 0;
    AcquisitionTick(boards, [&](int, FrameState&) { ++cycles; });
    EXPECT_EQ(cycles, 0);
    for (const FrameState& s : boards) {
      EXPECT_EQ(s.RecordCountdown, 2);
      EXPECT_EQ(s.MissedTicks, -1);
    }
  }
  EXPECT_FALSE(AcquisitionHold);
}

TEST(FrameReception, TickServesTheFrameAndCountsMissedTicks) {
  std::array<FrameState, 4> boards;
  boards[1] = BoardOf("ORVA-2280");
  ASSERT_EQ(ReceiveFrame(boards[1], FrameOf(9)), FrameDecision::Accepted);
  std::vector<int> ran;
  // Stands in for the acquisition cycle: it records (clears FrameReady) and
  // marks the board as having had a frame.
  auto cycle = [&](int board, FrameState& s) {
    ran.push_back(board);
    s.MissedTicks = -2;
    s.FrameReady = false;
  };
  AcquisitionTick(boards, cycle);
  EXPECT_EQ(ran, std::vector<int>{1});
  EXPECT_EQ(std::memcmp(boards[1].ServedFrame, boards[1].FrameText, kServedFrameBytes), 0);
  EXPECT_EQ(boards[1].ServedFrame[72], '\0');
  EXPECT_EQ(boards[0].MissedTicks, 0);  // from -1
  // The device falls silent: -2 -> -1 -> 0 -> 1 (paused from here on).
  const int expected[] = {-1, 0, 1, 2};
  for (int e : expected) {
    AcquisitionTick(boards, cycle);
    EXPECT_EQ(boards[1].MissedTicks, e);
  }
  EXPECT_EQ(ran.size(), 1u);
  EXPECT_EQ(boards[3].RecordCountdown, 3 - 5);

  // Frame states inside larger records are reached through an accessor.
  struct Record {
    int other = 0;
    FrameState frame;
  };
  std::array<Record, 4> records;
  records[2].frame = BoardOf("ORVA-2200");
  ASSERT_EQ(ReceiveFrame(records[2].frame, FrameOf(5)), FrameDecision::Accepted);
  ran.clear();
  AcquisitionTick(4, [&](int b) -> FrameState& { return records[b].frame; }, cycle);
  EXPECT_EQ(ran, std::vector<int>{2});
  EXPECT_EQ(records[0].frame.MissedTicks, 0);
  EXPECT_STREQ(records[2].frame.ServedFrame, records[2].frame.FrameText);
}

}  // namespace
}  // namespace tessar
