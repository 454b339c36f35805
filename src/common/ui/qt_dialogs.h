// The Dialogs of the running program: Qt message, input and file dialogs
// owned by a window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "common/dialogs.h"

namespace tessar {

class QtDialogs final : public Dialogs {
 public:
  explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}

  void ShowMessage(const QString& text, const QString& caption = {}) override;
  bool Confirm(const QString& text, const QString& caption) override;
  bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
  QString SaveFileName(const QString& caption, const QString& directory,
                       const QString& filter, const QString& defaultSuffix = {}) override;
  void Beep() override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace tessar
