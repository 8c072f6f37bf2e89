#pragma once
// Labels of the main window: one that takes a click (the line scores) and a
// heading drawn twice as a soft shadow.

#include <QColor>
#include <QLabel>
#include <QWidget>

// A label with a click.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A heading drawn twice: the back copy, then the front copy offset by (dx, dy).
class ShadowLabel : public QWidget {
    Q_OBJECT
public:
    ShadowLabel(const QString &text, const QColor &back, const QColor &front, int dx, int dy,
                QWidget *parent);
    void setWordWrap(bool wrap) { wrap_ = wrap; }
    void setAlignment(Qt::Alignment alignment) { alignment_ = alignment; }
    QString text() const { return text_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text_;
    QColor back_, front_;
    int dx_, dy_;
    bool wrap_ = false;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
};
