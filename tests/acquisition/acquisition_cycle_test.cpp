#include "acquisition/acquisition_cycle.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <map>
#include <vector>

#include "common/number_text.h"
#include "acquisition/recording_file.h"
#include "acquisition/thermocouple.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "i18n/text_codec.h"
#include "test_support.h"

namespace tessar {
namespace {

namespace fs = std::filesystem;

// Four boards: board A a kind-1 mV board whose counts are millivolts.
class CycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = fs::path(tmp_.path().toStdString()) / "data";
    for (int b = 0; b < kBoardCount; ++b) {
      FillBoardDefaults(settings_[b], b, data_.string());
      for (int k = 0; k < kSlotCount; ++k) settings_[b].channelRangeMv[k] = kFullScaleCount;
      settings_[b].boardSensorType = 7;  // per-channel types, all mV
      inputs_[b].board = b;
      inputs_[b].settings = &settings_[b];
      inputs_[b].dataDirectory = data_;
      boards_[b].frame.ModelKind = 1;
      boards_[b].frame.FrameLength = 40;
      ApplyConversionSettings(boards_[b].conversion, settings_[b], 1);
    }
  }

  void Deliver(int b, const char* frame = "000000, 000001, 000002, 800000, 000004\r\n") {
    std::strncpy(boards_[b].frame.FrameText, frame, kFrameTextSize - 1);
    boards_[b].frame.FrameReady = true;
  }

  std::optional<CycleOutcome> Tick(int b = 0) { return AcquisitionTick(boards_, inputs_)[b]; }

  fs::path BoardDir(int b, double now) { return RecordingDirectory(data_, b, now); }

  QTemporaryDir tmp_;
  fs::path data_;
  BoardSettings settings_[kBoardCount];
  std::array<CycleInputs, kBoardCount> inputs_;
  std::array<BoardRunState, kBoardCount> boards_;
  ManualClock clock_{EncodeDateTime({2026, 12, 8, 14, 5, 32})};
  ScopedClock scoped_{clock_};
};

TEST_F(CycleTest, FirstCycleOfARunRecordsDespiteThePositiveCountdown) {
  Deliver(0);
  ASSERT_EQ(boards_[0].frame.RecordCountdown, 3);
  const auto out = Tick();
  ASSERT_TRUE(out.has_value());
  EXPECT_TRUE(out->processed);
  EXPECT_TRUE(out->recorded);
  EXPECT_EQ(out->startLabel, std::optional<std::string>("2026-12-08 14:05:32"));
  EXPECT_EQ(out->indicatorColour, kIndicatorRed);
  EXPECT_EQ(boards_[0].run.SampleCount, 1);
  EXPECT_EQ(boards_[0].run.StartTime, clock_.Now());
  EXPECT_FALSE(boards_[0].frame.FrameReady);
  EXPECT_EQ(boards_[0].frame.RecordCountdown, 1);  // sampleInterval
  EXPECT_EQ(boards_[0].frame.MissedTicks, -2);
  EXPECT_EQ(std::memcmp(boards_[0].frame.ServedFrame, boards_[0].frame.FrameText, 80), 0);

  // The new file is the header followed by the first record.
  const fs::path file = BoardDir(0, clock_.Now()) / "140532.ORV";
  EXPECT_EQ(boards_[0].run.RecordFileName, file);
  const std::string bytes = test::FileText(file);
  ASSERT_EQ(bytes.size(), 624u);
  EXPECT_EQ(test::LeDoubleAt(bytes, 536), clock_.Now());  // StartTime in the header
  EXPECT_EQ(test::LeDoubleAt(bytes, 544), clock_.Now());  // time of the record
  EXPECT_EQ(test::LeDoubleAt(bytes, 544 + 8 + 8 * 2), 2.0);
  EXPECT_EQ(test::LeDoubleAt(bytes, 544 + 8 + 8 * 3), NoDataValue);
  EXPECT_EQ(test::LeDoubleAt(bytes, 544 + 8 + 8 * 8), NoDataValue);

  // Boards without a frame count missed ticks.
  EXPECT_FALSE(AcquisitionTick(boards_, inputs_)[1].has_value());
  EXPECT_EQ(boards_[1].frame.MissedTicks, 1);
}

