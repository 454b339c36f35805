// Named access to the fields of the settings records, for tools and scripts
// that show or change a settings file field by field.
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace tessar {

enum class FieldType { Int32, UInt8, Float64, Text };

struct FieldInfo {
  const char* name;
  std::size_t offset;
  FieldType type;
  int count;                // elements (1 for a scalar)
  std::size_t elementSize;  // bytes of one element (a text: its field size)
  long long minValue;       // integer fields: allowed range
  long long maxValue;
};

// The fields of a BoardSettings record and of the ClientSettings record, in
// record order. Padding is not listed.
std::span<const FieldInfo> BoardSettingsFields();
std::span<const FieldInfo> ClientSettingsFields();

const FieldInfo* FindField(std::span<const FieldInfo> fields, const std::string& name);

// One element as text: numbers in the C locale (doubles shortest exact),
// texts decoded from the file code page to UTF-8, without quotes.
std::string FormatFieldElement(const FieldInfo& field, const unsigned char* record, int index);

// Parses `value` (texts given in UTF-8) and stores it into one element.
// On a bad value returns false with the reason in `error`, the record untouched.
bool StoreFieldElement(const FieldInfo& field, unsigned char* record, int index,
                       const std::string& value, std::string& error);

}  // namespace tessar
