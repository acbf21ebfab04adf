// The skin of a dialog: a numbered background bitmap that sets the window's size, a rounded
// outline, and a table of bitmap buttons whose command identifiers are also the string identifiers
// of their tooltips. The owner paints the background from its paint handler (PaintBackground) and
// receives the buttons' commands through commandTriggered().
#pragma once

#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <span>
#include <vector>

#include "platform/string_table.h"

class QPainter;
class QWidget;

namespace ui {

class SkinButton;

// One row of a window's button table: rectangle in client pixels (right and bottom exclusive), the
// command identifier, and the bitmaps of its three states.
struct SkinButtonSpec {
    int left, top, right, bottom;
    int command;
    int normal, pressed, hover;
};

class SkinFrame : public QObject {
    Q_OBJECT

  public:
    // `buttons` and `strings` must outlive the frame (windows pass static tables).
    SkinFrame(QWidget* owner, std::span<const SkinButtonSpec> buttons,
              const platform::StringTable& strings);
    ~SkinFrame() override;

    // Loads the background, sizes the owner to it, centres it on its screen, clips it to the
    // rounded outline and creates the first `buttonCount` buttons of the table. False when the
    // background bitmap is missing.
    bool Create(int backgroundBitmap, int buttonCount);

    // Draws the background 1:1 from the owner's top-left corner.
    void PaintBackground(QPainter& painter) const;
    // Draws bitmap `id`, or the picture file `filePath` when it exists, once:
    // - transparent: at its own size at `at`, pure white left out;
    // - else with `target`: stretched over the target's whole area (painter is the target's), and
    //   nothing at all while the target is hidden;
    // - else at its own size at `at`.
    void DrawBitmap(QPainter& painter, int id, QPoint at, bool transparent,
                    const QString& filePath = QString(), const QWidget* target = nullptr) const;
    // A new background (after a language change) with the same outline.
    void SetBackground(int backgroundBitmap);

    void HideButtons(int first, int count);
    void ShowButtons(int first, int count);
    // Gives button `index` other bitmaps (to show a state) and repaints it.
    void SetButtonBitmaps(int index, int normal, int pressed, int hover);
    // Reloads the tooltips of the first `count` buttons from the current texts.
    void RefreshTooltips(int count);

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    SkinButton* Button(int index) const;
    QSize BackgroundSize() const;

  signals:
    void commandTriggered(int command);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ApplyOutline();
    QString TooltipOf(int command) const;

    QWidget* owner_;
    std::span<const SkinButtonSpec> table_;
    const platform::StringTable& strings_;
    int backgroundId_ = 0;
    QPixmap background_;
    std::vector<SkinButton*> buttons_;  // children of the owner
    bool paintOutline_ = false;         // translucent window clipped by painting (Wayland)
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace ui
