// The record browser window on real files: range selection, loading, chart
// operations, exports through the save dialog, the report and its hold.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>
#include <set>

#include "acquisition/axis_scale.h"
#include "acquisition/program_state.h"
#include "browser/ui/browser_window.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/chart_view.h"
#include "../device/sim_harness.h"
#include "browser/ui/title_dialog.h"
#include "chart_labels.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "common/ui/radio_group.h"
#include "i18n/ui/caption_setter.h"
#include "device/frame_state.h"
#include "record_files.h"
#include "scripted_dialogs.h"
#include "shell/edition.h"
#include "shell/ui/main_window.h"
#include "test_support.h"

namespace tessar {
namespace {

namespace fs = std::filesystem;

class BrowserWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.CurrentDataDirectory = tmp_.path() + QStringLiteral("/data");
    state_.ProgramDirectory = tmp_.path();
    state_.KoreanUi = false;
    start_ = EncodeDateTime({2026, 12, 8, 14, 0, 0});
  }
  fs::path Data() const { return fs::path(state_.CurrentDataDirectory.toStdString()); }
  // A versioned file of a 7-channel device ("A3") in board A's folder of the day.
  void WriteRecording(const char* name, int first, int count, const std::string& serial = "A30001") {
    test::RecordFileShape shape{3, "2.0.2", {"Kiln 3", "Firing", "x", "degC"}, {"In", "Out"}, serial, start_};
    test::WriteFile(Data() / "20261208" / "A" / name,
                    test::RecordHeaderBytes(shape) + test::RecordsBytes(3, start_, count, first));
  }

  QTemporaryDir tmp_;
  ProgramState state_;
  test::ScriptedDialogs dialogs_;
  double start_ = 0;
  ManualClock clock_{EncodeDateTime({2026, 12, 8, 15, 30, 0})};
  ScopedClock scoped_{clock_};
};

