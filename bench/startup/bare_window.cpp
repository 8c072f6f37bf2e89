// The peer of the start-up benchmark: a Qt main window holding one label, which
// reports its first paint the same way the game does and ends.
#include "ui/firstpaintexit.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

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
