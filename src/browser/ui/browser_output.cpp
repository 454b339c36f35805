#include "browser/ui/browser_output.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

#include "acquisition/program_state.h"
#include "browser/ui/browser_window.h"
#include "browser/ui/title_dialog.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "common/dialogs.h"
#include "device/frame_state.h"

namespace tessar {

namespace {

QString Printf(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return QString::fromLatin1(text);
}

void PumpEvents() { QCoreApplication::processEvents(); }

}  // namespace

BrowserOutput::BrowserOutput(BrowserWindow& browser, ProgramState& state, Dialogs& dialogs)
    : browser_(browser), state_(state), dialogs_(dialogs) {}

ExportSource BrowserOutput::Source() const {
  const QList<QAbstractAxis*> y = browser_.chart()->axes(Qt::Vertical);
  return ExportSource{browser_.data(),
                      browser_.loadedMode(),
                      FirstLine(browser_.chart()->title()),
                      y.isEmpty() ? QString() : y.first()->titleText(),
                      browser_.LblStart->text(),
                      PumpEvents};
}

QString BrowserOutput::AskSavePath(const QString& extension) {
  const QString suffix = extension.mid(1);
  const QString path = dialogs_.SaveFileName(
      QStringLiteral("Save as %1").arg(suffix), state_.CurrentDataDirectory,
      QStringLiteral("%1 file (*.%1);;All files (*)").arg(suffix), suffix);
  if (path.trimmed().isEmpty()) return {};
  return WithExtension(path, extension);
}

void BrowserOutput::Save(
    const QString& extension,
    const std::function<SaveResult(const ExportSource&, const std::filesystem::path&)>& write) {
  if (browser_.loading() || browser_.data().PointCount(0) == 0) return;
  const QString path = AskSavePath(extension);
  if (path.isEmpty()) return;
  const ScopedAcquisitionHold hold;
  const SaveResult result = write(Source(), path.toStdString());
  browser_.SBar->showMessage(SaveStatusText(result, path, state_.KoreanUi));
}

void BrowserOutput::SaveXls() { Save(QStringLiteral(".XLS"), SaveBrowserXls); }
void BrowserOutput::SaveText() { Save(QStringLiteral(".TXT"), SaveBrowserText); }

QImage BrowserOutput::ChartPicture() const {
  PumpEvents();  // titles changed just now are laid out first
  QImage picture(browser_.ChartD->size(), QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  browser_.ChartD->render(&painter);
  return picture;
}

void BrowserOutput::CopyPicture() {
  if (browser_.loading()) return;
  const ScopedAcquisitionHold hold;
  QGuiApplication::clipboard()->setImage(ChartPicture());
}

ReportContent BrowserOutput::Report() const {
  const ChartData& data = browser_.data();
  const AxisMode mode = browser_.loadedMode();
  ReportContent content;
  content.korean = state_.KoreanUi;
  content.title = browser_.LblName->text();
  const AxisRange x = DataRange(data.x);
  content.start = QString::fromStdString(FormatAxisValue(mode, x.min));
  content.end = QString::fromStdString(FormatAxisValue(mode, x.max));
  content.total = QString::number(data.PointCount(0));
  content.printTime = QString::fromStdString(FormatDateTime(Now()));
  content.picture = ChartPicture();
  for (int i = 1; i < kBrowserSeriesCount; ++i) {
    const int col = i - 1;
    content.table[0][col] = data.titles[i];
    const bool shown = browser_.CheckBox[i]->isChecked() && browser_.seriesActive(i);
    const SeriesStats s = SeriesStatistics(data.y[i]);
    const double values[4] = {s.minimum, s.maximum, s.mean, s.deviation};
    for (int r = 1; r < 5; ++r)
      content.table[r][col] = shown ? Printf("%10.2f", values[r - 1]) : QStringLiteral("%1").arg(QStringLiteral("-"), 10);
  }
  return content;
}

void BrowserOutput::Print() {
  if (browser_.loading() || browser_.data().PointCount(0) == 0) return;
  ReportForm* form = nullptr;
  {
    const ScopedAcquisitionHold hold;
    const ReportContent content = Report();
    // The picture goes to the report from memory; temp.bmp beside the
    // program is still written, and a failure to write it is said.
    const QString bitmap = state_.ProgramDirectory + QStringLiteral("/temp.bmp");
    if (!content.picture.save(bitmap, "BMP"))
      browser_.SBar->showMessage(
          MessageText(Msg::BrowserPictureFailed, state_.KoreanUi).replace(QStringLiteral("%s"), bitmap));
    form = new ReportForm(content, &browser_);
    PumpEvents();
  }
  // The acquisition goes on while a person looks at the preview.
  browser_.showReport(*form);
}

void BrowserOutput::ModifyTitles() {
  if (browser_.loading()) return;
  TitleDialog dialog(browser_.chart(), &browser_);
  dialog.exec();
}

}  // namespace tessar