TEST_F(BrowserWindowTest, RangeLoadChartOperationsExportsAndReport) {
  WriteRecording("140000.ORV", 0, 5);
  WriteRecording("150000.ORV", 3600, 5);
  WriteRecording("160000.ORV", 7200, 5);
  BrowserWindow w(state_, dialogs_);
  EXPECT_EQ(w.size(), QSize(1024, 736));
  EXPECT_EQ(w.minimumSize(), w.maximumSize());
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("Browser"));
  EXPECT_EQ(w.UDStart->value(), 15);
  EXPECT_EQ(w.CBSel->currentText(), QStringLiteral("A"));
  EXPECT_EQ(w.FilterComboBox1->currentIndex(), 1);

  // The initial range (start = end) lists nothing.
  w.BtnDrawClick();
  EXPECT_EQ(w.SBar->currentMessage(), QStringLiteral("No data!!"));

  w.UDStart->setValue(14);
  w.UDEnd->setValue(16);  // 14:00 .. 16:00 excludes the file of 16
  w.BtnDrawClick();
  EXPECT_FALSE(AcquisitionHold);
  EXPECT_EQ(w.SBar->currentMessage(), QStringLiteral("Total data are 10"));
  EXPECT_EQ(w.LblName->text(), QStringLiteral("Kiln 3"));
  EXPECT_EQ(w.chart()->title(), QStringLiteral("Firing"));
  EXPECT_EQ(w.LblSer->text(), QStringLiteral("A30001"));
  EXPECT_EQ(w.LblStart->text(), QStringLiteral("2026-12-08 14:00:00"));
  EXPECT_EQ(w.data().channelCount, 7);
  EXPECT_FALSE(w.CheckBox[7]->isEnabled());
  EXPECT_TRUE(w.seriesActive(6));
  EXPECT_FALSE(w.seriesActive(7));
  EXPECT_EQ(w.Series[1]->count(), 10);
  EXPECT_EQ(w.Series[1]->name(), QStringLiteral("Out"));
  EXPECT_EQ(w.FileListBox1->count(), 3);  // the day folder is shown

  // Zoom: 95 % after the load, 110 in, Auto back to the data's range.
  const AxisRange data = DataRange(w.data().x);
  EXPECT_DOUBLE_EQ(w.xRange().min, Zoomed(data, 95).min);
  w.BtZoomInClick();
  EXPECT_DOUBLE_EQ(w.xRange().max, Zoomed(Zoomed(data, 95), 110).max);
  w.BtAutoClick();
  EXPECT_EQ(w.xRange(), data);
  EXPECT_FALSE(AcquisitionHold);

  // The pop-up menu opens outside the plotting area only; the read-out.
  w.show();
  QCoreApplication::processEvents();
  const QRectF plot = w.chart()->plotArea();
  const QPointF centre = w.ChartD->mapFromScene(w.chart()->mapToScene(plot.center()));
  EXPECT_FALSE(w.ChartDMouseDown(centre));
  EXPECT_TRUE(w.ChartDMouseDown(QPointF(2, 2)));
  w.ChartDMouseMove(centre);
  EXPECT_TRUE(w.LblX->text().startsWith(QStringLiteral("2026-12-08 1"))) << w.LblX->text().toStdString();

  // Statistics memo.
  w.GetAverage1Click();
  EXPECT_TRUE(w.Memo1->isVisibleTo(&w));
  EXPECT_TRUE(w.Memo1->toPlainText().contains(QStringLiteral("CH8: Count=0,")));
  w.Memo1DblClick();
  EXPECT_FALSE(w.Memo1->isVisibleTo(&w));

  // Titles edited in the dialog go into the exports.
  TitleDialog titles(w.chart());
  titles.FormShow();
  EXPECT_EQ(titles.Edit1->text(), QStringLiteral("Firing"));
  EXPECT_EQ(titles.Edit2->text(), QStringLiteral("Record Time(hh:mm:ss)"));
  EXPECT_EQ(titles.Edit3->text(), QStringLiteral("degC"));
  titles.Edit1->setText(QStringLiteral("Renamed"));
  titles.OKBtnClick();

  // Exports: the dialog is given the suffix; the extension is replaced only
  // within the file name.
  const QString folder = tmp_.path() + QStringLiteral("/v1.2");
  QDir().mkpath(folder);
  dialogs_.QueueSaveFileName(folder + QStringLiteral("/run1"));
  w.BtXLSClick();
  EXPECT_EQ(dialogs_.Texts(test::ScriptedDialogs::Kind::SaveFile), QStringList{QStringLiteral("XLS")});
  EXPECT_EQ(w.SBar->currentMessage(), QStringLiteral("Saved as ") + folder + QStringLiteral("/run1.XLS"));
  EXPECT_TRUE(fs::exists(folder.toStdString() + "/run1.XLS"));
  dialogs_.QueueSaveFileName(folder + QStringLiteral("/run1.xls"));
  w.BtTXTClick();
  const std::string text = test::FileText(folder.toStdString() + "/run1.TXT");
  EXPECT_EQ(text.substr(0, text.find('\r')), "Renamed # degC # 2026-12-08 14:00:00");
  dialogs_.QueueSaveFileName(tmp_.path() + QStringLiteral("/missing/dir/x"));
  w.BtTXTClick();
  EXPECT_EQ(w.SBar->currentMessage(), QStringLiteral("There are some errors"));
  w.BtTXTClick();  // cancelled: nothing changes
  EXPECT_EQ(w.SBar->currentMessage(), QStringLiteral("There are some errors"));
  EXPECT_FALSE(AcquisitionHold);

  // The clipboard gets the chart's picture.
  w.BtClipboardClick();
  EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());

  // The report: the hold is cleared before the preview shows; the picture
  // comes from memory and temp.bmp is written beside the program.
  w.CheckBox[2]->setChecked(false);
  w.CheckBox0Click(2);
  bool holdWhileShown = true;
  ReportContent shown;
  w.showReport = [&](ReportForm& form) {
    holdWhileShown = AcquisitionHold;
    shown = form.content();
  };
  w.BtPrintClick();
  EXPECT_FALSE(holdWhileShown);
  EXPECT_TRUE(fs::exists(tmp_.path().toStdString() + "/temp.bmp"));
  EXPECT_FALSE(shown.picture.isNull());
  EXPECT_EQ(shown.title, QStringLiteral("Kiln 3"));
  EXPECT_EQ(shown.start, QStringLiteral("2026-12-08 14:00:00"));
  EXPECT_EQ(shown.end, QStringLiteral("2026-12-08 15:00:04"));
  EXPECT_EQ(shown.total, QStringLiteral("10"));
  EXPECT_EQ(shown.printTime, QStringLiteral("2026-12-08 15:30:00"));
  EXPECT_EQ(shown.table[0][0], QStringLiteral("Out"));
  EXPECT_EQ(shown.table[1][0], QStringLiteral("      1.00"));  // min of channel 1
  EXPECT_EQ(shown.table[1][1], QStringLiteral("         -"));  // switched off
  EXPECT_EQ(shown.table[4][6], QStringLiteral("         -"));  // beyond 7 channels
  const QString pdf = tmp_.path() + QStringLiteral("/report.pdf");
  EXPECT_TRUE(WriteReportPdf(shown, pdf));
  EXPECT_GT(QFileInfo(pdf).size(), 1000);
  // TESSAR_SHOTS=<folder>: the window and the report in both languages, to look at.
  if (qEnvironmentVariableIsSet("TESSAR_SHOTS")) {
    const QString shots = qEnvironmentVariable("TESSAR_SHOTS");
    w.grab().save(shots + QStringLiteral("/browser_en.png"));
    WriteReportPdf(shown, shots + QStringLiteral("/report_en.pdf"));
    shown.korean = true;
    WriteReportPdf(shown, shots + QStringLiteral("/report_ko.pdf"));
  }

  // A subsampling change empties the chart; exports then do nothing.
  w.UpDown1->setValue(2);
  EXPECT_EQ(w.Series[0]->count(), 0);
  w.BtXLSClick();
  EXPECT_EQ(dialogs_.Count(test::ScriptedDialogs::Kind::SaveFile), 4);
}

