#pragma once
// The main window: the board, the score labels, the overlay panels, the menu and
// the two timers. The game engine (qv::GameFlow) owns the game's numbers and
// shows them through the window's GameView calls, each reaching one control;
// the window asks the engine whenever it needs one. playsounds is the sound
// gate: it passes a sound on only while "Play Sounds" is checked.
//
// Tmain's methods are spread over files by concern: mainform.cpp (creation,
// the other windows), mainview.cpp (the GameView calls), mainboard.cpp and
// mainpanels.cpp (building the board and the overlay panels), mainmenu.cpp
// (the menu and its commands), maingame.cpp (the game's handlers, the
// breakdown and the sound gate), mainkeys.cpp (keyboard play), mainonline.cpp
// (score posting, the update check and the self-update), mainpause.cpp (the
// pause after a round), mainscale.cpp (the board drawn to the window's size,
// full screen), mainsettings.cpp (the settings file and closing),
// mainsaving.cpp (writing the files before the program ends, putting the game
// in progress back at start) and maindeal.cpp (the deal number and numbered
// deals), mainranked.cpp (ranked games, dealt and scored by the score server).

#include "game/gameflow.h"
#include "game/gameview.h"
#include "net/rankedclient.h"
#include "net/scoreposting.h"
#include "ui/mainboard.h"
#include "ui/maincoach.h"
#include "ui/mainmenu.h"
#include "ui/mainpanels.h"
#include "ui/savedgamefile.h"
#include "ui/historyrecorder.h"
#include "widgets/cardimagelist.h"

#include <QMainWindow>
#include <QPixmap>
#include <QRect>

#include <functional>

class EffectPlayer;
class NumberedDealDialog;
class QLabel;
class QMenu;
class QMouseEvent;
class QTimer;
class Tabout;
class THTTPGet;
class THttpClient;
class Thighscore;
class TLbBackground;
class WaitSign;

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
    // Also the tally that saveSettingsAndTally writes, when it is a Ttallylist.
    void setTallyListWindow(QWidget *tallylist) { tallylist_ = tallylist; }
    // Also hands it the server address, and ends the posting wait when it
    // reports a posted score.
    void setHighScoreWindow(Thighscore *highscore);
    // Where the game reports rounds and scores (the tally).
    void setTally(qv::TallySink *tally) { tally_.target = tally; }
    // How the program's messages (the settings write error, "Posting Failed.",
    // the update errors) are shown; by default a message box.
    void setErrorReporter(std::function<void(const QString &)> report);
    // How the program's small notices are shown (the answer to "Check for
    // Update Now"); by default an information box.
    void setNoticeReporter(std::function<void(const QString &)> report);

    qv::GameFlow &game() { return game_; }
    // The game in progress, written as it is played and put back at start.
    const SavedGameFile &savedGame() const { return savedGame_; }
    // The history of every round, recorded as it is played (opened by resumeGame).
    HistoryRecorder &history() { return history_; }
    // The statistics module to open instead of the one installed with the program.
    void setStatisticsModule(const QString &path) { statisticsModule_ = path; }
    // At start, once every window exists: the game in progress comes back as
    // it stood, or a message says why it could not.
    void resumeGame();
    // Writes the settings and the tally now, as closing does; the self-update
    // calls it before the installer starts and the program ends.
    void saveSettingsAndTally();
    // The settings' "Server" and "WebSite" values as loaded.
    QString server() const { return server_; }
    QString webSite() const { return webSite_; }
    // The bounds read from the settings at start.
    QRect loadedBounds() const { return loadedBounds_; }
    // Left, Top, Width, Height as the settings file keeps them (while full
    // screen, the bounds the window had before).
    QRect windowBounds() const;
    void setWindowBounds(const QRect &bounds);
    // The cell the arrow keys have chosen (row, column 1..4).
    QPoint keyboardCell() const { return keyCell_; }
    // The coach's demo is playing the round; its pace between two cards.
    bool demoRunning() const;
    void setDemoPace(int milliseconds);

    // qv::GameView
    void showCell(int row, int col, int card) override;
    void showNextCard(int card, std::string_view caption) override;
    void showLineScore(int line, std::optional<int> points) override;
    void showNumbers(int rounds, int runningTotal, int handsTotal) override;
    void showGreeting(std::string_view text) override;
    void showFinalScore(std::string_view text) override;
    void showDeal(std::uint32_t dealNumber, qv::GameKind kind) override;
    void showPanel(qv::Panel panel, bool visible) override;
    void setPauseTimer(bool on) override;
    std::string playerName() const override;

    // qv::SoundSink: the sound gate.
    void playsounds(std::string_view name) override;

    void loadinifile();
    // False (after reporting the error) when the file could not be written.
    bool saveinifile();

    // The version text arrived (never empty).
    void checkupdateDoneString(const QByteArray &result);
    // The version text could not be fetched.
    void checkupdateError();
    // Downloads and starts the installer; returns only when that failed.
    void downloadit();

signals:
    // The main window has closed; the program ends.
    void closed();

