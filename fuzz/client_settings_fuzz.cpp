// The viewer's 372-byte settings file, whatever it holds: loaded, then read
// field by field as the viewer and tessar-settings read it.
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "i18n/text_codec.h"
#include "settings/client_settings.h"
#include "settings/settings_fields.h"

using namespace tessar;
using tessar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tessar::fuzz::ScratchFile file("tessview-settings-fuzz");
  const std::string& path = file.Write(data, size);

  ClientSettings settings;
  Require(LoadClientSettings(path, settings), "a readable file is loaded");
  const auto* loaded = reinterpret_cast<const std::uint8_t*>(&settings);
  const std::size_t kept = std::min(size, kClientSettingsSize);
  Require(std::memcmp(loaded, data, kept) == 0, "the file's bytes are the settings");
  for (std::size_t i = kept; i < kClientSettingsSize; ++i) {
    Require(loaded[i] == 0, "a short file leaves the rest zero");
  }

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