// The folder tree opens at the data folder, whatever the file-system model
// still has to read; "View Point" marks every series with its own shape in
// its colour, and a load takes the markers off again.
TEST_F(BrowserWindowTest, TreeOpensAtTheDataFolderAndMarkersHaveTheirSeriesShapes) {
  std::string records;
  for (int i = 0; i < 40; ++i) {
    std::vector<double> v;
    for (int c = 0; c < 9; ++c) v.push_back(12.0 * c + 4.0 * std::sin(i / 4.0 + c));
    records += test::RecordBytes(3, start_ + i / 86400.0, v);
  }
  const test::RecordFileShape shape{3, "2.0.2", {"Kiln 9", "Markers", "x", "degC"}, {}, "B80001", start_};
  test::WriteFile(Data() / "20261208" / "A" / "140000.ORV", test::RecordHeaderBytes(shape) + records);
  BrowserWindow w(state_, dialogs_);
  QTreeView& tree = *w.DirectoryListBox1;
  const auto* folders = static_cast<const QFileSystemModel*>(tree.model());
  QStringList read;  // the folders the model has read so far
  QObject::connect(folders, &QFileSystemModel::directoryLoaded, [&](const QString& p) { read << p; });
  w.show();
  auto atDataFolder = [&] {
    const QModelIndex at = tree.currentIndex();
    return at.isValid() && QDir(folders->filePath(at)) == QDir(state_.CurrentDataDirectory) &&
           tree.viewport()->rect().contains(tree.visualRect(at));
  };
  EXPECT_TRUE(test::WaitUntil(atDataFolder, 5000));
  // and still there once the folders on the way have been read
  EXPECT_TRUE(test::WaitUntil([&] {
    for (QDir d(state_.CurrentDataDirectory); d.cdUp();)
      if (!read.contains(d.absolutePath())) return false;
    return true;
  }, 5000)) << read.join(' ').toStdString();
  EXPECT_TRUE(atDataFolder()) << folders->filePath(tree.currentIndex()).toStdString();
  if (qEnvironmentVariableIsSet("TESSAR_SHOTS"))
    w.grab().save(qEnvironmentVariable("TESSAR_SHOTS") + "/browser_open.png");

  w.UDStart->setValue(14);
  w.BtnDrawClick();
  ASSERT_EQ(w.Series[8]->count(), 40);
  w.ChkViewP1->setChecked(true);
  w.ChkViewP1Click();
  std::set<std::vector<uchar>> shapes;
  for (int i = 0; i < kBrowserSeriesCount; ++i) {
    const QImage marker = w.Series[i]->lightMarker().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(marker.isNull()) << i;
    bool ownColour = false;
    std::vector<uchar> mask;
    for (int y = 0; y < marker.height(); ++y) {
      for (int x = 0; x < marker.width(); ++x) {
        ownColour |= (marker.pixel(x, y) & 0xFFFFFFu) == SeriesLooks()[i].colour && qAlpha(marker.pixel(x, y)) == 255;
        mask.push_back(static_cast<uchar>(qAlpha(marker.pixel(x, y))));
      }
    }
    EXPECT_TRUE(ownColour) << i;
    shapes.insert(mask);
  }
  EXPECT_EQ(shapes.size(), 6u) << "diamond, rectangle, circle, triangle, star, down-triangle";
  QCoreApplication::processEvents();
  if (qEnvironmentVariableIsSet("TESSAR_SHOTS"))
    w.grab().save(qEnvironmentVariable("TESSAR_SHOTS") + "/browser_markers.png");
  w.BtnDrawClick();
  EXPECT_FALSE(w.ChkViewP1->isChecked());
  for (QLineSeries* s : w.Series) EXPECT_TRUE(s->lightMarker().isNull());
}

