// tessar-records: recordings (".ORV" files) from the command line.
//
//   tessar-records info FILE...
//   tessar-records export --csv|--txt|--xls OUT FILE... [--subsample N] [--allow-mixed]
//
// Files are read as the record browser reads them, without its point limit,
// and are only ever opened for reading. OUT never replaces a recording.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "acquisition/biff_writer.h"
#include "acquisition/thermocouple.h"
#include "browser/browser_export.h"
#include "browser/record_csv.h"
#include "browser/record_loader.h"
#include "common/date_time.h"

using namespace tessar;
namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "Usage: tessar-records info FILE...\n"
    "  or:  tessar-records export --csv|--txt|--xls OUT FILE... [OPTION]...\n"
    "Show recording files (.ORV), or export them as one table.\n"
    "\n"
    "Commands:\n"
    "  info     the layout, titles, channel names, serial number, start time,\n"
    "           number of whole records and number of damaged records of each\n"
    "           recording file\n"
    "  export   the files as one table in the order of their start times (the\n"
    "           run's start in the header, then the first record): --csv\n"
    "           (UTF-8), or the record browser's --txt and --xls files; the CSV\n"
    "           column elapsed_s counts from the earliest start. OUT \"-\" is\n"
    "           standard output.\n"
    "\n"
    "Options of export:\n"
    "  --subsample N   keep every N-th record of each file\n"
    "  --allow-mixed   take files of different boards (serial number or channel\n"
    "                  layout differ) into one CSV table with a board column\n"
    "\n"
    "Missing and empty files are skipped, as are files that are no recording;\n"
    "the first file that reads gives the titles. A record whose time is no\n"
    "date-time is damaged: it is skipped and counted on standard error. OUT is\n"
    "refused when it names one of the files or an existing recording. A regular\n"
    "OUT is written beside itself and renamed when complete; a pipe, a device or\n"
    "the target of a symbolic link is written directly.\n"
    "\n"
    "Exit status:\n"
    " 0  if OK,\n"
    " 1  if a file could not be read or OUT could not be written,\n"
    " 2  if the command was refused: wrong usage, an OUT that would replace an\n"
    "    input or a recording, files of different boards, more rows than an\n"
    "    .xls sheet holds.\n";

int Usage(const std::string& problem) {
  std::cerr << "tessar-records: " << problem << "\n" << kUsage;
  return 2;
}

int Fail(const std::string& problem) {
  std::cerr << "tessar-records: " << problem << "\n";
  return 1;
}

// A refusal of the command as given: nothing is read further or written.
int Refuse(const std::string& problem) {
  std::cerr << "tessar-records: " << problem << "; nothing written\n";
  return 2;
}

void Note(const std::string& text) { std::cerr << "tessar-records: " << text << "\n"; }

std::string LayoutName(const RecordHeaderInfo& h) {
  switch (h.kind) {
    case RecordKind::Versioned:
      return "versioned " + h.version.toStdString();
    case RecordKind::Unversioned7:
      return "unversioned, 7 channels";
    case RecordKind::Unversioned9:
      return "unversioned, 9 channels";
    case RecordKind::Unknown:
      break;
  }
  return "unknown";
}

// Whether `path` can be opened as a file for reading.
bool Readable(const fs::path& path) {
  std::error_code ec;
  return !fs::is_directory(path, ec) && std::ifstream(path, std::ios::binary).good();
}

// A recording loaded on its own, every record and no point limit.
LoadResult LoadOne(const fs::path& path, int subsampling) {
  LoadRequest request;
  request.files = {path};
  request.openFirstForUpdate = false;
  request.pointLimit = 0;
  request.subsampling = subsampling;
  return LoadRecordFiles(request);
}

bool IsRecording(const LoadResult& r) {
  return r.status != LoadStatus::OpenFailed && r.status != LoadStatus::Unsupported &&
         !r.files.empty() && r.files[0] != FileOutcome::OtherLayout &&
         r.files[0] != FileOutcome::Unreadable;
}

