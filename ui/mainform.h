#pragma once
// The main window: the board, the score labels, the overlay panels, the menu and
// the two timers. The game engine (qv::GameFlow) plays the rounds and mirrors its
// numbers onto the controls through qv::GameView; controls are found by name.
// playsounds is the sound gate: it passes a sound on only while "Play Sounds" is
// checked.

#include "game/gameflow.h"
#include "game/gameview.h"
#include "net/scoreposting.h"
#include "widgets/cardimagelist.h"

#include <QMainWindow>
#include <QPixmap>
#include <QRect>

#include <functional>

class CardImage;
class CellHighlight;
class EffectPlayer;
class PictureButton;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class Tabout;
class THTTPGet;
class THttpClient;
class Thighscore;
class TFlatPanel;
class TLbBackground;

class Tmain : public QMainWindow, public qv::GameView, public qv::SoundSink {
    Q_OBJECT
public:
    static constexpr int defaultWidth = 706;
    static constexpr int defaultHeight = 571;
    static constexpr int defaultLeft = 3;
    static constexpr int defaultTop = 3;
    // The client area never gets smaller than the board plus 5 pixels each way.
    static constexpr int boardWidth = 696;
    static constexpr int boardHeight = 525;

    // soundOutput receives what passes the sound gate, "entered" included; null
    // means the real effects.
    explicit Tmain(qv::SoundSink *soundOutput = nullptr, QWidget *parent = nullptr);
    ~Tmain() override;

    // The 100 x 100 background tile; the other windows copy it at creation.
    const QPixmap &backgroundTile() const { return tile_; }

    // Windows created after this one, shown from the menu.
    void setAboutWindow(Tabout *about) { about_ = about; }
    void setHelpWindow(QWidget *help) { help_ = help; }
    void setTallyListWindow(QWidget *tallylist) { tallylist_ = tallylist; }
    // Also hands it the server address, and ends the posting wait when it
    // reports a posted score.
    void setHighScoreWindow(Thighscore *highscore);
    // Where the game reports rounds and scores (the tally).
    void setTally(qv::TallySink *tally) { tally_.target = tally; }
    // How the program's messages (the settings write error, "Posting Failed.",
    // the update errors) are shown; by default a message box.
    void setErrorReporter(std::function<void(const QString &)> report);

    qv::GameFlow &game() { return game_; }
    // The settings' "Server" and "WebSite" values as loaded.
    QString server() const { return server_; }
    QString webSite() const { return webSite_; }
    // The bounds read from the settings at start.
    QRect loadedBounds() const { return loadedBounds_; }
    // Left, Top, Width, Height as the settings file keeps them.
    QRect windowBounds() const;
    void setWindowBounds(const QRect &bounds);
    // The cell the arrow keys have chosen (row, column 1..4).
    QPoint keyboardCell() const { return keyCell_; }

    // qv::GameView
    void setVisible(std::string_view control, bool visible) override;
    void setCaption(std::string_view control, std::string_view text) override;
    void setTag(std::string_view control, int tag) override;
    void showCard(std::string_view control, int card) override;
    void clearCard(std::string_view control) override;
    void setTimer2(bool enabled) override;
    std::string playerName() const override;
    using QMainWindow::setVisible;

    // qv::SoundSink: the sound gate.
    void playsounds(std::string_view name) override;

    void loadinifile();
    // False (after reporting the error) when the file could not be written.
    bool saveinifile();

    // The version text arrived (never empty).
    void checkupdateDoneString(const QByteArray &result);
    // Downloads and starts the installer; returns only when that failed.
    void downloadit();

signals:
    // The main window has closed; the program ends.
    void closed();

public slots:
    void button_startClick();
    void StartGame1Click();
    void card_11Click();
    void Timer2Timer();
    void button_start2Click();
    void button_cancelClick();
    void label_linescore1Click();
    void Image1Click();
    void button_namedoneClick();
    void button_namecancelClick();
    void ChangeName1Click();
    void ResetScreenLocation1Click();
    void Exit1Click();
    void PlaySounds1Click();
    void updatecheckClick();
    void About1Click();
    void Help2Click();
    void TallyList1Click();
    void image_logoClick();
    void button_sendscoreClick();
    void button_highscoresClick();
    void ViewHighScoreList1Click();
    void Timer1Timer();
    void CheckforUpdateNow1Click();
    void button_updatecancelClick();
    void button_updateyesClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Forwards the game's tally calls to the tally once it is there.
    struct TallyForward : qv::TallySink {
        qv::TallySink *target = nullptr;
        void addtomineincrease(int counter) override;
        void checkscore(int score, std::string_view name) override;
    };

    void FormCreate();
    void FormClose();
    void FormShow();
    void startupdatecheck();
    bool saveinifile(const QRect &bounds);
    void buildMenu();
    void buildBoard();
    void buildCells(QWidget *board);
    void buildScores(QWidget *board);
    void buildNamePanel(QWidget *board);
    void buildGameOverPanel(QWidget *board);
    void buildContinuePanel(QWidget *board);
    void buildLineScorePanel(QWidget *board);
    void buildUpdatePanel(QWidget *board);
    QWidget *control(std::string_view name) const;
    CardImage *cell(int row, int col) const;
    static void showWindow(QWidget *window);
    // Arrow keys, Enter and Space on the board.
    bool boardKey(int key);
    void moveKeyboardCell(int dRow, int dCol);

    TallyForward tally_;
    qv::GameFlow game_;
    CardImageList imagelist_cards;
    QPixmap tile_;
    QRect loadedBounds_;
    QString server_;
    QString webSite_;
    QPoint keyCell_{1, 1};
    std::function<void(const QString &)> reportError_;

    qv::SoundSink *soundOutput_ = nullptr;
    EffectPlayer *effects_ = nullptr; // made on the first sound that passes the gate
    Tabout *about_ = nullptr;
    QWidget *help_ = nullptr;
    QWidget *tallylist_ = nullptr;
    Thighscore *highscore_ = nullptr;
    PostingWait postingWait_;

    TLbBackground *LbBackground1 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    THTTPGet *checkupdate = nullptr;
    THttpClient *getupdate = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *updatecheck = nullptr;
    TFlatPanel *panel_board = nullptr;
    TFlatPanel *panel_board1 = nullptr;
    TFlatPanel *panel_name = nullptr;
    QLineEdit *edit_aname = nullptr;
    QLineEdit *edit_name = nullptr;
    CellHighlight *highlight_ = nullptr;
};
