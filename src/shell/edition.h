// The two programs built from this tree differ only in these constants,
// chosen by which main() is linked. Nothing at run time switches them.
#pragma once

namespace tessar {

enum class EditionKind { Logger, Client };

struct Edition {
  EditionKind kind;
  const char* applicationTitle;
  const char* caption;         // main window caption
  const char* fileVersion;     // version record of the executable
  const char* errorLogName;    // error log beside the executable
  const char* dataFolderName;  // default data directory, in the user's home
  bool usesSerialPorts;        // board ports, relay outputs, "Get Configure"
  bool startsDataServers;      // SS1..SS4
  bool startsAcquisitionTimer; // Timer1
  bool startsPollTimer;        // Timer2
  const char* serverListCaption;  // caption of the "Client" page's list panel
  const char* networkPageCaption; // caption of the "Client" page's tab

  bool IsLogger() const { return kind == EditionKind::Logger; }
  bool IsClient() const { return kind == EditionKind::Client; }
};

inline constexpr Edition kTessarEdition{
    EditionKind::Logger, "Tessar", "Tessar Ver 2.1.0", "2.1.0.35", "Exception1.Err", "Tessar",
    true, true, true, false, "Client List", "Client"};

inline constexpr Edition kTessviewEdition{
    EditionKind::Client, "Tessview", "Tessview Ver 2.1.0", "2.0.2.23", "Exception2.Err", "Tessview",
    false, false, false, true, "Server List", "Server"};

}  // namespace tessar
