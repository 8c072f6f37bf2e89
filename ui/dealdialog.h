#pragma once
// "Play Numbered Deal...": a small window in the game's look that takes the
// number of a deal. Bad input is refused in the window itself with a line that
// says what is wrong; a good number is passed on and the window closes.

#include <QDialog>

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class TLbBackground;

class NumberedDealDialog : public QDialog {
    Q_OBJECT
public:
    // backgroundTile is the main window's background picture.
    NumberedDealDialog(const QPixmap &backgroundTile, QWidget *parent);

    // Opens the window (modal to its parent, without blocking) with number
    // filled in and selected: Enter plays the current deal again.
    void ask(std::optional<std::uint32_t> number);

    // "Start Game" or Enter: the number typed, or the line that refuses it.
    void button_playClick();

signals:
    void dealChosen(std::uint32_t dealNumber);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *edit_deal = nullptr;
    QLabel *label_problem = nullptr;
    TLbBackground *background_ = nullptr;
};
