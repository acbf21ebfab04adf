// What the client's recording settings and setup dialogs share: the skin, Enter and Esc that never
// close them, and where their messages go.
#pragma once

#include <QString>
#include <functional>
#include <span>

#include "ui/skin_dialog.h"

namespace client {

class SettingsDialogBase : public ui::SkinDialog {
    Q_OBJECT

  public:
    // Where messages go (a message box by default).
    void SetMessageSink(std::function<void(const QString&)> sink) { message_ = std::move(sink); }

  protected:
    // Creates the skin with `background` and every button of `buttons`, and the dialogs' look.
    SettingsDialogBase(std::span<const ui::SkinButtonSpec> buttons, int background,
                       const platform::StringTable& strings, QWidget* parent);

    void keyPressEvent(QKeyEvent* event) override;
    void Tell(const QString& text);

  private:
    std::function<void(const QString&)> message_;
};

}  // namespace client
