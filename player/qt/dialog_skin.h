// Dresses the player's dialogs (the two searches and the capture save dialog) in the main
// window's skin: its panel colours, and the skin's button artwork for the buttons the string
// table names (Play, Close, Search, Save, Print, the folder button).
#pragma once

class QDialog;

namespace platform {
class StringTable;
}

namespace player::qt {

void ApplyPlayerSkin(QDialog* dialog, const platform::StringTable& strings);

}  // namespace player::qt
