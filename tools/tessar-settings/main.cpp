// tessar-settings: shows, creates and changes the settings files of Tessar
// (tessar.SET, four board records) and Tessview (tessview.SET, client record),
// and reads a board's configuration from its device. See kUsage.
#include <charconv>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "device/port_names.h"
#include "get_configure.h"
#include "i18n/text_codec.h"
#include "settings/board_settings.h"
#include "settings/client_settings.h"
#include "settings/settings_fields.h"
#include "settings/settings_file.h"
#include "settings/settings_lock.h"

using namespace tessar;

namespace {

// Exit statuses, as the help lists them.
constexpr int kDone = 0;
constexpr int kFailed = 1;   // a file or the device could not be read or written
constexpr int kRefused = 2;  // the command line, a value or the file's kind
constexpr int kInUse = 3;    // a running logger or viewer holds the file

const char kUsage[] =
    "Usage: tessar-settings show FILE [--client]\n"
    "  or:  tessar-settings init FILE [--client] [--force]\n"
    "  or:  tessar-settings set FILE [--client] ASSIGNMENT...\n"
    "  or:  tessar-settings get-configure FILE BOARD [--port N]\n"
    "  or:  tessar-settings fields [--client]\n"
    "\n"
    "Commands:\n"
    "  show           every field of the file\n"
    "  init           a new file with the defaults; an existing file is replaced\n"
    "                 only with --force\n"
    "  set            changes fields; nothing unless every assignment is valid, and\n"
    "                 never a file's size or kind\n"
    "  get-configure  asks the device of board BOARD (A..D) for its configuration,\n"
    "                 as the window's \"Get Configure\" button does, on the board's\n"
    "                 portNumber or COM N, and stores it as the page's OK would:\n"
    "                 model, serial number, sensor types, ranges, reference voltage,\n"
    "                 calibration. The ports/ folder beside FILE is looked at first.\n"
    "  fields         the fields of a record with their meaning, as listed below\n"
    "\n"
    "A logger settings file holds the records of boards A..D. An assignment names\n"
    "the board, the field and, for per-slot fields, the slot, as in\n"
    "\"A.portNumber=3\", \"B.modelName=ORVA-2280\" or \"C.alarmHigh[2]=80.5\".\n"
    "A client settings file (--client) has no boards: \"pollInterval[1]=5\",\n"
    "\"serverAddress[0]=192.0.2.7\", \"serverCount=2\".\n"
    "Texts are given in UTF-8 and stored in CP949; a text that CP949 cannot hold\n"
    "is refused.\n"
    "\n"
    "A running tessar or tessview holds a lock on its settings file and writes its\n"
    "own settings over it when it ends: init, set and get-configure refuse such a\n"
    "file and name the process (stop it first: systemctl --user stop tessar).\n"
    "\n"
    "Options:\n"
    "  --client    the file is a viewer's (tessview.SET)\n"
    "  --force     init: replace an existing file\n"
    "  --port N    get-configure: the device on COM N (stored as the board's port)\n"
    "  --help      this text\n"
    "  --version   the program's version\n";

const char kExitStatus[] =
    "Exit status:\n"
    "  0  done\n"
    "  1  a file could not be read or written, or the device did not configure\n"
    "  2  a command, an assignment or the file's kind was refused\n"
    "  3  a running tessar or tessview holds the file; nothing was changed\n";

// A field list entry: "  name[0..8]   values", then its meaning indented.
void ListFields(std::ostream& out, std::span<const FieldInfo> fields) {
  constexpr std::size_t kWidth = 78;
  constexpr char kIndent[] = "      ";
  for (const FieldInfo& f : fields) {
    std::string name = f.name;
    if (f.count > 1) name += "[0.." + std::to_string(f.count - 1) + "]";
    out << "  " << name << std::string(name.size() < 26 ? 26 - name.size() : 1, ' ')
        << FieldValuesText(f) << "\n";
    std::istringstream words(f.meaning);
    std::string line = kIndent;
    for (std::string word; words >> word;) {
      if (line.size() > sizeof kIndent - 1 && line.size() + 1 + word.size() > kWidth) {
        out << line << "\n";
        line = kIndent;
      }
      if (line.size() > sizeof kIndent - 1) line += ' ';
      line += word;
    }
    out << line << "\n";
  }
}

void PrintFields(std::ostream& out, bool client) {
  if (client) {
    out << "Fields of a client record (tessview.SET, --client; NAME or NAME[k]):\n";
    ListFields(out, ClientSettingsFields());
  } else {
    out << "Fields of a board record (tessar.SET, boards A..D; A.NAME or A.NAME[k]):\n";
    ListFields(out, BoardSettingsFields());
  }
}

void PrintHelp() {
  std::cout << kUsage << "\n";
  PrintFields(std::cout, false);
  std::cout << "\n";
  PrintFields(std::cout, true);
  std::cout << "\n" << kExitStatus;
}

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

// A viewer's file by its flag or by its name.
bool LooksLikeClientFile(const std::string& path, bool client) {
  return client || std::filesystem::path(path).filename().string().rfind("tessview", 0) == 0;
}

std::string InitHint(const std::string& path, bool client) {
  return std::string("create it with 'tessar-settings init ") +
         (LooksLikeClientFile(path, client) ? "--client " : "") + path + "'";
}

// Takes the file's lock for a change; kDone to go on, else the refusal's
// status (said on standard error). A missing file has no lock to take.
int LockForChange(const std::string& path, SettingsLock& lock) {
  if (lock.Acquire(path) != SettingsLock::Result::HeldElsewhere) return kDone;
  const int pid = lock.HolderPid();
  std::cerr << "tessar-settings: " << path << " is in use by " << DescribeProcess(pid)
            << ", which writes its own settings over the file when it ends; " << HowToStop(pid)
            << "; nothing was changed\n";
  return kInUse;
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
    return kFailed;
  }
  const std::size_t size = KindSize(client);
  if (client && bytes.size() == kSettingsImageSize) {
    std::cerr << "tessar-settings: " << path << ": " << OtherKindHint(client) << "\n";
    return kRefused;
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
  return kDone;
}

int Init(const std::string& path, bool client, bool force) {
  std::error_code ec;
  if (!force && std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
    std::cerr << "tessar-settings: " << path
              << " exists and may hold configured boards; give --force to replace it with the "
                 "defaults; nothing was changed\n";
    return kRefused;
  }
  SettingsLock lock;
  if (const int status = LockForChange(path, lock); status != kDone) return status;
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
    return kFailed;
  }
  return kDone;
}

