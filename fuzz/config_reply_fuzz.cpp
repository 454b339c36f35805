// The configuration reply as it arrives from a device: characters through the
// collector, every completed reply through the parser onto a board's record.
#include <cstring>
#include <string_view>

#include "device/device_protocol.h"
#include "fuzz_support.h"
#include "i18n/text_codec.h"
#include "settings/board_settings.h"

using namespace tessar;
using tessar::fuzz::Require;

namespace {

void ParseOnto(std::string_view reply, BoardSettings& record) {
  const BoardSettings before = record;
  const ConfigParseResult result = ParseConfigReply(reply, 2, 7, record);
  MessageOf(result.outcome);
  if (result.outcome != ConfigOutcome::Ok) {
    Require(std::memcmp(&before, &record, sizeof record) == 0,
            "a refused reply leaves the record as it was");
    return;
  }
  Require(result.modelKind >= 0 && result.modelKind == ModelKindOf(record),
          "a stored reply names a known model");
  Require(record.boardIndex == 2 && record.portNumber == 7, "board and port as given");
  const int kind = result.modelKind;
  const int last = kind == 0 ? 6 : ChannelCountOf(kind);
  for (int slot = 0; slot <= last; ++slot) {
    Require(RangeIndexOf(kind, record.channelRangeMv[slot]) >= 0,
            "every stored range is in the model's table");
    Require(record.channelSensorType[slot] >= -1 &&
                record.channelSensorType[slot] < kSensorLetterCount,
            "sensor types index the letter table or are -1");
  }
  Require(FieldBytes(record.serialNumber).size() < sizeof record.serialNumber,
          "the serial number is terminated");
  ReadField(record.serialNumber);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  BoardSettings record;
  FillBoardDefaults(record, 2, "/data");

  ReplyCollector collector;
  for (const char c : bytes) {
    if (!collector.Feed(c)) continue;
    Require(collector.ReplyText.front() == 'S' && collector.ReplyText.back() == 'E',
            "a completed reply runs from its S to its E");
    ParseOnto(collector.ReplyText, record);
  }
  // The whole input as one reply, whatever framing it has.
  ParseOnto(bytes, record);
  return 0;
}
