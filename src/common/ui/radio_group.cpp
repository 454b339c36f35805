#include "common/ui/radio_group.h"

#include <QGridLayout>

namespace tessar {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns,
                       QWidget* parent)
    : QGroupBox(caption, parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 4, 4, 4);
  grid->setHorizontalSpacing(2);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_.addButton(button, i);
    items_.push_back(button);
    grid->addWidget(button, i / columns, i % columns);
  }
  connect(&buttons_, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
}

void RadioGroup::setItemIndex(int index) {
  if (index < 0 || index >= count()) {
    buttons_.setExclusive(false);
    for (QRadioButton* b : items_) b->setChecked(false);
    buttons_.setExclusive(true);
    return;
  }
  items_[static_cast<std::size_t>(index)]->setChecked(true);
}

}  // namespace tessar
