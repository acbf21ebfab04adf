// A one-line tip shown just right of and below a point, without taking the focus.
#pragma once

#include <QWidget>

namespace ui {

class InfoTip : public QWidget {
    Q_OBJECT

  public:
    explicit InfoTip(QWidget* owner);

    void SetText(const QString& text);
    QString Text() const { return text_; }
    // Shows the tip beside `point`, given in the owner's coordinates.
    void Show(QPoint point);

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    QWidget* owner_;
    QString text_;
};

}  // namespace ui
