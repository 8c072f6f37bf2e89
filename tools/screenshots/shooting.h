#pragma once
// What the screenshot programs share: a game without sound, waiting for the
// window to reach the state worth a picture, and saving a settled window.
#include "game/gameview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
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

} // namespace shots
