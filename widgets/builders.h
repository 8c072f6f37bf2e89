#pragma once
// Small functions that make a control in the main window's style and place it.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class PictureButton;
class QLabel;
class QWidget;
class ShadowLabel;
class TFlatPanel;

// A transparent label. An empty size lets the label take the size of its text:
// at once, or when its parent is first shown if that is hidden now (measuring
// loads the label's font, which nothing shown at start may need).
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption, QPoint pos, const QFont &font,
                  const QColor &colour, QSize size = {}, Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop);

// A heading drawn twice for a soft shadow: the back copy (grey unless given),
// then the maroon copy offset by (dx, dy).
ShadowLabel *makeHeading(QWidget *parent, const QString &caption, QRect geometry, const QFont &font,
                         bool wrap = false, int dx = 1, int dy = 0, const QColor &back = QColor(128, 128, 128));

// A flat panel with a one-pixel frame of one colour.
TFlatPanel *makePanel(QWidget *parent, const QString &name, QRect geometry, bool transparent, const QColor &frame);

// A picture button showing ":/buttons/<picture>.png", 40 pixels high.
PictureButton *makeButton(QWidget *parent, const QString &name, const QString &picture, const QString &caption,
                          QPoint pos, int width = 126);