TEST_F(BrowserWindowTest, ClicksDuringALoadAreIgnoredAndTheWindowStays) {
  WriteRecording("140000.ORV", 0, 700);
  BrowserWindow w(state_, dialogs_);
  w.show();
  w.SetFileListDirectory(QString::fromStdString((Data() / "20261208" / "A").string()));
  ASSERT_EQ(w.FileListBox1->count(), 1);
  w.FileListBox1->item(0)->setSelected(true);
  bool sawLoading = false, holdDuringLoad = false;
  QTimer::singleShot(0, &w, [&] {
    sawLoading = w.loading();
    holdDuringLoad = AcquisitionHold;
    w.FileListBox1DblClick();
    w.BtnDrawClick();
    w.close();
  });
  w.FileListBox1DblClick();
  EXPECT_TRUE(sawLoading);
  EXPECT_TRUE(holdDuringLoad);
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.SBar->currentMessage(), QStringLiteral("Total data are 700"));
  EXPECT_FALSE(AcquisitionHold);
  AcquisitionHold = true;
  w.close();
  EXPECT_FALSE(AcquisitionHold);  // closing always releases the acquisition
}

// The value axis after a load, "Auto" and a zoom is labelled on round
// numbers; "Auto" puts its ends on them with the values a little inside, the
// load widens that by 5 %, and the time axis still spans the data exactly.
TEST_F(BrowserWindowTest, ValueAxisIsLabelledOnRoundNumbers) {
  std::string records;
  double low = 1e9, high = -1e9;
  for (int i = 0; i < 60; ++i) {
    std::vector<double> v;
    for (int c = 0; c < 9; ++c) v.push_back(23.4 + 81.9 * (0.5 + 0.5 * std::sin(i / 7.0 + c)));
    for (int c = 0; c < 7; ++c) low = std::min(low, v[c]), high = std::max(high, v[c]);
    records += test::RecordBytes(3, start_ + i / 86400.0, v);
  }
  const test::RecordFileShape shape{3, "2.0.2", {"Kiln 4", "Axis", "x", "degC"}, {}, "A30004", start_};
  test::WriteFile(Data() / "20261208" / "A" / "140000.ORV", test::RecordHeaderBytes(shape) + records);
  BrowserWindow w(state_, dialogs_);
  w.show();
  w.UDStart->setValue(14);
  w.BtnDrawClick();
  ASSERT_EQ(w.Series[0]->count(), 60);
  const AxisScale automatic = AutomaticScale(low, high);
  ASSERT_GT(automatic.step, 0);
  struct Case {
    const char* what;
    std::function<void()> act;
    AxisRange y;  // the range shown afterwards; empty: whatever the zoom makes
  };
  const Case cases[] = {
      {"loaded", [] {}, Zoomed({automatic.min, automatic.max}, 95)},
      {"Auto", [&] { w.BtAutoClick(); }, {automatic.min, automatic.max}},
      {"zoomed in", [&] { w.BtZoomInClick(); }, {}},
      {"zoomed out", [&] { w.BtZoomOutClick(); w.BtZoomOutClick(); }, {}},
  };
  for (const Case& c : cases) {
    c.act();
    QCoreApplication::processEvents();
    if (c.y.max > c.y.min) {
      EXPECT_DOUBLE_EQ(w.yRange().min, c.y.min) << c.what;
      EXPECT_DOUBLE_EQ(w.yRange().max, c.y.max) << c.what;
    }
    EXPECT_DOUBLE_EQ(w.AxisY->min(), w.yRange().min) << c.what;
    EXPECT_DOUBLE_EQ(w.AxisY->max(), w.yRange().max) << c.what;
    const std::vector<double> labels = test::ValueAxisLabels(*w.ChartD);
    std::string why;
    EXPECT_TRUE(test::RoundLabels(labels, &why)) << c.what << ": " << why;
    if (qEnvironmentVariableIsSet("TESSAR_SHOTS") && c.y.max > c.y.min)
      w.grab().save(qEnvironmentVariable("TESSAR_SHOTS") + QStringLiteral("/browser_axis_%1.png").arg(QString::fromLatin1(c.what)));
  }
  w.BtAutoClick();
  QCoreApplication::processEvents();
  const std::vector<double> labels = test::ValueAxisLabels(*w.ChartD);
  ASSERT_FALSE(labels.empty());
  EXPECT_DOUBLE_EQ(labels.front(), automatic.min);  // both ends labelled
  EXPECT_DOUBLE_EQ(labels.back(), automatic.max);
  EXPECT_LT(automatic.min, low);
  EXPECT_GT(automatic.max, high);
  EXPECT_EQ(w.xRange(), DataRange(w.data().x));
}

