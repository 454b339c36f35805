#pragma once

#include <QMainWindow>
#include <QString>

#include "shell/edition.h"

namespace tessar {

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(const Edition& edition, const QString& executableDirectory, QWidget* parent = nullptr);

  const Edition& edition() const { return edition_; }
  const QString& executableDirectory() const { return exeDirectory_; }

 private:
  const Edition& edition_;
  QString exeDirectory_;
};

}  // namespace tessar
