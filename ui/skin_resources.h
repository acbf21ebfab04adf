// Numbered skin resources. A language pack's copy (under ":/lang/") wins over the built-in one
// (under
// ":/"), so a pack can replace any bitmap or sound under the same number.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

namespace ui {

// Bitmap `id` for a device pixel ratio: the "@2x" artwork when the ratio is above 1 and it exists,
// else the 1x artwork. Null when neither the pack nor the built-in resources have it.
QPixmap SkinBitmap(int id, qreal devicePixelRatio);
// The same with pure white (0xFFFFFF) made transparent.
QPixmap SkinBitmapWhiteTransparent(int id, qreal devicePixelRatio);
// A picture file (BMP, PNG, ...), optionally with white made transparent. Null when it is missing
// or unreadable.
QPixmap LoadBitmapFile(const QString& path, bool whiteTransparent);
// The resource path of sound `id` (":/sounds/<id>.wav" or the pack's), empty when there is none.
QString SkinSoundPath(int id);

// Pure white pixels become fully transparent; everything else is kept.
QImage WhiteToTransparent(const QImage& image);

// Changes whenever the language pack changes; widgets that keep pixmaps compare it to refetch.
int SkinResourceGeneration();
void BumpSkinResourceGeneration();

}  // namespace ui
