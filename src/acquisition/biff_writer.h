// Spreadsheet files as a BIFF worksheet stream, the form that spreadsheet
// programs open as ".xls": a sequence of little-endian records, each a 16-bit
// record type, a 16-bit data length and the data. One writer serves the live
// export of a board's chart and the record browser's "Save as XLS".
#pragma once

#include <QString>
#include <cstdint>
#include <ostream>
#include <string_view>

namespace tessar {

inline constexpr std::uint16_t kBiffBof = 0x0809;
inline constexpr std::uint16_t kBiffCodepage = 0x0042;
inline constexpr std::uint16_t kBiffLabel = 0x0204;
inline constexpr std::uint16_t kBiffNumber = 0x0203;
inline constexpr std::uint16_t kBiffEof = 0x000A;
// The code page of every text cell: CP949 (Korean), as the writer stores them.
inline constexpr std::uint16_t kBiffCp949 = 949;
// Row numbers are 16-bit: the last row a cell can address.
inline constexpr int kBiffLastRow = 0xFFFF;

// The longest text a label cell holds: its record length (8 + text length)
// must fit the 16-bit length field.
inline constexpr std::size_t kBiffMaxLabelBytes = 0xFFFF - 8;

class BiffWriter {
 public:
  // Writes into `out`, which the caller opened in binary mode and checks
  // (flush and stream state) after End().
  explicit BiffWriter(std::ostream& out) : out_(out) {}

  // Beginning of a worksheet, followed by the code page of its texts, so
  // that readers decode them as CP949 rather than as their own default.
  void Begin();
  // End of file.
  void End();

  // Row numbers are 16-bit in the file and wrap: row 65536 is stored as 0.
  // A text cell from bytes as they go into the file (CP949, no terminator);
  // a longer text than a cell holds is cut without splitting a character.
  void Label(int row, int column, std::string_view bytes);
  // A text cell from a text of the user interface, stored in CP949.
  void Label(int row, int column, const QString& text);
  void Number(int row, int column, double value);
  // A measured value: a number cell, or the label "*" for a channel without
  // data (NoDataValue).
  void Value(int row, int column, double value);

 private:
  void Record(std::uint16_t type, std::string_view data);

  std::ostream& out_;
};

}  // namespace tessar
