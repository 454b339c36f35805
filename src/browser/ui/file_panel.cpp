#include "browser/ui/file_panel.h"

#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QStorageInfo>
#include <QVBoxLayout>

#include "browser/record_loader.h"
#include "browser/ui/named.h"

namespace tessar {

namespace {

const QString kFilters[][2] = {
    {QStringLiteral("All files (*.*)"), QStringLiteral("*.*")},
    {QStringLiteral("ORV file(*.ORV)"), QStringLiteral("*.ORV")},
    {QStringLiteral("TXT file(*.TXT)"), QStringLiteral("*.TXT")},
};
constexpr int kOrvFilter = 1;
constexpr int kWidth = 270;

QDateEdit* DatePicker(const QString& name) {
  auto* picker = Named(new QDateEdit, name);
  picker->setCalendarPopup(true);
  picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  picker->setMinimumWidth(108);
  return picker;
}

QSpinBox* HourBox(const QString& name) {
  auto* hour = Named(new QSpinBox, name);
  hour->setRange(0, 23);
  return hour;
}

}  // namespace

FilePanel::FilePanel(QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);

  GBDate = Named(new QGroupBox(QStringLiteral("Date/Time")), QStringLiteral("GBDate"));
  auto* date = new QGridLayout(GBDate);
  date->addWidget(Named(new QLabel(QStringLiteral("Device")), QStringLiteral("LblPort")), 0, 0);
  CBSel = Named(new QComboBox, QStringLiteral("CBSel"));
  CBSel->addItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
  date->addWidget(CBSel, 0, 1, 1, 3);
  date->addWidget(Named(new QLabel(QStringLiteral("Start Date")), QStringLiteral("LblSDate")), 1, 0);
  DateTimePicker1 = DatePicker(QStringLiteral("DateTimePicker1"));
  date->addWidget(DateTimePicker1, 1, 1);
  date->addWidget(Named(new QLabel(QStringLiteral("Time")), QStringLiteral("LblSTime")), 1, 2);
  UDStart = HourBox(QStringLiteral("UDStart"));
  date->addWidget(UDStart, 1, 3);
  date->addWidget(Named(new QLabel(QStringLiteral("End Date")), QStringLiteral("LblEDate")), 2, 0);
  DateTimePicker2 = DatePicker(QStringLiteral("DateTimePicker2"));
  date->addWidget(DateTimePicker2, 2, 1);
  date->addWidget(Named(new QLabel(QStringLiteral("Time")), QStringLiteral("LblETime")), 2, 2);
  UDEnd = HourBox(QStringLiteral("UDEnd"));
  date->addWidget(UDEnd, 2, 3);
  BtnDraw = Named(new QPushButton(QStringLiteral("Draw Chart")), QStringLiteral("BtnDraw"));
  date->addWidget(BtnDraw, 3, 0, 1, 4);
  column->addWidget(GBDate);

  DriveComboBox1 = Named(new QComboBox, QStringLiteral("DriveComboBox1"));
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
    if (volume.isValid() && volume.isReady()) DriveComboBox1->addItem(volume.rootPath());
  column->addWidget(DriveComboBox1);
  directories_ = new QFileSystemModel(this);
  directories_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  directories_->setRootPath(QDir::rootPath());
  DirectoryListBox1 = Named(new QTreeView, QStringLiteral("DirectoryListBox1"));
  DirectoryListBox1->setModel(directories_);
  for (int c = 1; c < directories_->columnCount(); ++c) DirectoryListBox1->hideColumn(c);
  DirectoryListBox1->setHeaderHidden(true);
  DirectoryListBox1->installEventFilter(this);
  DirectoryListBox1->viewport()->installEventFilter(this);
  // The model reads folders in the background: as the folders on the way to
  // the shown one arrive (and are sorted), the tree is brought to it again,
  // until the user takes the tree in hand.
  connect(directories_, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
    if (directory_.startsWith(path)) RevealTreeDirectory();
  });
  connect(directories_, &QAbstractItemModel::layoutChanged, this, [this] { RevealTreeDirectory(); });
  column->addWidget(DirectoryListBox1, 1);
  FileListBox1 = Named(new QListWidget, QStringLiteral("FileListBox1"));
  FileListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  column->addWidget(FileListBox1, 1);
  FilterComboBox1 = Named(new QComboBox, QStringLiteral("FilterComboBox1"));
  for (const auto& filter : kFilters) FilterComboBox1->addItem(filter[0], filter[1]);
  column->addWidget(FilterComboBox1);
  for (QWidget* w : std::initializer_list<QWidget*>{GBDate, DriveComboBox1, DirectoryListBox1, FileListBox1})
    w->setFixedWidth(kWidth);

  connect(BtnDraw, &QPushButton::clicked, this, &FilePanel::DrawClicked);
  connect(FileListBox1, &QListWidget::itemDoubleClicked, this, &FilePanel::FilesDoubleClicked);
  connect(FilterComboBox1, &QComboBox::activated, this, &FilePanel::FilterComboBox1Change);
  connect(DirectoryListBox1, &QTreeView::clicked, this,
          [this](const QModelIndex& index) { SetDirectory(directories_->filePath(index)); });
}

