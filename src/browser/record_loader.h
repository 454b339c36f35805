// Loading recording files into the browser's chart data: the layout comes
// from the first file, every file adds its records (subsampled, the count
// restarting with each file) as points on the chosen x axis, up to the
// point limit. Files are read with buffered input; a file that ends inside a
// record ends there. A record whose time is no calendar date-time (a damaged
// record: NaN, infinite, before year 1 or after 9999) is skipped and counted;
// it still holds its place in the subsampling count. The elapsed axes count
// from the first file's start time, or from the load's first record when
// that header's start time is no date-time, so every x value is finite.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <vector>

#include "browser/chart_data.h"
#include "browser/record_layout.h"

namespace tessar {

inline constexpr int kBrowserPointLimit = 3600;
// Long loops let the window handle its pending events this often.
inline constexpr int kRecordsPerPump = 300;

struct LoadRequest {
  std::vector<std::filesystem::path> files;
  AxisMode mode = AxisMode::RecordTime;
  int subsampling = 1;                   // every N-th record of each file
  int pointLimit = kBrowserPointLimit;   // 0: no limit
  // The browser opens the first file for update, so that a read-only file is
  // refused; the command-line tool only reads.
  bool openFirstForUpdate = true;
  std::function<void()> pump;            // called every kRecordsPerPump records
};

enum class LoadStatus {
  NoFiles,       // the list was empty
  OpenFailed,    // the first file could not be opened
  Unsupported,   // the first file has no known layout
  LimitReached,  // the point limit stopped the load
  Loaded,        // at least one file was read to its end
  NothingRead,   // no file could be read after the header
};

enum class FileOutcome {
  Read,         // read to its end
  Missing,      // does not exist (skipped)
  Unreadable,   // exists but could not be opened (skipped)
  OtherLayout,  // not of the first file's layout (skipped)
  Stopped,      // the point limit ended the load in this file
  NotReached,   // after the file where the limit was reached
};

struct LoadResult {
  LoadStatus status = LoadStatus::NoFiles;
  RecordHeaderInfo header;  // of the first file, when its layout was recognised
  ChartData data;           // titles: channel names trimmed; sorted by x
  int plottedPoints = 0;
  long long skippedRecords = 0;   // damaged records read and left out
  std::vector<FileOutcome> files;  // one per requested file once past the header
};

LoadResult LoadRecordFiles(const LoadRequest& request);

// The status bar text after a load in the language of the run; empty when
// the "Loading data..." text stays (nothing was read).
QString LoadStatusText(const LoadResult& result, AxisMode mode, bool korean);

// The recording files of board `letter` whose hour lies in [start, end):
// `startHour` and `endHour` count hours since the day-count origin
// (day x 24 + hour). Day folders that do not exist are passed over; file
// names whose first two characters are not a decimal hour are left out. In
// each day folder the names come in ascending order.
std::vector<std::filesystem::path> RangeFileList(const std::filesystem::path& dataDirectory,
                                                 char letter, long long startHour,
                                                 long long endHour);

}  // namespace tessar
