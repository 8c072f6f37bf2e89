#include "widgets/builders.h"

#include "widgets/boardscale.h"
#include "widgets/flatpanel.h"
#include "widgets/labels.h"
#include "widgets/look.h"
#include "widgets/picturebutton.h"

#include <QEvent>
#include <QLabel>

namespace {

// Sizes a hidden panel's caption to its text when the panel is first shown.
class FitOnShow : public QObject {
public:
    explicit FitOnShow(QLabel *label) : QObject(label) { label->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            static_cast<QLabel *>(watched)->adjustSize();
            watched->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption, QPoint pos, const QFont &font,
                  const QColor &colour, QSize size, Qt::Alignment align)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setFont(font);
    look::setTextColour(label, colour);
    label->setAlignment(align);
    label->move(pos);
    if (size.isValid()) {
        label->resize(size);
        return label;
    }
    boardscale::setFitsText(label);
    if (parent->isHidden())
        new FitOnShow(label);
    else
        label->adjustSize();
    return label;
}

ShadowLabel *makeHeading(QWidget *parent, const QString &caption, QRect geometry, const QFont &font, bool wrap,
                         int dx, int dy, const QColor &back)
{
    auto *heading = new ShadowLabel(caption, back, look::maroon, dx, dy, parent);
    heading->setFont(font);
    heading->setWordWrap(wrap);
    heading->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    heading->setGeometry(geometry);
    return heading;
}

TFlatPanel *makePanel(QWidget *parent, const QString &name, QRect geometry, bool transparent, const QColor &frame)
{
    auto *panel = new TFlatPanel(parent);
    panel->setObjectName(name);
    panel->setTransparent(transparent);
    panel->setFrameColor(frame);
    panel->setGeometry(geometry);
    return panel;
}

PictureButton *makeButton(QWidget *parent, const QString &name, const QString &picture, const QString &caption,
                          QPoint pos, int width)
{
    auto *button = new PictureButton(QStringLiteral(":/buttons/%1.png").arg(picture), caption, parent);
    button->setObjectName(name);
    button->setGeometry(pos.x(), pos.y(), width, 40);
    return button;
}
