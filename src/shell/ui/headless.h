// Running without a window system ("tessar --headless" or "tessview
// --headless", e.g. as a service): the window exists on the offscreen
// platform, its status lines and message boxes go to standard error for the
// journal, nobody is asked to confirm, and SIGTERM or SIGINT close the window
// as its close button would.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "common/dialogs.h"

class QSocketNotifier;

namespace tessar {

// One line "<program>: <text>" on standard error, UTF-8.
void WriteErrorLine(const QString& text);

// Dialogs that never wait for a person: every confirmation is accepted,
// messages go to standard error, inputs and file choices are cancelled.
class HeadlessDialogs final : public Dialogs {
 public:
  void ShowMessage(const QString& text, const QString& caption = {}) override;
  bool Confirm(const QString& text, const QString& caption) override;
  bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
  QString SaveFileName(const QString& caption, const QString& directory, const QString& filter,
                       const QString& defaultSuffix = {}) override;
  void Beep() override {}
};

// SIGTERM and SIGINT delivered to `onSignal` on the event loop. The handler
// only writes the signal's number into a socket pair; the notifier of its
// other end calls `onSignal`. One instance at a time; the destructor puts the
// default handlers back.
class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  explicit TerminationSignals(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
  ~TerminationSignals() override;
  bool Installed() const { return notifier_ != nullptr; }

 private:
  static void Handle(int signal);
  void Deliver();

  std::function<void(int)> onSignal_;
  int fds_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tessar
