#include "acquisition/biff_writer.h"

#include <QByteArray>
#include <cstring>
#include <string>

#include "acquisition/thermocouple.h"
#include "i18n/text_codec.h"

namespace tessar {

namespace {

void PutU16(std::string& data, std::uint16_t v) {
  data.push_back(static_cast<char>(v & 0xFF));
  data.push_back(static_cast<char>(v >> 8));
}

// Row, column and format index 0: the start of every cell record.
std::string CellHead(int row, int column) {
  std::string data;
  PutU16(data, static_cast<std::uint16_t>(row));
  PutU16(data, static_cast<std::uint16_t>(column));
  PutU16(data, 0);
  return data;
}

}  // namespace

void BiffWriter::Record(std::uint16_t type, std::string_view data) {
  std::string head;
  PutU16(head, type);
  PutU16(head, static_cast<std::uint16_t>(data.size()));
  out_.write(head.data(), static_cast<std::streamsize>(head.size()));
  out_.write(data.data(), static_cast<std::streamsize>(data.size()));
}

void BiffWriter::Begin() {
  std::string data;
  for (std::uint16_t v : {0x0000, 0x0010, 0x0001, 0x0000}) PutU16(data, v);
  Record(kBiffBof, data);
  std::string codepage;
  PutU16(codepage, kBiffCp949);
  Record(kBiffCodepage, codepage);
}

void BiffWriter::End() { Record(kBiffEof, {}); }

void BiffWriter::Label(int row, int column, std::string_view bytes) {
  bytes = bytes.substr(0, Cp949PrefixLength(bytes, kBiffMaxLabelBytes));
  std::string data = CellHead(row, column);
  PutU16(data, static_cast<std::uint16_t>(bytes.size()));
  data.append(bytes);
  Record(kBiffLabel, data);
}

void BiffWriter::Label(int row, int column, const QString& text) {
  const QByteArray bytes = ToCp949(text);
  Label(row, column, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void BiffWriter::Number(int row, int column, double value) {
  static_assert(sizeof(double) == 8);
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::string data = CellHead(row, column);
  for (int i = 0; i < 8; ++i) data.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  Record(kBiffNumber, data);
}

void BiffWriter::Value(int row, int column, double value) {
  if (value == NoDataValue) {
    Label(row, column, std::string_view("*"));
  } else {
    Number(row, column, value);
  }
}

}  // namespace tessar
