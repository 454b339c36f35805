// Sets and reads the captions of the caption table on the controls of a
// window, whatever kind of control carries the name (button, check box,
// label, group box, menu, menu item, a chart's time axis).
#pragma once

#include <QObject>
#include <QString>
#include <vector>

#include "i18n/captions.h"

namespace tessar {

// False when the window has no control of that name.
bool SetCaption(QObject* window, const CaptionEntry& entry, const QString& text);
// The caption the control shows now; a null QString when there is no such control.
QString CaptionOf(QObject* window, const CaptionEntry& entry);

// Sets the Korean caption of every entry, in table order.
void ApplyKoreanCaptions(QObject* window, const std::vector<CaptionEntry>& table);

}  // namespace tessar
