// The peer of the start-up benchmark: a Qt main window holding one label, which
// reports its first paint the same way the game does and ends.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

class FirstPaintExit : public QObject {
public:
    explicit FirstPaintExit(QWidget *window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Quenvale"), &window));
    window.resize(706, 571);
    new FirstPaintExit(&window);
    window.show();
    return app.exec();
}
