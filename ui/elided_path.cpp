#include "ui/elided_path.h"

namespace ui {

QString ElidedPath(const QFontMetrics& metrics, const QString& path, int width) {
    if (metrics.horizontalAdvance(path) <= width) return path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    const int folderRoom = width - metrics.horizontalAdvance(name);
    const int ellipsis = metrics.horizontalAdvance(QStringLiteral("\u2026/"));
    if (slash < 0 || folderRoom < ellipsis) return metrics.elidedText(path, Qt::ElideMiddle, width);
    return metrics.elidedText(path.left(slash + 1), Qt::ElideMiddle, folderRoom) + name;
}

}  // namespace ui
