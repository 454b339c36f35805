// The modal dialogs the program asks a person through. Windows take a
// Dialogs pointer instead of opening message boxes themselves, so that tests
// can answer them without a modal loop (see the scripted implementation in
// the test support).
#pragma once

#include <QString>

namespace tessar {

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A message box with an OK button. `caption` empty: the application title.
  virtual void ShowMessage(const QString& text, const QString& caption = {}) = 0;
  // A message box with the buttons OK and Cancel; true when OK was chosen.
  virtual bool Confirm(const QString& text, const QString& caption) = 0;
  // An input box showing `value` as the default. True with the answer in
  // `value` when accepted; false, `value` unchanged, when cancelled.
  virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
  // A save-file dialog that asks before overwriting; the chosen path, or an
  // empty text when cancelled. `filter` as in "Excel (*.xls);;All (*)".
  // `defaultSuffix` ("XLS") is added to a name typed without one before the
  // overwrite question, so the question is asked about the final name.
  virtual QString SaveFileName(const QString& caption, const QString& directory,
                               const QString& filter, const QString& defaultSuffix = {}) = 0;
  // The short system beep that accompanies a refused input.
  virtual void Beep() = 0;
};

}  // namespace tessar
