// A file's path shortened to fit a field: the folder loses its middle to "..." while the file's
// name stays whole, since the name is what tells recordings apart.
#pragma once

#include <QFontMetrics>
#include <QString>

namespace ui {

// `path` as it fits in `width` pixels of `metrics`: unchanged when it fits; otherwise the start
// of the folder, "...", the folder's end and the whole name; a name too long by itself loses
// its own middle.
QString ElidedPath(const QFontMetrics& metrics, const QString& path, int width);

}  // namespace ui