void FilePanel::Start(const QString& directory, const CalendarTime& now) {
  SetDirectory(directory);
  const QDate today(now.year, now.month, now.day);
  DateTimePicker1->setDate(today);
  DateTimePicker2->setDate(today);
  UDStart->setValue(now.hour);
  UDEnd->setValue(now.hour);
  CBSel->setCurrentIndex(0);
  FilterComboBox1->setCurrentIndex(kOrvFilter);
  FilterComboBox1Change();
}

void FilePanel::SetDirectory(const QString& directory) {
  directory_ = directory;
  followDirectory_ = true;
  RevealTreeDirectory();
  FillFileList();
}

void FilePanel::RevealTreeDirectory() {
  if (!followDirectory_) return;
  const QModelIndex index = directories_->index(directory_);
  if (!index.isValid()) return;
  DirectoryListBox1->setCurrentIndex(index);
  // scrolled only when out of sight (also when a folder on the way is closed)
  if (!DirectoryListBox1->viewport()->rect().contains(DirectoryListBox1->visualRect(index)))
    DirectoryListBox1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void FilePanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  RevealTreeDirectory();  // now that the tree has its size
}

void FilePanel::FillFileList() {
  FileListBox1->clear();
  const QString mask = FilterComboBox1->currentData().toString();
  QDir dir(directory_);
  const QStringList names =
      dir.entryList(mask == QStringLiteral("*.*") ? QStringList{} : QStringList{mask},
                    QDir::Files, QDir::Name | QDir::IgnoreCase);
  FileListBox1->addItems(names);
}

void FilePanel::FilterComboBox1Change() { FillFileList(); }

std::vector<std::filesystem::path> FilePanel::RangeFiles(const QString& dataDirectory) {
  FilterComboBox1->setCurrentIndex(kOrvFilter);
  FillFileList();
  const auto hourOf = [](const QDate& d, int hour) {
    return static_cast<long long>(EncodeDateTime({d.year(), d.month(), d.day()})) * 24 + hour;
  };
  const long long start = hourOf(DateTimePicker1->date(), UDStart->value());
  const long long end = hourOf(DateTimePicker2->date(), UDEnd->value());
  const int drive = DriveComboBox1->findText(QStorageInfo(dataDirectory).rootPath());
  if (drive >= 0) DriveComboBox1->setCurrentIndex(drive);
  std::vector<std::filesystem::path> files =
      RangeFileList(dataDirectory.toStdString(), CBSel->currentText().at(0).toLatin1(), start, end);
  if (!files.empty()) SetDirectory(QString::fromStdString(files.back().parent_path().string()));
  return files;
}

std::vector<std::filesystem::path> FilePanel::SelectedFiles() const {
  std::vector<std::filesystem::path> files;
  for (int i = 0; i < FileListBox1->count(); ++i) {
    QListWidgetItem* item = FileListBox1->item(i);
    if (!item->isSelected() || !item->text().toUpper().endsWith(QStringLiteral(".ORV"))) continue;
    files.emplace_back((directory_ + QLatin1Char('/') + item->text()).toStdString());
  }
  return files;
}

bool FilePanel::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == DirectoryListBox1 || watched == DirectoryListBox1->viewport()) &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel ||
       event->type() == QEvent::KeyPress)) {
    followDirectory_ = false;  // the user browses the tree now
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace tessar
