// What the thermocouple health checks show: one line per change of a
// channel's state on the status bar and on standard error ("A CH5
// thermocouple open", "A CH5 reading again"), the state and since when on
// the channel's value box tooltip, and each change of a board's health to
// the services that follow the live feed (the web read-out, the broker).
//
// The window makes it once the run has started:
//
//   health = StartHealthChecks(state, pages, statusBar, feed, acquisition);
//
// which reads the configuration beside the settings file, hands it to the
// acquisition's cycles and has their outcomes shown here.
#pragma once

#include <QStatusBar>
#include <QString>
#include <array>
#include <memory>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/program_state.h"

namespace tessar {

class AcquisitionController;
class ChartPage;
class LiveFeed;

class HealthPresenter {
 public:
  // `pages`, `statusBar` and `feed` may be null where there is none.
  HealthPresenter(const ProgramState& state, const std::array<ChartPage*, kBoardCount>& pages,
                  QStatusBar* statusBar, LiveFeed* feed, HealthConfig config);

  const HealthConfig& config() const { return config_; }
  // The health part of a board's cycle.
  void ApplyCycle(int board, const CycleOutcome& outcome);

 private:
  const ProgramState& state_;
  std::array<ChartPage*, kBoardCount> pages_;
  QStatusBar* statusBar_;
  LiveFeed* feed_;
  HealthConfig config_;
};

// One line on standard error ("<program>: <text>") and on the status bar.
// The status bar is told without its change signal: a run without a window
// copies that signal to standard error, which has the line already.
void ReportHealthLine(QStatusBar* statusBar, const QString& text);

// The configuration beside `settingsPath` (its extension becomes ".health"):
// the defaults without the file; a refused file is reported and the
// defaults hold.
HealthConfig LoadHealthConfig(const QString& settingsPath, QStatusBar* statusBar);

// Reads the configuration and has every cycle of `acquisition` checked and
// shown with it; the presenter lives as long as the acquisition runs.
std::unique_ptr<HealthPresenter> StartHealthChecks(const ProgramState& state,
                                                   const std::array<ChartPage*, kBoardCount>& pages,
                                                   QStatusBar* statusBar, LiveFeed* feed,
                                                   AcquisitionController& acquisition);

}  // namespace tessar
