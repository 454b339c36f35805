#include "acquisition/live_export.h"

#include <cstdio>
#include <sstream>
#include <system_error>

#include "acquisition/biff_writer.h"
#include "common/date_time.h"
#include "common/number_text.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

void Pump(int i, const std::function<void()>& pump) {
  if ((i + 1) % kExportPumpPoints == 0 && pump) pump();
}

}  // namespace

LiveExportTexts LiveExportTexts::Of(const BoardSettings& record) {
  LiveExportTexts t;
  t.jobTitle = FieldBytes(record.jobTitle);
  t.serialNumber = FieldBytes(record.serialNumber);
  t.noteText = FieldBytes(record.noteText);
  t.yAxisTitle = FieldBytes(record.yAxisTitle);
  for (int i = 0; i < kSlotCount; ++i) t.channelNames[i] = FieldBytes(record.channelName[i]);
  return t;
}

std::filesystem::path LiveExportPath(const std::filesystem::path& dataDirectory, int board,
                                     double now, std::string_view extension) {
  const CalendarTime t = DecodeDateTime(now);
  char day[32];
  char name[32];
  std::snprintf(day, sizeof day, "%d%02d%02d", t.year, t.month, t.day);
  std::snprintf(name, sizeof name, "%c%02d%02d%02d", 'A' + board, t.hour, t.minute, t.second);
  return dataDirectory / day / (std::string(name) + std::string(extension));
}

std::string ChartText(const LiveExportTexts& texts, const ExportedChart& chart,
                      const std::function<void()>& pump) {
  // Titles are written as they stand: a "%" in them is no format.
  std::string out = texts.jobTitle + '#' + texts.serialNumber + '#' + texts.noteText + '#' +
                    texts.yAxisTitle + '#' + FormatDateTime(chart.startTime) + "\r\n";
  out += "         Time         ";
  for (const std::string& name : texts.channelNames) {
    out += ' ';
    if (name.size() < 10) out.append(10 - name.size(), ' ');  // " %10s"
    out += name;
  }
  out += "\r\n";
  const int n = chart.points->size();
  for (int i = 0; i < n; ++i) {
    out += FormatDateTime(chart.TimeOf(i));
    for (int s = 0; s < kSlotCount; ++s) {
      out += ' ';
      out += FormatFixed(chart.points->y(s, i), 10, 2);
    }
    out += "\r\n";
    Pump(i, pump);
  }
  return out;
}

std::string ChartSheet(const LiveExportTexts& texts, const ExportedChart& chart,
                       const std::function<void()>& pump) {
  std::ostringstream bytes(std::ios::binary);
  BiffWriter sheet(bytes);
  sheet.Begin();
  const int n = chart.points->size();
  if (n > 0) {
    sheet.Label(0, 0, std::string_view(texts.jobTitle));
    sheet.Label(0, 1, std::string_view(texts.serialNumber));
    sheet.Label(0, 2, std::string_view(texts.noteText));
    sheet.Label(0, 3, std::string_view(texts.yAxisTitle));
    sheet.Label(0, 4, std::string_view(FormatDateTime(chart.startTime)));
    sheet.Label(1, 0, std::string_view("Time"));
    for (int s = 0; s < kSlotCount; ++s) sheet.Label(1, s + 1, std::string_view(texts.channelNames[s]));
    for (int i = 0; i < n; ++i) {
      const int row = 2 + i;
      sheet.Label(row, 0, std::string_view(FormatShortDateTime(chart.TimeOf(i))));
      for (int s = 0; s < kSlotCount; ++s) sheet.Value(row, s + 1, chart.points->y(s, i));
      Pump(i, pump);
    }
  }
  sheet.End();
  return std::move(bytes).str();
}

std::string MemoLog(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

SaveResult SaveExportFile(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ignored;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return SaveResult::CannotCreate;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  return written && flushed && closed ? SaveResult::Saved : SaveResult::WriteFailed;
}

}  // namespace tessar
