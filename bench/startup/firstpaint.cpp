// Loaded by the start-up benchmark into every program it runs (LD_PRELOAD), so
// the game carries no benchmark code: once the first window has painted, prints
// the monotonic clock and ends the process at once.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

class FirstPaintExit : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen_ && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->isWindow()) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("first-paint monotonic-ns %lld\n",
                            static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fflush(stdout);
                _exit(0);
            });
        }
        return false;
    }

private:
    bool seen_ = false;
};

// Runs while the program's application object is being made.
void watchFirstPaint()
{
    QCoreApplication::instance()->installEventFilter(new FirstPaintExit);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstPaint)
