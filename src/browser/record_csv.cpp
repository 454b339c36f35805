#include "browser/record_csv.h"

#include <charconv>
#include <cstdio>

#include "acquisition/thermocouple.h"
#include "common/date_time.h"

namespace tessar {

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

void WriteRecordsCsv(const ChartData& data, double start, std::ostream& out) {
  std::string line = "time,elapsed_s";
  for (int c = 0; c < data.channelCount; ++c)
    line += ',' + CsvField(data.titles[c].trimmed().toUtf8().toStdString());
  line += "\r\n";
  out.write(line.data(), static_cast<std::streamsize>(line.size()));

  char buffer[64];
  for (std::size_t j = 0; j < data.x.size(); ++j) {
    const CalendarTime t = DecodeDateTime(data.x[j]);
    int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03d,%.3f", t.year,
                          t.month, t.day, t.hour, t.minute, t.second, t.millisecond,
                          ElapsedSeconds(data.x[j] - start));
    line.assign(buffer, static_cast<std::size_t>(n));
    for (int c = 0; c < data.channelCount; ++c) {
      line += ',';
      const double v = data.y[c][j];
      if (v == NoDataValue) continue;
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
      line.append(buffer, result.ptr);
    }
    line += "\r\n";
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
  }
}

}  // namespace tessar
