// Lines for the journal of an unattended run: a device lost or back, a board
// silent, frames that do not fit the board's model, an alarm begun or ended,
// recording failing. Each is shown on the status bar and written once, as
// one line, to standard error, where a service manager's journal takes it.
#pragma once

#include <QString>

namespace tessar {

// Set by a run without a window, which copies every status bar message to
// standard error already: a line shown there is then not written again.
inline bool StatusBarJournaled = false;

// "<program>: <text>" on standard error, UTF-8.
void WriteJournalLine(const QString& text);

// For a line that is also shown on the status bar: written to standard error
// unless the status bar goes there anyway.
void JournalAlongsideStatus(const QString& text);

}  // namespace tessar
