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
  const char* meaning;      // what the field holds and what its values mean
  int maxCharacters = 0;    // texts: the most characters a window shows (0: the field's size)
};

// The fields of a BoardSettings record and of the ClientSettings record, in
// record order. Padding is not listed.
std::span<const FieldInfo> BoardSettingsFields();
std::span<const FieldInfo> ClientSettingsFields();

const FieldInfo* FindField(std::span<const FieldInfo> fields, const std::string& name);

// The values a field takes, as a person reads them: "whole number 0..3",
// "number", "text, at most 20 bytes", "text, at most 10 characters".
std::string FieldValuesText(const FieldInfo& field);

// One element as text: numbers in the C locale (doubles shortest exact),
// texts decoded from the file code page to UTF-8, without quotes.
std::string FormatFieldElement(const FieldInfo& field, const unsigned char* record, int index);

// Parses `value` (texts given in UTF-8) and stores it into one element.
// On a bad value returns false with the reason in `error`, the record untouched.
bool StoreFieldElement(const FieldInfo& field, unsigned char* record, int index,
                       const std::string& value, std::string& error);

// One command-line assignment: "A.portNumber=3", "C.alarmHigh[2]=80.5" for
// a logger file (board letter A..D), "pollInterval[1]=5" for a client file.
struct Assignment {
  int board = 0;        // 0..3; always 0 for a client file
  std::string name;     // field name
  int index = 0;        // slot, when `indexed`
  bool indexed = false;
  std::string value;    // everything after the first '='
};

// Splits one assignment; false with the reason in `error`.
bool ParseAssignment(const std::string& text, bool client, Assignment& assignment,
                     std::string& error);

// Applies every assignment to the bytes of a whole settings file (5216 bytes
// for a logger file, 372 for a client file). Either all of them are stored or,
// at the first that is not valid, none: false with the reason in `error` and
// `file` untouched.
bool ApplyAssignments(std::span<const std::string> assignments, bool client,
                      std::span<unsigned char> file, std::string& error);

}  // namespace tessar
