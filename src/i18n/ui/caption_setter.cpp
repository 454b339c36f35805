#include "i18n/ui/caption_setter.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>
#include <QtCharts/QAbstractAxis>
#include <QtCharts/QChartView>

namespace tessar {

namespace {

QAbstractAxis* TimeAxisOf(QObject* window, const QString& chartName) {
  auto* view = window->findChild<QChartView*>(chartName);
  if (view == nullptr || view->chart() == nullptr) return nullptr;
  const QList<QAbstractAxis*> axes = view->chart()->axes(Qt::Horizontal);
  return axes.isEmpty() ? nullptr : axes.first();
}

}  // namespace

bool SetCaption(QObject* window, const CaptionEntry& entry, const QString& text) {
  if (entry.role == CaptionRole::TimeAxisTitle) {
    QAbstractAxis* axis = TimeAxisOf(window, entry.name);
    if (axis == nullptr) return false;
    axis->setTitleText(text);
    return true;
  }
  QObject* control = window->findChild<QObject*>(entry.name);
  if (control == nullptr) return false;
  if (entry.role == CaptionRole::Hint) {
    if (auto* widget = qobject_cast<QWidget*>(control)) widget->setToolTip(text);
    else if (auto* action = qobject_cast<QAction*>(control)) action->setToolTip(text);
    else return false;
    return true;
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setText(text);
  else if (auto* group = qobject_cast<QGroupBox*>(control)) group->setTitle(text);
  else if (auto* label = qobject_cast<QLabel*>(control)) label->setText(text);
  else if (auto* menu = qobject_cast<QMenu*>(control)) menu->setTitle(text);
  else if (auto* action = qobject_cast<QAction*>(control)) action->setText(text);
  else return false;
  return true;
}

QString CaptionOf(QObject* window, const CaptionEntry& entry) {
  if (entry.role == CaptionRole::TimeAxisTitle) {
    QAbstractAxis* axis = TimeAxisOf(window, entry.name);
    return axis != nullptr ? axis->titleText() : QString();
  }
  QObject* control = window->findChild<QObject*>(entry.name);
  if (control == nullptr) return {};
  if (entry.role == CaptionRole::Hint) {
    if (auto* widget = qobject_cast<QWidget*>(control)) return widget->toolTip();
    if (auto* action = qobject_cast<QAction*>(control)) return action->toolTip();
    return {};
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(control)) return group->title();
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  if (auto* menu = qobject_cast<QMenu*>(control)) return menu->title();
  if (auto* action = qobject_cast<QAction*>(control)) return action->text();
  return {};
}

void ApplyKoreanCaptions(QObject* window, const std::vector<CaptionEntry>& table) {
  for (const CaptionEntry& entry : table) SetCaption(window, entry, entry.korean);
}

}  // namespace tessar
