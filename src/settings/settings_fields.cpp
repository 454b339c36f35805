#include "settings/settings_fields.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <limits>
#include <vector>

#include "i18n/text_codec.h"
#include "settings/board_settings.h"
#include "settings/client_settings.h"

namespace tessar {

namespace {

constexpr long long kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr long long kIntMax = std::numeric_limits<std::int32_t>::max();
// "COM" and at most nine digits is the longest port name the port list shows
// (ports-folder entries; the system devices end at COM300).
constexpr long long kLargestPortNumber = 999'999'999;

#define BOARD_FIELD(name, type, count, elemSize, lo, hi) \
  FieldInfo{#name, offsetof(BoardSettings, name), FieldType::type, count, elemSize, lo, hi}
#define CLIENT_FIELD(name, type, count, elemSize, lo, hi) \
  FieldInfo{#name, offsetof(ClientSettings, name), FieldType::type, count, elemSize, lo, hi}

const FieldInfo kBoardFields[] = {
    BOARD_FIELD(boardIndex, Int32, 1, 4, 0, 3),
    BOARD_FIELD(portNumber, Int32, 1, 4, 0, kLargestPortNumber),
    BOARD_FIELD(boardSensorType, Int32, 1, 4, 0, 7),
    BOARD_FIELD(channelSensorType, Int32, kSlotCount, 4, 0, 8),
    BOARD_FIELD(channelRangeMv, Float64, kSlotCount, 8, 0, 0),
    BOARD_FIELD(channelT1, Float64, kSlotCount, 8, 0, 0),
    BOARD_FIELD(channelT0, Float64, kSlotCount, 8, 0, 0),
    BOARD_FIELD(channelMin, Float64, kSlotCount, 8, 0, 0),
    BOARD_FIELD(channelMax, Float64, kSlotCount, 8, 0, 0),
    BOARD_FIELD(refVoltage, Float64, 1, 8, 0, 0),
    BOARD_FIELD(voltA1, Float64, 1, 8, 0, 0),
    BOARD_FIELD(voltA0, Float64, 1, 8, 0, 0),
    BOARD_FIELD(channelVisible, Int32, kSlotCount, 4, 0, 1),
    BOARD_FIELD(alarmEnabled, Int32, kSlotCount, 4, 0, 1),
    BOARD_FIELD(alarmHigh, Float64, kSlotCount, 8, 0, 0),
    BOARD_FIELD(alarmLow, Float64, kSlotCount, 8, 0, 0),
    BOARD_FIELD(dataDirectory, Text, 1, kLongTextSize, 0, 0),
    BOARD_FIELD(channelName, Text, kSlotCount, kShortTextSize, 0, 0),
    BOARD_FIELD(sampleInterval, Int32, 1, 4, 1, 1000),
    BOARD_FIELD(elapseTimeAxis, UInt8, 1, 1, 0, 1),
    BOARD_FIELD(englishUi, Int32, 1, 4, kIntMin, kIntMax),
    BOARD_FIELD(modelName, Text, 1, kShortTextSize, 0, 0),
    BOARD_FIELD(serialNumber, Text, 1, kShortTextSize, 0, 0),
    BOARD_FIELD(jobTitle, Text, 1, kLongTextSize, 0, 0),
    BOARD_FIELD(chartTitle, Text, 1, kLongTextSize, 0, 0),
    BOARD_FIELD(noteText, Text, 1, kLongTextSize, 0, 0),
    BOARD_FIELD(yAxisTitle, Text, 1, kLongTextSize, 0, 0),
    BOARD_FIELD(filterLength, Int32, 1, 4, 0, 3600),
};

const FieldInfo kClientFields[] = {
    CLIENT_FIELD(englishUi, UInt8, 1, 1, 0, 255),
    CLIENT_FIELD(elapseTimeAxis, UInt8, 1, 1, 0, 1),
    CLIENT_FIELD(remoteBoard, Int32, kBoardCount, 4, 0, 3),
    CLIENT_FIELD(pollInterval, Int32, kBoardCount, 4, 0, 1000),
    CLIENT_FIELD(serverCount, Int32, 1, 4, 0, kServerAddressCount),
    CLIENT_FIELD(serverAddress, Text, kServerAddressCount, kServerAddressSize, 0, 0),
    CLIENT_FIELD(clientDataDirectory, Text, 1, kClientDirectorySize, 0, 0),
};

#undef BOARD_FIELD
#undef CLIENT_FIELD

template <typename T>
T Load(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <typename T>
void Put(unsigned char* p, T v) {
  std::memcpy(p, &v, sizeof v);
}

}  // namespace

std::span<const FieldInfo> BoardSettingsFields() { return kBoardFields; }
std::span<const FieldInfo> ClientSettingsFields() { return kClientFields; }

const FieldInfo* FindField(std::span<const FieldInfo> fields, const std::string& name) {
  for (const FieldInfo& f : fields) {
    if (name == f.name) return &f;
  }
  return nullptr;
}

std::string FormatFieldElement(const FieldInfo& field, const unsigned char* record, int index) {
  const unsigned char* p = record + field.offset + static_cast<std::size_t>(index) * field.elementSize;
  switch (field.type) {
    case FieldType::Int32:
      return std::to_string(Load<std::int32_t>(p));
    case FieldType::UInt8:
      return std::to_string(static_cast<int>(*p));
    case FieldType::Float64: {
      char text[64];
      const auto result = std::to_chars(text, text + sizeof text, Load<double>(p));
      return std::string(text, result.ptr);
    }
    case FieldType::Text: {
      const QString s = ReadField(reinterpret_cast<const char*>(p), field.elementSize);
      return s.toStdString();
    }
  }
  return {};
}

bool StoreFieldElement(const FieldInfo& field, unsigned char* record, int index,
                       const std::string& value, std::string& error) {
  if (index < 0 || index >= field.count) {
    error = std::string(field.name) + ": index " + std::to_string(index) + " is outside 0.." +
            std::to_string(field.count - 1);
    return false;
  }
  unsigned char* p = record + field.offset + static_cast<std::size_t>(index) * field.elementSize;
  const char* first = value.data();
  const char* last = value.data() + value.size();
  switch (field.type) {
    case FieldType::Int32:
    case FieldType::UInt8: {
      long long v = 0;
      const auto result = std::from_chars(first, last, v);
      if (value.empty() || result.ec != std::errc() || result.ptr != last) {
        error = std::string(field.name) + ": '" + value + "' is not a whole number";
        return false;
      }
      if (v < field.minValue || v > field.maxValue) {
        error = std::string(field.name) + ": " + value + " is outside " +
                std::to_string(field.minValue) + ".." + std::to_string(field.maxValue);
        return false;
      }
      if (field.type == FieldType::Int32) {
        Put<std::int32_t>(p, static_cast<std::int32_t>(v));
      } else {
        *p = static_cast<unsigned char>(v);
      }
      return true;
    }
    case FieldType::Float64: {
      double v = 0;
      const auto result = std::from_chars(first, last, v);
      if (value.empty() || result.ec != std::errc() || result.ptr != last || !std::isfinite(v)) {
        error = std::string(field.name) + ": '" + value + "' is not a number";
        return false;
      }
      Put<double>(p, v);
      return true;
    }
    case FieldType::Text: {
      bool exact = false;
      const QByteArray bytes = ToCp949(QString::fromStdString(value), &exact);
      if (!exact) {
        error = std::string(field.name) + ": '" + value +
                "' has characters that the file code page (CP949) cannot hold";
        return false;
      }
      if (bytes.contains('\0') || static_cast<std::size_t>(bytes.size()) >= field.elementSize) {
        error = std::string(field.name) + ": '" + value + "' does not fit its " +
                std::to_string(field.elementSize) + "-byte field (at most " +
                std::to_string(field.elementSize - 1) + " bytes)";
        return false;
      }
      StoreFieldBytes(reinterpret_cast<char*>(p), field.elementSize,
                      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      return true;
    }
  }
  return false;
}

// Splits "A.name[3]=value" (logger) or "name[3]=value" (client).
bool ParseAssignment(const std::string& text, bool client, Assignment& out, std::string& error) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos) {
    error = "'" + text + "': expected FIELD=VALUE";
    return false;
  }
  std::string target = text.substr(0, eq);
  out = Assignment{};
  out.value = text.substr(eq + 1);
  if (!client) {
    if (target.size() < 3 || target[1] != '.' || target[0] < 'A' || target[0] > 'D') {
      error = "'" + target + "': expected a board letter A..D, a dot and a field name";
      return false;
    }
    out.board = target[0] - 'A';
    target = target.substr(2);
  }
  const std::size_t open = target.find('[');
  if (open != std::string::npos) {
    if (target.back() != ']') {
      error = "'" + target + "': unclosed '['";
      return false;
    }
    const std::string digits = target.substr(open + 1, target.size() - open - 2);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
        digits.size() > 3) {
      error = "'" + target + "': the index must be a whole number";
      return false;
    }
    out.index = std::stoi(digits);
    out.indexed = true;
    target = target.substr(0, open);
  }
  out.name = target;
  return true;
}

bool ApplyAssignments(std::span<const std::string> assignments, bool client,
                      std::span<unsigned char> file, std::string& error) {
  const std::size_t size = client ? kClientSettingsSize : kSettingsImageSize;
  if (file.size() != size) {
    error = "the file image has " + std::to_string(file.size()) + " bytes, not " + std::to_string(size);
    return false;
  }
  std::vector<unsigned char> changed(file.begin(), file.end());
  const auto fields = client ? ClientSettingsFields() : BoardSettingsFields();
  for (const std::string& text : assignments) {
    Assignment a;
    if (!ParseAssignment(text, client, a, error)) return false;
    const FieldInfo* field = FindField(fields, a.name);
    if (!field) {
      error = "no field '" + a.name + "' in a " + (client ? "client" : "board") + " record";
      return false;
    }
    if (field->count > 1 && !a.indexed) {
      error = a.name + " has " + std::to_string(field->count) + " slots: name one, as " + a.name +
              "[k]";
      return false;
    }
    if (field->count == 1 && a.indexed && a.index != 0) {
      error = a.name + " has no slots";
      return false;
    }
    unsigned char* record = changed.data() + static_cast<std::size_t>(a.board) * sizeof(BoardSettings);
    if (!StoreFieldElement(*field, record, a.index, a.value, error)) return false;
  }
  std::copy(changed.begin(), changed.end(), file.begin());
  return true;
}

}  // namespace tessar
