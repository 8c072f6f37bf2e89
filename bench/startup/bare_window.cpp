// The peer of the start-up benchmark: a Qt main window holding one label. The
// benchmark's preloaded reporter ends it at its first paint, as it does the game.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Quenvale"), &window));
    window.resize(706, 571);
    window.show();
    return app.exec();
}
