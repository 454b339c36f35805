// The viewer's 372-byte settings file, whatever it holds: loaded, then read
// field by field as the viewer and tessar-settings read it.
#include <algorithm>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "i18n/text_codec.h"
#include "settings/client_settings.h"
#include "settings/platform_paths.h"
#include "settings/settings_fields.h"

using namespace tessar;
using tessar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tessar::fuzz::ScratchFile file("tessview-settings-fuzz");
  const std::string& path = file.Write(data, size);

  ClientSettings settings;
  Require(LoadClientSettings(path, settings), "a readable file is loaded");
  const auto* loaded = reinterpret_cast<const std::uint8_t*>(&settings);
  // The file's bytes, the rest zero; only an empty data directory, which would
  // record into the root, becomes the default one.
  static const std::string defaultDirectory = DefaultDataDirectory("Tessview");
  ClientSettings expected;
  std::memset(&expected, 0, sizeof expected);
  std::memcpy(&expected, data, std::min(size, kClientSettingsSize));
  if (expected.clientDataDirectory[0] == '\0') {
    StoreFieldBytes(expected.clientDataDirectory, defaultDirectory);
  }
  Require(std::memcmp(&settings, &expected, sizeof settings) == 0,
          "the settings are the file's bytes, the rest zero");

  for (const FieldInfo& field : ClientSettingsFields()) {
    for (int i = 0; i < field.count; ++i) FormatFieldElement(field, loaded, i);
  }
  for (const auto& address : settings.serverAddress) {
    const std::string text = ReadField(address).toStdString();
    ClientSettings copy = settings;
    // An address read from the list fits back into its entry.
    if (text.size() < kServerAddressSize && text.find('\0') == std::string::npos &&
        FieldBytes(address) == text) {
      Require(SetServerAddress(copy, 0, text), "a stored address can be stored again");
    }
  }
  ToCp949(ReadField(settings.clientDataDirectory));
  return 0;
}
