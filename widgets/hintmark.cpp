#include "widgets/hintmark.h"

#include "widgets/boardscale.h"
#include "widgets/cardimagelist.h"
#include "widgets/look.h"

#include <QPainter>

namespace {
// Green, apart from the keyboard's gold frame and the breakdown's, and clear on khaki.
const QColor hintColour{0, 120, 70};
} // namespace

HintMark::HintMark(QWidget *parent) : QWidget(parent)
{
    // Clicks reach the cell below: the player may follow the hint at once.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(CardImageList::width + 8, CardImageList::height + 8);
    hide();
}

void HintMark::mark(const QRect &target, const QString &caption)
{
    caption_ = caption;
    setAccessibleName(QStringLiteral("Hint: %1").arg(caption));
    boardscale::setDesignGeometry(this, target.adjusted(-4, -4, 4, 4));
    update();
}

void HintMark::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal f = boardscale::factor(this);
    const QRectF r = QRectF(rect()).adjusted(2 * f, 2 * f, -2 * f, -2 * f);
    p.setPen(QPen(hintColour, 4 * f, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(hintColour.red(), hintColour.green(), hintColour.blue(), 40));
    p.drawRoundedRect(r, 5 * f, 5 * f);

    // The caption on a badge across the cell's middle.
    QFont font = look::pixelFont(15, true);
    font.setPixelSize(qRound(15 * f));
    p.setFont(font);
    const QFontMetricsF metrics(font);
    const qreal w = metrics.horizontalAdvance(caption_) + 10 * f;
    const qreal h = metrics.height() + 4 * f;
    const QRectF badge(r.center().x() - w / 2, r.center().y() - h / 2, w, h);
    p.setPen(Qt::NoPen);
    p.setBrush(hintColour);
    p.drawRoundedRect(badge, 4 * f, 4 * f);
    p.setPen(Qt::white);
    p.drawText(badge, Qt::AlignCenter, caption_);
}
