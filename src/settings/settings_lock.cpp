#include "settings/settings_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <vector>

namespace tessar {

namespace {

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int HolderOf(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return 0;
  return FlockHolderIn(ReadSmallFile("/proc/locks"), major(st.st_dev), minor(st.st_dev), st.st_ino);
}

// The program name of a process ("tessar"), empty when it cannot be read.
std::string ProgramNameOf(int pid) {
  if (pid <= 0) return {};
  std::string name = ReadSmallFile("/proc/" + std::to_string(pid) + "/comm");
  while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
  return name;
}

bool IsOurProgram(const std::string& name) { return name == "tessar" || name == "tessview"; }

// The systemd unit ("tessar.service", "tessar@lab2.service") whose control
// group holds the process, empty when it runs outside one.
std::string ServiceUnitOf(int pid) {
  std::istringstream lines(ReadSmallFile("/proc/" + std::to_string(pid) + "/cgroup"));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t slash = line.rfind('/');
    if (slash == std::string::npos) continue;
    const std::string unit = line.substr(slash + 1);
    const std::string suffix = ".service";
    if (unit.size() > suffix.size() && unit.compare(unit.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        (unit.rfind("tessar", 0) == 0 || unit.rfind("tessview", 0) == 0))
      return unit.substr(0, unit.size() - suffix.size());
  }
  return {};
}

}  // namespace

SettingsLock::Result SettingsLock::Acquire(const std::string& path) {
  Release();
  holderPid_ = 0;
  // A file replaced between the open and the lock is tried again; three
  // replacements in a row are not a settings file at rest.
  for (int attempt = 0; attempt < 3; ++attempt) {
    // never waits on a pipe; a lock needs no write permission
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return errno == ENOENT ? Result::NoFile : Result::Failed;
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      close(fd);
      return Result::NoFile;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      if (error == EWOULDBLOCK) holderPid_ = HolderOf(fd);
      close(fd);
      return error == EWOULDBLOCK ? Result::HeldElsewhere : Result::Failed;
    }
    struct stat named {};
    if (stat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
        named.st_ino == opened.st_ino) {
      fd_ = fd;
      return Result::Locked;
    }
    close(fd);
    if (access(path.c_str(), F_OK) != 0) return Result::NoFile;
  }
  return Result::Failed;
}

std::string SettingsLock::HoldForRun(const std::string& path) {
  if (Acquire(path) != Result::HeldElsewhere) return {};
  return path + " is in use by " + DescribeProcess(holderPid_) +
         " as well: the program that ends last writes its settings over the other's";
}

void SettingsLock::Release() {
  if (fd_ < 0) return;
  close(fd_);  // the lock goes with the last descriptor of the open file
  fd_ = -1;
}

// Lines such as "1: FLOCK  ADVISORY  WRITE 20197 fe:00:10953185 0 EOF";
// waiters are listed as "1: -> FLOCK ..." and hold nothing.
int FlockHolderIn(const std::string& locksText, unsigned devMajor, unsigned devMinor,
                  unsigned long long inode) {
  std::istringstream lines(locksText);
  std::vector<int> sameInode;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, where;
    long long pid = 0;
    if (!(fields >> number >> kind) || kind != "FLOCK") continue;
    if (!(fields >> mode >> access >> pid >> where) || pid <= 0) continue;
    unsigned maj = 0, min = 0;
    unsigned long long ino = 0;
    char colon1 = 0, colon2 = 0;
    std::istringstream id(where);
    id >> std::hex >> maj >> colon1 >> min >> colon2 >> std::dec >> ino;
    if (!id || colon1 != ':' || colon2 != ':' || ino != inode) continue;
    if (maj == devMajor && min == devMinor) return static_cast<int>(pid);
    sameInode.push_back(static_cast<int>(pid));
  }
  return sameInode.size() == 1 ? sameInode.front() : 0;
}

std::string DescribeProcess(int pid) {
  if (pid <= 0) return "another process";
  const std::string name = ProgramNameOf(pid);
  const std::string process = "process " + std::to_string(pid);
  return name.empty() ? process : name + " (" + process + ")";
}

std::string HowToStop(int pid) {
  if (pid <= 0) return "stop the program that uses it first";
  const std::string unit = ServiceUnitOf(pid);
  if (!unit.empty()) return "stop it first: systemctl --user stop " + unit;
  const std::string name = ProgramNameOf(pid);
  const std::string kill = "kill " + std::to_string(pid);
  if (IsOurProgram(name))
    return "stop it first: systemctl --user stop " + name + " (when it runs as the service), or close its window, or " + kill;
  return "stop it first: " + kill;
}

}  // namespace tessar
