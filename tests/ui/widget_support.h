// Helpers of the widget tests: pictures of widgets and of the built-in artwork, compared pixel by
// pixel.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace ui::test {

inline QImage Picture(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QImage Artwork(int id) {
    return QImage(QStringLiteral(":/bitmaps/%1.png").arg(id)).convertToFormat(QImage::Format_RGB32);
}

// Whether `area` of `picture` shows exactly `expected`.
inline bool Shows(const QImage& picture, const QRect& area, const QImage& expected) {
    return !expected.isNull() && picture.copy(area) == expected;
}

}  // namespace ui::test
