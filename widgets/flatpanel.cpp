#include "widgets/flatpanel.h"

#include "widgets/boardscale.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

TFlatPanel::TFlatPanel(QWidget *parent) : QWidget(parent)
{
    resize(185, 41);
    // Qt paints every widget through its window's back buffer, so frames and
    // captions are copied to the screen in one step and never flicker.
    setAttribute(Qt::WA_StyledBackground, false);
}

void TFlatPanel::setColorHighLight(const QColor &c)
{
    highlight_ = c;
    update();
}

void TFlatPanel::setColorShadow(const QColor &c)
{
    shadow_ = c;
    update();
}

void TFlatPanel::setFrameColor(const QColor &c)
{
    highlight_ = shadow_ = c;
    update();
}

void TFlatPanel::setTransparent(bool transparent)
{
    transparent_ = transparent;
    update();
}

void TFlatPanel::setCaption(const QString &caption)
{
    caption_ = caption;
    update();
}

void TFlatPanel::setAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

void TFlatPanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void TFlatPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    if (!transparent_)
        p.fillRect(r, palette().color(QPalette::Window));

    // One pixel at the design size; on a larger board, as much larger.
    const qreal factor = boardscale::factor(this);
    const int t = std::max(1, int(std::lround(factor)));
    p.fillRect(0, 0, r.width(), t, highlight_);
    p.fillRect(0, 0, t, r.height(), highlight_);
    p.fillRect(0, r.height() - t, r.width(), t, shadow_);
    p.fillRect(r.width() - t, 0, t, r.height(), shadow_);

    if (caption_.isEmpty())
        return;
    const int margin = int(std::lround(2 * factor));
    const QRect text = r.adjusted(margin, 0, -margin, 0);
    const int flags = int(alignment_ & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine;
    if (isEnabled()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(text, flags, caption_);
    } else {
        // Embossed: highlight one pixel right and down, shadow on top.
        p.setPen(palette().color(QPalette::Light));
        p.drawText(text.translated(1, 1), flags, caption_);
        p.setPen(palette().color(QPalette::Dark));
        p.drawText(text, flags, caption_);
    }
}
