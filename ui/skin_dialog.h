// A dialog drawn as a skin: the frame's background under everything, its buttons on top. Windows
// derive from it and add their own controls and drawing.
#pragma once

#include <QDialog>
#include <span>

#include "ui/skin_frame.h"

namespace ui {

class SkinDialog : public QDialog {
    Q_OBJECT

  public:
    SkinDialog(std::span<const SkinButtonSpec> buttons, const platform::StringTable& strings,
               QWidget* parent = nullptr);

    SkinFrame& Frame() { return frame_; }
    // Stops painting the background while the dialog closes.
    void SetClosing(bool closing) { closing_ = closing; }

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    SkinFrame& frame_;
    bool closing_ = false;
};

}  // namespace ui
