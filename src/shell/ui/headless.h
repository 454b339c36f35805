// Running without a window system ("tessar --headless" or "tessview
// --headless", e.g. as a service): the window exists on the offscreen
// platform, its status lines and message boxes go to standard error for the
// journal and nobody is asked to confirm.
#pragma once

#include <QString>

#include "common/dialogs.h"

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

}  // namespace tessar