// Reads a whole file of the kind of `client` for a change in place: the file
// keeps its size and kind, so a flag that contradicts the file, or a file of
// another size, is refused.
int ReadForChange(const std::string& path, bool client, std::vector<unsigned char>& bytes) {
  if (!ReadFile(path, bytes)) {
    std::cerr << "tessar-settings: cannot read " << path << " (" << InitHint(path, client) << ")\n";
    return kFailed;
  }
  if (bytes.size() == KindSize(client)) return kDone;
  if (OtherKindsSize(bytes.size(), client)) {
    std::cerr << "tessar-settings: " << path << ": " << OtherKindHint(client);
  } else {
    std::cerr << "tessar-settings: " << path << " has " << bytes.size() << " bytes, not the "
              << KindSize(client) << " of a " << KindName(client)
              << " settings file; it is never changed in size (write a whole one with 'init "
                 "--force')";
  }
  std::cerr << "; nothing was changed\n";
  return kRefused;
}

int Write(const std::string& path, const std::vector<unsigned char>& bytes) {
  if (WriteSettingsBytes(path, bytes.data(), bytes.size())) return kDone;
  std::cerr << "tessar-settings: cannot write " << path << "\n";
  return kFailed;
}

int Set(const std::string& path, bool client, const std::vector<std::string>& assignments) {
  if (assignments.empty()) {
    std::cerr << "tessar-settings: set needs at least one assignment\n" << kUsage;
    return kRefused;
  }
  SettingsLock lock;
  if (const int status = LockForChange(path, lock); status != kDone) return status;
  std::vector<unsigned char> bytes;
  if (const int status = ReadForChange(path, client, bytes); status != kDone) return status;
  std::string error;
  if (!ApplyAssignments(assignments, client, bytes, error)) {
    std::cerr << "tessar-settings: " << error << "; nothing was changed\n";
    return kRefused;
  }
  return Write(path, bytes);
}

