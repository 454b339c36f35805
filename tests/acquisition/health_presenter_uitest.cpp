// Health changes of real cycles on a real board page, status bar and feed.
#include <gtest/gtest.h>

#include <QStatusBar>
#include <QTemporaryDir>
#include <cstring>
#include <fstream>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/health_presenter.h"
#include "acquisition/ui/live_feed.h"
#include "common/clock.h"
#include "common/date_time.h"

namespace tessar {
namespace {

// Board B, a kind-1 board of type K: channel 3 opens for three frames and
// reads again for three. The page's value box, the status bar (without its
// change signal, which a headless run copies to standard error) and the feed
// follow; the line is shown once per change.
TEST(HealthPresenter, ChangesReachTheStatusBarTheTooltipAndTheFeed) {
  QTemporaryDir dir;
  ProgramState state;
  state.KoreanUi = false;
  BoardSettings& settings = state.Settings.boards[1];
  FillBoardDefaults(settings, 1, dir.path().toStdString());
  settings.boardSensorType = 1;
  for (int k = 0; k < kSlotCount; ++k) settings.channelSensorType[k] = 1;
  BoardRunState& board = state.Boards[1];
  board.frame.ModelKind = 1;
  ApplyConversionSettings(board.conversion, settings, 1);
  CycleInputs inputs;
  inputs.board = 1;
  inputs.settings = &settings;
  inputs.dataDirectory = dir.path().toStdString();

  ChartPage page(1);
  std::array<ChartPage*, kBoardCount> pages{nullptr, &page, nullptr, nullptr};
  QStatusBar bar;
  LiveFeed feed;
  HealthPresenter presenter(state, pages, &bar, &feed, HealthConfig{});
  int told = 0;
  QObject::connect(&bar, &QStatusBar::messageChanged, [&] { ++told; });
  std::vector<HealthReport> reports;
  QObject::connect(&feed, &LiveFeed::HealthChanged,
                   [&](const HealthReport& report) { reports.push_back(report); });

  ManualClock clock(EncodeDateTime({2026, 12, 8, 14, 5, 30}));
  ScopedClock scoped(clock);
  std::vector<QString> shown;
  for (const char* frame : {"000100, 000200, 000300, 7FFFFF, 000500\r\n",
                            "000100, 000201, 000301, 7FFFFF, 000501\r\n",
                            "000100, 000202, 000302, 7FFFFF, 000502\r\n",
                            "000100, 000203, 000303, 7FFFFF, 000503\r\n"}) {
    clock.AdvanceSeconds(1);
    presenter.ApplyCycle(1, RunCycle(board, frame, clock.Now(), inputs));
    shown.push_back(bar.currentMessage());
  }
  EXPECT_EQ(shown, (std::vector<QString>{"", "", "B CH3 thermocouple open", "B CH3 thermocouple open"}));
  EXPECT_EQ(page.EdValue[3]->toolTip(), "Thermocouple open since 2026-12-08 14:05:33");
  EXPECT_EQ(page.EdValue[2]->toolTip(), "");
  ASSERT_EQ(reports.size(), 2u) << "the first check, then the change";
  EXPECT_EQ(reports[1].board, 1);
  EXPECT_EQ(reports[1].state[3], HealthState::Open);

  for (int i = 0; i < 3; ++i) {
    clock.AdvanceSeconds(1);
    presenter.ApplyCycle(1, RunCycle(board, "000100, 000204, 000304, 000404, 000504\r\n",
                                     clock.Now(), inputs));
  }
  EXPECT_EQ(bar.currentMessage(), "B CH3 reading again");
  EXPECT_EQ(page.EdValue[3]->toolTip(), "");
  EXPECT_EQ(reports.size(), 3u);
  EXPECT_EQ(told, 0);

  // a refused configuration file: said so, and the defaults hold
  const QString settingsPath = dir.path() + "/tessar.SET";
  std::ofstream((dir.path() + "/tessar.health").toStdString()) << "[health]\nstuck_minutes=soon\n";
  EXPECT_EQ(LoadHealthConfig(settingsPath, &bar), HealthConfig{});
  EXPECT_TRUE(bar.currentMessage().startsWith("Health checks: " + dir.path() + "/tessar.health: line 2: "))
      << bar.currentMessage().toStdString();
  EXPECT_TRUE(bar.currentMessage().endsWith("; the defaults hold"));
  std::ofstream((dir.path() + "/tessar.health").toStdString()) << "[health]\nopen_trips_relays=1\n";
  EXPECT_TRUE(LoadHealthConfig(settingsPath, &bar).openTripsRelays);
}

}  // namespace
}  // namespace tessar
