// Where the programs keep their files on this platform.
#pragma once

#include <string>

namespace tessar {

// The default data directory: the folder `folderName` in the user's home
// directory, as an absolute path in the file code page, cut to fit an
// 80-character field.
std::string DefaultDataDirectory(const char* folderName);

}  // namespace tessar
