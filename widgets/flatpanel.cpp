#include "widgets/flatpanel.h"

#include <QEvent>
#include <QPainter>

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

    p.setPen(highlight_);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(shadow_);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());

    if (caption_.isEmpty())
        return;
    const QRect text = r.adjusted(2, 0, -2, 0);
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
