#include "i18n/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>

namespace tessar {

namespace {
constexpr const char* kCodePage = "CP949";

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
}  // namespace

QByteArray ToCp949(const QString& text, bool* exact) {
  QStringEncoder encoder(kCodePage);
  QByteArray bytes;
  if (encoder.isValid()) {
    bytes = encoder.encode(text);
  } else {
    bytes = text.toLatin1();
  }
  if (exact) {
    // The converter does not flag every substitution, so the bytes must
    // also decode back to the same text.
    *exact = !encoder.hasError() &&
             FromCp949(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))) == text;
  }
  return bytes;
}

bool IsCp949Text(const QString& text) {
  bool exact = false;
  ToCp949(text, &exact);
  return exact;
}

QString FromCp949(std::string_view bytes) {
  QStringDecoder decoder(kCodePage);
  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  if (!decoder.isValid()) return QString::fromLatin1(view);
  return decoder.decode(view);
}

std::string_view FieldBytes(const char* field, std::size_t fieldSize) {
  const void* end = std::memchr(field, '\0', fieldSize);
  const std::size_t length =
      end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : fieldSize;
  return std::string_view(field, length);
}

std::size_t Cp949PrefixLength(std::string_view bytes, std::size_t limit) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t width =
        IsLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
    if (i + width > limit) break;
    i += width;
  }
  return i;
}

bool StoreFieldBytes(char* field, std::size_t fieldSize, std::string_view bytes) {
  if (fieldSize == 0) return bytes.empty();
  // A text stops at its first NUL, as it would when read back.
  const std::size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  const std::size_t length = Cp949PrefixLength(bytes, fieldSize - 1);
  std::memcpy(field, bytes.data(), length);
  field[length] = '\0';
  return length == bytes.size();
}

QString ReadField(const char* field, std::size_t fieldSize) {
  return FromCp949(FieldBytes(field, fieldSize));
}

bool WriteField(char* field, std::size_t fieldSize, const QString& text) {
  const QByteArray bytes = ToCp949(text);
  return StoreFieldBytes(field, fieldSize,
                         std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace tessar
