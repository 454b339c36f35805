// Reading and writing the programs' settings files as whole byte images.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tessar {

// The first `limit` bytes of a readable regular file (fewer when it is
// shorter). Anything else (no file, a directory, a device, a pipe, no read
// permission) gives nothing.
std::optional<std::vector<unsigned char>> ReadSettingsBytes(const std::string& path,
                                                            std::size_t limit);

// Replaces the file with `size` bytes through a temporary file beside it that
// is renamed over it once complete, so the file is either the old one or the
// new one, never a short one. False when that could not be done; the old file
// is then untouched.
bool WriteSettingsBytes(const std::string& path, const void* data, std::size_t size);

}  // namespace tessar
