// Dialogs for tests: every call is recorded, answers come from queues set up
// by the test (or the defaults below when a queue is empty). Never blocks.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "common/dialogs.h"

namespace tessar::test {

class ScriptedDialogs final : public Dialogs {
 public:
  enum class Kind { Message, Confirm, Input, SaveFile, Beep };
  struct Call {
    Kind kind;
    QString caption;
    QString text;  // message text, or the prompt of an input box
  };

  // Answers, consumed in order. Defaults when empty: Confirm -> defaultConfirm,
  // Input -> cancelled, SaveFile -> cancelled (empty path).
  void QueueConfirm(bool ok) { confirms_.push_back(ok); }
  void QueueInput(std::optional<QString> answer) { inputs_.push_back(std::move(answer)); }
  void QueueSaveFileName(const QString& path) { saveNames_.push_back(path); }
  bool defaultConfirm = false;

  const std::vector<Call>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  int Count(Kind kind) const;
  // Texts of the calls of one kind, in order.
  QStringList Texts(Kind kind) const;
  QStringList Captions(Kind kind) const;

  void ShowMessage(const QString& text, const QString& caption = {}) override;
  bool Confirm(const QString& text, const QString& caption) override;
  bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
  // The call's text is the default suffix given to the dialog.
  QString SaveFileName(const QString& caption, const QString& directory,
                       const QString& filter, const QString& defaultSuffix = {}) override;
  void Beep() override;

 private:
  std::vector<Call> calls_;
  std::deque<bool> confirms_;
  std::deque<std::optional<QString>> inputs_;
  std::deque<QString> saveNames_;
};

}  // namespace tessar::test
