// The embedded artwork and sounds: present under their resource names, with the sizes,
// transparency and formats the windows and the sound gate rely on.
#include <QColor>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QSvgRenderer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

const QStringList kTwoScalePictures = {
    ":/cards", ":/banner", ":/highscore_banner", ":/publisher", ":/about_title",
    ":/buttons/start", ":/buttons/continue", ":/buttons/done", ":/buttons/close",
    ":/buttons/highscores", ":/buttons/sendscore", ":/buttons/cancel", ":/buttons/resettally"};

QImage load(const QString &path)
{
    QImage image(path);
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool isCream(QRgb c) { return qRed(c) > 190 && qGreen(c) > 190 && qBlue(c) > 120 && qAlpha(c) == 255; }
bool isMaroonish(QRgb c) { return qAlpha(c) > 200 && qRed(c) > 90 && qRed(c) < 170 && qGreen(c) < 50 && qBlue(c) < 50; }
bool isRedInk(QRgb c) { return qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90; }

int countPixels(const QImage &image, QRect area, bool (*match)(QRgb))
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += match(image.pixel(x, y));
    return n;
}

TEST(Resources, EveryNamedResourceLoads)
{
    QStringList pngs = {":/tile.png"};
    for (const QString &base : kTwoScalePictures)
        pngs << base + ".png" << base + "@2x.png";
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        pngs << QStringLiteral(":/icons/quenvale-%1.png").arg(size);
    for (const QString &path : pngs)
        EXPECT_FALSE(QImage(path).isNull()) << path.toStdString();

    QSvgRenderer icon(QStringLiteral(":/icons/quenvale.svg"));
    EXPECT_TRUE(icon.isValid());
    for (const char *sound : {"entered", "startgame", "cardclick", "invalid", "roundover", "continue", "gameover"})
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/sounds/%1.wav").arg(QLatin1String(sound)))) << sound;
}

TEST(Resources, HighDpiPicturesAreExactlyTwiceTheSize)
{
    for (const QString &base : kTwoScalePictures) {
        const QSize one = QImage(base + ".png").size(), two = QImage(base + "@2x.png").size();
        EXPECT_EQ(two, one * 2) << base.toStdString();
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        EXPECT_EQ(QImage(QStringLiteral(":/icons/quenvale-%1.png").arg(size)).size(), QSize(size, size));
}

// Picture k sits at column k mod 4, row k div 4; only its corner pixels are see-through.
TEST(CardSheet, LayoutAndCornerTransparency)
{
    for (int scale : {1, 2}) {
        const QImage sheet = load(scale == 1 ? ":/cards.png" : ":/cards@2x.png");
        ASSERT_EQ(sheet.size(), QSize(240, 1148) * scale);
        ASSERT_TRUE(sheet.hasAlphaChannel());
        const int w = 60 * scale, h = 82 * scale;
        for (int k = 0; k < 53; ++k) {
            const QPoint origin(k % 4 * w, k / 4 * h);
            int wrong = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const bool corner = (x < scale || x >= w - scale) && (y < scale || y >= h - scale);
                    const int alpha = qAlpha(sheet.pixel(origin + QPoint(x, y)));
                    wrong += corner ? alpha != 0 : alpha != 255;
                }
            EXPECT_EQ(wrong, 0) << "picture " << k << " at scale " << scale;
        }
    }
}

TEST(CardSheet, EveryPictureIsDistinctAndRedSuitsAreRed)
{
    const QImage sheet = load(":/cards.png");
    QSet<QByteArray> seen;
    for (int k = 0; k < 53; ++k) {
        const QImage card = sheet.copy(k % 4 * 60, k / 4 * 82, 60, 82);
        seen.insert(QByteArray(reinterpret_cast<const char *>(card.constBits()), card.sizeInBytes()));
        if (k == 0)
            continue;
        const int rank = (k - 1) % 13 + 1, suit = (k - 1) / 13; // clubs, diamonds, hearts, spades
        // Number cards carry only suit-coloured ink; court figures wear red whatever the suit.
        if (rank >= 2 && rank <= 10) {
            const int red = countPixels(card, QRect(0, 0, 60, 82), isRedInk);
            if (suit == 1 || suit == 2)
                EXPECT_GT(red, 100) << "card " << k;
            else
                EXPECT_EQ(red, 0) << "card " << k;
        }
    }
    EXPECT_EQ(seen.size(), 53);
}

// The high-DPI sheet is drawn separately; shrunk back it must show the same pictures.
TEST(CardSheet, DoubleSizeSheetMatchesTheNormalOne)
{
    const QImage one = load(":/cards.png");
    const QImage two = load(":/cards@2x.png").scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double total = 0;
    for (int y = 0; y < 14 * 82; ++y)
        for (int x = 0; x < 240; ++x) {
            const QRgb a = one.pixel(x, y), b = two.pixel(x, y);
            total += std::abs(qGray(a) - qGray(b));
        }
    EXPECT_LT(total / (240.0 * 1148), 12.0);
}

