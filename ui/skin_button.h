// A push button drawn from three numbered bitmaps: normal, pressed (held down) and hover. It takes
// keyboard focus by Tab and is activated with Space, Return or Enter, so skinned windows stay
// usable without a mouse.
#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace ui {

class SkinButton : public QAbstractButton {
    Q_OBJECT

  public:
    SkinButton(int commandId, QWidget* parent);

    int CommandId() const { return commandId_; }

    // Places the button at left, top .. right, bottom (exclusive) and gives it its bitmaps.
    void SetBitmaps(int left, int top, int right, int bottom, int normal, int pressed, int hover);
    // New bitmaps in the same place, shown at once.
    void ReplaceBitmaps(int normal, int pressed, int hover);
    // The tooltip text; an empty text means no tooltip.
    void SetTooltipText(const QString& text);

    int NormalBitmap() const { return ids_[kNormal]; }
    int PressedBitmap() const { return ids_[kPressed]; }
    int HoverBitmap() const { return ids_[kHover]; }
    bool IsHovering() const { return hovering_; }
    // The bitmap the button shows now.
    int CurrentBitmap() const;

    QSize sizeHint() const override;

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    enum { kNormal, kPressed, kHover, kStates };
    const QPixmap& Pixmap(int state);

    int commandId_;
    int ids_[kStates] = {0, 0, 0};
    QPixmap pixmaps_[kStates];
    qreal pixmapRatio_ = 0;
    int pixmapGeneration_ = -1;
    bool hovering_ = false;
};

}  // namespace ui
