// The four configuration pages as the main window drives them: filling them
// at start, the OK button's storing into the settings image, the sensor type
// group, the interval and filter values gathered for saving, and what the
// viewer shows differently.
#pragma once

#include <QString>
#include <array>

#include "acquisition/program_state.h"
#include "common/dialogs.h"
#include "config/ui/board_pages.h"

namespace tessar {

class ConfigPage;

class ConfigController {
 public:
  ConfigController(ProgramState& state, const std::array<ConfigPage*, kBoardCount>& pages,
                   Dialogs& dialogs);

  // The port lists: "No Use" and the serial ports present (the ports/
  // folder's entries and the system's serial devices), sorted as text.
  void FillPortLists(const QString& portsFolder);
  // Empties the range lists of every page.
  void ClearRangeItems();
  // Page 1 shows the program-wide choices of board A's record: language,
  // elapsed-time axis, filter length.
  void ShowProgramChoices();
  // The viewer: its connection group instead of port, outputs and Get Configure.
  void ApplyViewerLayout();
  // While a Get Configure waits for its reply no other can start.
  void SetGetConfigureEnabled(bool enabled);

  // OK: every page stored into the settings image; a directory too long or a
  // field that is not a number is reported with a beep and a message.
  void Store();
  // The sensor type group of `board`: one type for every channel (the
  // channels' lists follow, disabled) or per channel (the lists enabled).
  void SensorTypeClicked(int board);
  // Before saving: each board's interval and the filter length of page 1.
  void GatherForSaving();

 private:
  ProgramState& state_;
  std::array<ConfigPage*, kBoardCount> pages_;
  Dialogs& dialogs_;
};

}  // namespace tessar
