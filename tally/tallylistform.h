#pragma once
// The tally-list window: the player's local record of rounds and best scores.
// The tally table (9 columns x 12 rows of text) lives in stringgrid_scores: row 0
// holds the counters, rows 1..10 the places (date, score or "-1000", name). The
// labels mirror the table; a place's score label tag is what the ranking compares.
// The table is loaded from the tally file when the window is created and written
// back when it is destroyed. The game reports to it through qv::TallySink.

#include "game/gameview.h"
#include "tally/gridtext.h"

#include <QLabel>
#include <QWidget>

#include <array>
#include <functional>

class TLbBackground;

class Ttallylist : public QWidget, public qv::TallySink {
    Q_OBJECT
public:
    static constexpr int places = 10;
    static constexpr int emptyScore = -1000;

    // backgroundTile is the main window's background picture. tallyPath is the
    // tally file; empty means the usual place beside the program (or the user's
    // data folder when that is not writable).
    explicit Ttallylist(const QPixmap &backgroundTile, QWidget *parent = nullptr,
                        const QString &tallyPath = QString());
    ~Ttallylist() override; // FormDestroy: writes the tally file

    // Ranks a finished game's score; false when it is below all ten places.
    bool checkscore(int score, const QString &name);
    void addtomineincrease(int column) override;
    void addtomineset(int column, const QString &text);
    int addit(int column, int row);
    void loadtally();
    void button_resetClick();
    void button_doneClick();

    // The game's report at game over.
    void checkscore(int score, std::string_view name) override;

    const StringGrid &table() const { return stringgrid_scores; }
    QString tallyPath() const { return tallyPath_; }

    // Replaceable for tests: the Yes/No reset question and the error message box.
    static std::function<bool(QWidget *parent, const QString &question)> askYesNo;
    static std::function<void(QWidget *parent, const QString &message)> showError;

private:
    void FormCreate(const QPixmap &backgroundTile);
    void FormDestroy();
    void buildLayout();
    void setPlaceColour(int place, const QColor &colour);
    void setPlaceBold(int place, bool bold);
    void copyPlace(int from, int to);
    void emptyTable();

    StringGrid stringgrid_scores{9, 12};
    QString tallyPath_;
    bool keepDamagedFile_ = false;
    TLbBackground *background_ = nullptr;
    std::array<QLabel *, places + 1> label_num{}, label_date{}, label_name{}, label_high{};
    std::array<QLabel *, 4> mylabel{};
};
