// The browser's two file exports of the chart data: the fixed-column text
// file and the spreadsheet. Both write one row per point of series 0 and one
// column per channel of the load, "*" for a point without data.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <ostream>

#include "browser/chart_data.h"

namespace tessar {

struct ExportSource {
  const ChartData& data;
  AxisMode mode = AxisMode::RecordTime;
  QString chartTitle;  // first line of the chart title
  QString yAxisTitle;
  QString startText;   // the start time as the window shows it
  std::function<void()> pump;  // called every kRecordsPerPump rows
};

// Writes the text layout (CP949, CR LF line ends).
void WriteBrowserText(const ExportSource& source, std::ostream& out);
// Writes the spreadsheet.
void WriteBrowserXls(const ExportSource& source, std::ostream& out);

enum class SaveResult { Saved, CannotCreate, WriteFailed };

// Creates or empties `path` and writes it; the file is checked after it is
// closed, so a full disk is not reported as saved.
SaveResult SaveBrowserText(const ExportSource& source, const std::filesystem::path& path);
SaveResult SaveBrowserXls(const ExportSource& source, const std::filesystem::path& path);

// `path` with the extension of its file name replaced by `extension`
// (".XLS"): a dot in a folder name is not an extension.
QString WithExtension(const QString& path, const QString& extension);

// The status text of a save.
QString SaveStatusText(SaveResult result, const QString& path, bool korean);

}  // namespace tessar
