// TDlgTitle: edits the chart title's first line and the two axis titles of
// the browser's chart.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtCharts/QChart>

namespace tessar {

class TitleDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TitleDialog(QChart* chart, QWidget* parent = nullptr);

  QLineEdit* Edit1 = nullptr;  // chart title
  QLineEdit* Edit2 = nullptr;  // bottom (x) axis title
  QLineEdit* Edit3 = nullptr;  // left (y) axis title
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

  void FormShow();
  void OKBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QChart* chart_;
};

// The first line of a chart title.
QString FirstLine(const QString& text);

}  // namespace tessar
