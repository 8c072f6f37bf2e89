#include "widgets/selbutton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TSelButton::TSelButton(QWidget *parent) : QWidget(parent)
{
    resize(105, 20);
    color_ = palette().color(QPalette::Button);
    setFont(QFont(QStringLiteral("Arial"), 8));
    connect(this, &QObject::objectNameChanged, this, [this](const QString &name) {
        if (!captionSet_) {
            caption_ = name;
            update();
        }
    });
}

void TSelButton::setCaption(const QString &caption)
{
    captionSet_ = true;
    caption_ = caption;
    repaint();
}

void TSelButton::setColor(const QColor &c)
{
    color_ = c;
    repaint();
}

void TSelButton::setColorBorder(const QColor &c)
{
    colorBorder_ = c;
    repaint();
}

void TSelButton::setColorOver(const QColor &c)
{
    colorOver_ = c;
    update();
}

void TSelButton::setColorOverCaption(const QColor &c)
{
    colorOverCaption_ = c;
    update();
}

void TSelButton::setColorDown(const QColor &c)
{
    colorDown_ = c;
    update();
}

void TSelButton::setAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    repaint();
}

void TSelButton::setBorderWidth(int width)
{
    borderWidth_ = qMax(0, width);
    repaint();
}

void TSelButton::setFontColor(const QColor &c)
{
    fontColor_ = c;
    update();
}

QPoint TSelButton::captionPos() const
{
    const QFontMetrics fm(font());
    const int w = fm.horizontalAdvance(caption_);
    int x = 5;
    if (alignment_ == TAlignment::Right)
        x = width() - w - 6;
    else if (alignment_ == TAlignment::Center)
        x = width() / 2 - w / 2;
    int y = height() / 2 - fm.height() / 2;
    if (look_ == Look::Down) {
        // Pressed: the caption sinks one pixel right and down.
        ++x;
        ++y;
    }
    return {x, y};
}

void TSelButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QColor face = look_ == Look::Over ? colorOver_ : look_ == Look::Down ? colorDown_ : color_;
    p.fillRect(rect().adjusted(1, 1, -1, -1), face);

    p.setFont(font());
    p.setPen(look_ == Look::Normal ? fontColor_ : colorOverCaption_);
    const QPoint pos = captionPos();
    p.drawText(pos.x(), pos.y() + QFontMetrics(font()).ascent(), caption_);

    p.setPen(colorBorder_);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < borderWidth_ && 2 * i < width() && 2 * i < height(); ++i)
        p.drawRect(i, i, width() - 1 - 2 * i, height() - 1 - 2 * i);
}

void TSelButton::setLook(Look look)
{
    if (look_ == look)
        return;
    look_ = look;
    repaint();
}

void TSelButton::enterEvent(QEnterEvent *event)
{
    if (isEnabled())
        setLook(Look::Over);
    QWidget::enterEvent(event);
}

void TSelButton::leaveEvent(QEvent *event)
{
    setLook(Look::Normal);
    QWidget::leaveEvent(event);
}

void TSelButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled())
        setLook(Look::Down);
    QWidget::mousePressEvent(event);
}

void TSelButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || look_ != Look::Down) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (!rect().contains(event->position().toPoint())) {
        // Dragged off before letting go: no click.
        setLook(Look::Normal);
        return;
    }
    setLook(Look::Normal);
    // The handler may hide the window (the "Done" buttons); only show the hover
    // look again if the button is still there to be hovered.
    QPointer<TSelButton> self(this);
    if (isEnabled())
        emit clicked();
    if (self && isVisible() && isEnabled())
        setLook(Look::Over);
}

void TSelButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setLook(Look::Normal);
    QWidget::changeEvent(event);
}

void TSelButton::hideEvent(QHideEvent *event)
{
    // A window hidden under the pointer gets no leave event; start clean next time.
    setLook(Look::Normal);
    QWidget::hideEvent(event);
}
