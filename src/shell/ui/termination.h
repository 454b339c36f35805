// The end of a run asked for from outside: SIGTERM (systemctl stop, a
// desktop logout), SIGINT (Ctrl-C) and SIGHUP (the terminal went away) close
// the main window of either edition as its close button would, without the
// confirmation question: the orderly shutdown runs (settings written, relays
// reset, viewers told, publishing ended).
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace tessar {

class MainWindow;

// SIGTERM, SIGINT and SIGHUP delivered to `onSignal` on the event loop. The
// handler only writes the signal's number into a socket pair; the notifier of
// its other end calls `onSignal`. One instance at a time; the destructor puts
// the default handlers back.
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

// Closes `window` without asking. A dialog that waits for a person (a message
// box, the browser, a file dialog) is cancelled first, and the close runs
// once the event loops of those dialogs have returned, so that the code that
// opened them does not go on after the shutdown; after about 5 s of dialogs
// that do not go, the close runs where it stands.
void CloseUnaskedWhenUnblocked(MainWindow& window);

}  // namespace tessar