TEST_F(CycleTest, IntervalFiveRecordsEveryFifthTickAndRefreshesEveryTick) {
  settings_[0].sampleInterval = 5;
  int records = 0;
  int refreshed = 0;
  std::vector<std::string> memo;
  for (int tick = 0; tick < 11; ++tick) {
    Deliver(0);  // a frame every second
    const auto out = Tick();
    ASSERT_TRUE(out.has_value());
    refreshed += out->processed;
    if (out->recorded) {
      ++records;
      memo.push_back(out->memoLine);
      EXPECT_TRUE(tick == 0 || tick == 5 || tick == 10) << tick;
    }
    EXPECT_EQ(out->valueTexts[1], "   2.00 ");
    clock_.AdvanceSeconds(1);
  }
  EXPECT_EQ(records, 3);
  EXPECT_EQ(refreshed, 11);
  EXPECT_EQ(memo[2].substr(0, 22), "     3 12-08 14:05:42 ");
  const std::string bytes = test::FileText(boards_[0].run.RecordFileName);
  EXPECT_EQ(bytes.size(), 544u + 3 * 80);
}

TEST_F(CycleTest, TheSameFrameIsShownEveryTickButRecordedOnce) {
  settings_[0].sampleInterval = 3;
  Deliver(0);
  EXPECT_TRUE(Tick()->recorded);
  // FrameReady is cleared by the record, so the board waits for a new frame.
  EXPECT_FALSE(Tick().has_value());
  EXPECT_EQ(boards_[0].frame.MissedTicks, -1);
}

TEST_F(CycleTest, RunCrossingTheHourContinuesInANewFile) {
  clock_.Set(EncodeDateTime({2026, 12, 8, 9, 59, 58}));
  for (int i = 0; i < 3; ++i) {
    Deliver(0);
    ASSERT_TRUE(Tick()->recorded);
    clock_.AdvanceSeconds(1);
  }
  const fs::path dir = BoardDir(0, clock_.Now());
  const std::string first = test::FileText(dir / "095958.ORV");
  const std::string second = test::FileText(dir / "100000.ORV");
  EXPECT_EQ(first.size(), 544u + 2 * 80);
  EXPECT_EQ(second.size(), 544u + 80);
  EXPECT_EQ(boards_[0].run.RecordFileHour, 10);
  // The run's start stays in every header of the run.
  EXPECT_EQ(test::LeDoubleAt(second, 536), EncodeDateTime({2026, 12, 8, 9, 59, 58}));
  EXPECT_EQ(first.substr(0, 544), second.substr(0, 544));
  EXPECT_EQ(boards_[0].run.SampleCount, 3);
}

TEST_F(CycleTest, MidnightStartsANewDayDirectory) {
  clock_.Set(EncodeDateTime({2026, 12, 8, 23, 59, 59}));
  Deliver(0);
  Tick();
  clock_.AdvanceSeconds(1);
  Deliver(0);
  Tick();
  EXPECT_EQ(boards_[0].run.RecordFileName, data_ / "20261209" / "A" / "000000.ORV");
  EXPECT_EQ(test::FileText(boards_[0].run.RecordFileName).size(), 624u);
}

// A record goes to a new file when its date or its hour differs from the
// current file's: a board silent from 10:15 to 10:20 the next day does not
// resume in yesterday's file.
TEST_F(CycleTest, ANewFileForEveryDateAndHour) {
  const struct {
    CalendarTime first, second;
    const char* day;          // day directory of the second record's file
    const char* file;         // and its name
    std::size_t records;      // records in it
  } cases[] = {
      {{2026, 12, 8, 10, 15, 0}, {2026, 12, 8, 10, 20, 0}, "20261208", "101500.ORV", 2},
      {{2026, 12, 8, 10, 15, 0}, {2026, 12, 9, 10, 20, 0}, "20261209", "102000.ORV", 1},
      {{2026, 12, 8, 10, 15, 0}, {2027, 12, 8, 10, 15, 0}, "20271208", "101500.ORV", 1},
      {{2026, 12, 8, 10, 15, 0}, {2026, 12, 8, 11, 0, 0}, "20261208", "110000.ORV", 1},
  };
  for (const auto& c : cases) {
    boards_[0].run = RunState{};
    for (const CalendarTime& t : {c.first, c.second}) {
      clock_.Set(EncodeDateTime(t));
      Deliver(0);
      ASSERT_TRUE(Tick()->recorded);
    }
    const fs::path expected = data_ / c.day / "A" / c.file;
    EXPECT_EQ(boards_[0].run.RecordFileName, expected);
    EXPECT_EQ(test::FileText(expected).size(), 544u + 80 * c.records) << c.day << "/" << c.file;
  }
}

