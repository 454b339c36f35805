#include "device/device_protocol.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <system_error>

#include "i18n/text_codec.h"

namespace tessar {

std::string SingleRelayCommand(bool on) { return on ? "D1\r" : "D0\r"; }

std::string OutputMaskCommand(std::uint32_t mask) {
  char text[16];
  std::snprintf(text, sizeof text, "P%X\r", static_cast<unsigned>(mask));
  return text;
}

std::string OutputsOffCommand(int modelKind) {
  return modelKind == 0 ? SingleRelayCommand(false) : OutputMaskCommand(0);
}

bool ReplyCollector::Feed(char c) {
  if (c == 'S') {
    ReplyCollecting = true;
    ReplyText.assign(1, 'S');
    return false;
  }
  if (!ReplyCollecting) return false;
  ReplyText.push_back(c);
  // A reply that outgrows any device's ends here too, unfinished; the parser
  // refuses it.
  if (c != 'E' && ReplyText.size() <= kLongestReply) return false;
  ReplyCollecting = false;
  return true;
}

Msg MessageIdOf(ConfigOutcome outcome) {
  switch (outcome) {
    case ConfigOutcome::Ok: return Msg::DialogueOk;
    case ConfigOutcome::NoModelSection: return Msg::ConfigError1;
    case ConfigOutcome::UnknownModel: return Msg::CheckModel;
    case ConfigOutcome::SettingsUnreadable: return Msg::ConfigError2;
    case ConfigOutcome::FirstCalUnreadable: return Msg::ConfigError3;
    case ConfigOutcome::SecondCalUnreadable: return Msg::ConfigError4;
    case ConfigOutcome::BadValue: return Msg::ConfigError1098;
  }
  return Msg::ConfigError1098;
}

const MessagePair& MessageOf(ConfigOutcome outcome) { return MessagePairOf(MessageIdOf(outcome)); }

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads text the way the C library's scanf directives do: "%s" a word, "%d" a
// decimal integer, "%c" after skipped white space the next non-blank
// character, "%lf" the longest prefix that is a number.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  std::optional<std::string_view> Word() {
    SkipBlanks();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
    if (pos_ == start) return std::nullopt;
    return text_.substr(start, pos_ - start);
  }
  std::optional<long long> Integer() {
    SkipBlanks();
    std::size_t p = pos_;
    bool negative = false;
    if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
    const std::size_t digits = p;
    long long value = 0;
    while (p < text_.size() && text_[p] >= '0' && text_[p] <= '9') {
      // Saturate: a value this large is out of every table anyway.
      if (value < std::numeric_limits<long long>::max() / 10) value = value * 10 + (text_[p] - '0');
      ++p;
    }
    if (p == digits) return std::nullopt;
    pos_ = p;
    return negative ? -value : value;
  }
  std::optional<char> Char() {
    SkipBlanks();
    if (pos_ >= text_.size()) return std::nullopt;
    return text_[pos_++];
  }
  std::optional<double> Number() {
    SkipBlanks();
    std::size_t p = pos_;
    bool negative = false;
    if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
    if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) return std::nullopt;
    double value = 0;
    const char* first = text_.data() + p;
    auto [end, ec] = std::from_chars(first, text_.data() + text_.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    pos_ = static_cast<std::size_t>(end - text_.data());
    return negative ? -value : value;
  }
  bool Literal(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  std::string_view Rest() const { return text_.substr(pos_); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Splits off the text up to the next CR (the whole rest when there is none).
std::string_view TakeLine(std::string_view& text) {
  const std::size_t cr = text.find('\r');
  const std::string_view line = text.substr(0, cr);
  text = cr == std::string_view::npos ? std::string_view() : text.substr(cr + 1);
  return line;
}

// A whole line as one decimal number (blanks around it allowed).
std::optional<double> LineNumber(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  if (line.empty()) return std::nullopt;
  Scanner scanner(line);
  const auto value = scanner.Number();
  if (!value || !scanner.Rest().empty()) return std::nullopt;
  return value;
}

// "%lf,%lf,%lf,%lf,%lf,%lf": how many values were read into `values`.
int ScanCommaLine(std::string_view line, double* values, int count) {
  Scanner scanner(line);
  int read = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !scanner.Literal(',')) break;
    const auto value = scanner.Number();
    if (!value) break;
    values[i] = *value;
    ++read;
  }
  return read;
}

int SensorIndexOf(char letter) {
  for (int i = 0; i < kSensorLetterCount; ++i) {
    if (kSensorLetters[i] == letter) return i;
  }
  return -1;
}

int KindOfModel(std::string_view model) {
  if (model == "ORVA-2000" || model == "ORVA-2100") return 0;
  if (model == "ORVA-2200") return 1;
  if (model == "ORVA-2280") return 2;
  return -1;
}

constexpr std::size_t kMaxSerialLength = kShortTextSize - 1;

}  // namespace

