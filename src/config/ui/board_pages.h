// Showing a board's record in the window. ApplyChartPage fills the board's
// chart page and its part of the page "Display" and derives the board's
// model kind and frame length; ApplyConfigPage fills the configuration page
// and enables the controls the board's model has. Used by the start
// sequence, after a device download (ApplyConfigPage) and when a viewer
// receives a board's record (both).
#pragma once

#include "acquisition/program_state.h"

namespace tessar {

class ChartPage;
class ConfigPage;
class DisplayPage;

// The window's pages of one board.
struct BoardPages {
  ChartPage* chart = nullptr;
  ConfigPage* config = nullptr;
  DisplayPage* display = nullptr;  // shared by the four boards
};

struct ApplyOptions {
  // The viewer neither selects a serial port nor takes the interval from the record.
  bool selectPortAndInterval = true;
};

void ApplyChartPage(int board, ProgramState& state, const BoardPages& pages,
                    ApplyOptions options = {});
void ApplyConfigPage(int board, ProgramState& state, const BoardPages& pages);

}  // namespace tessar
