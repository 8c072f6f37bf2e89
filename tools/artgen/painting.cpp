#include "painting.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTransform>

#include <cstdio>
#include <initializer_list>
#include <vector>

namespace artgen {

QColor suitColour(Suit suit)
{
    return (suit == Suit::Diamonds || suit == Suit::Hearts) ? kCardRed : kCardBlack;
}

namespace {

QPainterPath heart()
{
    QPainterPath p;
    p.moveTo(0, 0.52);
    p.cubicTo(-0.10, 0.34, -0.50, 0.12, -0.50, -0.17);
    p.cubicTo(-0.50, -0.40, -0.36, -0.50, -0.25, -0.50);
    p.cubicTo(-0.11, -0.50, -0.02, -0.40, 0, -0.28);
    p.cubicTo(0.02, -0.40, 0.11, -0.50, 0.25, -0.50);
    p.cubicTo(0.36, -0.50, 0.50, -0.40, 0.50, -0.17);
    p.cubicTo(0.50, 0.12, 0.10, 0.34, 0, 0.52);
    p.closeSubpath();
    return p;
}

QPainterPath stem(qreal top)
{
    QPainterPath p;
    p.moveTo(-0.03, top);
    p.cubicTo(-0.03, 0.32, -0.10, 0.44, -0.22, 0.53);
    p.lineTo(0.22, 0.53);
    p.cubicTo(0.10, 0.44, 0.03, 0.32, 0.03, top);
    p.closeSubpath();
    return p;
}

// Unites overlapping parts into one outline. Boolean operations flatten curves to a
// fixed tolerance in path units, so the union is taken at a large size and scaled back.
QPainterPath united(std::initializer_list<QPainterPath> parts)
{
    constexpr qreal big = 1000;
    QPainterPath merged;
    for (const QPainterPath &part : parts)
        merged = merged.united(QTransform::fromScale(big, big).map(part));
    return QTransform::fromScale(1 / big, 1 / big).map(merged);
}

} // namespace

QPainterPath suitPath(Suit suit)
{
    QPainterPath p;
    switch (suit) {
    case Suit::Hearts:
        return heart();
    case Suit::Diamonds:
        p.moveTo(0, -0.54);
        p.quadTo(0.16, -0.24, 0.42, 0);
        p.quadTo(0.16, 0.24, 0, 0.54);
        p.quadTo(-0.16, 0.24, -0.42, 0);
        p.quadTo(-0.16, -0.24, 0, -0.54);
        p.closeSubpath();
        return p;
    case Suit::Spades: {
        // An upside-down heart over a flared stem.
        const QPainterPath body = QTransform().scale(1.0, 0.9).scale(1, -1).translate(0, 0.06).map(heart());
        return united({body, stem(0.1)});
    }
    case Suit::Clubs: {
        auto leaf = [](QPointF centre, qreal radius) {
            QPainterPath c;
            c.addEllipse(centre, radius, radius);
            return c;
        };
        return united({leaf({0, -0.27}, 0.225), leaf({-0.25, 0.09}, 0.225), leaf({0.25, 0.09}, 0.225),
                       leaf({0, 0}, 0.12), stem(-0.02)});
    }
    }
    return p;
}

QFont makeFont(const QString &family, qreal pixelSize, bool bold, bool italic)
{
    QFont f(family);
    f.setPixelSize(qRound(pixelSize));
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

QPainterPath centredText(const QString &text, const QFont &font, QPointF centre, qreal xScale)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    path = QTransform().scale(xScale, 1).map(path);
    const QRectF ink = path.boundingRect();
    path.translate(centre - ink.center());
    return path;
}

QImage newCanvas(QSize logical, int scale, QColor fill)
{
    QImage image(logical * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

namespace {

// Box blur of every channel (premultiplied), repeated for a near-Gaussian result.
QImage blurred(const QImage &source, int radius)
{
    if (radius <= 0)
        return source;
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width(), h = image.height();
    std::vector<int> line(std::max(w, h) * 4);
    auto pass = [&](bool horizontal) {
        const int n = horizontal ? w : h, lines = horizontal ? h : w;
        for (int l = 0; l < lines; ++l) {
            auto px = [&](int i) -> QRgb & {
                return horizontal ? reinterpret_cast<QRgb *>(image.scanLine(l))[i]
                                  : reinterpret_cast<QRgb *>(image.scanLine(i))[l];
            };
            for (int i = 0; i < n; ++i) {
                const QRgb c = px(i);
                line[i * 4] = qAlpha(c); line[i * 4 + 1] = qRed(c);
                line[i * 4 + 2] = qGreen(c); line[i * 4 + 3] = qBlue(c);
            }
            for (int i = 0; i < n; ++i) {
                int sum[4] = {0, 0, 0, 0};
                for (int k = -radius; k <= radius; ++k) {
                    const int j = i + k;
                    if (j < 0 || j >= n)
                        continue;
                    for (int c = 0; c < 4; ++c)
                        sum[c] += line[j * 4 + c];
                }
                const int d = 2 * radius + 1;
                px(i) = qRgba(sum[1] / d, sum[2] / d, sum[3] / d, sum[0] / d);
            }
        }
    };
    for (int round = 0; round < 2; ++round) {
        pass(true);
        pass(false);
    }
    return image;
}

} // namespace

void softShadow(QPainter &p, const QPainterPath &path, QColor colour, QPointF offset, qreal blur)
{
    auto *target = static_cast<QImage *>(p.device());
    QImage layer(target->size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        lp.setTransform(p.transform());
        lp.translate(offset);
        lp.fillPath(path, colour);
    }
    const qreal deviceScale = p.transform().m11();
    layer = blurred(layer, qMax(1, qRound(blur * deviceScale / 2)));
    p.save();
    p.resetTransform();
    p.drawImage(0, 0, layer);
    p.restore();
}

void shadowedLettering(QPainter &p, const QPainterPath &path, QColor face, QPointF offset, qreal blur)
{
    softShadow(p, path, QColor(110, 110, 110, 200), offset, blur);
    p.fillPath(path, face);
}

void fillLogical(QImage &image, int scale, QRect logical, QColor colour)
{
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRect(logical.topLeft() * scale, logical.size() * scale), colour);
}

bool savePng(const QImage &image, const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Straight (non-premultiplied) ARGB is what the PNG holds; level 9 keeps the repository small.
    if (!image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG", 0)) {
        std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace artgen
