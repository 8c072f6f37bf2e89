#include "widgets/look.h"

#include "widgets/picture.h"
#include "widgets/selbutton.h"

#include <QPainter>
#include <QWidget>

namespace look {

QFont pixelFont(const QString &family, int pixels, bool bold)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFont pixelFont(int pixels, bool bold)
{
    return pixelFont(QStringLiteral("MS Sans Serif"), pixels, bold);
}

void installFontSubstitutions()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
}

void setWindowColour(QWidget *widget)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, windowColour);
    widget->setPalette(pal);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}

QPixmap backgroundTile()
{
    QPixmap tile = loadPicture(QStringLiteral(":/tile.png"), 1.0);
    if (!tile.isNull())
        return tile;
    tile = QPixmap(100, 100);
    tile.fill(windowColour);
    QPainter p(&tile);
    for (int i = -100; i < 100; i += 20) {
        p.setPen(QPen(windowColour.lighter(108), 3));
        p.drawLine(i, 0, i + 100, 100);
        p.setPen(QPen(windowColour.darker(106), 3));
        p.drawLine(i + 100, 0, i, 100);
    }
    return tile;
}

void styleButton(TSelButton *button)
{
    const QColor cream(224, 228, 171);
    button->setColor(maroon);
    button->setColorBorder(cream);
    button->setColorOver(maroon);
    button->setColorDown(maroon);
    button->setColorOverCaption(cream);
    button->setBorderWidth(1);
    button->setFont(pixelFont(QStringLiteral("Arial"), 13, true));
    button->setFontColor(QColor(192, 192, 192));
}

} // namespace look
