#include "scripted_dialogs.h"

namespace tessar::test {

int ScriptedDialogs::Count(Kind kind) const {
  int n = 0;
  for (const Call& c : calls_) n += c.kind == kind ? 1 : 0;
  return n;
}

QStringList ScriptedDialogs::Texts(Kind kind) const {
  QStringList out;
  for (const Call& c : calls_)
    if (c.kind == kind) out << c.text;
  return out;
}

QStringList ScriptedDialogs::Captions(Kind kind) const {
  QStringList out;
  for (const Call& c : calls_)
    if (c.kind == kind) out << c.caption;
  return out;
}

void ScriptedDialogs::ShowMessage(const QString& text, const QString& caption) {
  calls_.push_back({Kind::Message, caption, text});
}

bool ScriptedDialogs::Confirm(const QString& text, const QString& caption) {
  calls_.push_back({Kind::Confirm, caption, text});
  if (confirms_.empty()) return defaultConfirm;
  const bool answer = confirms_.front();
  confirms_.pop_front();
  return answer;
}

bool ScriptedDialogs::InputQuery(const QString& caption, const QString& prompt, QString& value) {
  calls_.push_back({Kind::Input, caption, prompt});
  if (inputs_.empty()) return false;
  const std::optional<QString> answer = inputs_.front();
  inputs_.pop_front();
  if (!answer) return false;
  value = *answer;
  return true;
}

QString ScriptedDialogs::SaveFileName(const QString& caption, const QString&, const QString&,
                                      const QString& defaultSuffix) {
  calls_.push_back({Kind::SaveFile, caption, defaultSuffix});
  if (saveNames_.empty()) return {};
  const QString path = saveNames_.front();
  saveNames_.pop_front();
  return path;
}

void ScriptedDialogs::Beep() { calls_.push_back({Kind::Beep, {}, {}}); }

}  // namespace tessar::test
