// The one conversion point between the fixed-size text fields of records,
// files and network payloads (CP949 bytes) and the texts of the user
// interface (QString). Fields are always read bounded by their size, whether
// or not a terminator is present.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessar {

// CP949 <-> QString for whole texts (files, wire payloads). A character
// that CP949 lacks comes out as a substitute byte; `exact`, when given, is
// set to whether every character was encoded as it is (the bytes decode back
// to `text`).
QByteArray ToCp949(const QString& text, bool* exact = nullptr);
QString FromCp949(std::string_view bytes);

// Whether `text` can be stored in the file code page without any character
// being replaced.
bool IsCp949Text(const QString& text);

// The bytes of a field up to its first NUL, or all `fieldSize` bytes when it
// has none.
std::string_view FieldBytes(const char* field, std::size_t fieldSize);

// Length of the longest prefix of `bytes` that is at most `limit` bytes long
// and does not end inside a double-byte CP949 character.
std::size_t Cp949PrefixLength(std::string_view bytes, std::size_t limit);

// Writes `bytes` into a field of `fieldSize` bytes: at most fieldSize - 1
// bytes (never half a double-byte character) and the terminating NUL. Bytes
// after the terminator are left as they were. Returns false when the text was
// cut to fit.
bool StoreFieldBytes(char* field, std::size_t fieldSize, std::string_view bytes);

// The same for UI texts, through CP949.
QString ReadField(const char* field, std::size_t fieldSize);
bool WriteField(char* field, std::size_t fieldSize, const QString& text);

template <std::size_t N>
QString ReadField(const char (&field)[N]) {
  return ReadField(field, N);
}
template <std::size_t N>
bool WriteField(char (&field)[N], const QString& text) {
  return WriteField(field, N, text);
}
template <std::size_t N>
std::string_view FieldBytes(const char (&field)[N]) {
  return FieldBytes(field, N);
}
template <std::size_t N>
bool StoreFieldBytes(char (&field)[N], std::string_view bytes) {
  return StoreFieldBytes(field, N, bytes);
}

}  // namespace tessar
