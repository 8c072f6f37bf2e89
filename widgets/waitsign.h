#pragma once
// A small turning ring of dots: something is on its way from the network. It
// turns only while shown and takes no clicks.

#include <QTimer>
#include <QWidget>

class WaitSign : public QWidget {
    Q_OBJECT
public:
    static constexpr int dots = 8;

    explicit WaitSign(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer turn_;
    int step_ = 0;
};
