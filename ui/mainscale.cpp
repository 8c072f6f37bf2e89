// The main window's size: the board drawn larger as the window grows, the
// minimum size held by the window itself, and full screen with its saved state.
#include "ui/mainform.h"

#include "widgets/boardhost.h"

#include <QAction>
#include <QEvent>
#include <QTimer>

void Tmain::boardScaled(qreal factor)
{
    // The larger card pictures only when the board is drawn larger.
    imagelist_cards.prefetch(devicePixelRatioF() * factor);
}

void Tmain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void Tmain::FormResize()
{
    // Qt keeps its own requests at the minimum (the client area's, plus the
    // menu bar), but the window system may still hand the window less (a
    // window manager that ignores the hint, a forced resize): the board is then
    // drawn smaller meanwhile, and the window asks for its minimum back, once
    // for each size it is handed.
    const QSize least = minimumSize();
    if (isFullScreen() || isMaximized() || (width() >= least.width() && height() >= least.height())
        || size() == minimumRefused_)
        return;
    minimumRefused_ = size();
    QTimer::singleShot(0, this, [this] { resize(size().expandedTo(minimumSize())); });
}

void Tmain::FullScreen1Click()
{
    // The menu item has already changed its check mark.
    setFullScreen(menu_.FullScreen1->isChecked());
}

void Tmain::setFullScreen(bool on)
{
    if (on == isFullScreen())
        return;
    if (on) {
        // The bounds the settings keep are the window's before it went full screen.
        normalBounds_ = windowBounds();
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else {
        setWindowState(windowState() & ~Qt::WindowFullScreen);
    }
}

void Tmain::changeEvent(QEvent *event)
{
    // However the window got there, the menu item tells.
    if (event->type() == QEvent::WindowStateChange)
        menu_.FullScreen1->setChecked(isFullScreen());
    QMainWindow::changeEvent(event);
}
