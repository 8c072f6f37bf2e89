#pragma once
// The tally-list window: shows the tally model (three counters and the ten best
// scores) and forwards Reset and Done. It loads the tally file into the model
// when it is created, writes it back after every change (a round started or
// cleared, a game ranked, a reset), when asked, and when it is destroyed.

#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QLabel;
class TallyModel;
class TLbBackground;

// Today as the user's regional short date, the date of a new tally entry.
std::string tallyDate();

class Ttallylist : public QWidget {
    Q_OBJECT
public:
    // backgroundTile is the main window's background picture. tallyPath is the
    // tally file; empty means the usual place beside the program (or the user's
    // data folder when that is not writable).
    Ttallylist(TallyModel &model, const QPixmap &backgroundTile, QWidget *parent = nullptr,
               const QString &tallyPath = QString());
    ~Ttallylist() override; // FormDestroy: writes the tally file

    // Shows the model as it is now; runs after every change of the model.
    void showTally();
    // Writes the tally file now. A failure is reported once, naming the file
    // and the reason, until a write succeeds again; the tally in memory stays
    // and the next change or the program's end tries again.
    bool saveTally();
    void button_resetClick();
    void button_doneClick();

    QString tallyPath() const { return tallyPath_; }

    // Replaceable for tests: the Yes/No reset question and the error message box.
    static std::function<bool(QWidget *parent, const QString &question)> askYesNo;
    static std::function<void(QWidget *parent, const QString &message)> showError;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate(const QPixmap &backgroundTile);
    void FormDestroy();
    void buildLayout();

    TallyModel &model_;
    QString tallyPath_;
    bool loaded_ = false;        // changes are written once the file has been read
    bool failureShown_ = false;  // the last write failed and the player was told
    TLbBackground *background_ = nullptr;
    QWidget *band_ = nullptr; // maroon, behind the newest entry's white text
    std::array<QLabel *, 11> label_num{}, label_date{}, label_name{}, label_high{}; // places 1..10
    std::array<QLabel *, 4> mylabel{};                                              // counters 1..3
};
