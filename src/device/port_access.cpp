#include "device/port_access.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tessar {

int DeviceAccessError(const std::string& devicePath) {
  // AT_EACCESS: the effective identity and capabilities, as open() sees them
  if (faccessat(AT_FDCWD, devicePath.c_str(), R_OK | W_OK, AT_EACCESS) == 0) return 0;
  return errno;
}

std::string PortAccessAdvice(const std::string& devicePath, int accessError) {
  if (accessError != EACCES && accessError != EPERM) return {};
  return devicePath + ": permission denied: add the user to the dialout group";
}

}  // namespace tessar
