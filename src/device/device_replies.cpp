#include "device/device_replies.h"

#include <charconv>
#include <cstdio>

namespace tessar {

std::string FormatCount(std::int32_t count) {
  char text[8];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(count) & 0xFFFFFFu);
  return text;
}

std::string FormatFrame(std::span<const std::int32_t> counts) {
  std::string frame;
  frame.reserve(counts.size() * 8);
  for (std::size_t i = 0; i < counts.size(); ++i) {
    if (i > 0) frame += ", ";
    frame += FormatCount(counts[i]);
  }
  frame += "\r\n";
  return frame;
}

std::string FormatDumpNumber(double value) {
  char text[400];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (ec != std::errc()) return "0.0";
  std::string result(text, end);
  if (result.find('.') == std::string::npos) result += ".0";
  return result;
}

std::string FormatConfigReply(const DeviceConfig& config) {
  const int kind = ModelKindOf(config.model.c_str(), config.model.size() + 1);
  const int channels = kind == 0 ? 6 : kind == 1 ? 4 : 8;
  const int firstSlot = kind == 0 ? 0 : 1;
  std::string reply = "S\r" + config.model + "\r" + config.serialNumber + "\r";
  if (kind != 0) reply += "0\r0\r";
  for (int slot = firstSlot; slot <= channels; ++slot) {
    reply += std::to_string(config.rangeIndex[slot]) + "\r";
  }
  for (int slot = firstSlot; slot <= channels; ++slot) {
    reply += config.letter[slot];
    reply += "\r";
  }
  reply += "M\r";
  reply += FormatDumpNumber(config.a1) + "\r";
  reply += FormatDumpNumber(config.a0) + "\r";
  reply += FormatDumpNumber(config.ref) + "\r";
  if (kind != 0) {
    for (int ch = 1; ch <= channels; ++ch) reply += FormatDumpNumber(config.t1[ch]) + "\r";
    for (int ch = 1; ch <= channels; ++ch) reply += FormatDumpNumber(config.t0[ch]) + "\r";
  } else if (config.channelCalibration) {
    for (const auto* column : {&config.t1, &config.t0}) {
      for (int ch = 1; ch <= channels; ++ch) {
        if (ch > 1) reply += ",";
        reply += FormatDumpNumber((*column)[ch]);
      }
      reply += "\r";
    }
  }
  reply += "E";
  return reply;
}

}  // namespace tessar
