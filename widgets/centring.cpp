#include "widgets/centring.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

void centreOnMainWindow(QWidget *window)
{
    QWidget *main = window->parentWidget() ? window->parentWidget()->window() : QApplication::activeWindow();
    QRect area;
    if (main && main != window && main->isVisible())
        area = main->frameGeometry();
    else if (QScreen *screen = QApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    QRect frame(QPoint(), window->frameGeometry().size().expandedTo(window->size()));
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

void centreOnScreen(QWidget *window)
{
    QScreen *screen = window->parentWidget() ? window->parentWidget()->screen() : QApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}
