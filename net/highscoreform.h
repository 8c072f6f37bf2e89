#pragma once
// The high-score window: the online high-score list. Created once at start and
// hidden until shown; closing it only hides it.

#include <QWidget>

class Thighscore : public QWidget {
    Q_OBJECT
public:
    // backgroundTile is the main window's background picture.
    explicit Thighscore(const QPixmap &backgroundTile, QWidget *parent = nullptr);
};
