// orva-sim: ORVA acquisition devices on pseudo-terminals.
//
// Every device answers "DC\r" with its configuration dump, starts streaming
// measurement frames on "DK\r" and logs the relay commands it receives. See
// --help for the options.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "device/device_protocol.h"
#include "device/device_replies.h"
#include "device/port_names.h"
#include "sim_device.h"
#include "sim_options.h"

namespace {

using Clock = std::chrono::steady_clock;
using orva::DeviceSetup;

volatile sig_atomic_t stopRequested = 0;
int wakePipe[2] = {-1, -1};

void OnStopSignal(int) {
  stopRequested = 1;
  const char byte = 1;
  [[maybe_unused]] ssize_t n = write(wakePipe[1], &byte, 1);
}

// Local wall-clock time stamp with milliseconds.
std::string TimeStamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const int ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, ms);
  return text;
}

struct PendingWrite {
  Clock::time_point due;
  std::string bytes;
};

struct Device {
  DeviceSetup setup;
  std::string name;  // COMn
  int kind = 0;
  tessar::BoardSettings record{};  // what the logger makes of our dump
  int master = -1;
  int slave = -1;
  std::string ptsPath;
  std::string linkPath;
  bool streaming = false;
  Clock::time_point nextFrame;
  long framesSent = 0;
  std::string command;
  std::vector<PendingWrite> pending;
  std::string straddleTail;  // rest of a frame whose head already went out
  orva::ChannelFaultState channelFaults;
};

void Log(const Device& device, const std::string& text) {
  std::printf("%s %s %s\n", TimeStamp().c_str(), device.name.c_str(), text.c_str());
  std::fflush(stdout);
}

void Send(Device& device, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(device.master, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;  // nobody reading and the line full: the rest is lost, as on a wire
  }
}

bool OpenPty(Device& device) {
  device.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (device.master < 0 || grantpt(device.master) != 0 || unlockpt(device.master) != 0) return false;
  const char* name = ptsname(device.master);
  if (!name) return false;
  device.ptsPath = name;
  // The slave end stays open here so that the master never sees a hang-up
  // while the logger has the port closed.
  device.slave = open(name, O_RDWR | O_NOCTTY);
  if (device.slave < 0) return false;
  termios tio{};
  tcgetattr(device.slave, &tio);
  cfmakeraw(&tio);
  cfsetispeed(&tio, B9600);
  cfsetospeed(&tio, B9600);
  tcsetattr(device.slave, TCSANOW, &tio);
  return true;
}

// The counts of frame `index` (0 = the first), channel faults included.
std::vector<std::int32_t> FrameCounts(Device& device, long index, double seconds,
                                      std::mt19937& rng) {
  std::array<double, tessar::kSlotCount> values{};
  for (int slot = 0; slot < tessar::kSlotCount; ++slot) {
    values[slot] = device.setup.signals[slot].ValueAt(seconds, index, rng);
  }
  orva::ApplyValueFaults(device.setup, index, values);
  std::vector<std::int32_t> counts = orva::CountsFor(device.record, device.kind, values);
  orva::ApplyCountFaults(device.setup, index, counts, device.channelFaults);
  return counts;
}

// Sends the frame that is due, with the fault of this frame if any.
void SendFrame(Device& device, double seconds, std::mt19937& rng, Clock::time_point now) {
  const DeviceSetup& setup = device.setup;
  if (setup.silentAfter >= 0 && device.framesSent >= setup.silentAfter) return;
  const long index = device.framesSent++;
  std::string frame = tessar::FormatFrame(FrameCounts(device, index, seconds, rng));
  if (!device.straddleTail.empty()) {
    // The previous frame took this one's head with it.
    frame = device.straddleTail;
    device.straddleTail.clear();
    Send(device, frame);
    return;
  }
  const orva::Fault* fault = nullptr;
  for (const orva::Fault& f : setup.frameFaults) {
    if (index % f.every == f.every - 1) {
      fault = &f;
      break;
    }
  }
  if (!fault) {
    Send(device, frame);
    return;
  }
  const std::string& name = fault->name;
  if (name == "split") {
    const std::size_t cut = frame.size() / 2;
    Send(device, frame.substr(0, cut));
    device.pending.push_back({now + std::chrono::milliseconds(setup.periodMs / 4), frame.substr(cut)});
  } else if (name == "straddle") {
    const std::string next = tessar::FormatFrame(FrameCounts(device, index + 1, seconds, rng));
    const std::size_t cut = next.size() / 3;
    Send(device, frame + next.substr(0, cut));
    device.straddleTail = next.substr(cut);
  } else if (name == "double") {
    Send(device, frame + frame);
  } else if (name == "wrong-length") {
    Send(device, frame.substr(0, frame.size() - 10) + "\r\n");
  } else if (name == "embedded-lf") {
    frame[7] = '\n';  // the space after the first comma
    Send(device, frame);
  } else if (name == "garbage") {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string noise;
    for (int i = 0; i < 12; ++i) {
      char c = static_cast<char>(byte(rng));
      if (c == '\n') c = '\x7F';
      noise.push_back(c);
    }
    Send(device, noise);
    Send(device, frame);
  }
}

