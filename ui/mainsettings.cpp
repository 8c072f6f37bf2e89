// The main window's settings file, its bounds and its closing.
#include "ui/mainform.h"

#include "platform/desktop.h"
#include "ui/settings.h"

#include <algorithm>
#include <climits>

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>

QRect Tmain::windowBounds() const
{
    // The frame's top-left corner and the size inside the frame: the window system
    // tells the frame's size only once the window is on screen, and these two are
    // what move() and resize() take back, so the saved bounds never creep.
    return isFullScreen() ? normalBounds_ : QRect(pos(), size());
}

void Tmain::setWindowBounds(const QRect &bounds)
{
    move(bounds.topLeft());
    resize(bounds.size()); // the client area's minimum size still applies
}

void Tmain::loadinifile()
{
    const Settings s = loadSettings(settingsFilePath());
    // Fitted to the screen the saved window's centre is on (this one's when none
    // is), so a hand-made or foreign file cannot ask for a window beyond reach.
    const QPoint centre(static_cast<int>(std::clamp<qint64>(qint64(s.left) + s.width / 2, INT_MIN, INT_MAX)),
                        static_cast<int>(std::clamp<qint64>(qint64(s.top) + s.height / 2, INT_MIN, INT_MAX)));
    const QScreen *onScreen = QGuiApplication::screenAt(centre);
    const QSize least = minimumSize().expandedTo(layout() ? layout()->minimumSize() : QSize());
    loadedBounds_ = fittedBounds(s, platform::workArea(onScreen ? onScreen : screen()), least);
    setWindowBounds(loadedBounds_);
    loadFullScreen(s.fullScreen);
    menu_.PlaySounds1->setChecked(s.sounds);
    panels_.edit_name->setText(s.name);
    panels_.edit_aname->setText(panels_.edit_name->text());
    menu_.updatecheck->setChecked(s.update);
    server_ = s.server;
    webSite_ = s.webSite;
}

void Tmain::loadFullScreen(bool fullScreen)
{
    // Shown full screen; leaving it gives the loaded bounds back.
    normalBounds_ = loadedBounds_;
    if (fullScreen)
        setWindowState(windowState() | Qt::WindowFullScreen);
}

bool Tmain::saveinifile()
{
    return saveinifile(windowBounds());
}

bool Tmain::saveinifile(const QRect &bounds)
{
    Settings s;
    s.left = bounds.x();
    s.top = bounds.y();
    s.width = bounds.width();
    s.height = bounds.height();
    s.name = panels_.edit_name->text();
    s.sounds = menu_.PlaySounds1->isChecked();
    s.update = menu_.updatecheck->isChecked();
    s.fullScreen = isFullScreen();
    const QString path = settingsFilePath();
    if (saveSettings(path, s))
        return true;
    if (reportError_)
        reportError_(settingsWriteErrorText(path));
    return false;
}

void Tmain::FormClose()
{
    stopCoach();
    QRect bounds = windowBounds();
    // Full screen keeps the bounds from before, as they were.
    if (!isFullScreen() && bounds != loadedBounds_) {
        // A window larger than the work area (a maximised one) is saved a little
        // smaller, so the next start opens a normal window.
        const QRect area = platform::workArea(screen());
        const QSize outer = frameGeometry().size();
        if (!area.isEmpty() && outer.width() > area.width())
            bounds.setWidth(bounds.width() - 3);
        if (!area.isEmpty() && outer.height() > area.height())
            bounds.setHeight(bounds.height() - 3);
    }
    // A failed save has been reported; the program still ends.
    saveinifile(bounds);
    emit closed();
}

void Tmain::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void Tmain::PlaySounds1Click()
{
    // The menu item has already inverted its check mark.
    saveinifile();
}

void Tmain::updatecheckClick()
{
    saveinifile();
}
