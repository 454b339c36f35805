// Where the programs keep their files on this platform.
#pragma once

#include <string>

namespace tessar {

// The default data directory: the folder `folderName` in the user's home
// directory, as an absolute path in the file code page, cut to fit an
// 80-character field. When the home directory's path has characters that the
// code page lacks (it could not be stored as it is), the folder goes into the
// running executable's directory instead, or into /tmp when that directory
// cannot be stored or written either.
std::string DefaultDataDirectory(const char* folderName);

}  // namespace tessar