ConfigParseResult ParseConfigReply(std::string_view reply, int board, int portNumber,
                                   BoardSettings& record) {
  ConfigParseResult result;
  if (reply.size() > kLongestReply) {
    result.outcome = ConfigOutcome::BadValue;
    return result;
  }

  // 1-2: the settings part lies between the first two characters and the
  // first "M"; the calibration part starts one character after it.
  const std::size_t m = reply.find('M');
  if (m == std::string_view::npos) {
    result.outcome = ConfigOutcome::NoModelSection;
    return result;
  }
  std::string_view settingsPart = reply.substr(0, m);
  settingsPart.remove_prefix(std::min<std::size_t>(2, settingsPart.size()));
  std::string_view calPart = reply.substr(m + 1);
  calPart.remove_prefix(std::min<std::size_t>(1, calPart.size()));

  // 3-4: the model line.
  const std::size_t cr = settingsPart.find('\r');
  const std::string_view model = settingsPart.substr(0, cr);
  const std::string_view settingsBlock =
      cr == std::string_view::npos ? std::string_view() : settingsPart.substr(cr + 1);
  const int kind = KindOfModel(model);
  if (kind < 0) {
    result.outcome = ConfigOutcome::UnknownModel;
    return result;
  }
  result.modelKind = kind;
  const int channels = ChannelCountOf(kind);

  // 5: serial number, (kinds 1, 2: two ignored integers,) range indices and
  // sensor letters. Slots the scan does not reach keep range 6 and "V".
  std::array<long long, kSlotCount> rangeIndex;
  std::array<char, kSlotCount> letter;
  rangeIndex.fill(6);
  letter.fill('V');
  const int firstSlot = kind == 0 ? 0 : 1;
  const int lastSlot = kind == 0 ? 6 : channels;
  Scanner scanner(settingsBlock);
  const auto serial = scanner.Word();
  if (!serial) {
    result.outcome = ConfigOutcome::SettingsUnreadable;
    return result;
  }
  bool reading = true;
  if (kind != 0) reading = scanner.Integer() && scanner.Integer();
  for (int slot = firstSlot; reading && slot <= lastSlot; ++slot) {
    const auto value = scanner.Integer();
    if (!value) reading = false;
    else rangeIndex[slot] = *value;
  }
  for (int slot = firstSlot; reading && slot <= lastSlot; ++slot) {
    const auto value = scanner.Char();
    if (!value) reading = false;
    else letter[slot] = *value;
  }

  // 6: calibration.
  std::string_view cal = calPart;
  std::array<double, 3> common{};  // A1, A0, Ref
  for (double& value : common) {
    const auto number = LineNumber(TakeLine(cal));
    if (!number) {
      result.outcome = ConfigOutcome::BadValue;
      return result;
    }
    value = *number;
  }
  std::array<double, kSlotCount> t1;
  std::array<double, kSlotCount> t0;
  t1.fill(1.0);
  t0.fill(0.0);
  if (kind != 0) {
    for (auto* column : {&t1, &t0}) {
      for (int ch = 1; ch <= channels; ++ch) {
        const auto number = LineNumber(TakeLine(cal));
        if (!number) {
          result.outcome = ConfigOutcome::BadValue;
          return result;
        }
        (*column)[ch] = *number;
      }
    }
  } else if (cal != "E") {
    if (ScanCommaLine(TakeLine(cal), &t1[1], 6) <= 0) {
      result.outcome = ConfigOutcome::FirstCalUnreadable;
      return result;
    }
    if (ScanCommaLine(TakeLine(cal), &t0[1], 6) <= 0) {
      result.outcome = ConfigOutcome::SecondCalUnreadable;
      return result;
    }
  }

  // Values the record cannot hold are refused before anything is written.
  if (serial->size() > kMaxSerialLength) {
    result.outcome = ConfigOutcome::BadValue;
    return result;
  }
  const RangeTable table = RangeTableOf(kind);
  if (kind != 0) {
    rangeIndex[0] = rangeIndex[1];
    letter[0] = letter[1];
  }
  for (int slot = 0; slot <= lastSlot; ++slot) {
    if (rangeIndex[slot] < 0 || rangeIndex[slot] >= table.count) {
      result.outcome = ConfigOutcome::BadValue;
      return result;
    }
  }

  // 7: store.
  StoreFieldBytes(record.modelName, model);
  StoreFieldBytes(record.serialNumber, *serial);
  record.boardIndex = board;
  record.portNumber = portNumber;
  const int slot0Type = SensorIndexOf(letter[0]);
  record.boardSensorType = slot0Type;
  record.channelSensorType[0] = slot0Type;
  record.channelRangeMv[0] = table.values[rangeIndex[0]];
  for (int ch = 1; ch <= channels; ++ch) {
    record.channelSensorType[ch] = SensorIndexOf(letter[ch]);
    record.channelRangeMv[ch] = table.values[rangeIndex[ch]];
    if (record.channelSensorType[ch] != record.channelSensorType[ch - 1]) record.boardSensorType = 7;
  }
  record.voltA1 = common[0];
  record.voltA0 = common[1];
  record.refVoltage = common[2];
  for (int ch = 1; ch <= kChannelCount; ++ch) {
    record.channelT1[ch] = t1[ch];
    record.channelT0[ch] = t0[ch];
    record.channelMin[ch] = 0.0;
    record.channelMax[ch] = 10000.0;
  }
  result.outcome = ConfigOutcome::Ok;
  return result;
}

}  // namespace tessar