TEST_F(CycleTest, HeaderRewriteKeepsRecordsInPlace) {
  for (int i = 0; i < 2; ++i) {
    Deliver(0);
    Tick();
    clock_.AdvanceSeconds(1);
  }
  const std::string before = test::FileText(boards_[0].run.RecordFileName);
  StoreFieldBytes(settings_[0].jobTitle, "Renamed job");
  StoreFieldBytes(settings_[0].channelName[2], "Inlet");
  boards_[0].run.HeaderDirty = true;
  Deliver(0);
  Tick();
  EXPECT_FALSE(boards_[0].run.HeaderDirty);
  const std::string after = test::FileText(boards_[0].run.RecordFileName);
  ASSERT_EQ(after.size(), before.size() + 80);
  EXPECT_EQ(after.substr(11, 12), std::string("Renamed job\0", 12));
  EXPECT_EQ(after.substr(335 + 2 * 21, 6), std::string("Inlet\0", 6));
  EXPECT_EQ(after.substr(544, 160), before.substr(544, 160));
}

TEST_F(CycleTest, ChartPointsAxisAndHiddenSeries) {
  settings_[0].sampleInterval = 5;
  inputs_[0].scrollChart = true;
  Deliver(0);
  auto out = Tick();
  const ChartPoint& p = out->chartPoint;
  EXPECT_EQ(p.x, clock_.Now());
  EXPECT_FALSE(p.automaticAxis);
  EXPECT_NEAR((p.x - p.axisMin) * 86400.0, 175.0, 1e-6);
  EXPECT_NEAR((p.axisMax - p.x) * 86400.0, 25.0, 1e-6);
  EXPECT_EQ(p.y[2], 2.0);
  EXPECT_EQ(p.y[3], NoDataValue);  // 0x800000
  EXPECT_TRUE(p.hideSeries[3]);
  EXPECT_TRUE(p.hideSeries[8]);
  EXPECT_FALSE(p.hideSeries[2]);

  // Elapsed-time axis, not scrolling; after five records absent channels are
  // plotted at the sentinel but no longer switched off.
  inputs_[0].scrollChart = false;
  inputs_[0].elapsedAxis = true;
  RestartRun(boards_[0], 0);
  const double start = clock_.Now();
  for (int i = 0; i < 6; ++i) {
    Deliver(0);
    out = Tick();
    ASSERT_TRUE(out->recorded);
    EXPECT_TRUE(out->chartPoint.automaticAxis);
    EXPECT_EQ(out->chartPoint.axisMin, 0.0);
    EXPECT_EQ(out->chartPoint.hideSeries[3], i < 5) << i;
    EXPECT_EQ(out->chartPoint.y[3], NoDataValue);
    clock_.AdvanceSeconds(5);
    for (int t = 0; t < 4; ++t) Tick();  // count down
  }
  EXPECT_NEAR(out->chartPoint.x, clock_.Now() - 5.0 / 86400.0 - start, 1e-9);
  EXPECT_NEAR(out->chartPoint.x * 86400.0, 25.0, 1e-4);
  EXPECT_EQ(boards_[0].run.LastChartX, out->chartPoint.x);
}

