#include "decor.h"

#include "painting.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <cstdint>

namespace artgen {
namespace {

const QString kSerif = QStringLiteral("Liberation Serif");
const QString kSans = QStringLiteral("Liberation Sans");

// Soft stripe profile: 1 on the stripe's centre line, falling to 0 over `half` pixels.
double stripe(double u, double period, double half)
{
    double d = std::fmod(u, period);
    if (d < 0)
        d += period;
    d = std::min(d, period - d);
    return d >= half ? 0.0 : 0.5 + 0.5 * std::cos(M_PI * d / half);
}

// Deterministic per-pixel grain so the tile is identical on every run.
double grain(int x, int y)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffff) / 65535.0 - 0.5;
}

// The largest pixel size (down from `start`) at which the text fits the width.
QFont fitFont(const QString &family, const QString &text, qreal start, qreal maxWidth, bool bold,
              bool italic = false)
{
    for (qreal size = start; size > 6; size -= 0.5) {
        QFont f = makeFont(family, size, bold, italic);
        QPainterPath path;
        path.addText(0, 0, f, text);
        if (path.boundingRect().width() <= maxWidth)
            return f;
    }
    return makeFont(family, 6, bold, italic);
}

void drawSuitRow(QPainter &p, QPointF centre, qreal size, qreal gap, QColor colour)
{
    const Suit order[] = {Suit::Spades, Suit::Hearts, Suit::Clubs, Suit::Diamonds};
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(centre + QPointF((i - 1.5) * gap, 0));
        p.scale(size, size);
        p.fillPath(suitPath(order[i]), colour);
        p.restore();
    }
}

} // namespace

QImage drawTile()
{
    // Two families of diagonal stripes crossing at right angles: lighter running one
    // way, darker the other. Periods divide 100, so opposite edges meet exactly.
    QImage image(100, 100, QImage::Format_ARGB32);
    for (int y = 0; y < 100; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < 100; ++x) {
            const double light = stripe(x + y, 25, 3.2) * 9.0 + stripe(x + y + 12.5, 25, 1.2) * 3.0;
            const double dark = stripe(x - y, 25, 3.2) * 8.0 + stripe(x - y + 12.5, 25, 1.2) * 2.5;
            const double weave = grain(x, y) * 4.0;
            const double shift = light - dark + weave;
            auto channel = [&](int base, double gain) {
                return std::clamp(static_cast<int>(std::lround(base + shift * gain)), 0, 255);
            };
            line[x] = qRgb(channel(kKhaki.red(), 1.0), channel(kKhaki.green(), 1.0),
                           channel(kKhaki.blue(), 0.85));
        }
    }
    return image;
}