int GetConfigure(const std::string& path, const std::string& boardText, int port) {
  if (boardText.size() != 1 || boardText[0] < 'A' || boardText[0] > 'D') {
    std::cerr << "tessar-settings: '" << boardText << "': the board is a letter A..D\n" << kUsage;
    return kRefused;
  }
  const int board = boardText[0] - 'A';
  SettingsLock lock;
  if (const int status = LockForChange(path, lock); status != kDone) return status;
  std::vector<unsigned char> bytes;
  if (const int status = ReadForChange(path, false, bytes); status != kDone) return status;
  SettingsImage image;
  std::memcpy(&image, bytes.data(), sizeof image);
  const int portNumber = port > 0 ? port : image.boards[board].portNumber;
  const std::filesystem::path folder = std::filesystem::absolute(path).parent_path() / "ports";
  std::string message;
  const bool configured = RunGetConfigure(image, board, portNumber, folder.string(), message);
  const std::string where = "board " + boardText + (portNumber > 0 ? " on " + ComName(portNumber) : "");
  if (!configured) {
    const bool sentence = !message.empty() && message.back() == '.';
    std::cerr << "tessar-settings: " << where << ": " << message
              << (sentence ? " Nothing was changed.\n" : "; nothing was changed\n");
    return kFailed;
  }
  std::memcpy(bytes.data(), &image, sizeof image);
  if (const int status = Write(path, bytes); status != kDone) return status;
  const BoardSettings& record = image.boards[board];
  std::cout << message << ": " << where << ": " << ReadField(record.modelName).toStdString()
            << ", serial number " << ReadField(record.serialNumber).toStdString() << "\n";
  return kDone;
}

// "--port N" or "--port=N": 1 and above.
bool ParsePort(const std::string& text, int& port) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), port);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && port >= 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  bool client = false;
  bool force = false;
  int port = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--client") {
      client = true;
    } else if (a == "--force") {
      force = true;
    } else if (a == "--port" || a.rfind("--port=", 0) == 0) {
      const std::string value = a == "--port" ? (i + 1 < argc ? argv[++i] : "") : a.substr(7);
      if (!ParsePort(value, port)) {
        std::cerr << "tessar-settings: --port wants a port number 1 or above, got '" << value << "'\n";
        return kRefused;
      }
    } else if (a == "--help" || a == "-h") {
      PrintHelp();
      return kDone;
    } else if (a == "--version") {
      std::cout << "tessar-settings " TESSAR_VERSION "\n";
      return kDone;
    } else {
      args.push_back(a);
    }
  }
  if (args.size() == 1 && args[0] == "fields") {
    PrintFields(std::cout, client);
    return kDone;
  }
  if (args.size() < 2) {
    std::cerr << kUsage;
    return kRefused;
  }
  const std::string& command = args[0];
  const std::string& path = args[1];
  if (command == "get-configure" && args.size() == 3 && !client) return GetConfigure(path, args[2], port);
  if (port > 0) {
    std::cerr << "tessar-settings: --port is for get-configure\n";
    return kRefused;
  }
  if (command == "show" && args.size() == 2) return Show(path, client);
  if (command == "init" && args.size() == 2) return Init(path, client, force);
  if (command == "set") return Set(path, client, {args.begin() + 2, args.end()});
  std::cerr << "tessar-settings: unknown command or arguments '" << command << "'\n" << kUsage;
  return kRefused;
}