// Esc, wherever the focus is, neither closes the browser nor drops its
// chart; the Close button does close it.
TEST_F(BrowserWindowTest, EscapeLeavesTheBrowserAndItsChartOpen) {
  WriteRecording("140000.ORV", 0, 5);
  BrowserWindow w(state_, dialogs_);
  w.show();
  w.UDStart->setValue(14);
  w.BtnDrawClick();
  ASSERT_EQ(w.Series[1]->count(), 5);
  const std::pair<const char*, QWidget*> targets[] = {
      {"window", &w}, {"file list", w.FileListBox1}, {"chart", w.ChartD},
      {"hour box", w.UDStart}, {"button", w.BtXLS}, {"board choice", w.CBSel},
  };
  for (const auto& [name, target] : targets) {
    target->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    EXPECT_TRUE(w.isVisible()) << name;
    EXPECT_EQ(w.Series[1]->count(), 5) << name;
  }
  w.BtClose->click();
  EXPECT_FALSE(w.isVisible());
}

TEST_F(BrowserWindowTest, EveryBrowserButtonAndTheMenuOpenAModalBrowserOnBoardA) {
  MainWindow main(kTessarEdition, tmp_.path() + QStringLiteral("/tessar"), &dialogs_);
  int opened = 0;
  auto closeOnceOpen = [&] {
    QTimer::singleShot(0, &main, [&] {
      auto* browser = qobject_cast<BrowserWindow*>(QApplication::activeModalWidget());
      ASSERT_NE(browser, nullptr);
      ++opened;
      EXPECT_EQ(browser->parent(), &main);
      EXPECT_EQ(browser->CBSel->currentText(), QStringLiteral("A"));
      browser->BtClose->click();
    });
  };
  for (int b = 0; b < 4; ++b) {
    closeOnceOpen();
    main.chartPage(b)->BtBrowser->click();
  }
  closeOnceOpen();
  main.findChild<QAction*>(QStringLiteral("MMBrowser"))->trigger();
  EXPECT_EQ(opened, 5);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(main.findChildren<BrowserWindow*>().isEmpty());  // each one gone when closed
}

// --- the printed report -----------------------------------------------------

