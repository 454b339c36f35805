// A captioned group of radio buttons in columns whose state is one item
// index, as the "Thermocouple type" choice needs.
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>
#include <vector>

namespace tessar {

class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& caption, const QStringList& items, int columns,
             QWidget* parent = nullptr);

  int itemIndex() const { return buttons_.checkedId(); }
  // Selects item `index` without raising itemClicked; -1 clears the choice.
  void setItemIndex(int index);
  QRadioButton* button(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  int count() const { return static_cast<int>(items_.size()); }

 signals:
  // A person (or a test, through button(i)->click()) chose an item.
  void itemClicked(int index);

 private:
  QButtonGroup buttons_;
  std::vector<QRadioButton*> items_;
};

}  // namespace tessar
