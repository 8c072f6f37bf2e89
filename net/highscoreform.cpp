#include "net/highscoreform.h"

Thighscore::Thighscore(const QPixmap &, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("highscore"));
    setWindowTitle(QStringLiteral("Quenvale - High Scores"));
}
