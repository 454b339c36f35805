// Command line of orva-sim.
#pragma once

#include <string>
#include <vector>

#include "sim_device.h"

namespace orva {

struct Options {
  std::string portsFolder;
  unsigned seed = 1;
  bool help = false;
  std::vector<DeviceSetup> devices;
};

extern const char kUsage[];

// False with `error` set when the command line is not valid.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

}  // namespace orva