public slots:
    void button_startClick();
    void StartGame1Click();
    // "Play Numbered Deal...": asks for a deal number and plays that deal.
    void PlayNumberedDeal1Click();
    // The chosen deal's number starts a practice game.
    void playNumberedDeal(std::uint32_t dealNumber);
    // "Copy Deal Number": the current deal's number to the clipboard.
    void CopyDealNumber1Click();
    // "New Ranked Game": the score server starts a game and deals its cards.
    void NewRankedGame1Click();
    // A click on one of the sixteen placeable cells (the sender).
    void card_11Click();
    void Timer2Timer();
    void button_start2Click();
    void button_cancelClick();
    // A click on one of the eight line scores (the sender).
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
    // "Statistics": the charts and figures of the history.
    void Statistics1Click();
    void Timer1Timer();
    void CheckforUpdateNow1Click();
    void FullScreen1Click();
    void button_updatecancelClick();
    void button_updateyesClick();
    // "Hint": the coach marks its cell for the card on offer (a practice game from then on).
    void Hint1Click();
    // "Demo": the coach plays the rest of the round; any click or key stops it.
    void Demo1Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Forwards the game's tally calls to the tally once it is there.
    struct TallyForward : qv::TallySink {
        qv::TallySink *target = nullptr;
        void addtomineincrease(Counter counter) override;
        void checkscore(int score, std::string_view name) override;
    };

    void FormCreate();
    void FormClose();
    void FormShow();
    void FormResize();
    void setFullScreen(bool on);
    // The board is drawn at factor times its design size.
    void boardScaled(qreal factor);
    void startupdatecheck();
    // Before a new game: the name typed into the open name panel, as "Done".
    void takeTypedName();
    // "Posting Failed.": the wait ends and SEND SCORE is offered again.
    void postingFailed();
    bool saveinifile(const QRect &bounds);
    void loadFullScreen(bool fullScreen);
    void buildMenu();
    void buildBoard();
    void buildCells(QWidget *board);
    void buildScores(QWidget *board);
    void buildNamePanel(QWidget *board);
    void buildGameOverPanel(QWidget *board);
    void buildContinuePanel(QWidget *board);
    void buildLineScorePanel(QWidget *board);
    void buildUpdatePanel(QWidget *board);
    void buildDealLabels(QWidget *board);
    // The control the engine means by panel.
    QWidget *panel(qv::Panel panel) const;
    // Shows the breakdown of line (1..4, 6..9) as the engine has it now.
    void showBreakdown(int line);
    // Marks the line on the board while its breakdown is shown.
    void frameLine(int line);
    static void showWindow(QWidget *window);
    // Arrow keys, Enter and Space on the board.
    bool boardKey(int key);
    // The pause's countdown under the board's right-hand side.
    void buildPauseCountdown(QWidget *board);
    void showPauseCountdown();
    // A click on the board (not on a panel over it) during the pause gives the
    // verdict at once; true when it did.
    bool endPauseByClick(QMouseEvent *event);
    void moveKeyboardCell(int dRow, int dCol);
    // The coach (maincoach.cpp).
    void buildCoachItems(QMenu *menu);
    void buildCoach(QWidget *board);
    // After every change of the board: the coach's menu items, stale work
    // dropped, the demo's next card asked for, the round review started.
    void coachFollowBoard();
    void askCoach();
    void coachRated(const qv::coach::CoachInput &input, const qv::coach::CoachResult &result);
    void coachReviewed(const qv::coach::RoundCards &cards, int total);
    void demoStep();
    void stopDemo();
    // Closing: the demo and every computation stop.
    void stopCoach();

    // Sends each placement of a ranked game to the score server, and gives up a
    // ranked request when another kind of game starts.
    struct RankedTurns : qv::GameListener {
        Tmain *window = nullptr;
        void roundStarted(const qv::GameFlow &game) override;
        void cardPlaced(const qv::GameFlow &game, int row, int col) override;
    };
    void buildRankedControls(QWidget *board);
    void rankedStarted(const RankedStart &start);
    void rankedPlaced(const RankedPlacement &placement);
    void rankedRecovered(const qv::RankedPosition &position);
    void rankedRefused(RankedClient::Request request, int status, const QString &reason);
    // Asks the server where the ranked game stands and puts it on the board.
    void recoverRankedGame();
    // A ranked game whose placement is on its way, or a game being started or
    // taken up: the board takes no card until the server has answered.
    bool boardRefusesClicks() const;
    void rankedScoresDiffered(const std::string &when);

    TallyForward tally_;
    RankedTurns rankedTurns_; // listens to game_, so made before it
    SavedGameFile savedGame_; // listens to game_, so made before it
    HistoryRecorder history_; // likewise
    qv::GameFlow game_;
    CardImageList imagelist_cards;
    QPixmap tile_;
    QRect loadedBounds_;
    QRect normalBounds_;    // the bounds before the window went full screen
    QSize minimumRefused_;  // a size below the minimum, already asked to grow
    QString server_;
    QString webSite_;
    QPoint keyCell_{1, 1};
    std::function<void(const QString &)> reportError_;
    std::function<void(const QString &)> reportNotice_;
    bool updateCheckAsked_ = false; // the running check came from the menu

    qv::SoundSink *soundOutput_ = nullptr;
    EffectPlayer *effects_ = nullptr; // made on the first sound that passes the gate
    Tabout *about_ = nullptr;
    QWidget *help_ = nullptr;
    QWidget *tallylist_ = nullptr;
    NumberedDealDialog *dealDialog_ = nullptr; // made when first asked for
    Thighscore *highscore_ = nullptr;
    QWidget *statistics_ = nullptr; // made when first asked for, by the statistics module
    QString statisticsModule_;      // null: the module installed with the program
    PostingWait postingWait_;

    MainMenu menu_;
    MainBoard board_;
    MainPanels panels_;
    MainCoach coach_;
    TLbBackground *LbBackground1 = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    THTTPGet *checkupdate = nullptr;
    THttpClient *getupdate = nullptr;
    RankedClient *ranked_ = nullptr;
    WaitSign *image_wait = nullptr;          // over the next card while the server is slow
    QLabel *label_ranked = nullptr;          // under the board's right-hand side in a ranked game
    QLabel *label_rankedstatus = nullptr;    // the score server cannot be reached
    QLabel *label_rankednote = nullptr;      // on panel_over in SEND SCORE's place
    bool lastGameRanked_ = false;            // the game-over panel's High Scores opens the ranked list
};
