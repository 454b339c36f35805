// Where the programs keep their files on this platform.
#pragma once

#include <QString>
#include <string>

namespace tessar {

// The default data directory: the folder `folderName` in the user's home
// directory, as an absolute path in the file code page, cut to fit an
// 80-character field. When the home directory's path has characters that the
// code page lacks (it could not be stored as it is), the folder goes into the
// running executable's directory instead, or into /tmp when that directory
// cannot be stored or written either.
std::string DefaultDataDirectory(const char* folderName);

// The program's folder: where the settings file, the error log, temp.bmp,
// the ports/ folder and a user's alarm.wav live. A program run from a folder
// its user can write (a build or a copied folder: the portable case) keeps
// them beside itself. An installed one (`installedLayout`: its
// "../share/tessar/" exists), and one whose folder cannot be written, keeps
// them in the per-user folder "<config home>/tessar", the config home being
// `xdgConfigHome` when it is an absolute path, else "<home>/.config": root can
// write /usr/bin, but an installed program never keeps files there. Without
// either, the executable's folder stays the answer: there is no better place.
std::string ChooseProgramDirectory(const std::string& executableDirectory,
                                   bool executableDirectoryWritable, bool installedLayout,
                                   const std::string& xdgConfigHome, const std::string& home);

// True when the executable's folder lies in an installed layout: its
// "../share/tessar/" is a folder.
bool IsInstalledLayout(const QString& executableDirectory);

// True when a file can be created in `directory` (tried with a probe file,
// which is removed): the access bits alone say yes to a privileged user on a
// read-only mount.
bool CanCreateFilesIn(const QString& directory);

// The program's folder of the running process for an executable in
// `executableDirectory`, from $XDG_CONFIG_HOME and $HOME (the user's home of
// the password database when $HOME is unset, as for a system service); with
// an `instance` name its subfolder of that name. A folder other than the
// executable's is created with its missing parents on first use.
QString ProgramDirectory(const QString& executableDirectory, const QString& instance = {});

// The settings file in the program's folder, named after the executable
// ("<base name>.SET").
QString SettingsPathIn(const QString& programDirectory, const QString& executablePath);

// "alarm.wav" of the program's folder when it exists, else that of
// `sharedDirectory` (the folder an instance folder lies in; empty: none),
// else the installed default "<executable folder>/../share/tessar/alarm.wav"
// when that exists, else the program folder's (missing) one, which plays
// nothing.
QString AlarmSoundPathFor(const QString& programDirectory, const QString& sharedDirectory,
                          const QString& executableDirectory);

}  // namespace tessar