TEST_F(CycleTest, ChartStartsAgainEmptyAfter3600Points) {
  std::optional<CycleOutcome> out;
  for (int i = 0; i < 3600; ++i) {
    Deliver(0);
    out = Tick();
    ASSERT_TRUE(out->recorded);
    if (i < 3599) {
      ASSERT_FALSE(out->chartCleared) << i;
      ASSERT_EQ(boards_[0].chart.size(), i + 1);
    }
    clock_.AdvanceSeconds(1);
  }
  EXPECT_TRUE(out->chartCleared);
  EXPECT_TRUE(boards_[0].chart.empty());
  EXPECT_EQ(boards_[0].run.ChartOrigin, out->chartPoint.x);
  Deliver(0);
  out = Tick();
  EXPECT_EQ(out->chartPoint.axisMin, boards_[0].run.ChartOrigin);
  EXPECT_FALSE(out->chartCleared);
  EXPECT_EQ(boards_[0].chart.size(), 1);
  EXPECT_EQ(boards_[0].chart.x(0), out->chartPoint.x);
  RestartRun(boards_[0], 0);
  EXPECT_TRUE(boards_[0].chart.empty());
}

TEST_F(CycleTest, MemoPause) {
  boards_[0].run.MemoPaused = true;
  Deliver(0);
  auto out = Tick();
  EXPECT_FALSE(out->memoAppend);
  EXPECT_FALSE(out->memoLine.empty());
  boards_[0].run.MemoPaused = false;
  Deliver(0);
  out = Tick();
  EXPECT_TRUE(out->memoAppend);
}

TEST_F(CycleTest, ValueBoxAndMemoFormats) {
  ConversionState s;
  for (int i = 0; i < kSlotCount; ++i) s.ChannelValue[i] = i * 1.23456;
  s.ChannelValue[2] = NoDataValue;
  s.BoardTypeLetter = 'K';
  auto texts = ValueBoxTexts(s, 0);
  EXPECT_EQ(texts[0], "   1.23 ");
  EXPECT_EQ(texts[1], "  -0.00 ");
  EXPECT_EQ(texts[5], "  7.407 ");  // kind 0: channel 6 is the last
  EXPECT_EQ(texts[7], "   9.88 ");
  texts = ValueBoxTexts(s, 2);
  EXPECT_EQ(texts[5], "   7.41 ");
  EXPECT_EQ(texts[7], "  9.876 ");
  s.BoardTypeLetter = 'A';
  s.ChannelValue[1] = 12345.0;
  texts = ValueBoxTexts(s, 0);
  EXPECT_EQ(texts[0], "  12345 ");
  EXPECT_EQ(texts[5], "      7 ");

  s.ChannelValue[0] = 21.5;
  EXPECT_EQ(MemoLine(7, EncodeDateTime({2026, 3, 4, 5, 6, 7}), s, 1),
            "     7 03-04 05:06:07   21.50 12345.00   -0.00    3.70   4.938 ");
  EXPECT_EQ(FormatFixed(1234567.5, 7, 2), "1234567.50");
}

TEST_F(CycleTest, ShortFramesAndTheHoldDoNothingButBlinkAndCount) {
  Deliver(0, "12345\r\n");
  auto out = Tick();
  EXPECT_EQ(out->indicatorColour, kIndicatorRed);
  EXPECT_FALSE(out->processed);
  EXPECT_EQ(boards_[0].run.SampleCount, 0);
  EXPECT_TRUE(boards_[0].frame.FrameReady);
  EXPECT_EQ(boards_[0].frame.MissedTicks, -1);
  EXPECT_EQ(Tick()->indicatorColour, kIndicatorWhite);
  EXPECT_FALSE(fs::exists(data_));

  ScopedAcquisitionHold hold;
  const int before = boards_[2].frame.RecordCountdown;
  const int missed = boards_[2].frame.MissedTicks;
  EXPECT_FALSE(Tick().has_value());
  EXPECT_EQ(boards_[2].frame.RecordCountdown, before - 1);
  EXPECT_EQ(boards_[2].frame.MissedTicks, missed);
}

