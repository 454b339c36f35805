// Helpers of the end-to-end suite: the built programs run as child processes
// in a private copy of the program folder, ended on every path.
#pragma once

#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "wait.h"

namespace tessar::e2e {

using test::WaitUntil;

// A program started as a child process. The destructor ends it (SIGTERM,
// then SIGKILL), and the child is also told to end when the test process
// dies, so no test leaves a program running.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const QStringList& arguments,
               const QProcessEnvironment& environment, const QString& workingDirectory)
      : process_(std::make_unique<QProcess>()) {
    process_->setProgram(QString::fromStdString(program));
    process_->setArguments(arguments);
    process_->setProcessEnvironment(environment);
    process_->setWorkingDirectory(workingDirectory);
    const pid_t parent = getpid();
    process_->setChildProcessModifier([parent] {
      // ends with the test process, whatever ends that
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(127);
    });
    process_->start();
    started_ = process_->waitForStarted(10000);
  }
  ~ChildProcess() {
    if (Running()) Terminate(3000);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return started_; }
  bool Running() const { return process_->state() != QProcess::NotRunning; }
  // Waits up to `timeoutMs` for a line of standard output equal to `line`.
  bool WaitForLine(const std::string& line, int timeoutMs) {
    auto seen = [&] { return ("\n" + Output()).find("\n" + line + "\n") != std::string::npos; };
    return WaitUntil([&] { return seen() || !Running(); }, timeoutMs) && seen();
  }
  // Waits up to `timeoutMs` until `done(standard output, standard error)`
  // holds for what the program wrote so far.
  bool WaitForOutput(const std::function<bool(const std::string&, const std::string&)>& done,
                     int timeoutMs) {
    auto seen = [&] {
      Drain();
      return done(out_, err_);
    };
    return WaitUntil([&] { return seen() || !Running(); }, timeoutMs) && seen();
  }
  // SIGTERM, then up to `timeoutMs` for the end. False when the program was
  // still running (it is then killed).
  bool Terminate(int timeoutMs) {
    if (!Running()) return true;
    process_->terminate();
    if (process_->waitForFinished(timeoutMs)) {
      Drain();
      return true;
    }
    process_->kill();
    process_->waitForFinished(2000);
    Drain();
    return false;
  }
  // Sends `signal` (SIGINT, SIGHUP, ...) to the running program.
  void Signal(int signal) {
    if (Running()) ::kill(static_cast<pid_t>(process_->processId()), signal);
  }
  // Up to `timeoutMs` for the program to end by itself.
  bool WaitForEnd(int timeoutMs) {
    const bool ended = !Running() || process_->waitForFinished(timeoutMs);
    Drain();
    return ended;
  }
  bool CrashedOrSignalled() const { return process_->exitStatus() == QProcess::CrashExit; }
  int ExitCode() const { return process_->exitCode(); }
  // Everything the program wrote so far.
  std::string Output() {
    Drain();
    return out_;
  }
  std::string Errors() {
    Drain();
    return err_;
  }

 private:
  void Drain() {
    // without an event loop only a wait takes in what the program wrote
    if (!QCoreApplication::instance()) process_->waitForReadyRead(0);
    out_ += process_->readAllStandardOutput().toStdString();
    err_ += process_->readAllStandardError().toStdString();
  }
  std::unique_ptr<QProcess> process_;
  bool started_ = false;
  std::string out_;
  std::string err_;
};

// A temporary program folder: "<tmp>/bin" holds a copy of a built program
// (hard-linked when possible) so that the files the program keeps beside
// itself (settings, ports/, error log) are the test's own; "<tmp>/data" is
// for recordings.
class PrivateInstall {
 public:
  explicit PrivateInstall(const std::string& program)
      : dir_(QDir::tempPath() + "/tessar-e2e-XXXXXX"), program_(program) {
    namespace fs = std::filesystem;
    if (!dir_.isValid()) {
      error_ = "no temporary folder";
      return;
    }
    std::error_code ec;
    fs::create_directories(BinDirectory(), ec);
    fs::create_directories(DataDirectory(), ec);
    const fs::path source = fs::canonical(program, ec);
    if (ec) {
      error_ = "no program " + program;
      return;
    }
    // The program finds its folder through its own resolved path, so a
    // symbolic link would lead it back to the build: a hard link or a copy.
    fs::create_hard_link(source, ProgramPath(), ec);
    if (ec) fs::copy_file(source, ProgramPath(), ec);
    if (ec) {
      error_ = "cannot place " + ProgramPath() + ": " + ec.message();
      return;
    }
    ok_ = true;
  }
  bool Ok() const { return ok_; }
  std::string Error() const { return error_; }
  std::string Root() const { return dir_.path().toStdString(); }
  std::string BinDirectory() const { return Root() + "/bin"; }
  std::string ProgramPath() const {
    return BinDirectory() + "/" + std::filesystem::path(program_).filename().string();
  }
  std::string PortsDirectory() const { return BinDirectory() + "/ports"; }
  std::string DataDirectory() const { return Root() + "/data"; }

 private:
  QTemporaryDir dir_;
  std::string program_;
  bool ok_ = false;
  std::string error_;
};

}  // namespace tessar::e2e
