#include "player/qt/dialog_skin.h"

#include <QDialog>
#include <QPushButton>

#include "platform/string_table.h"

namespace player::qt {
namespace {

// Text id of a dialog button and the command whose artwork it wears (bitmaps 10c, 10c + 1
// pressed, 10c + 2 hover).
struct SkinnedButton {
    int textId;
    int command;
};
constexpr SkinnedButton kButtons[] = {
    {141, 142},  // the folder ("PATH") button wears the File Open folder
    {129, 129}, {130, 130}, {132, 132}, {134, 134}, {135, 135}, {136, 136}, {137, 137},
};

QString ButtonStyle(int command) {
    const auto image = [](int id) { return QStringLiteral("url(:/bitmaps/%1.png)").arg(id); };
    return QStringLiteral(
               "QPushButton { border-image: %1; border: none; }"
               "QPushButton:hover { border-image: %2; }"
               "QPushButton:pressed { border-image: %3; }"
               "QPushButton:focus { outline: 1px solid #4a9be0; }")
        .arg(image(command * 10), image(command * 10 + 2), image(command * 10 + 1));
}

}  // namespace

void ApplyPlayerSkin(QDialog* dialog, const platform::StringTable& strings) {
    dialog->setStyleSheet(QStringLiteral(
        "QDialog { background: #1b1f26; }"
        "QLabel, QCheckBox, QRadioButton { color: #d8dee9; }"
        "QLabel:disabled, QCheckBox:disabled, QRadioButton:disabled, QPushButton:disabled { "
        "color: #5c6470; }"
        "QLineEdit, QComboBox, QDateEdit, QDateTimeEdit { background: #101317; color: #d8dee9; "
        "border: 1px solid #2c333d; padding: 2px; }"
        "QTreeWidget { background: #101317; color: #d8dee9; border: 1px solid #2c333d; }"
        "QHeaderView::section { background: #1e232b; color: #9aa3b0; border: none; padding: 2px; }"
        "QTreeWidget::item:selected { background: #2f6fb3; }"
        "QPushButton { background: #2a313b; color: #d8dee9; border: 1px solid #3a4350; "
        "border-radius: 4px; padding: 4px 10px; }"
        "QPushButton:hover { background: #34404d; }"
        "QProgressBar { background: #101317; color: #d8dee9; border: 1px solid #2c333d; "
        "text-align: center; }"
        "QProgressBar::chunk { background: #2f6fb3; }"));
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        for (const SkinnedButton& skinned : kButtons) {
            const QString text = QString::fromStdString(strings.Str(skinned.textId));
            if (text.isEmpty() || button->text() != text) continue;
            // The artwork carries the glyph; the text stays as the tooltip and accessible name.
            button->setToolTip(text);
            button->setAccessibleName(text);
            button->setText(QString());
            button->setFixedSize(80, 27);
            button->setStyleSheet(ButtonStyle(skinned.command));
            break;
        }
    }
}

}  // namespace player::qt
