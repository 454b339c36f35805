// The run-time state of the program, owned by the main window in one place
// (MainWindow::state()) so that the device link, the acquisition cycle, the
// alarms and the network code all reach the same objects.
#pragma once

#include <QString>
#include <array>

#include "acquisition/board_state.h"
#include "settings/board_settings.h"

namespace tessar {

struct ProgramState {
  // The settings image: read once by the start sequence, changed in memory
  // during the run, written once by the orderly shutdown.
  SettingsImage Settings{};
  // Per-board run-time state (index = board 0..3): frame buffers and model
  // kind (frame), converted values (conversion), the recording run (run).
  std::array<BoardRunState, kBoardCount> Boards{};

  bool UiReady = false;      // set when the start sequence has filled the window
  bool KoreanUi = true;      // language of the run, from board 0's englishUi
  bool ElapsedAxis = false;  // charts count elapsed time, from board 0's elapseTimeAxis
  bool FirstRun = false;     // started without a settings file

  QString CurrentDataDirectory;  // where recordings, events and exports go
  // The program's folder, no trailing separator: the executable's folder, or
  // the per-user folder of an installed program (settings/platform_paths.h).
  QString ProgramDirectory;
  QString AlarmSoundPath;  // the program folder's alarm.wav, else the installed one
  QString SettingsPath;    // the settings file in use, in the program's folder
  QString ErrorLogPath;    // the edition's error log in the program's folder
};

}  // namespace tessar