int Info(const std::vector<std::string>& files) {
  if (files.empty()) return Usage("info needs at least one file");
  int status = 0;
  for (const std::string& path : files) {
    if (!Readable(path)) {
      status = Fail(path + ": cannot be read");
      continue;
    }
    const LoadResult r = LoadOne(path, 1);
    if (!IsRecording(r)) {
      status = Fail(path + ": not a recording file of a supported layout");
      continue;
    }
    const RecordHeaderInfo& h = r.header;
    const RecordLayout& layout = *LayoutOf(h.kind);
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    const auto records = ec || size < layout.headerSize ? 0 : (size - layout.headerSize) / layout.recordSize;
    std::cout << path << "\n"
              << "  layout: " << LayoutName(h) << "\n"
              << "  record title: " << h.titles[0].toStdString() << "\n"
              << "  chart title: " << h.titles[1].toStdString() << "\n"
              << "  x-axis title: " << h.titles[2].toStdString() << "\n"
              << "  y-axis title: " << h.titles[3].toStdString() << "\n";
    for (std::size_t i = 0; i < h.channelNames.size(); ++i)
      std::cout << "  channel " << i << ": " << h.channelNames[i].toStdString() << "\n";
    std::cout << "  serial number: " << h.serialNumber.toStdString() << "\n"
              << "  channels charted: " << h.channelCount << "\n"
              << "  start: " << FormatDateTime(h.startTime) << "\n"
              << "  records: " << records << "\n"
              << "  damaged records: " << r.skippedRecords << "\n";
  }
  return status;
}

// ---- the output file

// Refuses an OUT that would destroy an input or a recording: one that names
// one of the inputs (the same file, or the same path when it does not exist
// yet), or an existing regular file (a symbolic link followed) that reads as
// a recording. A pipe or a device is never read.
std::string OutRefusal(const fs::path& out, const std::vector<fs::path>& inputs) {
  std::error_code ec;
  const fs::path outPath = fs::weakly_canonical(fs::absolute(out, ec), ec);
  for (const fs::path& in : inputs) {
    std::error_code e1, e2;
    if (fs::equivalent(out, in, e1) ||
        (!ec && fs::weakly_canonical(fs::absolute(in, e2), e2) == outPath && !e2))
      return out.string() + ": OUT is one of the input files (OUT comes first: export --csv OUT FILE...)";
  }
  if (fs::is_regular_file(out, ec)) {
    std::ifstream file(out, std::ios::binary);
    std::string head(kLargestRecordHeader, '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    if (RecogniseLayout(head) != RecordKind::Unknown)
      return out.string() + ": OUT is a recording file (OUT comes first: export --csv OUT FILE...)";
  }
  return {};
}

// Writes the output with `write`: "-" to standard output; a regular file (or
// a name that does not exist yet) beside the target and renamed when
// complete, so that a failure leaves no output file (and an older one in
// place); anything else (a FIFO, a device, a symbolic link's target) directly,
// so that it is never replaced by a regular file.
template <typename Write>
int WriteOut(const std::string& out, Write write) {
  if (out == "-") {
    write(std::cout);
    std::cout.flush();
    return std::cout ? 0 : Fail("standard output could not be written");
  }
  const fs::path target(out);
  struct stat st;
  const bool replace = ::lstat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode);
  const fs::path written = replace ? fs::path(target.string() + ".partial") : target;
  bool ok = false;
  {
    std::ofstream file(written, std::ios::binary | std::ios::trunc);
    if (!file) return Fail(out + ": cannot be created");
    write(file);
    file.close();
    ok = static_cast<bool>(file);
  }
  std::error_code ec;
  if (replace && ok) fs::rename(written, target, ec);
  if (!ok || ec) {
    if (replace) fs::remove(written, ec);
    return Fail(out + ": could not be written");
  }
  return 0;
}

// ---- the files of an export