// The report page painted at 10 px per mm (one px per painter unit).
QImage ReportImage(const ReportContent& content) {
  QImage page(2970, 2100, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter painter(&page);
  PaintReport(painter, content);
  painter.end();
  return page;
}

bool Ink(QRgb pixel) { return qGray(pixel) < 160; }

// Columns of px from the band's left corner, as the page lays them out.
int PagePx(double mm) { return static_cast<int>(std::lround((10.0 + mm) * 10.0)); }

// Statistics values of any size stay inside their 17.5 mm cells; those that
// fit keep the size of the others.
TEST(ReportPage, StatisticsValuesStayInsideTheirCells) {
  constexpr double kColumns[8] = {39.7, 60.3, 81.0, 101.6, 122.5, 143.1, 163.8, 184.4};
  constexpr double kRows[4] = {144.7, 153.2, 161.7, 170.1};
  struct Case {
    double value;
    bool shrunk;
  };
  // eights throughout, so that the heights of the texts compare
  const Case cases[] = {
      {8.88, false}, {88888.88, false}, {888888.88, true}, {-8888888.88, true}, {888888888888.88, true},
  };
  int plainHeight = 0;
  for (const Case& c : cases) {
    char text[64];
    std::snprintf(text, sizeof text, "%10.2f", c.value);
    ReportContent content;
    for (auto& row : content.table) row.fill(QString::fromLatin1(text));
    const QImage page = ReportImage(content);
    if (qEnvironmentVariableIsSet("TESSAR_SHOTS") && c.value < -1e6)
      page.save(qEnvironmentVariable("TESSAR_SHOTS") + QStringLiteral("/report_large_values.png"));
    for (double top : kRows) {
      // every inked column of the row lies inside a cell, every cell has ink
      int lowest = page.height(), highest = -1;
      std::array<bool, 8> inked{};
      for (int x = PagePx(37.5); x < PagePx(13.2 + 195.0) - 5; ++x) {
        for (int y = PagePx(top); y < PagePx(top + 5.0); ++y) {
          if (!Ink(page.pixel(x, y))) continue;
          lowest = std::min(lowest, y);
          highest = std::max(highest, y);
          int cell = -1;
          for (int col = 0; col < 8; ++col)
            if (x >= PagePx(kColumns[col]) - 2 && x <= PagePx(kColumns[col] + 17.5) + 2) cell = col;
          ASSERT_GE(cell, 0) << text << ": ink between the cells at x " << x << ", row " << top;
          inked[cell] = true;
        }
      }
      EXPECT_EQ(std::count(inked.begin(), inked.end(), true), 8) << text;
      const int height = highest - lowest + 1;
      if (c.value == 8.88) plainHeight = height;
      if (c.shrunk) {
        EXPECT_LT(height, plainHeight) << text;
      } else {
        EXPECT_EQ(height, plainHeight) << text;
      }
    }
  }
}

// The chart picture keeps its shape, as large as its 195 x 113.8 mm box
// allows and in its middle.
TEST(ReportPage, ChartPictureKeepsItsAspectRatioCentredInItsBox) {
  const QRect box(QPoint(PagePx(13.2), PagePx(15.1)), QPoint(PagePx(13.2 + 195.0), PagePx(15.1 + 113.8)));
  const QSize pictures[] = {{740, 505}, {2000, 400}, {300, 900}, {1950, 1138}};
  for (const QSize& size : pictures) {
    ReportContent content;
    content.picture = QImage(size, QImage::Format_RGB32);
    content.picture.fill(QColor(0, 0, 255));
    const QImage page = ReportImage(content);
    if (qEnvironmentVariableIsSet("TESSAR_SHOTS") && size == QSize(740, 505))
      page.save(qEnvironmentVariable("TESSAR_SHOTS") + QStringLiteral("/report_picture.png"));
    QRect blue;
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x)
        if (qBlue(page.pixel(x, y)) > 200 && qRed(page.pixel(x, y)) < 60) blue |= QRect(x, y, 1, 1);
    const std::string what = std::to_string(size.width()) + "x" + std::to_string(size.height());
    ASSERT_FALSE(blue.isEmpty()) << what;
    EXPECT_NEAR(double(blue.width()) / blue.height(), double(size.width()) / size.height(),
                0.01 * size.width() / size.height()) << what;
    EXPECT_NEAR(blue.center().x(), box.center().x(), 2) << what;
    EXPECT_NEAR(blue.center().y(), box.center().y(), 2) << what;
    EXPECT_TRUE(std::abs(blue.width() - box.width()) <= 4 || std::abs(blue.height() - box.height()) <= 4)
        << what << ": as large as the box allows";
  }
}

