#include "browser/record_loader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/date_time.h"
#include "i18n/messages.h"

namespace tessar {

static_assert(std::endian::native == std::endian::little,
              "records are read as little-endian doubles in place");

namespace {

constexpr std::size_t kReadBuffer = 1 << 16;
// Records are read in blocks of this many records and taken from memory.
constexpr std::size_t kRecordsPerBlock = 1024;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Open(const std::filesystem::path& path, const char* mode) {
  File f(std::fopen(path.c_str(), mode));
  if (f) std::setvbuf(f.get(), nullptr, _IOFBF, kReadBuffer);
  return f;
}

// The first bytes of a file, as many as it has up to the largest header.
std::string ReadHead(std::FILE* f) {
  std::string bytes(kLargestRecordHeader, '\0');
  const std::size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
  bytes.resize(n);
  return bytes;
}

class Reader {
 public:
  Reader(const LoadRequest& request, LoadResult& result, const RecordLayout& layout)
      : request_(request),
        result_(result),
        layout_(layout),
        origin_(IsCalendarDayCount(result.header.startTime) ? result.header.startTime : NAN) {}

  // Reads the records of one open file positioned after its header.
  FileOutcome ReadRecords(std::FILE* f) {
    const int subsampling = std::max(1, request_.subsampling);
    const std::size_t size = layout_.recordSize;
    block_.resize(size * kRecordsPerBlock);
    std::size_t held = 0, next = 0;  // whole records in the block, and the next one
    std::array<double, 1 + kBrowserSeriesCount> record{};
    int k = 0;
    int sincePump = 0;
    for (;;) {
      if (++sincePump > kRecordsPerPump) {
        if (request_.pump) request_.pump();
        sincePump = 0;
      }
      if (request_.pointLimit > 0 && result_.plottedPoints >= request_.pointLimit)
        return FileOutcome::Stopped;
      if (next == held) {
        // A record cut short at the end of the file is not one.
        held = std::fread(block_.data(), 1, block_.size(), f) / size;
        next = 0;
        if (held == 0) return FileOutcome::Read;
      }
      const char* bytes = block_.data() + size * next++;
      const bool plotted = ++k >= subsampling;
      if (plotted) k = 0;
      double time;
      std::memcpy(&time, bytes, sizeof time);
      if (!IsCalendarDayCount(time)) {
        ++result_.skippedRecords;
        continue;
      }
      if (std::isnan(origin_)) origin_ = time;
      if (!plotted) continue;
      std::memcpy(record.data(), bytes, size);
      // Only the channels of the load are charted (7 of a 9-value record
      // whose serial number marks a 7-channel device).
      result_.data.Add(AxisX(request_.mode, time, origin_), &record[1]);
      ++result_.plottedPoints;
    }
  }

