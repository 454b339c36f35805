// What the alarms show and do on the window, and the alarm controls of one
// board: the limit boxes and alarm switches of its chart page, the
// interlock and manual relay boxes of its configuration page.
//
// The page's look (value box colours, chart background, the memo's colour
// and "Alarm" line) follows each cycle with ApplyAlarmDisplay, called where
// the cycle's outcome is shown. The rest belongs to the board's
// AlarmController: the status bar text, the sound, the relay command on the
// board's port and the event-file failure line. The window makes one
// controller per board and, after a tick's outcomes are shown:
//
//   alarms[b]->ApplyCycle(*outcomes[b]);
//
// and asks each for the cycle's inputs:  inputs[b].alarms = alarms[b]->Inputs();
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QObject>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <array>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/program_state.h"

namespace tessar {

class AlarmSound;
class ChartPage;
class SerialChannel;

// Chart backgrounds (RGB): none of the board's channels in alarm, and some.
inline constexpr QRgb kChartBackground = 0xFFFFFF;
inline constexpr QRgb kChartAlarmBackground = 0xFFFF00;

// The page's part of an alarm check: every value box cream or red, the
// chart white or yellow, and on an alarm the memo's text red with an
// "Alarm" line (not while paused).
void ApplyAlarmDisplay(ChartPage& page, const AlarmOutcome& alarm);

// The journal's line when a channel's alarm ends:
// "[1] 2026-12-08 14:05:40 CH4 alarm ended (3.200)".
QString AlarmEndText(int board, int channel, const CycleOutcome& outcome, bool koreanUi);

class AlarmController : public QObject {
  Q_OBJECT
 public:
  // The board's relay boxes (on its configuration page).
  struct RelayBoxes {
    QCheckBox* interlock = nullptr;                         // ChkR1 ..
    std::array<QCheckBox*, kManualRelayBoxes> manual{};     // ChkDOA1 .. ChkDOA4
  };
  // `port`: the board's serial port, or null where the edition has none
  // (the viewer sends no relay command). `memoS`: the sent-messages log that
  // takes the event-file failure line (may be null).
  AlarmController(int board, ChartPage& page, RelayBoxes boxes, ProgramState& state,
                  SerialChannel* port, AlarmSound& sound, QStatusBar* statusBar,
                  QPlainTextEdit* memoS, QObject* parent = nullptr);

  // What the board's cycle reads from these controls.
  AlarmInputs Inputs() const;
  // The window's part of a cycle's alarm check (nothing for a frame that
  // was too short to be checked). The journal gets one line when a
  // channel's alarm starts (its message) and one when it ends.
  void ApplyCycle(const CycleOutcome& outcome);

  // Handlers, named after the first box of each family.
  void EdHighA1KeyUp(int channel);  // Enter in a high-limit box
  void EdLowA1KeyUp(int channel);   // Enter in a low-limit box
  void ChkAlA1Click(int channel);   // an alarm switch
  void ChkR1Click();                // the interlock box
  void ChkDOA1Click(int box);       // a manual relay box (0..3)

 private:
  // Enter in a limit box: the limit checked and stored, or the box restored.
  void LimitKeyUp(int channel, bool high);
  void ApplyRelayBoxes(const RelayBoxOutcome& outcome);
  void JournalAlarmChanges(const CycleOutcome& outcome);
  // Writes a relay command on the board's port when it is open.
  void Send(const std::string& command);
  int ModelKind() const;

  int board_;
  ChartPage& page_;
  RelayBoxes boxes_;
  ProgramState& state_;
  SerialChannel* port_;
  AlarmSound& sound_;
  QStatusBar* statusBar_;
  QPlainTextEdit* memoS_;
  std::array<bool, kSlotCount> journaled_{};  // channels whose alarm start the journal has
  bool eventFileFailing_ = false;
};

}  // namespace tessar