// --- stacking under a window manager ---------------------------------------

// The client windows of the X display, bottom to top, as the window manager
// stacks them.
std::vector<WId> StackingOrder(const QString& display = {}) {
  QProcess xprop;
  QStringList arguments;
  if (!display.isEmpty()) arguments << QStringLiteral("-display") << display;
  xprop.start(QStringLiteral("xprop"), arguments << QStringLiteral("-root") << QStringLiteral("_NET_CLIENT_LIST_STACKING"));
  std::vector<WId> windows;
  if (!xprop.waitForFinished(5000)) return windows;
  const QString text = QString::fromLatin1(xprop.readAllStandardOutput());
  const qsizetype hash = text.indexOf(QLatin1Char('#'));
  if (hash < 0) return windows;
  for (const QString& id : text.mid(hash + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    bool ok = false;
    const WId window = id.trimmed().toULongLong(&ok, 16);
    if (ok) windows.push_back(window);
  }
  return windows;
}

int StackingPosition(const std::vector<WId>& order, const QWidget* window) {
  const auto at = std::find(order.begin(), order.end(), window->winId());
  return at == order.end() ? -1 : static_cast<int>(at - order.begin());
}

// The part run on the X display: the browser opened as the main window
// opens it, with the program's own dialogs, raises each of its dialogs.
void DialogsAboveTheBrowser(ProgramState& state, const QString& executable) {
  MainWindow main(kTessarEdition, executable);
  main.show();
  struct Case {
    const char* name;
    std::function<void(BrowserWindow&)> raise;
  };
  const Case cases[] = {
      {"Save as XLS", [](BrowserWindow& b) { b.BtXLS->click(); }},
      {"Save as TXT", [](BrowserWindow& b) { b.BtTXT->click(); }},
      {"Modify Titles", [](BrowserWindow& b) { b.ModifyTitles1->trigger(); }},
      {"Print Chart", [](BrowserWindow& b) { b.BtPrint->click(); }},
  };
  QStringList below, opened;
  bool browserManaged = false;
  QTimer::singleShot(0, &main, [&] {
    auto* browser = qobject_cast<BrowserWindow*>(QApplication::activeModalWidget());
    ASSERT_NE(browser, nullptr);
    browserManaged = test::WaitUntil([&] { return StackingPosition(StackingOrder(), browser) >= 0; }, 10000);
    browser->UDStart->setValue(14);
    browser->BtnDrawClick();
    ASSERT_GT(browser->data().PointCount(0), 0);
    for (const Case& c : cases) {
      // Looks for the dialog from within its modal loop (a handler may let
      // events through before it opens one).
      QTimer watch;
      watch.setInterval(20);
      QObject::connect(&watch, &QTimer::timeout, browser, [&, browser] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog == browser) return;
        watch.stop();
        if (test::WaitUntil([&] { return StackingPosition(StackingOrder(), dialog) >= 0; }, 10000)) {
          opened << QString::fromLatin1(c.name);
          // above the browser once the window manager has placed it
          const bool above = test::WaitUntil([&] {
            const std::vector<WId> order = StackingOrder();
            return StackingPosition(order, dialog) > StackingPosition(order, browser);
          }, 3000);
          if (!above) below << QString::fromLatin1(c.name);
        }
        dialog->reject();
      });
      watch.start();
      c.raise(*browser);
      watch.stop();
    }
    browser->BtClose->click();
  });
  BrowserWindow::Open(state, main.dialogs(), &main);
  EXPECT_TRUE(browserManaged);
  EXPECT_EQ(opened.size(), 4) << opened.join(", ").toStdString();
  EXPECT_TRUE(below.isEmpty()) << "under the browser: " << below.join(", ").toStdString();
}

// A process of the test, ended (and waited for) when the test ends.
struct ChildProcess {
  QProcess process;
  ~ChildProcess() {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
      process.kill();
      process.waitForFinished(5000);
    }
  }
};

