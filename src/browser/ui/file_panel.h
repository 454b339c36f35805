// The browser's file choice, the column beside its chart: the range fields
// (board, start and end date and hour, "Draw Chart") and the file selection
// (drive, folder tree, file list with its filter). It makes the lists of
// files that the browser loads.
#pragma once

#include <QComboBox>
#include <QDateEdit>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QWidget>
#include <filesystem>
#include <vector>

#include "common/date_time.h"

namespace tessar {

class FilePanel : public QWidget {
  Q_OBJECT
 public:
  explicit FilePanel(QWidget* parent = nullptr);

  QGroupBox* GBDate = nullptr;
  QComboBox* CBSel = nullptr;
  QDateEdit* DateTimePicker1 = nullptr;
  QSpinBox* UDStart = nullptr;
  QDateEdit* DateTimePicker2 = nullptr;
  QSpinBox* UDEnd = nullptr;
  QPushButton* BtnDraw = nullptr;
  QComboBox* DriveComboBox1 = nullptr;
  QTreeView* DirectoryListBox1 = nullptr;
  QListWidget* FileListBox1 = nullptr;
  QComboBox* FilterComboBox1 = nullptr;

  // As the browser opens: both dates `now`'s day, both hours its hour,
  // board "A", the ORV filter, the file list at `directory`.
  void Start(const QString& directory, const CalendarTime& now);

  // The folder the file list shows; the tree follows it.
  QString Directory() const { return directory_; }
  void SetDirectory(const QString& directory);
  void FilterComboBox1Change();

  // The recording files of the range fields' board, hour by hour from the
  // start to the end, in `dataDirectory`. On the way the ORV filter is
  // chosen, the drive of `dataDirectory` selected and the list shows the
  // folder of the last file.
  std::vector<std::filesystem::path> RangeFiles(const QString& dataDirectory);
  // The selected ".ORV" files of the list, in list order.
  std::vector<std::filesystem::path> SelectedFiles() const;

 signals:
  void DrawClicked();
  void FilesDoubleClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FillFileList();
  // The folder tree selects and scrolls to the file list's folder.
  void RevealTreeDirectory();

  QFileSystemModel* directories_ = nullptr;
  QString directory_;
  bool followDirectory_ = true;  // the tree follows the file list's folder
};

}  // namespace tessar
