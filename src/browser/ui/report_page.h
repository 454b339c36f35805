// The one-page report of a loaded record (TFormQ): A4 landscape with 10 mm
// margins, the record title, the chart picture, the start/end/total box, the
// approval box, a memo box for handwriting, the statistics of channels 1..8
// and the print time. One painter draws it for the print preview, the
// printer and PDF files.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <array>

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace tessar {

struct ReportContent {
  bool korean = false;
  QString title = QStringLiteral("Job Title");  // QRTitle
  QString start, end, total, printTime;         // QRStart, QREnd, QRTotal, QRTime
  QImage picture;                               // QRImage1, given from memory
  // ReportLabelTable: row 0 channel titles, rows 1..4 min, max, mean and
  // standard deviation; column c belongs to channel c + 1.
  std::array<std::array<QString, 8>, 5> table;
};

// Sets the page of `device` to A4 landscape without margins of its own.
void SetUpReportPage(QPagedPaintDevice& device);
// Paints the page on a device set up by SetUpReportPage.
void PaintReport(QPainter& painter, const ReportContent& content);
// Writes the page as a one-page PDF file; false when it could not be written.
bool WriteReportPdf(const ReportContent& content, const QString& path);

// The report form: holds the content and shows it in Qt's print preview,
// from which it is printed or saved.
class ReportForm : public QObject {
  Q_OBJECT
 public:
  explicit ReportForm(const ReportContent& content, QObject* parent = nullptr);
  const ReportContent& content() const { return content_; }
  // Modal print preview of the page.
  void ShowPreview(QWidget* parent);
  void Paint(QPrinter* printer) const;

 private:
  ReportContent content_;
};

}  // namespace tessar
