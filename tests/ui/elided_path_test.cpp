// Paths shortened for a field keep the recording's name whole.
#include "ui/elided_path.h"

#include <gtest/gtest.h>

#include <QFont>

namespace {

TEST(ElidedPath, KeepsTheNameWholeAndFitsTheField) {
    const QFontMetrics metrics{QFont()};
    const QString name = QStringLiteral("20260314_105952.idx");
    const QString path = QStringLiteral("/media/usb/backups of the lobby camera/2026-03-14/") + name;
    const int full = metrics.horizontalAdvance(path);
    EXPECT_EQ(ui::ElidedPath(metrics, path, full), path);

    const int width = metrics.horizontalAdvance(name) * 2;
    const QString shown = ui::ElidedPath(metrics, path, width);
    EXPECT_LE(metrics.horizontalAdvance(shown), width);
    EXPECT_TRUE(shown.endsWith(QLatin1Char('/') + name)) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/me"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();

    // A field narrower than the name: the name itself loses its middle, nothing overflows.
    const int narrow = metrics.horizontalAdvance(name) / 2;
    const QString squeezed = ui::ElidedPath(metrics, path, narrow);
    EXPECT_LE(metrics.horizontalAdvance(squeezed), narrow);
    EXPECT_TRUE(squeezed.contains(QChar(0x2026))) << squeezed.toStdString();
    // A bare name without a folder.
    EXPECT_LE(metrics.horizontalAdvance(ui::ElidedPath(metrics, name, narrow)), narrow);
}

}  // namespace
