#include "acquisition/ui/display_page.h"

#include <QGridLayout>
#include <QLabel>

#include "common/ui/control_tag.h"

namespace tessar {

DisplayPage::DisplayPage(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(8, 8, 8, 8);
  grid->setSpacing(10);
  for (int b = 0; b < 4; ++b) {
    auto* box = new QGroupBox(QStringLiteral("DAQ %1").arg(b + 1), this);
    BoardBox[b] = box;
    auto* form = new QGridLayout(box);
    form->setVerticalSpacing(4);
    EditT[b] = new QLineEdit(box);
    EditT[b]->setObjectName(QStringLiteral("EditT%1").arg(b + 1));
    SetTag(EditT[b], b);
    EditT[b]->setMaxLength(80);
    form->addWidget(new QLabel(QStringLiteral("Title"), box), 0, 0);
    form->addWidget(EditT[b], 0, 1);
    for (int k = 1; k <= 8; ++k) {
      auto* edit = new QLineEdit(box);
      edit->setObjectName(QStringLiteral("Ed%1%2").arg(b).arg(k));
      SetTag(edit, 10 * b + k);
      edit->setMaxLength(20);
      EdName[b][k] = edit;
      form->addWidget(new QLabel(QStringLiteral("CH%1").arg(k), box), k, 0);
      form->addWidget(edit, k, 1);
    }
    form->setRowStretch(9, 1);
    grid->addWidget(box, b / 2, b % 2);
  }
}

}  // namespace tessar
