#pragma once
// What the screenshot programs share: a game without sound, waiting for the
// window to reach the state worth a picture, and saving a settled window.
#include "game/gameview.h"
#include "platform/paths.h"
#include "ui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <string_view>

namespace shots {

struct Silence : qv::SoundSink {
    void playsounds(std::string_view) override {}
};

// Runs the event loop until done() or ten seconds have passed.
inline bool waitFor(const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Lets pending paints and layouts land before the window is grabbed.
inline bool save(QWidget &window, const char *file)
{
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100)
        QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(file));
}

// The program's files go to dir: no settings or tally of the player's is read
// or touched.
inline void useFolder(const QTemporaryDir &dir)
{
    platform::setProgramDirOverride(dir.path());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
}

// The settings file the window will read, in the folder useFolder gave it.
inline bool writeSettings(const QTemporaryDir &dir, const QString &ini)
{
    QFile file(dir.filePath(QStringLiteral("quenvale.ini")));
    return file.open(QIODevice::WriteOnly) && file.write(ini.toUtf8()) == ini.toUtf8().size();
}

// The main window shown with no name panel over the board and no update check.
inline void showBoard(Tmain &window)
{
    window.findChild<QAction *>(QStringLiteral("updatecheck"))->setChecked(false);
    window.show();
    window.button_namecancelClick();
}

} // namespace shots
