#include "common/ui/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tessar {

namespace {
QString CaptionOrTitle(const QString& caption) {
  return caption.isEmpty() ? QApplication::applicationName() : caption;
}
}  // namespace

void QtDialogs::ShowMessage(const QString& text, const QString& caption) {
  QMessageBox::information(owner_, CaptionOrTitle(caption), text, QMessageBox::Ok);
}

bool QtDialogs::Confirm(const QString& text, const QString& caption) {
  return QMessageBox::question(owner_, CaptionOrTitle(caption), text,
                               QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Ok) == QMessageBox::Ok;
}

bool QtDialogs::InputQuery(const QString& caption, const QString& prompt, QString& value) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(owner_, caption, prompt, QLineEdit::Normal, value, &ok);
  if (ok) value = answer;
  return ok;
}

QString QtDialogs::SaveFileName(const QString& caption, const QString& directory,
                                const QString& filter, const QString& defaultSuffix) {
  QFileDialog dialog(owner_, caption, directory, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

void QtDialogs::Beep() { QApplication::beep(); }

}  // namespace tessar
