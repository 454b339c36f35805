// tessar-settings: shows, creates and changes the settings files of Tessar
// (tessar.SET, four board records) and Tessview (tessview.SET, client record).
//
//   tessar-settings show FILE [--client]
//   tessar-settings init FILE [--client]
//   tessar-settings set FILE [--client] B.field=value ... | field=value ...
#include <iostream>
#include <string>
#include <vector>

#include "settings/board_settings.h"
#include "settings/client_settings.h"
#include "settings/settings_fields.h"
#include "settings/settings_file.h"

using namespace tessar;

namespace {

const char kUsage[] =
    "Usage: tessar-settings show FILE [--client]\n"
    "  or:  tessar-settings init FILE [--client]\n"
    "  or:  tessar-settings set FILE [--client] ASSIGNMENT...\n"
    "\n"
    "A logger settings file holds the records of boards A..D. An assignment names\n"
    "the board, the field and, for per-slot fields, the slot, as in\n"
    "\"A.portNumber=3\", \"B.modelName=ORVA-2280\" or \"C.alarmHigh[2]=80.5\".\n"
    "A client settings file (--client) has no boards: \"pollInterval[1]=5\",\n"
    "\"serverAddress[0]=192.0.2.7\", \"serverCount=2\".\n"
    "Texts are given in UTF-8 and stored in CP949; a text that CP949 cannot hold\n"
    "is refused. 'set' changes nothing unless every assignment is valid, and it\n"
    "never changes a file's size or kind.\n";

// The file's bytes, at most one more than a logger settings file has, so that
// a longer file shows as such.
bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes) {
  auto read = ReadSettingsBytes(path, kSettingsImageSize + 1);
  if (!read) return false;
  bytes = std::move(*read);
  return true;
}

std::string KindName(bool client) { return client ? "client" : "logger"; }
std::size_t KindSize(bool client) { return client ? kClientSettingsSize : kSettingsImageSize; }

// A file of the other kind's exact size: the flag contradicts the file.
bool OtherKindsSize(std::size_t size, bool client) { return size == KindSize(!client) && size != KindSize(client); }

std::string OtherKindHint(bool client) {
  return std::to_string(KindSize(!client)) + " bytes is the size of a " + KindName(!client) +
         " settings file: " + (client ? "leave out --client" : "give --client for a client file");
}

void ShowRecord(std::span<const FieldInfo> fields, const unsigned char* record,
                const std::string& prefix) {
  for (const FieldInfo& f : fields) {
    if (f.count == 1) {
      std::string value = FormatFieldElement(f, record, 0);
      if (f.type == FieldType::Text) value = "\"" + value + "\"";
      std::cout << prefix << f.name << " = " << value << "\n";
    } else if (f.type == FieldType::Text) {
      for (int i = 0; i < f.count; ++i) {
        std::cout << prefix << f.name << "[" << i << "] = \"" << FormatFieldElement(f, record, i)
                  << "\"\n";
      }
    } else {
      std::cout << prefix << f.name << " =";
      for (int i = 0; i < f.count; ++i) std::cout << " " << FormatFieldElement(f, record, i);
      std::cout << "\n";
    }
  }
}

int Show(const std::string& path, bool client) {
  std::vector<unsigned char> bytes;
  if (!ReadFile(path, bytes)) {
    std::cerr << "tessar-settings: cannot read " << path << " (not a readable file)\n";
    return 1;
  }
  const std::size_t size = KindSize(client);
  if (client && bytes.size() == kSettingsImageSize) {
    std::cerr << "tessar-settings: " << path << ": " << OtherKindHint(client) << "\n";
    return 2;
  }
  if (bytes.size() < size) {
    std::cerr << "tessar-settings: note: " << path << " has " << bytes.size() << " bytes, a "
              << KindName(client) << " settings file has " << size
              << "; the missing bytes read as zero";
    if (OtherKindsSize(bytes.size(), client)) std::cerr << " (" << OtherKindHint(client) << ")";
    std::cerr << "\n";
  } else if (bytes.size() > size) {
    std::cerr << "tessar-settings: note: " << path << " is longer than a " << KindName(client)
              << " settings file; only its first " << size << " bytes are read\n";
  }
  bytes.resize(size, 0);
  if (client) {
    ShowRecord(ClientSettingsFields(), bytes.data(), "");
  } else {
    for (int b = 0; b < kBoardCount; ++b) {
      if (b > 0) std::cout << "\n";
      ShowRecord(BoardSettingsFields(), bytes.data() + b * sizeof(BoardSettings),
                 std::string(1, static_cast<char>('A' + b)) + ".");
    }
  }
  return 0;
}

int Init(const std::string& path, bool client) {
  bool ok;
  if (client) {
    ClientSettings settings;
    FillClientDefaults(settings);
    ok = WriteClientSettings(path, settings);
  } else {
    SettingsImage image;
    FillDefaults(image);
    ok = WriteSettingsImage(path, image);
  }
  if (!ok) {
    std::cerr << "tessar-settings: cannot write " << path << "\n";
    return 1;
  }
  return 0;
}

// Changes fields in place: the file keeps its size and kind, so a flag that
// contradicts the file, or a file of another size, is refused.
int Set(const std::string& path, bool client, const std::vector<std::string>& assignments) {
  if (assignments.empty()) {
    std::cerr << "tessar-settings: set needs at least one assignment\n" << kUsage;
    return 2;
  }
  std::vector<unsigned char> bytes;
  if (!ReadFile(path, bytes)) {
    std::cerr << "tessar-settings: cannot read " << path << " (create it with 'init')\n";
    return 1;
  }
  if (bytes.size() != KindSize(client)) {
    if (OtherKindsSize(bytes.size(), client)) {
      std::cerr << "tessar-settings: " << path << ": " << OtherKindHint(client);
    } else {
      std::cerr << "tessar-settings: " << path << " has " << bytes.size() << " bytes, not the "
                << KindSize(client) << " of a " << KindName(client)
                << " settings file; 'set' never changes a file's size (write a whole one with "
                   "'init')";
    }
    std::cerr << "; nothing was changed\n";
    return 2;
  }
  std::string error;
  if (!ApplyAssignments(assignments, client, bytes, error)) {
    std::cerr << "tessar-settings: " << error << "; nothing was changed\n";
    return 2;
  }
  if (!WriteSettingsBytes(path, bytes.data(), bytes.size())) {
    std::cerr << "tessar-settings: cannot write " << path << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  bool client = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--client") {
      client = true;
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else {
      args.push_back(a);
    }
  }
  if (args.size() < 2) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string& command = args[0];
  const std::string& path = args[1];
  if (command == "show" && args.size() == 2) return Show(path, client);
  if (command == "init" && args.size() == 2) return Init(path, client);
  if (command == "set") return Set(path, client, {args.begin() + 2, args.end()});
  std::cerr << "tessar-settings: unknown command '" << command << "'\n" << kUsage;
  return 2;
}