struct Input {
  fs::path path;
  LoadResult load;
  std::size_t given = 0;  // place on the command line
};

// A file's place in time: the run's start from its header, then its first
// record. A header start that is no date-time puts the file after all others.
auto StartKey(const Input& f) {
  const double start = f.load.header.startTime;
  const bool dated = IsCalendarDayCount(start);
  const double first = f.load.data.x.empty() ? std::numeric_limits<double>::infinity() : f.load.data.x.front();
  return std::make_tuple(!dated, dated ? start : 0.0, first, f.given);
}

// What tells boards apart: the serial number and the channels charted. The
// file layout does not: the older layouts hold the same channels.
bool SameBoard(const RecordHeaderInfo& a, const RecordHeaderInfo& b) {
  return a.serialNumber.trimmed() == b.serialNumber.trimmed() && a.channelCount == b.channelCount;
}

std::string BoardName(const RecordHeaderInfo& h) { return h.serialNumber.trimmed().toUtf8().toStdString(); }

std::string BoardText(const RecordHeaderInfo& h) {
  return "serial number " + BoardName(h) + ", " + std::to_string(h.channelCount) + " channels";
}

// The points of every file in one table in ascending time, files of equal
// times in their order; `boardOf` receives the board of each point (an index
// into `boards`). Channels that a file does not have are without data.
ChartData MergeFiles(const std::vector<Input>& files, const std::vector<std::uint32_t>& boardOfFile,
                     std::vector<std::uint32_t>& boardOf) {
  ChartData merged;
  merged.channelCount = 0;
  std::vector<std::pair<double, std::uint32_t>> order;
  for (std::uint32_t f = 0; f < files.size(); ++f) {
    const ChartData& d = files[f].load.data;
    for (int c = merged.channelCount; c < d.channelCount; ++c) merged.titles[c] = d.titles[c];
    merged.channelCount = std::max(merged.channelCount, d.channelCount);
    for (double x : d.x) order.emplace_back(x, f);
  }
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::size_t> next(files.size(), 0);
  double values[kBrowserSeriesCount];
  for (const auto& [x, f] : order) {
    const ChartData& d = files[f].load.data;
    const std::size_t j = next[f]++;
    for (int c = 0; c < merged.channelCount; ++c) values[c] = c < d.channelCount ? d.y[c][j] : NoDataValue;
    merged.Add(x, values);
    boardOf.push_back(boardOfFile[f]);
  }
  return merged;
}