void OnCommand(Device& device, const std::string& command, Clock::time_point now) {
  if (command == "DK") {
    Log(device, "DK");
    if (!device.streaming) {
      device.streaming = true;
      device.nextFrame = now + std::chrono::milliseconds(device.setup.periodMs);
    }
  } else if (command == "DC") {
    Log(device, device.setup.answerConfig ? "DC" : "DC (not answered)");
    if (device.setup.answerConfig) Send(device, tessar::FormatConfigReply(device.setup.config));
  } else if (command == "D1" || command == "D0" ||
             (command.size() >= 2 && command[0] == 'P' &&
              command.find_first_not_of("0123456789ABCDEF", 1) == std::string::npos)) {
    Log(device, "relay " + command);
  } else if (!command.empty()) {
    Log(device, "unknown command " + command);
  }
}

void ReadCommands(Device& device, Clock::time_point now) {
  char buffer[256];
  for (;;) {
    const ssize_t n = read(device.master, buffer, sizeof buffer);
    if (n <= 0) return;
    for (ssize_t i = 0; i < n; ++i) {
      const char c = buffer[i];
      if (c == '\r') {
        OnCommand(device, device.command, now);
        device.command.clear();
      } else if (c != '\n' && device.command.size() < 64) {
        device.command.push_back(c);
      }
    }
  }
}

// A link to a pseudo-terminal that no longer exists: only a simulator makes
// those, and only one that ended without removing it leaves them.
bool StaleSimulatorLink(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_symlink(path, ec)) return false;
  const std::string target = std::filesystem::read_symlink(path, ec).string();
  return !ec && target.rfind("/dev/pts/", 0) == 0 && !std::filesystem::exists(target, ec);
}