TEST_F(CycleTest, RestartStartsANewRunAndTheIntervalEditResetsTheCountdown) {
  settings_[0].filterLength = 3;
  for (int i = 0; i < 3; ++i) {
    Deliver(0);
    Tick();
    clock_.AdvanceSeconds(1);
  }
  const fs::path firstFile = boards_[0].run.RecordFileName;
  const RestartMessage msg = RestartRun(boards_[0], 0);
  EXPECT_EQ(msg.english, "Chart 1 recording re-started.");
  EXPECT_EQ(msg.korean, "차트 1 기록 재시작되었습니다.");
  EXPECT_EQ(boards_[0].run.SampleCount, 0);
  EXPECT_EQ(boards_[0].frame.RecordCountdown, 0);
  EXPECT_FALSE(boards_[0].frame.FrameReady);
  for (int i = 0; i < kSlotCount; ++i) {
    EXPECT_EQ(boards_[0].conversion.ChannelValue[i], NoDataValue);
    EXPECT_EQ(boards_[0].conversion.MedianWindow[i].size(), 0u);
  }
  Deliver(0);
  const auto out = Tick();
  EXPECT_TRUE(out->startLabel.has_value());
  EXPECT_NE(boards_[0].run.RecordFileName, firstFile);
  EXPECT_EQ(test::FileText(boards_[0].run.RecordFileName).size(), 624u);

  ApplySampleInterval(settings_[0], boards_[0].frame, 7);
  EXPECT_EQ(settings_[0].sampleInterval, 7);
  EXPECT_EQ(boards_[0].frame.RecordCountdown, 7);
}

TEST_F(CycleTest, AnUnwritableDataDirectoryIsSkippedAndRetried) {
  std::ofstream(data_.string()) << "in the way";
  Deliver(0);
  auto out = Tick();
  EXPECT_TRUE(out->recorded);
  EXPECT_FALSE(out->recordWritten);
  fs::remove(data_);
  clock_.AdvanceSeconds(1);
  Deliver(0);
  out = Tick();
  EXPECT_TRUE(out->recordWritten);
  // The file gets its header before its first record.
  const std::string bytes = test::FileText(boards_[0].run.RecordFileName);
  ASSERT_EQ(bytes.size(), 624u);
  EXPECT_EQ(bytes.substr(0, 6), std::string("2.0.2\0", 6));
}