// The browser stays on top; the save dialogs, the title dialog and the print
// preview it raises must open above it, or the modal dialog hides beneath a
// browser that then ignores every click. Checked with a real window manager
// (openbox) on an Xvfb display, in a child run of this test there.
TEST_F(BrowserWindowTest, ItsDialogsStackAboveTheBrowserUnderAWindowManager) {
  WriteRecording("140000.ORV", 0, 5);
  if (qEnvironmentVariableIsSet("TESSAR_STACKING_DISPLAY")) {
    DialogsAboveTheBrowser(state_, tmp_.path() + QStringLiteral("/tessar"));
    return;
  }
  const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
  const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
  if (xvfb.isEmpty() || openbox.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
    GTEST_SKIP() << "needs Xvfb, openbox and xprop";

  ChildProcess server, manager, child;
  server.process.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                              QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")});
  ASSERT_TRUE(test::WaitUntil([&] { return server.process.canReadLine(); }, 20000)) << "Xvfb gave no display";
  const QString display = QStringLiteral(":") + QString::fromLatin1(server.process.readLine()).trimmed();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DISPLAY"), display);
  environment.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
  manager.process.setProcessEnvironment(environment);
  manager.process.setProcessChannelMode(QProcess::MergedChannels);
  // openbox runs its startup command once it manages the screen: the line
  // that command prints is the sign that the window manager took the display.
  manager.process.start(openbox, {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                                  QStringLiteral("xprop -root _NET_SUPPORTING_WM_CHECK")});
  QByteArray managerOutput;
  const bool managing = test::WaitUntil([&] {
    managerOutput += manager.process.readAll();
    return managerOutput.contains("window id") || manager.process.state() == QProcess::NotRunning;
  }, 60000);
  managerOutput += manager.process.readAll();
  ASSERT_TRUE(managing && manager.process.state() == QProcess::Running)
      << "openbox did not take the display " << display.toStdString() << " (openbox "
      << (manager.process.state() == QProcess::NotRunning
              ? "ended with status " + std::to_string(manager.process.exitCode())
              : std::string("still starting"))
      << "); openbox said: " << managerOutput.toStdString()
      << "; Xvfb said: " << server.process.readAllStandardError().toStdString();

  environment.insert(QStringLiteral("TESSAR_STACKING_DISPLAY"), display);
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  child.process.setProcessEnvironment(environment);
  child.process.setProcessChannelMode(QProcess::MergedChannels);
  child.process.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--gtest_filter=BrowserWindowTest.ItsDialogsStackAboveTheBrowserUnderAWindowManager")});
  const bool ended = test::WaitUntil([&] { return child.process.state() == QProcess::NotRunning; }, 120000);
  const QString output = QString::fromLocal8Bit(child.process.readAll());
  ASSERT_TRUE(ended) << output.toStdString();
  EXPECT_EQ(child.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(child.process.exitCode(), 0) << output.toStdString();
  EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

TEST_F(BrowserWindowTest, KoreanCaptionsAndMessages) {
  state_.KoreanUi = true;
  BrowserWindow w(state_, dialogs_);
  const std::pair<const char*, const char*> captions[] = {
      {"BtTXT", "TXT로 저장"}, {"BtSmth", "노이즈 억제"}, {"LblSN", "시리얼 번호 : "},
      {"RGX2", "경과 시간 (sec)"}, {"BtnDraw", "그리기"},
  };
  for (const auto& [name, korean] : captions) {
    const CaptionEntry entry{QString::fromLatin1(name), CaptionRole::Text, -1, {}, {}};
    EXPECT_EQ(CaptionOf(&w, entry), QString::fromUtf8(korean)) << name;
  }
  EXPECT_EQ(w.GetAverage1->text(), QString::fromUtf8("평균값"));
  w.BtnDrawClick();
  EXPECT_EQ(w.SBar->currentMessage(), QString::fromUtf8("해당하는 내용이 없습니다."));
  if (qEnvironmentVariableIsSet("TESSAR_SHOTS")) w.grab().save(qEnvironmentVariable("TESSAR_SHOTS") + "/browser_ko.png");
}

}  // namespace
}  // namespace tessar
