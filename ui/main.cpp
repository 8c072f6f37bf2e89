// Quenvale: program start.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Quenvale");
    QLabel label("Quenvale");
    label.show();
    return app.exec();
}
