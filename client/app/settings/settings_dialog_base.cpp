#include "client/app/settings/settings_dialog_base.h"

#include <QKeyEvent>
#include <QMessageBox>

#include "client/app/settings/settings_texts.h"

namespace client {

SettingsDialogBase::SettingsDialogBase(std::span<const ui::SkinButtonSpec> buttons, int background,
                                       const platform::StringTable& strings, QWidget* parent)
    : ui::SkinDialog(buttons, strings, parent) {
    setWindowTitle(QStringLiteral("Telva_M4"));
    Frame().Create(background, static_cast<int>(buttons.size()));
    ApplySettingsDialogStyle(this);
}

void SettingsDialogBase::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            ui::SkinDialog::keyPressEvent(event);
    }
}

void SettingsDialogBase::Tell(const QString& text) {
    if (message_)
        message_(text);
    else
        QMessageBox::warning(this, QStringLiteral("Telva_M4"), text);
}

}  // namespace client
