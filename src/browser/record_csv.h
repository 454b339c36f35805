// Recordings as CSV for scripts (UTF-8, RFC 4180): a header line
// "time,elapsed_s,<channel names>", then one line per point with the record
// time as local "YYYY-MM-DDTHH:MM:SS.mmm", the seconds since the start with
// three decimals and every value in the shortest form that reads back as the
// same double; a point without data is an empty cell. A table of several
// boards has a "board" column after elapsed_s.
#pragma once

#include <QString>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "browser/chart_data.h"

namespace tessar {

// The board of every point of a table of several boards.
struct CsvBoards {
  std::vector<std::string> names;      // UTF-8
  std::vector<std::uint32_t> ofPoint;  // index into names, one per point
};

// `data` holds points on the record-time axis; `start` is the load's start.
void WriteRecordsCsv(const ChartData& data, double start, std::ostream& out,
                     const CsvBoards* boards = nullptr);

// A field quoted as RFC 4180 needs it (comma, quote, CR or LF inside).
std::string CsvField(const std::string& text);

}  // namespace tessar
