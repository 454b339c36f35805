// tessar-records: recordings (".ORV" files) from the command line.
//
//   tessar-records info FILE...
//   tessar-records export --csv|--txt|--xls OUT FILE... [--subsample N]
//
// Files are read as the record browser reads them, without its point limit,
// and are only ever opened for reading.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "browser/browser_export.h"
#include "browser/record_csv.h"
#include "browser/record_loader.h"
#include "common/date_time.h"

using namespace tessar;
namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "Usage: tessar-records info FILE...\n"
    "  or:  tessar-records export --csv|--txt|--xls OUT FILE... [--subsample N]\n"
    "\n"
    "Commands:\n"
    "  info     the layout, titles, channel names, serial number, start time and\n"
    "           number of whole records of each recording file\n"
    "  export   the files in the order given as one table: --csv (UTF-8), or the\n"
    "           record browser's --txt and --xls files; --subsample N keeps every\n"
    "           N-th record of each file. Missing files are skipped.\n";

int Usage(const std::string& problem) {
  std::cerr << "tessar-records: " << problem << "\n" << kUsage;
  return 2;
}

int Fail(const std::string& problem) {
  std::cerr << "tessar-records: " << problem << "\n";
  return 1;
}

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

int Info(const std::vector<std::string>& files) {
  if (files.empty()) return Usage("info needs at least one file");
  int status = 0;
  for (const std::string& path : files) {
    std::ifstream in(path, std::ios::binary);
    if (!in || fs::is_directory(path)) {
      status = Fail(path + ": cannot be read");
      continue;
    }
    std::string head(kLargestRecordHeader, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const RecordKind kind = RecogniseLayout(head);
    if (kind == RecordKind::Unknown) {
      status = Fail(path + ": not a recording file of a supported layout");
      continue;
    }
    const RecordHeaderInfo h = ReadHeaderInfo(head, kind);
    const RecordLayout& layout = *LayoutOf(kind);
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
              << "  records: " << records << "\n";
  }
  return status;
}

int Export(std::vector<std::string> args) {
  enum class Format { Csv, Txt, Xls } format;
  if (args.empty()) return Usage("export needs a format");
  if (args[0] == "--csv") format = Format::Csv;
  else if (args[0] == "--txt") format = Format::Txt;
  else if (args[0] == "--xls") format = Format::Xls;
  else return Usage("unknown format " + args[0]);
  args.erase(args.begin());

  LoadRequest request;
  request.openFirstForUpdate = false;
  request.pointLimit = 0;
  std::string out;
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
      request.subsampling = value;
    } else if (args[i].rfind("--", 0) == 0) {
      return Usage("unknown option " + args[i]);
    } else if (out.empty()) {
      out = args[i];
    } else {
      request.files.emplace_back(args[i]);
    }
  }
  if (out.empty() || request.files.empty()) return Usage("export needs OUT and at least one FILE");

  // Every file that exists must be readable; missing ones are skipped.
  for (const fs::path& f : request.files) {
    std::error_code ec;
    if (!fs::exists(f, ec)) continue;
    if (fs::is_directory(f, ec) || !std::ifstream(f, std::ios::binary))
      return Fail(f.string() + ": cannot be read");
  }
  const LoadResult r = LoadRecordFiles(request);
  switch (r.status) {
    case LoadStatus::NoFiles:
      return Usage("no files");
    case LoadStatus::OpenFailed:
      return Fail(request.files.front().string() + ": cannot be read");
    case LoadStatus::Unsupported:
      return Fail(request.files.front().string() + ": not a recording file of a supported layout");
    default:
      break;
  }
  for (std::size_t i = 0; i < r.files.size(); ++i) {
    if (r.files[i] == FileOutcome::OtherLayout)
      std::cerr << "tessar-records: " << request.files[i].string()
                << ": skipped, not of the first file's layout\n";
    if (r.files[i] == FileOutcome::Unreadable)
      return Fail(request.files[i].string() + ": cannot be read");
  }

  // Written beside the target and renamed when complete, so that a failure
  // leaves no output file (and an older one in place).
  const fs::path target(out);
  const fs::path partial = target.string() + ".partial";
  bool written = false;
  {
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    if (!file) return Fail(out + ": cannot be created");
    const ExportSource source{r.data, AxisMode::RecordTime, r.header.titles[1], r.header.titles[3],
                              QString::fromStdString(FormatDateTime(r.header.startTime)), {}};
    switch (format) {
      case Format::Csv:
        WriteRecordsCsv(r.data, r.header.startTime, file);
        break;
      case Format::Txt:
        WriteBrowserText(source, file);
        break;
      case Format::Xls:
        WriteBrowserXls(source, file);
        break;
    }
    file.close();
    written = static_cast<bool>(file);
  }
  std::error_code ec;
  if (written) fs::rename(partial, target, ec);
  if (!written || ec) {
    fs::remove(partial, ec);
    return Fail(out + ": could not be written");
  }
  return 0;
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
