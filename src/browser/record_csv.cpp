#include "browser/record_csv.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "acquisition/thermocouple.h"
#include "common/date_time.h"

namespace tessar {

namespace {

// `value` as `width` decimal digits with leading zeros.
void Digits(std::string& out, long long value, int width) {
  char text[24];
  for (int i = width - 1; i >= 0; --i) {
    text[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  out.append(text, static_cast<std::size_t>(width));
}

// "YYYY-MM-DDTHH:MM:SS.mmm,<seconds with three decimals>" without printf,
// which would dominate the export's time.
void TimeFields(std::string& line, double x, double start) {
  const CalendarTime t = DecodeDateTime(x);
  if (t.year < 0 || t.year > 9999) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%04d", t.year);
    line.append(text, static_cast<std::size_t>(n));
  } else {
    Digits(line, t.year, 4);
  }
  const std::pair<char, int> fields[] = {
      {'-', t.month}, {'-', t.day}, {'T', t.hour}, {':', t.minute}, {':', t.second}};
  for (const auto& [separator, value] : fields) {
    line += separator;
    Digits(line, value, 2);
  }
  line += '.';
  Digits(line, t.millisecond, 3);
  line += ',';
  // Elapsed seconds come in whole milliseconds: "%.3f" of them, exactly.
  const double seconds = ElapsedSeconds(x - start);
  long long ms = std::llround(std::fabs(seconds) * 1000.0);
  if (seconds < 0 && ms != 0) line += '-';
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, ms / 1000);
  line.append(text, r.ptr);
  line += '.';
  Digits(line, ms % 1000, 3);
}

}  // namespace

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

void WriteRecordsCsv(const ChartData& data, double start, std::ostream& out,
                     const CsvBoards* boards) {
  std::vector<std::string> boardFields;
  if (boards)
    for (const std::string& name : boards->names) boardFields.push_back(',' + CsvField(name));
  std::string line = boards ? "time,elapsed_s,board" : "time,elapsed_s";
  for (int c = 0; c < data.channelCount; ++c)
    line += ',' + CsvField(data.titles[c].trimmed().toUtf8().toStdString());
  line += "\r\n";
  out.write(line.data(), static_cast<std::streamsize>(line.size()));

  char buffer[64];
  for (std::size_t j = 0; j < data.x.size(); ++j) {
    line.clear();
    TimeFields(line, data.x[j], start);
    if (boards) line += boardFields[boards->ofPoint[j]];
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