int Export(std::vector<std::string> args) {
  enum class Format { Csv, Txt, Xls } format;
  if (args.empty()) return Usage("export needs a format");
  if (args[0] == "--csv") format = Format::Csv;
  else if (args[0] == "--txt") format = Format::Txt;
  else if (args[0] == "--xls") format = Format::Xls;
  else return Usage("unknown format " + args[0]);
  args.erase(args.begin());

  int subsampling = 1;
  bool allowMixed = false;
  std::string out;
  std::vector<fs::path> paths;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--subsample") {
      if (i + 1 >= args.size()) return Usage("--subsample needs a number");
      const std::string& n = args[++i];
      std::size_t used = 0;
      int value = 0;
      try {
        value = std::stoi(n, &used);
      } catch (const std::exception&) {
        used = 0;
      }
      if (used != n.size() || value < 1) return Usage("--subsample needs a whole number of 1 or more, not " + n);
      subsampling = value;
    } else if (args[i] == "--allow-mixed") {
      allowMixed = true;
    } else if (args[i].rfind("--", 0) == 0) {
      return Usage("unknown option " + args[i]);
    } else if (out.empty()) {
      out = args[i];
    } else {
      paths.emplace_back(args[i]);
    }
  }
  if (out.empty() || paths.empty()) return Usage("export needs OUT and at least one FILE");
  if (allowMixed && format != Format::Csv)
    return Usage("--allow-mixed needs --csv: the browser's TXT and XLS files have no board column");
  if (out != "-") {
    const std::string refusal = OutRefusal(out, paths);
    if (!refusal.empty()) return Refuse(refusal);
  }

  // Every file that exists must be readable; missing, empty and foreign
  // files are skipped wherever they stand.
  std::vector<Input> files;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const fs::path& f = paths[i];
    std::error_code ec;
    if (!fs::exists(f, ec)) {
      Note(f.string() + ": skipped, no such file");
      continue;
    }
    if (!Readable(f)) return Fail(f.string() + ": cannot be read");
    if (fs::is_regular_file(f, ec) && fs::file_size(f, ec) == 0 && !ec) {
      Note(f.string() + ": skipped, empty file");
      continue;
    }
    Input input{f, LoadOne(f, subsampling), i};
    if (input.load.status == LoadStatus::OpenFailed ||
        (!input.load.files.empty() && input.load.files[0] == FileOutcome::Unreadable))
      return Fail(f.string() + ": cannot be read");
    if (!IsRecording(input.load)) {
      Note(f.string() + ": skipped, not a recording file of a supported layout");
      continue;
    }
    if (input.load.skippedRecords > 0)
      Note(f.string() + ": " + std::to_string(input.load.skippedRecords) + " damaged record" +
           (input.load.skippedRecords == 1 ? "" : "s") + " skipped (the time is no date-time)");
    files.push_back(std::move(input));
  }
  if (files.empty()) return Fail("no recording file among the files");
  std::stable_sort(files.begin(), files.end(),
                   [](const Input& a, const Input& b) { return StartKey(a) < StartKey(b); });

  // One board per table, unless mixing is asked for: then the board column
  // names each point's board by its serial number.
  std::vector<const RecordHeaderInfo*> boards;
  std::vector<std::uint32_t> boardOfFile;
  CsvBoards csvBoards;
  for (const Input& f : files) {
    std::uint32_t b = 0;
    while (b < boards.size() && !SameBoard(*boards[b], f.load.header)) ++b;
    if (b == boards.size()) {
      if (!allowMixed && !boards.empty())
        return Refuse(files.front().path.string() + " and " + f.path.string() +
                      " are recordings of different boards (" + BoardText(*boards[0]) + "; " +
                      BoardText(f.load.header) + "); --allow-mixed takes them into one table with a board column");
      boards.push_back(&f.load.header);
      csvBoards.names.push_back(BoardName(f.load.header));
    }
    boardOfFile.push_back(b);
  }

  const ChartData data = MergeFiles(files, boardOfFile, csvBoards.ofPoint);
  // Cell rows are 16-bit: the two title rows and one row per point must fit.
  const std::size_t xlsRows = kBiffLastRow + 1 - 2;
  if (format == Format::Xls && data.x.size() > xlsRows)
    return Refuse(std::to_string(data.x.size()) + " records do not fit an .xls sheet (at most " +
                  std::to_string(xlsRows) + "): use --subsample N to keep every N-th record, or --csv");

  const RecordHeaderInfo& first = files.front().load.header;
  double origin = first.startTime;
  if (!IsCalendarDayCount(origin)) origin = data.x.empty() ? 0.0 : data.x.front();
  const ExportSource source{data, AxisMode::RecordTime, first.titles[1], first.titles[3],
                            QString::fromStdString(FormatDateTime(first.startTime)), {}};
  return WriteOut(out, [&](std::ostream& file) {
    switch (format) {
      case Format::Csv:
        WriteRecordsCsv(data, origin, file, allowMixed ? &csvBoards : nullptr);
        break;
      case Format::Txt:
        WriteBrowserText(source, file);
        break;
      case Format::Xls:
        WriteBrowserXls(source, file);
        break;
    }
  });
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command");
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "info") return Info(args);
  if (command == "export") return Export(args);
  if (command == "--help" || command == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version") {
    std::cout << "tessar-records " TESSAR_VERSION "\n";
    return 0;
  }
  return Usage("unknown command " + command);
}
