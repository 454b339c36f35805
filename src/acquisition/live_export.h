// The files the export buttons of a live page write: the chart as text
// (".TXT") and as a BIFF worksheet (".xls"), the memo (".LOG"); the picture
// (".BMP") comes from the window. The contents are built from a snapshot of
// the board's chart model, so what is written never changes under the
// export while it lets the window process events.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/chart_model.h"
#include "settings/board_settings.h"

namespace tessar {

constexpr int kExportPumpPoints = 300;  // points between two event pumps

// The texts of a board's record that the exports write, as stored (CP949).
struct LiveExportTexts {
  std::string jobTitle;
  std::string serialNumber;
  std::string noteText;
  std::string yAxisTitle;
  std::array<std::string, kSlotCount> channelNames;

  static LiveExportTexts Of(const BoardSettings& record);
};

// The board's export file at time `now`: the day directory
// "<data>/<yyyymmdd>/" and "%c%02d%02d%02d" (board letter, hour, minute,
// second) followed by `extension` (".TXT", ".xls", ".LOG", ".BMP").
std::filesystem::path LiveExportPath(const std::filesystem::path& dataDirectory, int board,
                                     double now, std::string_view extension);

// The chart's points and how to date them: x is a date-time, or with the
// elapsed-time axis the days since `startTime`.
struct ExportedChart {
  const ChartModel* points = nullptr;
  double startTime = 0.0;
  bool elapsedAxis = false;
  double TimeOf(int i) const { return elapsedAxis ? startTime + points->x(i) : points->x(i); }
};

// The text export, CR LF line ends: the titles and the start time joined by
// "#", the column header, one line per point. `pump` runs every 300 points.
std::string ChartText(const LiveExportTexts& texts, const ExportedChart& chart,
                      const std::function<void()>& pump);

// The worksheet: BOF, then (with at least one point) the title row, the
// header row and one row per point ("*" for a point without data), EOF.
std::string ChartSheet(const LiveExportTexts& texts, const ExportedChart& chart,
                       const std::function<void()>& pump);

// Memo lines as a text file, each ended by CR LF.
std::string MemoLog(const std::vector<std::string>& lines);

enum class SaveResult { Saved, CannotCreate, WriteFailed };

// Creates the file's directory when missing, creates or empties the file and
// writes `bytes`. A file that was created but could not be written whole (a
// full disk) is WriteFailed, never Saved.
SaveResult SaveExportFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tessar