 private:
  const LoadRequest& request_;
  LoadResult& result_;
  const RecordLayout& layout_;
  double origin_;  // of the elapsed axes; NaN until known
  std::vector<char> block_;
};

}  // namespace

LoadResult LoadRecordFiles(const LoadRequest& request) {
  LoadResult result;
  if (request.files.empty()) return result;  // NoFiles

  {
    File first = Open(request.files.front(), request.openFirstForUpdate ? "r+b" : "rb");
    if (!first) {
      result.status = LoadStatus::OpenFailed;
      return result;
    }
    const std::string head = ReadHead(first.get());
    const RecordKind kind = RecogniseLayout(head);
    if (kind == RecordKind::Unknown) {
      result.status = LoadStatus::Unsupported;
      return result;
    }
    result.header = ReadHeaderInfo(head, kind);
  }
  const RecordLayout& layout = *LayoutOf(result.header.kind);
  result.data.channelCount = result.header.channelCount;
  for (int i = 0; i < result.data.channelCount; ++i)
    result.data.titles[i] = result.header.channelNames[static_cast<std::size_t>(i)].trimmed();

  Reader reader(request, result, layout);
  bool anyRead = false;
  bool stopped = false;
  for (const std::filesystem::path& path : request.files) {
    if (stopped) {
      result.files.push_back(FileOutcome::NotReached);
      continue;
    }
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
      result.files.push_back(FileOutcome::Missing);
      continue;
    }
    File f = Open(path, "rb");
    if (!f) {
      result.files.push_back(FileOutcome::Unreadable);
      continue;
    }
    // Every file must be of the first one's layout: its header is
    // recognised again and the records follow it.
    const std::string head = ReadHead(f.get());
    if (RecogniseLayout(head) != layout.kind ||
        std::fseek(f.get(), static_cast<long>(layout.headerSize), SEEK_SET) != 0) {
      result.files.push_back(FileOutcome::OtherLayout);
      anyRead = true;  // a skipped file counts as read, as the loaded status says
      continue;
    }
    const FileOutcome outcome = reader.ReadRecords(f.get());
    result.files.push_back(outcome);
    anyRead = true;
    stopped = outcome == FileOutcome::Stopped;
  }
  result.data.SortByX();
  result.status = stopped ? LoadStatus::LimitReached : anyRead ? LoadStatus::Loaded : LoadStatus::NothingRead;
  return result;
}

QString LoadStatusText(const LoadResult& result, AxisMode mode, bool korean) {
  switch (result.status) {
    case LoadStatus::NoFiles:
      return MessageText(Msg::BrowserNoData, korean);
    case LoadStatus::OpenFailed:
      return MessageText(Msg::BrowserOpenFailed, korean);
    case LoadStatus::Unsupported:
      return MessageText(Msg::BrowserUnsupported, korean);
    case LoadStatus::LimitReached:
      switch (mode) {
        case AxisMode::RecordTime:
          return MessageText(Msg::BrowserLimitRecordTime, korean);
        case AxisMode::ElapsedTime:
          return MessageText(Msg::BrowserLimitElapsedTime, korean);
        case AxisMode::ElapsedSeconds:
          return MessageText(Msg::BrowserLimitElapsedSeconds, korean);
      }
      break;
    case LoadStatus::Loaded:
      return MessageText(Msg::BrowserLoaded, korean).replace(QStringLiteral("%d"),
                                                             QString::number(result.plottedPoints));
    case LoadStatus::NothingRead:
      break;
  }
  return {};
}

std::vector<std::filesystem::path> RangeFileList(const std::filesystem::path& dataDirectory,
                                                 char letter, long long startHour,
                                                 long long endHour) {
  std::vector<std::filesystem::path> list;
  const long long firstDay = startHour >= 0 ? startHour / 24 : (startHour - 23) / 24;
  const long long lastDay = endHour >= 0 ? endHour / 24 : (endHour - 23) / 24;
  for (long long day = firstDay; day <= lastDay; ++day) {
    const CalendarTime date = DecodeDateTime(static_cast<double>(day));
    char folder[32];
    std::snprintf(folder, sizeof folder, "%d%02d%02d", date.year, date.month, date.day);
    const std::filesystem::path directory = dataDirectory / folder / std::string(1, letter);
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
      if (!entry.is_regular_file(ec)) continue;
      const std::string name = entry.path().filename().string();
      std::string extension = entry.path().extension().string();
      std::transform(extension.begin(), extension.end(), extension.begin(),
                     [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
      if (extension == ".ORV") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      if (name.size() < 2 || !std::isdigit(static_cast<unsigned char>(name[0])) ||
          !std::isdigit(static_cast<unsigned char>(name[1])))
        continue;  // no hour in the name: the file cannot be placed in time
      const long long fileHour = day * 24 + (name[0] - '0') * 10 + (name[1] - '0');
      if (startHour <= fileHour && fileHour < endHour) list.push_back(directory / name);
    }
  }
  return list;
}

}  // namespace tessar
