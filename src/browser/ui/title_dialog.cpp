#include "browser/ui/title_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QtCharts/QAbstractAxis>

namespace tessar {

namespace {

QAbstractAxis* AxisOf(QChart* chart, Qt::Orientation orientation) {
  const QList<QAbstractAxis*> axes = chart->axes(orientation);
  return axes.isEmpty() ? nullptr : axes.first();
}

}  // namespace

QString FirstLine(const QString& text) {
  const qsizetype end = text.indexOf(QLatin1Char('\n'));
  return end < 0 ? text : text.left(end);
}

TitleDialog::TitleDialog(QChart* chart, QWidget* parent) : QDialog(parent), chart_(chart) {
  setObjectName(QStringLiteral("DlgTitle"));
  setWindowTitle(QStringLiteral("Dialog"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  auto* form = new QFormLayout;
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit2 = new QLineEdit(this);
  Edit2->setObjectName(QStringLiteral("Edit2"));
  Edit3 = new QLineEdit(this);
  Edit3->setObjectName(QStringLiteral("Edit3"));
  form->addRow(QStringLiteral("Chart"), Edit1);
  form->addRow(QStringLiteral("X-Axis"), Edit2);
  form->addRow(QStringLiteral("Y-Axis"), Edit3);
  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  setMinimumWidth(360);
  connect(OKBtn, &QPushButton::clicked, this, &TitleDialog::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TitleDialog::showEvent(QShowEvent* event) {
  FormShow();
  QDialog::showEvent(event);
}

void TitleDialog::FormShow() {
  Edit1->setText(FirstLine(chart_->title()));
  if (QAbstractAxis* x = AxisOf(chart_, Qt::Horizontal)) Edit2->setText(x->titleText());
  if (QAbstractAxis* y = AxisOf(chart_, Qt::Vertical)) Edit3->setText(y->titleText());
}

void TitleDialog::OKBtnClick() {
  // The title keeps its other lines; only the first one is replaced.
  const QString title = chart_->title();
  const qsizetype end = title.indexOf(QLatin1Char('\n'));
  chart_->setTitle(end < 0 ? Edit1->text() : Edit1->text() + title.mid(end));
  if (QAbstractAxis* x = AxisOf(chart_, Qt::Horizontal)) x->setTitleText(Edit2->text());
  if (QAbstractAxis* y = AxisOf(chart_, Qt::Vertical)) y->setTitleText(Edit3->text());
  accept();
}

}  // namespace tessar
