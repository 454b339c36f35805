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

#define BOARD_FIELD(name, type, count, elemSize, lo, hi, meaning, ...)                   \
  FieldInfo{#name, offsetof(BoardSettings, name), FieldType::type, count, elemSize, lo, hi, \
            meaning __VA_OPT__(, ) __VA_ARGS__}
#define CLIENT_FIELD(name, type, count, elemSize, lo, hi, meaning) \
  FieldInfo{#name, offsetof(ClientSettings, name), FieldType::type, count, elemSize, lo, hi, meaning}

// The window cuts a channel name to this many characters (the chart legend,
// the viewer and the recordings show no more).
constexpr int kChannelNameCharacters = 10;

const FieldInfo kBoardFields[] = {
    BOARD_FIELD(boardIndex, Int32, 1, 4, 0, 3, "the board the record belongs to: 0..3 for A..D"),
    BOARD_FIELD(portNumber, Int32, 1, 4, 0, kLargestPortNumber,
                "serial port COMn of the board's device; 0 = not used (\"No Use\"). COM1.. is "
                "/dev/ttyS0.., COM101.. /dev/ttyUSB0.., COM201.. /dev/ttyACM0..; an entry "
                "ports/COMn in the program's folder (a link to a device) wins"),
    BOARD_FIELD(boardSensorType, Int32, 1, 4, 0, 7,
                "sensor type of the whole board: 0 mV, 1 K, 2 R, 3 J, 4 S, 5 T, 6 A (a "
                "500..2500 mV signal on channelMin..channelMax), 7 H (each channel has its own "
                "channelSensorType)"),
    BOARD_FIELD(channelSensorType, Int32, kSlotCount, 4, 0, 8,
                "sensor type of each slot (0 is the cold junction, 1..8 the channels) on a "
                "thermocouple board: 0 mV, 1 K, 2 R, 3 J, 4 S, 5 T, 6 A, 7 Z (read as mV), 8 as "
                "a device reports Z (no conversion)"),
    BOARD_FIELD(channelRangeMv, Float64, kSlotCount, 8, 0, 0,
                "input range of each slot in mV: 2500, 1250, 625, 312.5, 156.25, 78.125, 39.0625 "
                "or 19.5313 on an ORVA-2000/2100; 5000, 2500, 1250, 625, 312.5, 156.25 or 78.125 "
                "on an ORVA-2200/2280"),
    BOARD_FIELD(channelT1, Float64, kSlotCount, 8, 0, 0,
                "conversion factor of each channel: mV = T1 * x + T0; 0 or less = no data"),
    BOARD_FIELD(channelT0, Float64, kSlotCount, 8, 0, 0, "conversion offset of each channel (T0)"),
    BOARD_FIELD(channelMin, Float64, kSlotCount, 8, 0, 0,
                "\"Minimum\" of each channel: on a type A board the value shown for 500 mV"),
    BOARD_FIELD(channelMax, Float64, kSlotCount, 8, 0, 0,
                "\"Maximum\" of each channel: on a type A board the value shown for 2500 mV"),
    BOARD_FIELD(refVoltage, Float64, 1, 8, 0, 0,
                "cold-junction (CJC) reference voltage in V (\"Ref = \")"),
    BOARD_FIELD(voltA1, Float64, 1, 8, 0, 0, "voltage correction Y = A0 + A1 * X: the factor A1"),
    BOARD_FIELD(voltA0, Float64, 1, 8, 0, 0, "voltage correction: the offset A0"),
    BOARD_FIELD(channelVisible, Int32, kSlotCount, 4, 0, 1,
                "1 = the slot's line is shown on the board's chart, 0 = hidden"),
    BOARD_FIELD(alarmEnabled, Int32, kSlotCount, 4, 0, 1,
                "1 = the slot's alarm limits are checked, 0 = not"),
    BOARD_FIELD(alarmHigh, Float64, kSlotCount, 8, 0, 0,
                "high alarm limit of each slot, in the unit the board shows"),
    BOARD_FIELD(alarmLow, Float64, kSlotCount, 8, 0, 0,
                "low alarm limit of each slot"),
    BOARD_FIELD(dataDirectory, Text, 1, kLongTextSize, 0, 0,
                "directory of the recording files, an absolute path (board A's copy is used)"),
    BOARD_FIELD(channelName, Text, kSlotCount, kShortTextSize, 0, 0,
                "name of each slot on the chart, the memo and the recordings",
                kChannelNameCharacters),
    BOARD_FIELD(sampleInterval, Int32, 1, 4, 1, 1000,
                "a record every this many seconds (acquisition ticks)"),
    BOARD_FIELD(elapseTimeAxis, UInt8, 1, 1, 0, 1,
                "1 = the charts' time axis counts the time since the run began (board A's copy "
                "is used)"),
    BOARD_FIELD(englishUi, Int32, 1, 4, kIntMin, kIntMax,
                "0 = Korean user interface, any other value = English (board A's copy is used)"),
    BOARD_FIELD(modelName, Text, 1, kShortTextSize, 0, 0,
                "device model: ORVA-2000 or ORVA-2100 (6 channels), ORVA-2200 (4), ORVA-2280 "
                "(8); another text keeps the frames of an ORVA-2000. Filled by get-configure"),
    BOARD_FIELD(serialNumber, Text, 1, kShortTextSize, 0, 0,
                "serial number of the device; filled by get-configure"),
    BOARD_FIELD(jobTitle, Text, 1, kLongTextSize, 0, 0,
                "title of the board's measurement: the label above its chart, the first text of "
                "its recordings"),
    BOARD_FIELD(chartTitle, Text, 1, kLongTextSize, 0, 0, "title printed on the board's chart"),
    BOARD_FIELD(noteText, Text, 1, kLongTextSize, 0, 0,
                "a note carried into the recordings and the exports"),
    BOARD_FIELD(yAxisTitle, Text, 1, kLongTextSize, 0, 0,
                "title of the chart's value axis, and the unit of MQTT records"),
    BOARD_FIELD(filterLength, Int32, 1, 4, 0, 3600,
                "running-median filter window in samples; 0 and 1 = no filtering"),
};

const FieldInfo kClientFields[] = {
    CLIENT_FIELD(englishUi, UInt8, 1, 1, 0, 255,
                 "0 = Korean user interface, any other value = English"),
    CLIENT_FIELD(elapseTimeAxis, UInt8, 1, 1, 0, 1,
                 "1 = the charts' time axis counts the time since the run began"),
    CLIENT_FIELD(remoteBoard, Int32, kBoardCount, 4, 0, 3,
                 "for each of the viewer's boards A..D, the logger's board it shows: 0..3 for "
                 "A..D"),
    CLIENT_FIELD(pollInterval, Int32, kBoardCount, 4, 0, 1000,
                 "seconds between two data requests of each board (one record each)"),
    CLIENT_FIELD(serverCount, Int32, 1, 4, 0, kServerAddressCount,
                 "how many serverAddress entries are used"),
    CLIENT_FIELD(serverAddress, Text, kServerAddressCount, kServerAddressSize, 0, 0,
                 "addresses of loggers offered for every board: IPv4 addresses or host names; "
                 "one of 5 characters or fewer is not offered"),
    CLIENT_FIELD(clientDataDirectory, Text, 1, kClientDirectorySize, 0, 0,
                 "directory of the viewer's recording files"),
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

std::string FieldValuesText(const FieldInfo& field) {
  switch (field.type) {
    case FieldType::Int32:
    case FieldType::UInt8:
      if (field.minValue == kIntMin && field.maxValue == kIntMax) return "whole number";
      return "whole number " + std::to_string(field.minValue) + ".." + std::to_string(field.maxValue);
    case FieldType::Float64:
      return "number";
    case FieldType::Text:
      if (field.maxCharacters > 0)
        return "text, at most " + std::to_string(field.maxCharacters) + " characters";
      return "text, at most " + std::to_string(field.elementSize - 1) + " bytes";
  }
  return {};
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
      const QString text = QString::fromStdString(value);
      if (field.maxCharacters > 0 && text.size() > field.maxCharacters) {
        error = std::string(field.name) + ": '" + value + "' has " + std::to_string(text.size()) +
                " characters; the window and the viewer show at most " +
                std::to_string(field.maxCharacters) + ", so longer names look alike there";
        return false;
      }
      bool exact = false;
      const QByteArray bytes = ToCp949(text, &exact);
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
