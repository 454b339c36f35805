// tessar-settings: shows, creates and changes the settings files of Tessar
// (tessar.SET, four board records) and Tessview (tessview.SET, client record).
//
//   tessar-settings show FILE [--client]
//   tessar-settings init FILE [--client]
//   tessar-settings set FILE [--client] B.field=value ... | field=value ...
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "settings/board_settings.h"
#include "settings/client_settings.h"
#include "settings/settings_fields.h"

using namespace tessar;

namespace {

const char kUsage[] =
    "usage: tessar-settings show FILE [--client]\n"
    "       tessar-settings init FILE [--client]\n"
    "       tessar-settings set FILE [--client] ASSIGNMENT...\n"
    "\n"
    "A logger settings file holds the records of boards A..D; assignments name\n"
    "the board, the field and, for per-slot fields, the slot:\n"
    "  A.portNumber=3  B.modelName=ORVA-2280  A.englishUi=1  C.alarmHigh[2]=80.5\n"
    "A client settings file (--client, or any file of 372 bytes) has no boards:\n"
    "  pollInterval[1]=5  serverAddress[0]=192.0.2.7  serverCount=2\n"
    "Texts are given in UTF-8 and stored in CP949. 'set' changes nothing\n"
    "unless every assignment is valid.\n";

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteWholeFile(const std::string& path, const unsigned char* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  return static_cast<bool>(out);
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

// Splits "A.name[3]=value" (logger) or "name[3]=value" (client).
bool ParseAssignment(const std::string& text, bool client, int& board, std::string& name,
                     int& index, bool& indexed, std::string& value, std::string& error) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos) {
    error = "'" + text + "': expected FIELD=VALUE";
    return false;
  }
  std::string target = text.substr(0, eq);
  value = text.substr(eq + 1);
  board = 0;
  if (!client) {
    if (target.size() < 3 || target[1] != '.' || target[0] < 'A' || target[0] > 'D') {
      error = "'" + target + "': expected a board letter A..D, a dot and a field name";
      return false;
    }
    board = target[0] - 'A';
    target = target.substr(2);
  }
  indexed = false;
  index = 0;
  const std::size_t open = target.find('[');
  if (open != std::string::npos) {
    if (target.back() != ']') {
      error = "'" + target + "': unclosed '['";
      return false;
    }
    const std::string digits = target.substr(open + 1, target.size() - open - 2);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
        digits.size() > 3) {
      error = "'" + target + "': the index must be a whole number";
      return false;
    }
    index = std::stoi(digits);
    indexed = true;
    target = target.substr(0, open);
  }
  name = target;
  return true;
}

int Show(const std::string& path, bool client) {
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(path, bytes)) {
    std::cerr << "tessar-settings: cannot read " << path << "\n";
    return 1;
  }
  if (bytes.size() == kClientSettingsSize) client = true;
  const std::size_t size = client ? kClientSettingsSize : kSettingsImageSize;
  if (bytes.size() != size) {
    std::cerr << "tessar-settings: note: " << path << " has " << bytes.size() << " bytes, a "
              << (client ? "client" : "logger") << " settings file has " << size
              << "; the missing bytes read as zero\n";
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

int Set(const std::string& path, bool client, const std::vector<std::string>& assignments) {
  if (assignments.empty()) {
    std::cerr << "tessar-settings: set needs at least one assignment\n" << kUsage;
    return 2;
  }
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(path, bytes)) {
    std::cerr << "tessar-settings: cannot read " << path << " (create it with 'init')\n";
    return 1;
  }
  if (bytes.size() == kClientSettingsSize) client = true;
  bytes.resize(client ? kClientSettingsSize : kSettingsImageSize, 0);
  const auto fields = client ? ClientSettingsFields() : BoardSettingsFields();
  for (const std::string& a : assignments) {
    int board = 0, index = 0;
    bool indexed = false;
    std::string name, value, error;
    if (!ParseAssignment(a, client, board, name, index, indexed, value, error)) {
      std::cerr << "tessar-settings: " << error << "; nothing was changed\n";
      return 2;
    }
    const FieldInfo* field = FindField(fields, name);
    if (!field) {
      std::cerr << "tessar-settings: no field '" << name << "' in a "
                << (client ? "client" : "board") << " record; nothing was changed\n";
      return 2;
    }
    if (field->count > 1 && !indexed) {
      std::cerr << "tessar-settings: " << name << " has " << field->count
                << " slots: name one, as " << name << "[k]; nothing was changed\n";
      return 2;
    }
    if (field->count == 1 && indexed && index != 0) {
      std::cerr << "tessar-settings: " << name << " has no slots; nothing was changed\n";
      return 2;
    }
    unsigned char* record = bytes.data() + board * sizeof(BoardSettings);
    if (!StoreFieldElement(*field, record, index, value, error)) {
      std::cerr << "tessar-settings: " << error << "; nothing was changed\n";
      return 2;
    }
  }
  if (!WriteWholeFile(path, bytes.data(), bytes.size())) {
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
