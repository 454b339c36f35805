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
#include "settings/settings_fields.h"

using namespace tessar;
using tessar::fuzz::Require;

namespace {

// What "show" prints and "set" reads back: numbers survive the round trip.
void ShowAndSetBack(const BoardSettings& record) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  for (const FieldInfo& field : BoardSettingsFields()) {
    for (int i = 0; i < field.count; ++i) {
      const std::string text = FormatFieldElement(field, bytes, i);
      if (field.type != FieldType::Float64) continue;
      double value;
      std::memcpy(&value, bytes + field.offset + i * field.elementSize, sizeof value);
      if (!std::isfinite(value)) continue;
      BoardSettings copy = record;
      std::string error;
      Require(StoreFieldElement(field, reinterpret_cast<unsigned char*>(&copy), i, text, error),
              "a shown number is accepted back");
      Require(std::memcmp(&copy, &record, sizeof record) == 0,
              "a shown number reads back to the same bits");
    }
  }
}

void ReadRecord(const BoardSettings& record) {
  const int kind = ModelKindOf(record);
  Require(kind >= -1 && kind <= 2, "model kind is -1..2");
  for (int k : {kind, 0, 1, 2}) {
    if (k < 0) continue;
    ChannelCountOf(k);
    RelayCountOf(k);
    const RangeTable table = RangeTableOf(k);
    const int captions = static_cast<int>(RangeCaptions(k).size());
    for (double range : record.channelRangeMv) {
      const int index = RangeIndexOf(k, range);
      Require(index >= -1 && index < table.count && index < captions,
              "a range index selects an entry of the table or none");
    }
  }

  // The edit boxes of the configuration and chart pages.
  for (int s = 0; s < kSlotCount; ++s) {
    for (double v : {record.channelT1[s], record.channelT0[s], record.channelMin[s],
                     record.channelMax[s], record.alarmHigh[s], record.alarmLow[s]}) {
      FormatFixed(v, 5);
      FormatFixed(v, 2);
    }
    ReadField(record.channelName[s]);
  }
  for (double v : {record.refVoltage, record.voltA1, record.voltA0}) FormatFixed(v, 5);
  for (const QString& text :
       {ReadField(record.dataDirectory), ReadField(record.modelName),
        ReadField(record.serialNumber), ReadField(record.jobTitle), ReadField(record.chartTitle),
        ReadField(record.noteText), ReadField(record.yAxisTitle)}) {
    ToCp949(text);
  }

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
  const auto* loaded = reinterpret_cast<const std::uint8_t*>(&image);
  const std::size_t kept = std::min(size, kSettingsImageSize);
  Require(std::memcmp(loaded, data, kept) == 0, "the file's bytes are the image");
  for (std::size_t i = kept; i < kSettingsImageSize; ++i) {
    Require(loaded[i] == 0, "a short file leaves the rest zero");
  }
  for (const BoardSettings& record : image.boards) ReadRecord(record);
  return 0;
}
