// qv_artgen <resources-dir>: draws every picture and synthesises every sound the
// game embeds, writing them under the given folder.
#include "cards.h"
#include "decor.h"
#include "painting.h"
#include "sounds.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>

#include <cstdio>
#include <functional>

using namespace artgen;

namespace {

struct ButtonSpec {
    const char *name;
    const char *caption;
    int width;
};

const ButtonSpec kButtons[] = {
    {"start", "Start Game", 126},   {"continue", "Continue", 126}, {"done", "Done", 126},
    {"close", "Close", 126},        {"highscores", "High Scores", 126},
    {"sendscore", "SEND SCORE", 160}, {"cancel", "Cancel", 126},   {"resettally", "Reset Tally", 126},
};

bool writeBoth(const QString &base, const std::function<QImage(int)> &draw)
{
    return savePng(draw(1), base + QStringLiteral(".png")) && savePng(draw(2), base + QStringLiteral("@2x.png"));
}

bool hasFonts()
{
    const QStringList families = QFontDatabase::families();
    for (const char *family : {"Liberation Sans", "Liberation Serif"})
        if (!families.contains(QLatin1String(family))) {
            std::fprintf(stderr, "artgen: font \"%s\" is missing (package fonts-liberation)\n", family);
            return false;
        }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv_artgen <resources-dir>\n");
        return 2;
    }
    if (!hasFonts())
        return 1;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    auto path = [&](const QString &name) { return out.filePath(name); };
    bool ok = true;

    ok &= writeBoth(path(QStringLiteral("cards")), drawCardSheet);
    ok &= savePng(drawTile(), path(QStringLiteral("tile.png")));
    for (const ButtonSpec &b : kButtons)
        ok &= writeBoth(path(QStringLiteral("buttons/") + QLatin1String(b.name)), [&](int scale) {
            return drawButton(QString::fromLatin1(b.caption), QSize(b.width, 40), scale);
        });
    ok &= writeBoth(path(QStringLiteral("banner")), [](int s) { return drawBanner(QSize(110, 329), s); });
    ok &= writeBoth(path(QStringLiteral("highscore_banner")), [](int s) { return drawBanner(QSize(97, 322), s); });
    ok &= writeBoth(path(QStringLiteral("publisher")), drawPublisherStrip);
    ok &= writeBoth(path(QStringLiteral("about_title")), drawAboutTitle);

    const QByteArray svg = iconSvg();
    QDir().mkpath(path(QStringLiteral("icons")));
    QFile svgFile(path(QStringLiteral("icons/quenvale.svg")));
    ok &= svgFile.open(QIODevice::WriteOnly) && svgFile.write(svg) == svg.size();
    svgFile.close();
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok &= savePng(renderIcon(svg, size), path(QStringLiteral("icons/quenvale-%1.png").arg(size)));

    QDir().mkpath(path(QStringLiteral("sounds")));
    for (const SoundSpec &sound : soundSpecs())
        ok &= writeWav(path(QStringLiteral("sounds/%1.wav").arg(QLatin1String(sound.name))).toStdString(),
                       synthesise(sound), sound);

    if (!ok)
        return 1;
    std::printf("artgen: wrote the artwork and sounds to %s\n", qPrintable(out.absolutePath()));
    return 0;
}
