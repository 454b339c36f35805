// The choice lists of the range combo boxes: the texts of the range table of
// a board's model kind, item i standing for entry i of the table.
#pragma once

#include <QStringList>

namespace tessar {

// "2500 mV" .. "19.5313 mV" for kind 0; "5000 mV " .. "78.125 mV" for kinds
// 1 and 2 (two of them with a trailing blank, as the lists have always read).
QStringList RangeCaptions(int modelKind);

}  // namespace tessar
