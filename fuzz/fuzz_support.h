// Helpers of the fuzz targets: properties that must hold whatever the input,
// and a scratch file for parsers that read from a path.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tessar::fuzz {

// Ends the run as a crash (so libFuzzer keeps the input) when `holds` is false.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

// A file of this process in the temporary folder, rewritten for each input.
class ScratchFile {
 public:
  explicit ScratchFile(const char* name)
      : path_((std::filesystem::temp_directory_path() /
               (std::string(name) + "-" + std::to_string(getpid()) + ".bin"))
                  .string()) {}
  ~ScratchFile() { std::remove(path_.c_str()); }

  const std::string& Write(const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    Require(static_cast<bool>(out), "the scratch file can be written");
    return path_;
  }

 private:
  std::string path_;
};

}  // namespace tessar::fuzz
