// The advisory lock on a settings file. A running logger or viewer holds it
// for its whole run, because its orderly shutdown writes its own copy of the
// settings over the file: a change made by another program meanwhile would be
// lost. tessar-settings takes the same lock for the moment of its change and
// refuses to change a file that a running program holds.
//
// The lock is an flock() on the settings file itself, so it is released by
// the kernel when the holder ends, however it ends. A file that does not
// exist cannot be locked: a first run holds nothing.
#pragma once

#include <string>

namespace tessar {

class SettingsLock {
 public:
  enum class Result {
    Locked,         // this process holds the lock now
    NoFile,         // there is no such file (or it is not a regular file)
    HeldElsewhere,  // another process holds it: see HolderPid()
    Failed,         // the file could not be opened or locked
  };

  SettingsLock() = default;
  ~SettingsLock() { Release(); }
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;

  // Takes the lock on the file at `path` without waiting. A file replaced
  // (renamed over) while the lock was being taken is locked afresh, so the
  // lock is always on the file the path names.
  Result Acquire(const std::string& path);
  void Release();
  // A program's lock for its run: Acquire, and when another process holds
  // the file already, the line that says so ("<path> is in use by tessar
  // (process 1234) as well: ..."); empty otherwise.
  std::string HoldForRun(const std::string& path);
  bool Held() const { return fd_ >= 0; }
  // After HeldElsewhere: the process holding the lock, 0 when it cannot be
  // told (another user's process in a namespace we cannot see into).
  int HolderPid() const { return holderPid_; }

 private:
  int fd_ = -1;
  int holderPid_ = 0;
};

// The process holding an flock() on the file of device `devMajor`:`devMinor`
// and inode `inode`, from the kernel's lock list (`locksText`, the text of
// /proc/locks); 0 when none is listed. A file system that reports another
// device there than stat() does (overlays) is matched by the inode alone
// when only one lock has that inode.
int FlockHolderIn(const std::string& locksText, unsigned devMajor, unsigned devMinor,
                  unsigned long long inode);

// "tessar (process 1234)" for a holder whose program name can be read, else
// "process 1234"; "another process" for 0.
std::string DescribeProcess(int pid);

// What a user does to free a file held by `pid`: the service unit to stop
// for a tessar or tessview ("systemctl --user stop tessar"), else ending the
// process.
std::string HowToStop(int pid);

}  // namespace tessar
