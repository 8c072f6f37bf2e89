// The picture loader: the 1x pictures come from the raw pixels embedded beside
// the PNGs, painted in place, and look exactly like the PNGs they were made from.
#include "widgets/picture.h"
#include "widgets/rawpicture.h"

#include <QResource>
#include <gtest/gtest.h>

namespace {

const char *const kRawPictures[] = {
    "tile", "icons/quenvale-32", "icons/quenvale-64", "cards", "banner", "highscore_banner", "publisher",
    "about_title", "buttons/start", "buttons/continue", "buttons/done", "buttons/close", "buttons/highscores",
    "buttons/sendscore", "buttons/cancel", "buttons/resettally"};

QImage premultiplied(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

TEST(Pictures, OneTimesPicturesAreTheirPngsPaintedInPlace)
{
    for (const char *name : kRawPictures) {
        const QString png = QStringLiteral(":/%1.png").arg(QLatin1String(name));
        SCOPED_TRACE(png.toStdString());
        const QImage raw = rawPicture(png);
        ASSERT_FALSE(raw.isNull());
        EXPECT_EQ(premultiplied(raw), premultiplied(QImage(png)));
        // No copy: the image reads the program's own bytes.
        const QResource resource(QStringLiteral(":/pixels/%1.rgba").arg(QLatin1String(name)));
        EXPECT_EQ(raw.constBits(), resource.data() + sizeof(RawPictureHeader));
        EXPECT_EQ(loadPictureImage(png, 1.0).constBits(), raw.constBits());
        // Opaque pictures are stored opaque, so the screen never converts them.
        if (!QImage(png).hasAlphaChannel()) {
            EXPECT_EQ(raw.format(), QImage::Format_RGB32);
        }
    }
    // The card sheet keeps its transparent corners.
    EXPECT_EQ(rawPicture(QStringLiteral(":/cards.png")).format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(qAlpha(rawPicture(QStringLiteral(":/cards.png")).pixel(0, 0)), 0);
}

TEST(Pictures, HighDensityScreensGetTheTwiceSizedPng)
{
    const QImage twice = loadPictureImage(QStringLiteral(":/cards.png"), 2.0);
    ASSERT_FALSE(twice.isNull());
    EXPECT_EQ(twice.devicePixelRatio(), 2.0);
    EXPECT_EQ(twice.size(), QImage(QStringLiteral(":/cards.png")).size() * 2);
    EXPECT_EQ(loadPictureImage(QStringLiteral(":/tile.png"), 2.0).size(), QSize(100, 100)); // no 2x picture
}

TEST(Pictures, PicturesWithoutRawPixelsAreReadFromThePng)
{
    const QString png = QStringLiteral(":/icons/quenvale-16.png");
    EXPECT_TRUE(rawPicture(png).isNull());
    EXPECT_EQ(loadPictureImage(png, 1.0).size(), QSize(16, 16));
    EXPECT_TRUE(rawPicture(QStringLiteral(":/missing.png")).isNull());
    EXPECT_TRUE(loadPictureImage(QStringLiteral(":/missing.png"), 1.0).isNull());
    EXPECT_TRUE(rawPicture(QStringLiteral("cards.png")).isNull()); // not a resource path
}