QImage drawButton(const QString &caption, QSize logical, int scale)
{
    QImage image = newCanvas(logical, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const QRectF face(0, 0, logical.width(), logical.height());

    QPainterPath body;
    body.addRoundedRect(face, 3.5, 3.5);
    QLinearGradient shade(0, 0, 0, face.height());
    shade.setColorAt(0.0, QColor(150, 18, 18));
    shade.setColorAt(0.45, QColor(128, 0, 0));
    shade.setColorAt(1.0, QColor(106, 0, 0));
    p.fillPath(body, shade);
    p.setPen(QPen(QColor(72, 0, 0), 1));
    p.drawPath([&] {
        QPainterPath edge;
        edge.addRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        return edge;
    }());
    p.setPen(QPen(kCream, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(face.adjusted(3.5, 3.5, -3.5, -3.5), 1.5, 1.5);

    const QFont font = fitFont(kSans, caption, 16, face.width() - 20, true);
    // Centre on the cap height so captions with and without descenders sit alike.
    QPainterPath text;
    text.addText(0, 0, font, caption);
    QPainterPath caps;
    caps.addText(0, 0, font, QStringLiteral("H"));
    const QRectF capBox = caps.boundingRect();
    text.translate(face.center().x() - text.boundingRect().center().x(),
                   face.center().y() - capBox.center().y());
    p.fillPath(text.translated(0.7, 0.9), QColor(60, 0, 0, 200));
    p.fillPath(text, kCream);
    return image;
}

QImage drawBanner(QSize logical, int scale)
{
    QImage image = newCanvas(logical, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const qreal w = logical.width(), h = logical.height();
    const QString word = QStringLiteral("QUENVALE");

    const qreal ornament = 22;               // room for the suit rows at both ends
    const qreal pitch = (h - 2 * ornament) / word.size();
    const QFont font = makeFont(kSerif, pitch * 1.12, true);
    QPainterPath capRef;
    capRef.addText(0, 0, font, QStringLiteral("E"));
    const qreal capMid = capRef.boundingRect().center().y();

    QPainterPath letters;
    for (int i = 0; i < word.size(); ++i) {
        QPainterPath glyph;
        glyph.addText(0, 0, font, word.mid(i, 1));
        const qreal cy = ornament + pitch * (i + 0.5);
        glyph.translate(w / 2 - glyph.boundingRect().center().x(), cy - capMid);
        letters.addPath(glyph);
    }

    // Fine rules either side of the lettering, ending in small diamonds.
    const qreal ruleGap = w * 0.36;
    QPainterPath rules;
    for (qreal x : {w / 2 - ruleGap, w / 2 + ruleGap}) {
        rules.addRect(QRectF(x - 0.6, ornament + 2, 1.2, h - 2 * ornament - 4));
        for (qreal y : {ornament + 2, h - ornament - 2}) {
            QPainterPath d = suitPath(Suit::Diamonds);
            rules.addPath(QTransform().translate(x, y).scale(5, 5).map(d));
        }
    }
    shadowedLettering(p, rules, kMaroon, {1.2, 1.2}, 1.0);
    shadowedLettering(p, letters, kMaroon, {2.2, 2.2}, 2.0);

    drawSuitRow(p, QPointF(w / 2, ornament / 2), 9, 13, kMaroon);
    drawSuitRow(p, QPointF(w / 2, h - ornament / 2), 9, 13, kMaroon);
    return image;
}

QImage drawPublisherStrip(int scale)
{
    const QSize logical(287, 18);
    QImage image = newCanvas(logical, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const QString line = QStringLiteral("A Brackenfold Games Production  \u00b7  brackenfold games");
    QFont font = fitFont(kSerif, line, 13, logical.width() - 48, true, true);
    // Small text stays crisper drawn as hinted glyphs than as filled outlines.
    font.setHintingPreference(QFont::PreferFullHinting);
    p.setFont(font);
    p.setPen(kMaroon);
    p.drawText(QRectF(0, 0, logical.width(), logical.height()), Qt::AlignCenter, line);
    // Suit marks at both ends.
    for (auto [suit, x] : {std::pair{Suit::Clubs, 7.0}, std::pair{Suit::Diamonds, 280.0}}) {
        p.save();
        p.translate(x, 9);
        p.scale(9, 9);
        p.fillPath(suitPath(suit), kMaroon);
        p.restore();
    }
    return image;
}

QImage drawAboutTitle(int scale)
{
    const QSize logical(270, 80);
    QImage image = newCanvas(logical, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    const qreal cx = logical.width() / 2.0;

    const QFont big = makeFont(kSerif, 54, true);
    shadowedLettering(p, centredText(QStringLiteral("Quenvale"), big, QPointF(cx, 30)), kMaroon,
                      {2.5, 2.5}, 2.2);

    QFont small = makeFont(kSerif, 15, true);
    small.setCapitalization(QFont::SmallCaps);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    const QPainterPath maker = centredText(QStringLiteral("Brackenfold Games"), small, QPointF(cx, 68));
    const QRectF box = maker.boundingRect();
    QPainterPath trim;
    trim.addRect(QRectF(12, 67.4, box.left() - 20, 1.2));
    trim.addRect(QRectF(box.right() + 8, 67.4, logical.width() - 12 - box.right() - 8, 1.2));
    trim.addPath(QTransform().translate(12, 68).scale(7, 7).map(suitPath(Suit::Hearts)));
    trim.addPath(QTransform().translate(logical.width() - 12, 68).scale(7, 7).map(suitPath(Suit::Spades)));
    shadowedLettering(p, trim, kMaroon, {1, 1}, 1);
    shadowedLettering(p, maker, kMaroon, {1.2, 1.2}, 1.2);
    return image;
}

QByteArray iconSvg()
{
    // Two fanned cards: the blue harlequin back behind, in front a face showing the
    // game's 4 x 4 board with one cell still open.
    QString svg = QStringLiteral(R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" width="256" height="256" viewBox="0 0 256 256">
  <g transform="rotate(-12 112 226)">
    <rect x="48" y="34" width="128" height="182" rx="14" fill="#fbfaf4" stroke="#3a3a40" stroke-width="4"/>
    <rect x="58" y="44" width="108" height="162" rx="6" fill="#1a3a94"/>
)svg");
    for (int row = 0; row < 9; ++row)
        for (int col = 0; col < 6; ++col) {
            const int x = 67 + 18 * col, y = 53 + 18 * row;
            svg += QStringLiteral("    <path d=\"M%1 %2 L%3 %4 L%1 %5 L%6 %4 Z\" fill=\"#345cbe\"/>\n")
                       .arg(x).arg(y - 9).arg(x + 9).arg(y).arg(y + 9).arg(x - 9);
        }
    svg += QStringLiteral(R"svg(    <rect x="64" y="50" width="96" height="150" rx="4" fill="none" stroke="#ffffff" stroke-width="4"/>
  </g>
  <g transform="rotate(8 160 222)">
    <rect x="96" y="40" width="128" height="176" rx="14" fill="#fffdf6" stroke="#3a3a40" stroke-width="4"/>
    <rect x="108" y="52" width="104" height="152" rx="6" fill="#d2c584" stroke="#800000" stroke-width="4"/>
)svg");
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const bool open = (r == 2 && c == 1);
            svg += QStringLiteral("    <rect x=\"%1\" y=\"%2\" width=\"19\" height=\"28\" rx=\"3\" fill=\"%3\" "
                                  "stroke=\"#800000\" stroke-width=\"%4\"/>\n")
                       .arg(117 + c * 22.5)
                       .arg(62 + r * 34)
                       .arg(open ? QStringLiteral("#f4eed2") : QStringLiteral("#800000"))
                       .arg(open ? 3 : 0);
        }
    svg += QStringLiteral("  </g>\n</svg>\n");
    return svg.toUtf8();
}

QImage renderIcon(const QByteArray &svg, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    renderer.render(&p);
    return image;
}

} // namespace artgen
