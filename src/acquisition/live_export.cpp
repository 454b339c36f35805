#include "acquisition/live_export.h"

#include <cstdio>
#include <cstring>
#include <system_error>

#include "acquisition/thermocouple.h"
#include "common/date_time.h"
#include "common/number_text.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

// A little-endian BIFF worksheet stream.
class BiffStream {
 public:
  std::string bytes;

  void Bof() {
    Record(0x0809, 8);
    U16(0x0000);
    U16(0x0010);
    U16(0x0001);
    U16(0x0000);
  }
  void Eof() { Record(0x000A, 0); }
  // Row numbers are 16 bits and wrap.
  void Label(int row, int column, std::string_view text) {
    const std::size_t n = std::min<std::size_t>(text.size(), 0xFFFF - 8);
    Record(0x0204, static_cast<std::uint16_t>(8 + n));
    Cell(row, column);
    U16(static_cast<std::uint16_t>(n));
    bytes.append(text.substr(0, n));
  }
  void Number(int row, int column, double value) {
    Record(0x0203, 14);
    Cell(row, column);
    char raw[8];
    std::memcpy(raw, &value, 8);  // IEEE double, little-endian like the host
    bytes.append(raw, 8);
  }

 private:
  void U16(std::uint16_t v) {
    bytes.push_back(static_cast<char>(v & 0xFF));
    bytes.push_back(static_cast<char>(v >> 8));
  }
  void Record(std::uint16_t type, std::uint16_t length) {
    U16(type);
    U16(length);
  }
  void Cell(int row, int column) {
    U16(static_cast<std::uint16_t>(row));
    U16(static_cast<std::uint16_t>(column));
    U16(0);  // format index
  }
};
static_assert(sizeof(double) == 8);

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
  BiffStream sheet;
  sheet.Bof();
  const int n = chart.points->size();
  if (n > 0) {
    sheet.Label(0, 0, texts.jobTitle);
    sheet.Label(0, 1, texts.serialNumber);
    sheet.Label(0, 2, texts.noteText);
    sheet.Label(0, 3, texts.yAxisTitle);
    sheet.Label(0, 4, FormatDateTime(chart.startTime));
    sheet.Label(1, 0, "Time");
    for (int s = 0; s < kSlotCount; ++s) sheet.Label(1, s + 1, texts.channelNames[s]);
    for (int i = 0; i < n; ++i) {
      const int row = 2 + i;
      sheet.Label(row, 0, FormatShortDateTime(chart.TimeOf(i)));
      for (int s = 0; s < kSlotCount; ++s) {
        const double y = chart.points->y(s, i);
        if (y == NoDataValue) {
          sheet.Label(row, s + 1, "*");
        } else {
          sheet.Number(row, s + 1, y);
        }
      }
      Pump(i, pump);
    }
  }
  sheet.Eof();
  return std::move(sheet.bytes);
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
