#include "ui/skin_resources.h"

#include <QFile>
#include <QPixmapCache>

namespace ui {
namespace {

int g_generation = 0;

QString ResourcePath(const QString& root, const QString& folder, int id, const QString& suffix) {
    return QStringLiteral(":%1%2/%3%4").arg(root, folder, QString::number(id), suffix);
}

// The first existing resource of `folder`/`id` with `suffix`, pack first.
QString FindResource(const QString& folder, int id, const QString& suffix) {
    for (const QString& root : {QStringLiteral("/lang"), QString()}) {
        QString path = ResourcePath(root, folder, id, suffix);
        if (QFile::exists(path)) return path;
    }
    return {};
}

QPixmap LoadSkinBitmap(int id, qreal dpr, bool whiteTransparent) {
    const QString key = QStringLiteral("skin/%1/%2/%3/%4")
                            .arg(g_generation)
                            .arg(id)
                            .arg(dpr > 1.0 ? 2 : 1)
                            .arg(whiteTransparent ? 1 : 0);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;

    QString path;
    qreal ratio = 1.0;
    if (dpr > 1.0) {
        path = FindResource(QStringLiteral("/bitmaps"), id, QStringLiteral("@2x.png"));
        ratio = 2.0;
    }
    if (path.isEmpty()) {
        path = FindResource(QStringLiteral("/bitmaps"), id, QStringLiteral(".png"));
        ratio = 1.0;
    }
    if (path.isEmpty()) return {};
    QImage image(path);
    if (image.isNull()) return {};
    if (whiteTransparent) image = WhiteToTransparent(image);
    pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(ratio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

}  // namespace

QPixmap SkinBitmap(int id, qreal devicePixelRatio) {
    return LoadSkinBitmap(id, devicePixelRatio, false);
}

QPixmap SkinBitmapWhiteTransparent(int id, qreal devicePixelRatio) {
    return LoadSkinBitmap(id, devicePixelRatio, true);
}

QPixmap LoadBitmapFile(const QString& path, bool whiteTransparent) {
    if (path.isEmpty() || !QFile::exists(path)) return {};
    QImage image(path);
    if (image.isNull()) return {};
    if (whiteTransparent) image = WhiteToTransparent(image);
    return QPixmap::fromImage(std::move(image));
}

QString SkinSoundPath(int id) {
    return FindResource(QStringLiteral("/sounds"), id, QStringLiteral(".wav"));
}

QImage WhiteToTransparent(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((row[x] & 0x00FFFFFFu) == 0x00FFFFFFu && qAlpha(row[x]) == 255) row[x] = 0;
        }
    }
    return out;
}

int SkinResourceGeneration() {
    return g_generation;
}

void BumpSkinResourceGeneration() {
    ++g_generation;
}

}  // namespace ui
