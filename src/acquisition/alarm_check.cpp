#include "acquisition/alarm_check.h"

#include <QString>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <system_error>

#include "common/date_time.h"
#include "common/number_text.h"
#include "device/device_protocol.h"
#include "i18n/messages.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

// Fills the printf fields of a message pattern (%d, %s, %f, %.3f, ...) in
// order with texts the caller formatted in the C locale.
std::string FillFields(const char* pattern, std::initializer_list<std::string> fields) {
  std::string text;
  auto next = fields.begin();
  for (const char* p = pattern; *p != '\0'; ++p) {
    if (*p != '%' || next == fields.end()) {
      text += *p;
      continue;
    }
    while (p[1] != '\0' && std::string_view("diusfFeEgGxX").find(p[1]) == std::string_view::npos)
      ++p;
    if (p[1] == '\0') break;
    ++p;
    text += *next++;
  }
  return text;
}

const char* InLanguage(Msg id, bool koreanUi) {
  const MessagePair& pair = MessagePairOf(id);
  return koreanUi ? pair.korean : pair.english;
}

std::string Decimals(double value, int precision) { return FormatFixed(value, 0, precision); }

// Channels that have a relay bit of their own on a board of `modelKind`.
bool HasRelayBit(int modelKind, int channel) { return modelKind != 2 || channel <= 4; }

}  // namespace

AlarmOutcome EvaluateAlarms(int board, const BoardSettings& settings, const ConversionState& values,
                            int modelKind, const AlarmInputs& inputs, RelayState& relays,
                            double now) {
  AlarmOutcome out;
  relays.OutputMaskPrevious = relays.OutputMask;
  const std::string time = FormatDateTime(now);
  int relayChannels = 0;  // channels driving their relay: in alarm, or tripped
  for (int k = 1; k <= kChannelCount; ++k) {
    const double v = values.ChannelValue[k];
    if (settings.alarmEnabled[k] != 0) {
      std::string message;
      if (v > settings.alarmHigh[k]) {
        message = FillFields(InLanguage(Msg::HighAlarm, inputs.koreanUi),
                             {std::to_string(board + 1), time, std::to_string(k), Decimals(v, 3),
                              Decimals(settings.alarmHigh[k], 3)});
      } else if (v < settings.alarmLow[k]) {
        message = FillFields(InLanguage(Msg::LowAlarm, inputs.koreanUi),
                             {std::to_string(board + 1), time, std::to_string(k), Decimals(v, 3),
                              Decimals(settings.alarmLow[k], 3)});
      }
      if (!message.empty()) {
        out.statusText = message;
        out.AlarmText += message + "\r\n";
        out.inAlarm[k] = true;
        ++out.AlarmCount;
      }
    }
    const bool relayOn = out.inAlarm[k] || inputs.relayTrips[k];
    if (relayOn) ++relayChannels;
    if (inputs.interlock && HasRelayBit(modelKind, k)) {
      const std::int32_t bit = std::int32_t{1} << (k - 1);
      relays.OutputMask = relayOn ? (relays.OutputMask | bit) : (relays.OutputMask & ~bit);
    }
  }
  if (inputs.interlock && modelKind == 0) relays.OutputMask = relayChannels > 0 ? 1 : 0;

  if (inputs.interlock && relays.OutputMask != relays.OutputMaskPrevious) {
    out.relayCommand = modelKind == 0
                           ? SingleRelayCommand(relayChannels > 0)
                           : OutputMaskCommand(static_cast<std::uint32_t>(relays.OutputMask));
  }
  return out;
}

AlarmOutcome CheckAlarms(int board, const BoardSettings& settings, const ConversionState& values,
                         int modelKind, const AlarmInputs& inputs, RelayState& relays,
                         bool memoPaused, const std::filesystem::path& dataDirectory, double now) {
  AlarmOutcome out = EvaluateAlarms(board, settings, values, modelKind, inputs, relays, now);
  if (out.AlarmCount == 0) return out;
  out.memoAlarmLine = !memoPaused;
  const std::filesystem::path path = EventFilePath(dataDirectory, now);
  if (!AppendEventFile(path, out.AlarmText)) {
    out.eventFileFailure = InLanguage(Msg::EventFileOpenFailed, inputs.koreanUi) + path.string();
    out.statusText = *out.eventFileFailure;
  }
  return out;
}

