// The acquisition as the main window drives it: the 1 s tick (each board's
// waiting frame through its cycle, the outcomes onto the live pages), a
// board's Restart, its sample interval, the conversion settings after a new
// record, and the alarm limits typed on the live pages gathered for saving.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/program_state.h"

namespace tessar {

class AlarmController;
class ChartPage;
class HealthPresenter;
class LiveFeed;

class AcquisitionController {
 public:
  // `controls()` reads the correction switches of the window at each tick;
  // `memoR`/`memoS` are the network logs that a cycle may cap (may be null).
  AcquisitionController(ProgramState& state, const std::array<ChartPage*, kBoardCount>& pages,
                        std::function<LiveControls()> controls, QPlainTextEdit* memoR,
                        QPlainTextEdit* memoS);

  // Timer1: countdowns, frames handed to the cycle of each board, the
  // outcomes shown on the chart pages.
  void Tick();
  // One cycle's outcome onto the board's page and its alarm controls.
  void ApplyOutcome(int board, const CycleOutcome& outcome);
  // What board `board`'s cycle reads besides its own state.
  CycleInputs InputsOf(int board) const;

  // A new run of the board (the next cycle records at once); returns the
  // status bar text.
  QString Restart(int board);
  // The interval up-down moved: stored at once, the record countdown restarts.
  void SetSampleInterval(int board, int position);
  // The board's record changed (a device download): the conversion follows
  // its sensor letter and range scales.
  void ApplyRecord(int board);
  // Each board's alarm controls: read by its cycle, and shown after it.
  void SetAlarms(const std::array<AlarmController*, kBoardCount>& alarms) { alarms_ = alarms; }
  // The data directory the run started with (the settings' own, as read at
  // start): every record and event goes there, whatever the configuration
  // page's folder tree selects later. A relative one is taken in the program
  // folder, so that the working directory never decides where records go.
  void SetRecordingDirectory(const QString& directory);
  // The health checks' configuration and where their outcomes are shown
  // (null: the defaults, shown nowhere).
  void SetHealth(HealthPresenter* health) { health_ = health; }
  // Where each record taken and each alarm message is announced (may be null).
  void SetFeed(LiveFeed* feed) { feed_ = feed; }
  // Before saving: each channel's alarm pair typed on the live page goes
  // into the record when both are numbers and low < high; others are kept.
  void GatherAlarmLimits();

 private:
  ProgramState& state_;
  std::array<ChartPage*, kBoardCount> pages_;
  std::function<LiveControls()> controls_;
  QPlainTextEdit* memoR_;
  QPlainTextEdit* memoS_;
  std::array<AlarmController*, kBoardCount> alarms_{};
  LiveFeed* feed_ = nullptr;
  std::filesystem::path recordingDirectory_;
  HealthPresenter* health_ = nullptr;

  // The outcome's record and alarm messages to the feed, its recording
  // notice to the status bar and the journal.
  void Announce(int board, const CycleOutcome& outcome);
};

}  // namespace tessar
