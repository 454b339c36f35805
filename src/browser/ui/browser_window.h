// The record browser (TFormB): selects recording files by board and
// date-time range or in its file list, charts them, and offers zoom, channel
// visibility, point markers, smoothing, statistics, the text and spreadsheet
// exports, the clipboard picture and the printed report. Created anew and
// shown modally by every "Browser / Print" button and the Browser menu item;
// it holds the acquisition (AcquisitionHold) while it works and always
// releases it when it closes.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeView>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <array>
#include <functional>
#include <memory>

#include "browser/chart_data.h"
#include "browser/record_loader.h"
#include "browser/ui/file_panel.h"
#include "browser/ui/report_page.h"
#include "i18n/messages.h"

namespace tessar {

class BrowserOutput;
class Dialogs;
class QtDialogs;
class RadioGroup;
struct ProgramState;

class BrowserWindow : public QDialog {
  Q_OBJECT
 public:
  BrowserWindow(ProgramState& state, Dialogs& dialogs, QWidget* parent = nullptr);
  ~BrowserWindow() override;

  // What every "Browser / Print" button and the Browser menu item do: a new
  // browser owned by `owner`, shown modally, gone when closed.
  static void Open(ProgramState& state, Dialogs& dialogs, QWidget* owner);

  // --- controls ---
  QLabel* LblName = nullptr;
  QLabel* LblStart = nullptr;
  QChartView* ChartD = nullptr;
  QChart* chart() const { return chart_; }
  std::array<QLineSeries*, kBrowserSeriesCount> Series{};
  QValueAxis* AxisY = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  std::array<QCheckBox*, kBrowserSeriesCount> CheckBox{};
  QCheckBox* ChkViewP1 = nullptr;
  QLabel* LblSN = nullptr;
  QLabel* LblSer = nullptr;
  QLabel* LblX = nullptr;
  QLabel* LblY = nullptr;
  QPushButton* BtZoomIn = nullptr;
  QPushButton* BtZoomOut = nullptr;
  QPushButton* BtAuto = nullptr;
  QPushButton* BtSmth = nullptr;
  QGroupBox* GBSample = nullptr;
  QSpinBox* UpDown1 = nullptr;  // the subsampling factor, with its edit
  RadioGroup* RGX = nullptr;
  QPushButton* BtTXT = nullptr;
  QPushButton* BtXLS = nullptr;
  QPushButton* BtClipboard = nullptr;
  QPushButton* BtPrint = nullptr;
  QPushButton* BtClose = nullptr;
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
  QPlainTextEdit* Memo1 = nullptr;
  QMenu* PM2 = nullptr;
  QAction* Copy1 = nullptr;
  QAction* ModifyTitles1 = nullptr;
  QAction* GetAverage1 = nullptr;
  QStatusBar* SBar = nullptr;

  // --- handlers ---
  void BtnDrawClick();
  void FileListBox1DblClick();
  void FilterComboBox1Change();
  void LoadRecordFiles(const std::vector<std::filesystem::path>& files);
  void BtZoomInClick();
  void BtZoomOutClick();
  void BtAutoClick();
  void CheckBox0Click(int channel);
  void ChkViewP1Click();
  void UpDown1Click();
  void BtSmthClick();
  void GetAverage1Click();
  void Memo1DblClick();
  void BtXLSClick();
  void BtTXTClick();
  void BtClipboardClick();
  void BtPrintClick();
  void ModifyTitles1Click();
  // Mouse rules of the chart, positions in the chart view's coordinates.
  void ChartDMouseMove(const QPointF& position);
  // True when the pop-up menu may open for a right press at `position`.
  bool ChartDMouseDown(const QPointF& position);

  // The folder the file list shows.
  QString FileListDirectory() const;
  void SetFileListDirectory(const QString& directory);

  // --- state ---
  const ChartData& data() const { return data_; }
  AxisMode mode() const;          // the x-axis mode chosen
  AxisMode loadedMode() const { return loadedMode_; }  // the one the chart was loaded with
  bool loading() const { return loading_; }
  bool seriesActive(int i) const { return active_[static_cast<std::size_t>(i)]; }
  AxisRange xRange() const { return xRange_; }
  AxisRange yRange() const { return yRange_; }
  // The chart on a white background, as the clipboard and the report get it.
  QImage ChartPicture() const;
  // Shows the report; the print preview unless a test installs another way.
  std::function<void(ReportForm&)> showReport;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Dialogs& OwnDialogs(Dialogs& given);
  void BuildControls();
  void FormCreate();
  void SetBrowserButtonsEnabled(bool enabled);
  void SetStatus(const QString& text) { SBar->showMessage(text); }
  QString Text(Msg id) const;
  void SetUpXAxis();
  void FillSeries();
  void ApplyRanges();
  void AutoRanges();
  void Zoom(double percent);
  // A zoom or Auto: buttons disabled and acquisition held meanwhile.
  void ChangeRanges(const std::function<void()>& change);
  double ToAxis(double x) const;
  double FromAxis(double v) const;

  ProgramState& state_;
  std::unique_ptr<QtDialogs> ownDialogs_;  // dialogs that open over the browser
  Dialogs& dialogs_;
  std::unique_ptr<BrowserOutput> output_;
  FilePanel* files_ = nullptr;
  QChart* chart_ = nullptr;
  QDateTimeAxis* timeAxis_ = nullptr;
  QValueAxis* secondsAxis_ = nullptr;
  ChartData data_;
  std::array<bool, kBrowserSeriesCount> active_{};
  AxisMode loadedMode_ = AxisMode::RecordTime;
  double loadStart_ = 0.0;
  AxisRange xRange_, yRange_;
  bool loading_ = false;
};

}  // namespace tessar