std::filesystem::path EventFilePath(const std::filesystem::path& dataDirectory, double now) {
  const CalendarTime t = DecodeDateTime(now);
  char day[32];
  std::snprintf(day, sizeof day, "%d%02d%02d", t.year, t.month, t.day);
  return dataDirectory / day / (std::string(day) + ".eve");
}

bool AppendEventFile(const std::filesystem::path& path, const std::string& text) {
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  const QByteArray bytes = ToCp949(QString::fromStdString(text));
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "ab"),
                                                       &std::fclose);
  if (!file) return false;
  const bool written =
      std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file.get()) ==
      static_cast<std::size_t>(bytes.size());
  // A full disk shows only when the buffered bytes go out.
  return std::fclose(file.release()) == 0 && written;
}

// --- limit edits -----------------------------------------------------------

namespace {

LimitEditOutcome EditLimit(BoardSettings& settings, int board, int channel,
                           const std::string& text, bool koreanUi, bool high) {
  LimitEditOutcome out;
  if (text.empty()) return out;
  out.handled = true;
  double& limit = high ? settings.alarmHigh[channel] : settings.alarmLow[channel];
  const std::string current = Decimals(limit, 2);
  double number = 0.0;
  if (!ParseDecimal(text, number)) {
    out.statusText = InLanguage(high ? Msg::HighLimitInvalid : Msg::LowLimitInvalid, koreanUi);
    out.boxText = current;
    return out;
  }
  const bool fits = high ? number > settings.alarmLow[channel] : number < settings.alarmHigh[channel];
  if (!fits) {
    out.statusText = InLanguage(high ? Msg::HighNotAboveLow : Msg::LowNotBelowHigh, koreanUi);
    out.boxText = current;
    return out;
  }
  limit = number;
  out.accepted = true;
  out.statusText = FillFields(InLanguage(high ? Msg::HighLimitAccepted : Msg::LowLimitAccepted,
                                         koreanUi),
                              {std::to_string(board + 1), std::to_string(channel),
                               Decimals(number, 6)});
  if (channel <= 6) out.focusChannel = channel + 1;
  return out;
}

}  // namespace

LimitEditOutcome EditHighLimit(BoardSettings& settings, int board, int channel,
                               const std::string& text, bool koreanUi) {
  return EditLimit(settings, board, channel, text, koreanUi, true);
}

LimitEditOutcome EditLowLimit(BoardSettings& settings, int board, int channel,
                              const std::string& text, bool koreanUi) {
  return EditLimit(settings, board, channel, text, koreanUi, false);
}

// --- the interlock and the manual relay boxes ------------------------------

RelayBoxOutcome InterlockChanged(RelayState& relays, int modelKind, bool checked) {
  RelayBoxOutcome out;
  if (checked) {
    out.manualEnabled.fill(false);
    return out;
  }
  relays.OutputMask = 0;
  relays.OutputMaskPrevious = 0;
  out.command = OutputsOffCommand(modelKind);
  if (modelKind == 0) {
    out.manualEnabled[0] = true;
  } else {
    out.manualEnabled.fill(true);
  }
  return out;
}

RelayBoxOutcome ManualRelayChanged(RelayState& relays, int modelKind, int box, bool checked,
                                   bool interlock) {
  RelayBoxOutcome out;
  if (interlock || box < 0 || box >= kManualRelayBoxes) return out;
  if (modelKind == 0) {
    relays.OutputMask = checked ? 1 : 0;
    out.command = SingleRelayCommand(checked);
    out.interlockEnabled = !checked;
    return out;
  }
  const std::int32_t bit = std::int32_t{1} << box;
  relays.OutputMask = checked ? (relays.OutputMask | bit) : (relays.OutputMask & ~bit);
  out.command = OutputMaskCommand(static_cast<std::uint32_t>(relays.OutputMask));
  if (checked) {
    out.interlockEnabled = false;
  } else if (relays.OutputMask == 0) {
    out.interlockEnabled = true;
  }
  return out;
}

}  // namespace tessar