void RemoveLink(const Device& device) {
  if (device.linkPath.empty()) return;
  std::error_code ec;
  // Only our own link: another process may have taken the name since.
  if (std::filesystem::read_symlink(device.linkPath, ec) == device.ptsPath) {
    std::filesystem::remove(device.linkPath, ec);
  }
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IOLBF, 0);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("orva-sim %s\n", TESSAR_VERSION);
    return 0;
  }
  orva::Options options;
  std::string error;
  if (!orva::ParseOptions(args, options, error)) {
    std::fprintf(stderr, "orva-sim: %s\n\n%s", error.c_str(), orva::kUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(orva::kUsage, stdout);
    return 0;
  }

  if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
  struct sigaction action{};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::error_code ec;
  std::filesystem::create_directories(options.portsFolder, ec);
  std::vector<Device> devices;
  devices.reserve(options.devices.size());
  int status = 0;
  for (DeviceSetup& setup : options.devices) {
    orva::CompleteSetup(setup);
    Device device;
    device.setup = setup;
    device.name = tessar::ComName(setup.number);
    device.kind = tessar::ModelKindOf(setup.config.model.c_str(), setup.config.model.size() + 1);
    const std::string dump = tessar::FormatConfigReply(setup.config);
    std::memset(&device.record, 0, sizeof device.record);
    const auto parsed = tessar::ParseConfigReply(dump, 0, setup.number, device.record);
    if (parsed.outcome != tessar::ConfigOutcome::Ok) {
      // The logger will refuse this configuration; frames still follow the
      // device's own settings as far as they go.
      std::fprintf(stderr, "orva-sim: %s: the logger reads this configuration as \"%s\"\n",
                   device.name.c_str(), tessar::MessageOf(parsed.outcome).english);
      // A type-S letter is the usual cause: the frames still follow the
      // device's letters, as a logger configured by hand would read them.
      tessar::DeviceConfig plain = setup.config;
      for (char& letter : plain.letter) {
        if (letter == 'S') letter = 'K';
      }
      tessar::ParseConfigReply(tessar::FormatConfigReply(plain), 0, setup.number, device.record);
      const int firstSlot = device.kind == 0 ? 0 : 1;
      const int lastSlot = device.kind == 0 ? 6 : device.kind == 1 ? 4 : 8;
      for (int slot = firstSlot; slot <= lastSlot; ++slot) {
        if (setup.config.letter[slot] == 'S') device.record.channelSensorType[slot] = 4;
      }
      if (device.kind != 0) device.record.channelSensorType[0] = device.record.channelSensorType[1];
      device.record.boardSensorType = device.record.channelSensorType[0];
      for (int slot = 1; slot <= lastSlot; ++slot) {
        if (device.record.channelSensorType[slot] != device.record.channelSensorType[slot - 1]) {
          device.record.boardSensorType = 7;
        }
      }
    }
    if (!OpenPty(device)) {
      std::fprintf(stderr, "orva-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
      status = 1;
      break;
    }
    const std::string linkPath = (std::filesystem::path(options.portsFolder) / device.name).string();
    // Never over an entry that is there: another simulator's link or a
    // user's own mapping. Creating the link is the test, so two simulators
    // started together cannot both take the name.
    std::filesystem::create_symlink(device.ptsPath, linkPath, ec);
    if (ec == std::errc::file_exists && StaleSimulatorLink(linkPath)) {
      // a simulator that was killed left it: its terminal is gone
      std::fprintf(stderr, "orva-sim: %s: replacing the link of a simulator that is gone\n",
                   linkPath.c_str());
      std::filesystem::remove(linkPath, ec);
      std::filesystem::create_symlink(device.ptsPath, linkPath, ec);
    }
    if (ec) {
      const bool taken = ec == std::errc::file_exists;
      std::error_code readError;
      const std::string target = std::filesystem::read_symlink(linkPath, readError).string();
      std::fprintf(stderr, "orva-sim: cannot link %s: %s\n", linkPath.c_str(),
                   taken ? ("it exists already" + (target.empty() ? std::string() : " (-> " + target + ")") +
                            "; remove it or choose another --device")
                               .c_str()
                         : ec.message().c_str());
      status = 1;
      devices.push_back(std::move(device));
      break;
    }
    device.linkPath = linkPath;
    Log(device, setup.config.model + " " + setup.config.serialNumber + " on " + device.ptsPath +
                    " linked as " + device.linkPath);
    devices.push_back(std::move(device));
  }
  if (status == 0) {
    std::printf("ready\n");
    std::fflush(stdout);
  }

  std::mt19937 rng(options.seed);
  const Clock::time_point start = Clock::now();
  while (status == 0 && !stopRequested) {
    Clock::time_point now = Clock::now();
    Clock::time_point next = now + std::chrono::seconds(1);
    for (Device& d : devices) {
      if (d.streaming && d.nextFrame < next) next = d.nextFrame;
      for (const PendingWrite& p : d.pending) next = std::min(next, p.due);
    }
    std::vector<pollfd> fds;
    fds.push_back({wakePipe[0], POLLIN, 0});
    for (const Device& d : devices) fds.push_back({d.master, POLLIN, 0});
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
    const int ready = poll(fds.data(), fds.size(), static_cast<int>(std::max<long long>(0, wait)));
    if (ready < 0 && errno != EINTR) break;
    now = Clock::now();
    for (std::size_t i = 0; i < devices.size(); ++i) {
      if (fds[i + 1].revents & POLLIN) ReadCommands(devices[i], now);
    }
    for (Device& d : devices) {
      for (std::size_t i = 0; i < d.pending.size();) {
        if (d.pending[i].due <= now) {
          Send(d, d.pending[i].bytes);
          d.pending.erase(d.pending.begin() + static_cast<long>(i));
        } else {
          ++i;
        }
      }
      if (d.streaming && d.nextFrame <= now) {
        const double seconds = std::chrono::duration<double>(now - start).count();
        SendFrame(d, seconds, rng, now);
        d.nextFrame += std::chrono::milliseconds(d.setup.periodMs);
        if (d.nextFrame < now) d.nextFrame = now + std::chrono::milliseconds(d.setup.periodMs);
      }
    }
  }

  for (Device& d : devices) {
    RemoveLink(d);
    if (d.slave >= 0) close(d.slave);
    if (d.master >= 0) close(d.master);
  }
  if (stopRequested) {
    std::printf("stopped\n");
    std::fflush(stdout);
  }
  return status;
}
