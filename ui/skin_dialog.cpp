#include "ui/skin_dialog.h"

#include <QPainter>

namespace ui {

SkinDialog::SkinDialog(std::span<const SkinButtonSpec> buttons,
                       const platform::StringTable& strings, QWidget* parent)
    : QDialog(parent), frame_(*new SkinFrame(this, buttons, strings)) {}

void SkinDialog::paintEvent(QPaintEvent*) {
    if (closing_) return;
    QPainter painter(this);
    frame_.PaintBackground(painter);
}

}  // namespace ui