TEST(Tile, KhakiSubtleAndSeamless)
{
    const QImage tile = load(":/tile.png");
    ASSERT_EQ(tile.size(), QSize(100, 100));
    double r = 0, g = 0, b = 0, lum = 0, lum2 = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const QRgb c = tile.pixel(x, y);
            EXPECT_EQ(qAlpha(c), 255);
            r += qRed(c); g += qGreen(c); b += qBlue(c);
            lum += qGray(c); lum2 += qGray(c) * qGray(c);
        }
    const double n = 100 * 100;
    EXPECT_NEAR(r / n, 210, 8);
    EXPECT_NEAR(g / n, 197, 8);
    EXPECT_NEAR(b / n, 132, 8);
    EXPECT_LT(std::sqrt(lum2 / n - (lum / n) * (lum / n)), 8.0); // text must stay readable on it

    // Across the wrap-around seams the step between neighbours is no larger than inside.
    auto step = [&](QPoint a, QPoint c) { return std::abs(qGray(tile.pixel(a)) - qGray(tile.pixel(c))); };
    double inside = 0, seamX = 0, seamY = 0;
    for (int i = 0; i < 100; ++i) {
        inside += step({49, i}, {50, i}) + step({i, 49}, {i, 50});
        seamX += step({99, i}, {0, i});
        seamY += step({i, 99}, {i, 0});
    }
    EXPECT_LE(seamX, inside / 2 * 1.5 + 50);
    EXPECT_LE(seamY, inside / 2 * 1.5 + 50);
}

// Maroon face, cream lettering well inside the cream border: no caption is clipped.
TEST(Buttons, SizesAndCaptionsInsideTheFrame)
{
    for (const QString &base : kTwoScalePictures.filter("/buttons/")) {
        for (int scale : {1, 2}) {
            const QImage button = load(base + (scale == 1 ? ".png" : "@2x.png"));
            const int width = base.endsWith("sendscore") ? 160 : 126;
            ASSERT_EQ(button.size(), QSize(width, 40) * scale) << base.toStdString();
            const QRect inner(6 * scale, 6 * scale, (width - 12) * scale, 28 * scale);
            EXPECT_GT(countPixels(button, inner, isMaroonish), inner.width() * inner.height() / 2);
            int left = inner.right(), right = inner.left();
            for (int y = inner.top(); y <= inner.bottom(); ++y)
                for (int x = inner.left(); x <= inner.right(); ++x)
                    if (isCream(button.pixel(x, y))) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
            ASSERT_LT(left, right) << base.toStdString() << ": no caption";
            EXPECT_GE(left, 8 * scale) << base.toStdString();
            EXPECT_LE(right, (width - 9) * scale) << base.toStdString();
        }
    }
}

TEST(Decorations, SizesTransparentGroundAndMaroonLettering)
{
    const struct { const char *path; QSize size; } pictures[] = {
        {":/banner.png", {110, 329}}, {":/highscore_banner.png", {97, 322}},
        {":/publisher.png", {287, 18}}, {":/about_title.png", {270, 80}}};
    for (const auto &p : pictures) {
        const QImage image = load(p.path);
        ASSERT_EQ(image.size(), p.size) << p.path;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << p.path;
        EXPECT_EQ(qAlpha(image.pixel(p.size.width() - 1, p.size.height() - 1)), 0) << p.path;
        EXPECT_GT(countPixels(image, image.rect(), isMaroonish), 100) << p.path;
    }
}

struct WaveFormat {
    int format = 0, channels = 0, rate = 0, bits = 0;
    QByteArray data;
};

// A strict reader for the plain RIFF layout the sounds are stored in.
WaveFormat readWave(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    WaveFormat w;
    if (bytes.size() < 12 || bytes.left(4) != "RIFF" || bytes.mid(8, 4) != "WAVE" ||
        u32(4) != quint32(bytes.size() - 8))
        return w;
    for (int at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const int size = int(u32(at + 4));
        if (at + 8 + size > bytes.size())
            return {};
        if (id == "fmt ") {
            w.format = u16(at + 8);
            w.channels = u16(at + 10);
            w.rate = int(u32(at + 12));
            w.bits = u16(at + 22);
        } else if (id == "data") {
            w.data = bytes.mid(at + 8, size);
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

TEST(Sounds, FormatsLengthsAndLevels)
{
    const struct { const char *name; int rate, bits; double seconds; } table[] = {
        {"entered", 22050, 8, 0.79},  {"startgame", 11025, 8, 0.30}, {"cardclick", 11025, 8, 0.14},
        {"invalid", 11025, 8, 0.25},  {"roundover", 11025, 8, 0.96}, {"continue", 22050, 8, 1.06},
        {"gameover", 22050, 16, 2.79}};
    QSet<QByteArray> distinct;
    for (const auto &s : table) {
        SCOPED_TRACE(s.name);
        const WaveFormat w = readWave(QStringLiteral(":/sounds/%1.wav").arg(QLatin1String(s.name)));
        ASSERT_EQ(w.format, 1); // uncompressed PCM
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.rate, s.rate);
        ASSERT_EQ(w.bits, s.bits);
        const int frames = int(w.data.size()) / (s.bits / 8);
        EXPECT_EQ(std::lround(frames * 100.0 / s.rate), std::lround(s.seconds * 100));

        // Starts and ends in silence, never clips, and is clearly audible.
        QVector<int> samples;
        for (int i = 0; i < frames; ++i)
            samples << (s.bits == 8 ? (quint8(w.data[i]) - 128) * 256
                                    : qFromLittleEndian<qint16>(w.data.constData() + 2 * i));
        EXPECT_EQ(samples.first(), 0);
        EXPECT_EQ(samples.last(), 0);
        int peak = 0;
        for (int v : samples)
            peak = std::max(peak, std::abs(v));
        EXPECT_LT(peak, 32000);
        EXPECT_GT(peak, 16000);
        distinct.insert(w.data);
    }
    EXPECT_EQ(distinct.size(), 7);
}

} // namespace
