// Recording files, whatever they hold, loaded as the browser and
// tessar-records load them: the input is cut into a first and a later file
// (the first bytes choose the cut, the x axis and the subsampling), the
// chart data are checked and then written through every export.
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "browser/browser_export.h"
#include "browser/record_csv.h"
#include "browser/record_loader.h"
#include "common/date_time.h"
#include "fuzz_support.h"

using namespace tessar;
using tessar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tessar::fuzz::ScratchFile first("tessar-records-fuzz-1");
  static tessar::fuzz::ScratchFile later("tessar-records-fuzz-2");
  if (size < 3) return 0;
  const int mode = data[0] % 3;
  const int subsampling = 1 + (data[0] >> 2) % 4;
  const std::size_t cut = std::min<std::size_t>(size - 3, data[1] | data[2] << 8);
  const std::uint8_t* body = data + 3;
  const std::size_t bodySize = size - 3;

  RecordKind kind = RecogniseLayout(std::string_view(reinterpret_cast<const char*>(body), bodySize));
  if (kind != RecordKind::Unknown) {
    const RecordHeaderInfo h =
        ReadHeaderInfo(std::string_view(reinterpret_cast<const char*>(body), bodySize), kind);
    Require(h.channelCount == 7 || h.channelCount == 9, "a recording charts 7 or 9 channels");
  }

  LoadRequest request;
  request.files = {first.Write(body, cut), later.Write(body + cut, bodySize - cut), first.Write(body, cut)};
  request.mode = static_cast<AxisMode>(mode);
  request.subsampling = subsampling;
  request.pointLimit = 64;
  request.openFirstForUpdate = false;
  const LoadResult r = LoadRecordFiles(request);
  const ChartData& d = r.data;
  Require(r.plottedPoints <= request.pointLimit, "the point limit holds");
  Require(static_cast<int>(d.x.size()) == r.plottedPoints, "one x value per plotted point");
  Require(std::all_of(d.x.begin(), d.x.end(), [](double v) { return std::isfinite(v); }),
          "every x value is finite: damaged record times are skipped");
  Require(std::is_sorted(d.x.begin(), d.x.end()), "points are in ascending x order");
  if (request.mode == AxisMode::RecordTime)
    Require(std::all_of(d.x.begin(), d.x.end(), [](double v) { return IsCalendarDayCount(v); }),
            "every record time is a date-time");
  Require(r.skippedRecords >= 0, "skipped records are counted up");
  for (int i = 0; i < kBrowserSeriesCount; ++i)
    Require(d.PointCount(i) == (i < d.channelCount ? r.plottedPoints : 0),
            "the series of the load's channels hold every point, the others none");
  if (r.status == LoadStatus::Unsupported || r.status == LoadStatus::OpenFailed)
    Require(r.plottedPoints == 0, "a file that is no recording adds nothing");

  ChartData smoothed = d;
  for (auto& y : smoothed.y) {
    Smooth(y);
    SeriesStatistics(y);
  }
  StatisticsMemoLines(smoothed, true);
  std::ostringstream out;
  const ExportSource source{d, request.mode, r.header.titles[1], r.header.titles[3], QStringLiteral("s"), {}};
  WriteBrowserText(source, out);
  WriteBrowserXls(source, out);
  if (request.mode == AxisMode::RecordTime) WriteRecordsCsv(d, r.header.startTime, out);
  for (double x : d.x) TrimmedAxisValue(request.mode, x);
  return 0;
}
