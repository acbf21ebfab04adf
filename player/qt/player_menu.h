// The main window's right-click menu: the searches, capture, print and the watermark check, the
// clip and evidence exports with their marks, the interface language, and the about box.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "ui/language.h"

class QMenu;
class QWidget;

namespace platform {
class StringTable;
}

namespace player::qt {

// Commands that only the menu and the keyboard give (the buttons' commands are their ids).
enum MenuCommand : int {
    kCmdAbout = 16,
    kCmdMarkIn = 9001,
    kCmdMarkOut = 9002,
    kCmdExportClip = 9003,
    kCmdExportEvidence = 9004,
};

struct MenuHandlers {
    std::function<void(int command)> command;
    std::function<void(ui::Language language)> language;
};

// Fills `menu`; `languages` are those whose pack is installed (English always is).
void FillPlayerMenu(QMenu& menu, const platform::StringTable& strings,
                    const std::vector<ui::Language>& languages, ui::Language current,
                    const MenuHandlers& handlers);

// The languages whose packs are in `programDir`, English first.
std::vector<ui::Language> InstalledLanguages(const std::string& programDir);

// The about box's text: "Orvane_M4(Ver1.8)".
QString AboutText();
void ShowAboutBox(QWidget* parent, const platform::StringTable& strings);

}  // namespace player::qt
