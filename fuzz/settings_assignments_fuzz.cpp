// The assignments of tessar-settings, whatever is typed: one per line, the
// first byte choosing a logger or a client file. Either every assignment is
// stored or the file image stays as it was; what is stored shows again.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "settings/board_settings.h"
#include "settings/client_settings.h"
#include "settings/settings_fields.h"

using namespace tessar;
using tessar::fuzz::Require;

namespace {

std::vector<unsigned char> DefaultFile(bool client) {
  std::vector<unsigned char> bytes(client ? kClientSettingsSize : kSettingsImageSize);
  if (client) {
    ClientSettings settings;
    FillClientDefaults(settings, "/data");
    std::memcpy(bytes.data(), &settings, sizeof settings);
  } else {
    SettingsImage image;
    FillDefaults(image, "/data");
    std::memcpy(bytes.data(), &image, sizeof image);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool client = (data[0] & 1) != 0;
  std::vector<std::string> assignments(1);
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == '\n') {
      assignments.emplace_back();
    } else {
      assignments.back().push_back(static_cast<char>(data[i]));
    }
  }

  static const std::vector<unsigned char> defaults[2] = {DefaultFile(false), DefaultFile(true)};
  const std::vector<unsigned char>& before = defaults[client ? 1 : 0];
  std::vector<unsigned char> file = before;
  std::string error;
  const bool stored = ApplyAssignments(assignments, client, file, error);
  Require(stored || file == before, "a refused set leaves the file as it was");
  Require(stored || !error.empty(), "a refusal says why");

  const auto fields = client ? ClientSettingsFields() : BoardSettingsFields();
  const int records = client ? 1 : kBoardCount;
  for (int r = 0; r < records; ++r) {
    const unsigned char* record = file.data() + static_cast<std::size_t>(r) * sizeof(BoardSettings);
    for (const FieldInfo& field : fields) {
      for (int i = 0; i < field.count; ++i) FormatFieldElement(field, record, i);
    }
  }
  return 0;
}
