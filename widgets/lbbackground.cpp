#include "widgets/lbbackground.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

TLbBackground::TLbBackground(QWidget *window) : QObject(window), window_(window)
{
    window_->installEventFilter(this);
}

TLbBackground::~TLbBackground()
{
    window_->removeEventFilter(this);
}

void TLbBackground::setEnabled(bool enabled)
{
    enabled_ = enabled;
    window_->update();
}

void TLbBackground::setImage(const QPixmap &image)
{
    image_ = image;
    window_->update();
}

bool TLbBackground::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window_ && event->type() == QEvent::Paint && enabled_ && !image_.isNull()) {
        // Tile from (0, 0) over a little more than the window, column by column, so
        // the pattern always covers the visible area.
        QPainter painter(window_);
        const int w = image_.width() / image_.devicePixelRatio();
        const int h = image_.height() / image_.devicePixelRatio();
        const int columns = window_->width() / w + 2;
        const int rows = window_->height() / h + 2;
        for (int c = 0; c < columns; ++c)
            for (int r = 0; r < rows; ++r)
                painter.drawPixmap(c * w, r * h, image_);
    }
    return false; // the window still paints itself on top
}