// Time never runs backwards inside a file and no earlier file changes: a
// record whose time is not after its file's last one starts a new file, and
// a new file (also a new run's) takes the next free name when its own exists.
TEST_F(CycleTest, AClockSetBackStartsANewFileAndKeepsEveryEarlierOne) {
  const auto at = [](int h, int m, int s, int ms = 0) {
    return EncodeDateTime({2026, 10, 25, h, m, s, ms});
  };
  const struct {
    const char* what;
    std::vector<double> times;  // of the records, in the order taken
    bool restartBeforeLast;     // a new run takes the last record
    std::vector<std::pair<const char*, std::size_t>> files;  // name and records, in time order
  } cases[] = {
      {"two minutes back", {at(10, 20, 1), at(10, 20, 2), at(10, 18, 1)}, false,
       {{"101801.ORV", 1}, {"102001.ORV", 2}}},
      {"an hour back onto an earlier file's name",
       {at(10, 0, 0), at(10, 0, 1), at(11, 0, 5), at(10, 0, 0, 500)}, false,
       {{"100000.ORV", 2}, {"100001.ORV", 1}, {"110005.ORV", 1}}},
      {"the end of daylight-saving time",
       {at(2, 0, 0, 500), at(2, 59, 59, 500), at(2, 0, 0, 500), at(2, 0, 1, 500)}, false,
       {{"020000.ORV", 2}, {"020001.ORV", 2}}},
      {"the same time twice", {at(9, 0, 0), at(9, 0, 0)}, false,
       {{"090000.ORV", 1}, {"090001.ORV", 1}}},
      {"a new run in the same second", {at(9, 0, 0, 100), at(9, 0, 0, 600)}, true,
       {{"090000.ORV", 1}, {"090001.ORV", 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(data_);
    boards_[0] = BoardRunState{};
    boards_[0].frame.ModelKind = 1;
    boards_[0].frame.FrameLength = 40;
    ApplyConversionSettings(boards_[0].conversion, settings_[0], 1);
    std::map<fs::path, std::string> earlier;  // every file as it was after its last record
    for (std::size_t i = 0; i < c.times.size(); ++i) {
      if (c.restartBeforeLast && i + 1 == c.times.size()) RestartRun(boards_[0], 0);
      clock_.Set(c.times[i]);
      Deliver(0);
      const auto out = Tick();
      ASSERT_TRUE(out && out->recordWritten) << i;
      for (const auto& [path, bytes] : earlier) {
        if (path != boards_[0].run.RecordFileName) {
          EXPECT_EQ(test::FileText(path), bytes) << path;
        }
      }
      earlier[boards_[0].run.RecordFileName] = test::FileText(boards_[0].run.RecordFileName);
    }
    const fs::path dir = BoardDir(0, c.times.front());
    std::vector<std::pair<std::string, std::size_t>> found;
    for (const auto& entry : fs::directory_iterator(dir)) {
      const std::string bytes = test::FileText(entry.path());
      ASSERT_EQ((bytes.size() - 544) % 80, 0u);
      const std::size_t records = (bytes.size() - 544) / 80;
      for (std::size_t r = 1; r < records; ++r) {
        EXPECT_GT(test::LeDoubleAt(bytes, 544 + 80 * r), test::LeDoubleAt(bytes, 544 + 80 * (r - 1)))
            << entry.path();
      }
      found.emplace_back(entry.path().filename().string(), records);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::pair<std::string, std::size_t>> expected;
    for (const auto& [name, records] : c.files) expected.emplace_back(name, records);
    EXPECT_EQ(found, expected);
  }
}

// A full disk (here a file-size limit) loses the records that do not fit,
// never part of one; the board says so once, and once when it records
// again; a file named while full gets its header with its first record.
TEST_F(CycleTest, AFullDiskLosesWholeRecordsAndRecordingResumesByItself) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto limitTo = [&](rlim_t bytes) {
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  };
  const struct {
    CalendarTime time;
    rlim_t limit;
    bool written;
    bool notice;
  } steps[] = {
      {{2026, 12, 8, 10, 59, 57}, 544 + 80 + 40, true, false},
      {{2026, 12, 8, 10, 59, 58}, 544 + 80 + 40, false, true},  // 40 bytes fit, not 80
      {{2026, 12, 8, 10, 59, 59}, 544 + 80 + 40, false, false},
      {{2026, 12, 8, 11, 0, 0}, 100, false, false},             // the new hour's file while full
      {{2026, 12, 8, 11, 0, 1}, RLIM_INFINITY, true, true},
      {{2026, 12, 8, 11, 0, 2}, RLIM_INFINITY, true, false},
  };
  std::vector<std::string> notices;
  for (const auto& step : steps) {
    limitTo(step.limit);
    clock_.Set(EncodeDateTime(step.time));
    Deliver(0);
    const auto out = Tick();
    setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_TRUE(out && out->recorded);
    EXPECT_EQ(out->recordWritten, step.written) << step.time.second;
    EXPECT_EQ(out->recordingNotice.has_value(), step.notice) << step.time.second;
    if (out->recordingNotice) notices.push_back(*out->recordingNotice);
  }
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].rfind("Board A: cannot write ", 0), 0u) << notices[0];
  EXPECT_NE(notices[0].find("File too large"), std::string::npos) << notices[0];
  EXPECT_EQ(notices[1].rfind("Board A: recording again in ", 0), 0u) << notices[1];

  const fs::path dir = BoardDir(0, clock_.Now());
  EXPECT_EQ(test::FileText(dir / "105957.ORV").size(), 544u + 80);
  EXPECT_FALSE(fs::exists(dir / "110000.ORV"));  // named while full: nothing of it stayed
  const std::string resumed = test::FileText(dir / "110001.ORV");
  ASSERT_EQ(resumed.size(), 544u + 2 * 80);
  EXPECT_EQ(resumed.substr(0, 6), std::string("2.0.2\0", 6));
  EXPECT_EQ(test::LeDoubleAt(resumed, 544), EncodeDateTime({2026, 12, 8, 11, 0, 1}));
}

TEST_F(CycleTest, AlarmCheckSeesTheConvertedValues) {
  settings_[0].alarmHigh[4] = 3.5;
  inputs_[0].alarms.koreanUi = false;
  Deliver(0);
  const auto out = Tick();
  ASSERT_EQ(out->alarm.AlarmCount, 1);
  EXPECT_TRUE(out->alarm.inAlarm[4]);
  EXPECT_EQ(out->alarm.statusText,
            "[1] 2026-12-08 14:05:32 CH4 High Alarm(4.000), Max is 3.500. ");
}

}  // namespace
}  // namespace tessar
