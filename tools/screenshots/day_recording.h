// A day of a thermal-cycling rig as board recordings: the hourly files a
// logger would have written for one board, through the logger's own
// recording-file writer, for the browser's pictures.
#pragma once

#include <filesystem>
#include <string>

#include "settings/board_settings.h"

namespace tessar::shots {

// Writes the day `dayStart` (a day count at 00:00) of board `board` with the
// texts of `settings` into `dataDirectory`, one record every
// `intervalSeconds`. Files of that day and board that exist already are
// removed first. Empty on success, else what failed.
std::string WriteCyclingDay(const std::filesystem::path& dataDirectory, int board,
                            const BoardSettings& settings, double dayStart, int intervalSeconds);

}  // namespace tessar::shots
