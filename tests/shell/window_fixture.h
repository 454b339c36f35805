// A logger main window in a temporary executable directory with scripted
// dialogs, for the widget suites of the shell.
#pragma once

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "scripted_dialogs.h"
#include "settings/board_settings.h"
#include "shell/edition.h"
#include "shell/ui/main_window.h"

namespace tessar::test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    // the first run's default data directory lies in the home directory
    savedHome_ = qgetenv("HOME");
    qputenv("HOME", dir_.path().toLocal8Bit());
  }
  void TearDown() override {
    window_.reset();
    qputenv("HOME", savedHome_);
  }

  QString ExeDir() const { return dir_.path(); }
  // The program file the window believes it runs as: its settings file lies beside it.
  static QString ProgramName(const Edition& edition) {
    return edition.IsClient() ? QStringLiteral("tessview") : QStringLiteral("tessar");
  }
  QString ExePath(const Edition& edition = kTessarEdition) const {
    return dir_.path() + '/' + ProgramName(edition);
  }
  std::string SettingsPath() const { return (dir_.path() + "/tessar.SET").toStdString(); }

  // A settings image with the defaults and the data directory in the temporary folder.
  SettingsImage DefaultImage() const {
    SettingsImage image;
    FillDefaults(image, (dir_.path() + "/data").toStdString());
    return image;
  }
  void WriteSettings(const SettingsImage& image) const {
    ASSERT_TRUE(WriteSettingsImage(SettingsPath(), image));
  }

  // Creates the window and runs its start sequence.
  MainWindow& Start(const Edition& edition = kTessarEdition) {
    window_ = std::make_unique<MainWindow>(edition, ExePath(edition), &dialogs_);
    window_->SetCloseDelayMs(0);
    window_->TimerSTimer();
    return *window_;
  }

  QTemporaryDir dir_;
  QByteArray savedHome_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tessar::test
