#include "sim_options.h"

#include <charconv>
#include <cstdio>
#include <cmath>
#include <sstream>

#include "device/port_names.h"
#include "common/number_text.h"

namespace orva {

const char kUsage[] =
    "Usage: orva-sim --dir FOLDER --device COMn [device options] [--device COMm ...]\n"
    "\n"
    "Simulates ORVA acquisition devices. Each device gets a pseudo-terminal that is\n"
    "linked as FOLDER/COMn (the ports/ folder beside tessar). A name that exists\n"
    "there already (another simulator's link, a user's own COMn -> /dev/ttyUSB3)\n"
    "is refused, not replaced. Runs until SIGINT, SIGTERM or SIGHUP, then removes\n"
    "the links it made. Relay commands and other commands received are logged\n"
    "with a time stamp on standard output.\n"
    "\n"
    "Global options:\n"
    "  --dir FOLDER          folder for the COMn links (created when missing)\n"
    "  --seed N              seed of the noise signals (default 1)\n"
    "  --help                this text\n"
    "  --version             the program's version\n"
    "\n"
    "Device options (apply to the latest --device):\n"
    "  --model NAME          ORVA-2000, ORVA-2100, ORVA-2200 or ORVA-2280 (default ORVA-2280)\n"
    "  --serial TEXT         serial number (default A and the port number in 5 digits);\n"
    "                        the letters S, M and E and blanks break the dump\n"
    "  --period MS           frame period after \"DK\" (default 1000)\n"
    "  --ranges I,I,...      range indices as the dump lists them: kind 0 slots 0..6,\n"
    "                        otherwise channels 1..n (default: 1250 mV for the kind-0\n"
    "                        cold junction, 78.125 mV for channels)\n"
    "  --letters TEXT        sensor letters in the same order, from VKRJSTABZ (default all K)\n"
    "  --a1 X  --a0 X        voltage correction (default 1, 0)\n"
    "  --ref X               reference voltage (default 2.5 for kind 0, else 0)\n"
    "  --t1 X,X,...          conversion factors of channels 1..n (default 1)\n"
    "  --t0 X,X,...          conversion offsets of channels 1..n (default 0)\n"
    "  --no-channel-cal      kind 0: the dump carries no T1/T0 lines\n"
    "  --signal CH=FORM      signal of slot CH (0 = cold junction in degC, or mV on a\n"
    "                        kind-0 V/A board; 1..8 = channels, in the unit the\n"
    "                        logger shows: degC, mV or user units). FORM is one of\n"
    "                        constant:V  ramp:START:PER_SECOND  sine:CENTRE:AMPL:PERIOD_S\n"
    "                        noise:CENTRE:SD  open (the count 7FFFFF)\n"
    "                        steps:V:V:...  one value per frame, in turn (frame n\n"
    "                        takes value n, from the first again after the last).\n"
    "                        Defaults: slot 0 constant:25, channel k constant:20+k\n"
    "  --fault NAME[:N]      split        frame written in two parts, 1/4 period apart\n"
    "                        straddle     frame written together with the head of the next\n"
    "                        double       two frames in one write\n"
    "                        wrong-length the last field missing\n"
    "                        embedded-lf  an LF inside the frame (length unchanged)\n"
    "                        garbage      noise bytes (no LF) before the frame\n"
    "                          (these on every N-th frame, default every frame)\n"
    "                        silence      no frames after N frames (default 0)\n"
    "                        no-dc        no answer to \"DC\"\n"
    "                        type-s       channel 1 reports sensor letter S\n"
    "  --fault NAME:CH[:N]   a fault of channel CH (1..8), from the first frame on for\n"
    "                        N frames (default all along):\n"
    "                        open         the open-input count 7FFFFF (a broken wire)\n"
    "                        freeze       the count of the first frame, unchanged\n"
    "                        jump         the signal 0, 50, 100 units higher, frame\n"
    "                                     after frame\n";

namespace {

bool ToInt(const std::string& text, int& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      return true;
    }
    if (arg == "--dir") {
      if (!value(options.portsFolder)) return false;
      continue;
    }
    if (arg == "--seed") {
      int seed;
      if (!value(v) || !ToInt(v, seed)) return error.empty() ? (error = "bad --seed", false) : false;
      options.seed = static_cast<unsigned>(seed);
      continue;
    }
    if (arg == "--device") {
      if (!value(v)) return false;
      const int number = tessar::ComNumberOf(v);
      if (number < 1) {
        error = "--device wants COMn, got " + v;
        return false;
      }
      for (const DeviceSetup& d : options.devices) {
        if (d.number == number) {
          error = v + " given twice";
          return false;
        }
      }
      DeviceSetup setup;
      setup.number = number;
      char serial[16];
      std::snprintf(serial, sizeof serial, "A%05d", number);
      setup.config.serialNumber = serial;
      for (int slot = 1; slot < tessar::kSlotCount; ++slot) setup.signals[slot].a = 20.0 + slot;
      setup.signals[0].a = 25.0;
      options.devices.push_back(setup);
      continue;
    }
    if (options.devices.empty()) {
      error = arg + ": unknown option, or a device option before --device";
      return false;
    }
    DeviceSetup& d = options.devices.back();
    if (arg == "--no-channel-cal") {
      d.config.channelCalibration = false;
      continue;
    }
    if (!value(v)) return false;
    if (arg == "--model") {
      if (tessar::ModelKindOf(v.c_str(), v.size() + 1) < 0) {
        error = "unknown model " + v;
        return false;
      }
      d.config.model = v;
    } else if (arg == "--serial") {
      d.config.serialNumber = v;
    } else if (arg == "--period") {
      if (!ToInt(v, d.periodMs) || d.periodMs < 10) {
        error = "bad --period " + v;
        return false;
      }
    } else if (arg == "--ranges") {
      d.ranges.clear();
      for (const std::string& item : Split(v, ',')) {
        int index;
        if (!ToInt(item, index)) {
          error = "bad --ranges " + v;
          return false;
        }
        d.ranges.push_back(index);
      }
      if (d.ranges.empty() || d.ranges.size() > 9) {
        error = "bad --ranges " + v;
        return false;
      }
    } else if (arg == "--letters") {
      if (v.empty() || v.size() > 9) {
        error = "bad --letters " + v;
        return false;
      }
      d.letters = v;
    } else if (arg == "--t1" || arg == "--t0") {
      std::vector<double>& column = arg == "--t1" ? d.t1 : d.t0;
      column.clear();
      for (const std::string& item : Split(v, ',')) {
        double x;
        if (!tessar::ParseDecimal(item, x)) {
          error = "bad " + arg + " " + v;
          return false;
        }
        column.push_back(x);
      }
      if (column.empty() || column.size() > 8) {
        error = "bad " + arg + " " + v;
        return false;
      }
    } else if (arg == "--a1" || arg == "--a0" || arg == "--ref") {
      double x;
      if (!tessar::ParseDecimal(v, x)) {
        error = "bad " + arg + " " + v;
        return false;
      }
      if (arg == "--a1") d.config.a1 = x;
      else if (arg == "--a0") d.config.a0 = x;
      else {
        d.config.ref = x;
        d.refGiven = true;
      }
    } else if (arg == "--signal") {
      const std::size_t eq = v.find('=');
      int slot;
      Signal signal;
      if (eq == std::string::npos || !ToInt(v.substr(0, eq), slot) || slot < 0 || slot > 8 ||
          !ParseSignal(v.substr(eq + 1), signal)) {
        error = "bad --signal " + v;
        return false;
      }
      d.signals[slot] = signal;
    } else if (arg == "--fault") {
      const std::vector<std::string> parts = Split(v, ':');
      const std::string name = parts.empty() ? "" : parts[0];
      if (name == "open" || name == "freeze" || name == "jump") {
        ChannelFault fault;
        fault.kind = name == "open"     ? ChannelFault::Kind::Open
                     : name == "freeze" ? ChannelFault::Kind::Freeze
                                        : ChannelFault::Kind::Jump;
        if (parts.size() < 2 || parts.size() > 3 || !ToInt(parts[1], fault.channel) ||
            fault.channel < 1 || fault.channel > 8 ||
            (parts.size() == 3 && (!ToInt(parts[2], fault.frames) || fault.frames < 1))) {
          error = "bad --fault " + v + " (" + name + ":CH[:FRAMES], CH 1..8)";
          return false;
        }
        d.channelFaults.push_back(fault);
        continue;
      }
      int n = -1;
      if (parts.size() > 2 || (parts.size() == 2 && (!ToInt(parts[1], n) || n < 0))) {
        error = "bad --fault " + v;
        return false;
      }
      if (name == "split" || name == "straddle" || name == "double" || name == "wrong-length" ||
          name == "embedded-lf" || name == "garbage") {
        d.frameFaults.push_back({name, n < 1 ? 1 : n});
      } else if (name == "silence") {
        d.silentAfter = n < 0 ? 0 : n;
      } else if (name == "no-dc") {
        d.answerConfig = false;
      } else if (name == "type-s") {
        d.typeS = true;
      } else {
        error = "unknown fault " + v;
        return false;
      }
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (options.help) return true;
  if (options.portsFolder.empty()) {
    error = "--dir is required";
    return false;
  }
  if (options.devices.empty()) {
    error = "at least one --device is required";
    return false;
  }
  return true;
}

}  // namespace orva
