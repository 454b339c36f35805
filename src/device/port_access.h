// Why a serial device could not be opened, told so that a person can act on
// it: a device the user may not open needs the user in the dialout group.
#pragma once

#include <string>

namespace tessar {

// The error (errno) of asking whether this process, with its effective
// identity, may read and write the device at `devicePath`; 0 when it may.
int DeviceAccessError(const std::string& devicePath);

// "<device>: permission denied: add the user to the dialout group" when
// `accessError` refuses the access for lack of permission, else empty.
std::string PortAccessAdvice(const std::string& devicePath, int accessError);

}  // namespace tessar
