// tessar-settings get-configure: the window's "Get Configure" of one board
// followed by the OK of its configuration page, without a window.
#pragma once

#include <string>

#include "config/config_store.h"
#include "settings/board_settings.h"

namespace tessar {

// What the configuration page shows of `record` on a board of `modelKind`,
// as the texts and selections the OK button reads back.
ConfigPageTexts PageTextsOf(const BoardSettings& record, int modelKind);

// Asks the device on COM`portNumber` (the ports/ folder `portsFolder` first)
// for its configuration and, when the reply is sound, stores it into board
// `board` of `image` as the page's OK would. `message` is the dialogue's
// outcome as the window shows it, in the language of the settings ("OK",
// "Failed!!! Check COM Port", "Error 2", ...). True when `image` changed.
bool RunGetConfigure(SettingsImage& image, int board, int portNumber, const std::string& portsFolder,
                     std::string& message);

}  // namespace tessar
