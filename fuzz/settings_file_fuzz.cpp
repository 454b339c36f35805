// The logger's settings file, whatever it holds: loaded, then read the way the
// program and tessar-settings read a record (model kind, range lookup, edit
// texts, text fields through the codec, field by field).
#include <cmath>
#include <cstring>
#include <string>

#include "acquisition/conversion.h"
#include "config/number_text.h"
#include "config/range_captions.h"
#include "device/frame_reception.h"
#include "fuzz_support.h"
#include "i18n/text_codec.h"
#include "settings/board_settings.h"
#include "settings/platform_paths.h"
#include "settings/settings_fields.h"

using namespace tessar;
using tessar::fuzz::Require;

namespace {

// What "show" prints and "set" reads back: numbers survive the round trip.
// (Text fields are decoded by ReadRecord already.)
void ShowAndSetBack(const BoardSettings& record) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  BoardSettings copy = record;
  auto* copyBytes = reinterpret_cast<unsigned char*>(&copy);
  for (const FieldInfo& field : BoardSettingsFields()) {
    if (field.type == FieldType::Text) continue;
    for (int i = 0; i < field.count; ++i) {
      const std::string text = FormatFieldElement(field, bytes, i);
      if (field.type != FieldType::Float64) continue;
      const std::size_t offset = field.offset + i * field.elementSize;
      double value;
      std::memcpy(&value, bytes + offset, sizeof value);
      if (!std::isfinite(value)) continue;
      std::string error;
      Require(StoreFieldElement(field, copyBytes, i, text, error),
              "a shown number is accepted back");
      Require(std::memcmp(copyBytes + offset, bytes + offset, sizeof value) == 0,
              "a shown number reads back to the same bits");
    }
  }
  Require(std::memcmp(&copy, &record, sizeof record) == 0, "setting a field changes only it");
}

void ReadRecord(const BoardSettings& record) {
  const int kind = ModelKindOf(record);
  Require(kind >= -1 && kind <= 2, "model kind is -1..2");
  for (int k : {kind, 0, 1, 2}) {
    if (k < 0) continue;
    ChannelCountOf(k);
    RelayCountOf(k);
    const RangeTable table = RangeTableOf(k);
    static const int captionCounts[] = {static_cast<int>(RangeCaptions(0).size()),
                                        static_cast<int>(RangeCaptions(1).size()),
                                        static_cast<int>(RangeCaptions(2).size())};
    const int captions = captionCounts[k];
    for (double range : record.channelRangeMv) {
      const int index = RangeIndexOf(k, range);
      Require(index >= -1 && index < table.count && index < captions,
              "a range index selects an entry of the table or none");
    }
  }

  // The edit boxes of the configuration and chart pages.
  for (int s = 0; s < kSlotCount; ++s) {
    for (double v : {record.channelT1[s], record.channelT0[s], record.channelMin[s],
                     record.channelMax[s]}) {
      FormatFixed(v, 5);
    }
    FormatFixed(record.alarmHigh[s], 2);
    FormatFixed(record.alarmLow[s], 2);
    ReadField(record.channelName[s]);
  }
  for (double v : {record.refVoltage, record.voltA1, record.voltA0}) FormatFixed(v, 5);
  for (const char* field : {record.modelName, record.serialNumber}) {
    ReadField(field, kShortTextSize);
  }
  for (const char* field : {record.jobTitle, record.chartTitle, record.noteText, record.yAxisTitle}) {
    ReadField(field, kLongTextSize);
  }
  // The data directory goes back into a path.
  ToCp949(ReadField(record.dataDirectory));

  FrameState frame;
  ApplyModelToFrameState(FieldBytes(record.modelName), frame);
  ConversionState conversion;
  ApplyConversionSettings(conversion, record, kind < 0 ? 0 : kind);
  ShowAndSetBack(record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tessar::fuzz::ScratchFile file("tessar-settings-fuzz");
  const std::string& path = file.Write(data, size);

  SettingsImage image;
  Require(LoadSettings(path, image), "a readable file is loaded");
  // The file's bytes, the rest zero; only an empty data directory, which would
  // record into the root, becomes the default one.
  static const std::string defaultDirectory = DefaultDataDirectory("Tessar");
  SettingsImage expected;
  std::memset(&expected, 0, sizeof expected);
  std::memcpy(&expected, data, std::min(size, kSettingsImageSize));
  if (expected.boards[0].dataDirectory[0] == '\0') {
    StoreFieldBytes(expected.boards[0].dataDirectory, defaultDirectory);
  }
  Require(std::memcmp(&image, &expected, sizeof image) == 0,
          "the image is the file's bytes, the rest zero");
  // Boards the file does not reach are all zeros, as board A of an empty file.
  for (std::size_t b = 0; b < kBoardCount && (b == 0 || b * sizeof(BoardSettings) < size); ++b) {
    ReadRecord(image.boards[b]);
  }
  return 0;
}
