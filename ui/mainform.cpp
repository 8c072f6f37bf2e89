#include "ui/mainform.h"

#include "game/cards.h"
#include "net/httpclient.h"
#include "net/httpget.h"
#include "net/updatecheck.h"
#include "platform/desktop.h"
#include "ui/aboutform.h"
#include "ui/highscoreform.h"
#include "ui/settings.h"
#include "ui/sounds.h"
#include "widgets/builders.h"
#include "widgets/cardimage.h"
#include "widgets/cellhighlight.h"
#include "widgets/flatpanel.h"
#include "widgets/labels.h"
#include "widgets/lbbackground.h"
#include "widgets/look.h"
#include "widgets/picturebutton.h"
#include "widgets/url.h"
#include "version.h"

#include <QCloseEvent>
#include <QDate>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>
#include <QValidator>

#include <algorithm>

namespace {

using look::grey;
using look::maroon;
using look::pixelFont;
using look::windowColour;

constexpr int cellX[] = {0, 104, 168, 232, 296, 360}; // columns 1..5
constexpr int cellY[] = {0, 8, 96, 184, 272, 358};    // rows 1..5
constexpr int nameLimit = 10;

QString text(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Typing stops at ten characters, but a longer name read from the settings file
// is shown and used in full (and may be shortened).
class NameValidator : public QValidator {
public:
    explicit NameValidator(QLineEdit *edit) : QValidator(edit), edit_(edit) {}
    State validate(QString &input, int &) const override
    {
        return input.size() <= nameLimit || input.size() < edit_->text().size() ? Acceptable : Invalid;
    }

private:
    QLineEdit *edit_;
};

QLineEdit *makeNameEdit(QWidget *parent, const QString &name, QPoint pos)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setFont(pixelFont(19));
    edit->setGeometry(pos.x(), pos.y(), 161, 32);
    edit->setValidator(new NameValidator(edit));
    edit->setAccessibleName(QStringLiteral("Player name"));
    return edit;
}

// The client area: keeps the board at its centre and never gets smaller than the
// board plus five pixels each way.
class BoardHost : public QWidget {
public:
    explicit BoardHost(QWidget *parent) : QWidget(parent)
    {
        setMinimumSize(Tmain::boardWidth + 5, Tmain::boardHeight + 5);
    }
    void setBoard(QWidget *board) { board_ = board; }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        if (board_)
            board_->move((width() - board_->width()) / 2, (height() - board_->height()) / 2);
    }

private:
    QWidget *board_ = nullptr;
};

} // namespace

void Tmain::TallyForward::addtomineincrease(int counter)
{
    if (target)
        target->addtomineincrease(counter);
}

void Tmain::TallyForward::checkscore(int score, std::string_view name)
{
    if (target)
        target->checkscore(score, name);
}

Tmain::Tmain(qv::SoundSink *soundOutput, QWidget *parent)
    : QMainWindow(parent), game_(*this, *this, tally_), soundOutput_(soundOutput)
{
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Quenvale"));
    look::setWindowColour(this);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    imagelist_cards.prefetch(devicePixelRatioF());
    tile_ = look::backgroundTile();
    LbBackground1 = new TLbBackground(this);
    LbBackground1->setObjectName(QStringLiteral("LbBackground1"));
    LbBackground1->setImage(tile_);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Tmain::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &Tmain::Timer2Timer);

    checkupdate = new THTTPGet(this);
    checkupdate->setObjectName(QStringLiteral("checkupdate"));
    checkupdate->OnDoneString = [this](THTTPGet *, const QByteArray &result) { checkupdateDoneString(result); };
    getupdate = new THttpClient(this);
    getupdate->setObjectName(QStringLiteral("getupdate"));

    reportError_ = [this](const QString &message) {
        QMessageBox::critical(this, QStringLiteral("Quenvale"), message);
    };

    buildMenu();
    buildBoard();
    setWindowBounds({defaultLeft, defaultTop, defaultWidth, defaultHeight});
    FormCreate();
}

Tmain::~Tmain() = default;

void Tmain::setErrorReporter(std::function<void(const QString &)> report)
{
    reportError_ = std::move(report);
}

// ---- Building the window -------------------------------------------------------

void Tmain::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto menu = [bar](const char *name, const QString &caption) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    auto item = [this](QMenu *m, const char *name, const QString &caption) {
        QAction *a = m->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setParent(this); // so the window finds it by name
        return a;
    };
    auto separator = [this](QMenu *m, const char *name) {
        QAction *a = m->addSeparator();
        a->setObjectName(QLatin1String(name));
        a->setParent(this);
    };

    QMenu *file1 = menu("file1", QStringLiteral("&File"));
    QAction *StartGame1 = item(file1, "StartGame1", QStringLiteral("Start Game"));
    StartGame1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(StartGame1, &QAction::triggered, this, &Tmain::StartGame1Click);
    separator(file1, "N1");
    connect(item(file1, "Exit1", QStringLiteral("Exit")), &QAction::triggered, this, &Tmain::Exit1Click);

    QMenu *Options1 = menu("Options1", QStringLiteral("&Options"));
    PlaySounds1 = item(Options1, "PlaySounds1", QStringLiteral("Play Sounds"));
    PlaySounds1->setCheckable(true);
    PlaySounds1->setChecked(true);
    connect(PlaySounds1, &QAction::triggered, this, &Tmain::PlaySounds1Click);
    connect(item(Options1, "ResetScreenLocation1", QStringLiteral("Reset Screen Location")),
            &QAction::triggered, this, &Tmain::ResetScreenLocation1Click);
    connect(item(Options1, "ChangeName1", QStringLiteral("Change  Name")), &QAction::triggered, this,
            &Tmain::ChangeName1Click);
    updatecheck = item(Options1, "updatecheck", QStringLiteral("Automatically Check for Updates"));
    updatecheck->setCheckable(true);
    updatecheck->setChecked(true);
    connect(updatecheck, &QAction::triggered, this, &Tmain::updatecheckClick);

    QMenu *View1 = menu("View1", QStringLiteral("&View"));
    connect(item(View1, "TallyList1", QStringLiteral("Tally List")), &QAction::triggered, this,
            &Tmain::TallyList1Click);
    connect(item(View1, "ViewHighScoreList1", QStringLiteral("View High Score List")), &QAction::triggered, this,
            &Tmain::ViewHighScoreList1Click);

    QMenu *Help1 = menu("Help1", QStringLiteral("&Help"));
    QAction *Help2 = item(Help1, "Help2", QStringLiteral("Help"));
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    connect(Help2, &QAction::triggered, this, &Tmain::Help2Click);
    separator(Help1, "N2");
    connect(item(Help1, "CheckforUpdateNow1", QStringLiteral("Check for Update Now")), &QAction::triggered, this,
            &Tmain::CheckforUpdateNow1Click);
    separator(Help1, "N3");
    connect(item(Help1, "About1", QStringLiteral("About")), &QAction::triggered, this, &Tmain::About1Click);
}

void Tmain::buildBoard()
{
    auto *host = new BoardHost(this);
    host->setObjectName(QStringLiteral("client"));
    setCentralWidget(host);

    panel_board = makePanel(host, QStringLiteral("panel_board"), {0, 0, boardWidth, boardHeight}, true,
                            windowColour);
    host->setBoard(panel_board);
    QLabel *label_name = makeLabel(panel_board, QStringLiteral("label_name"),
                                   QStringLiteral("Welcome to Quenvale"), {6, 14}, pixelFont(13, true),
                                   maroon, {480, 17});
    label_name->setAccessibleName(QStringLiteral("Greeting"));
    auto *image_logo = new Picture(
        QStringLiteral(":/publisher.png"),
        [](QPainter &p, const QRect &r) {
            p.setPen(maroon);
            p.setFont(pixelFont(12, true));
            p.drawText(r, Qt::AlignCenter, QStringLiteral("Quenvale"));
        },
        panel_board);
    image_logo->setObjectName(QStringLiteral("image_logo"));
    image_logo->setGeometry(204, 506, 287, 18);
    image_logo->setCursor(Qt::PointingHandCursor);
    image_logo->setAccessibleName(QStringLiteral("Publisher's web site"));
    connect(image_logo, &Picture::clicked, this, &Tmain::image_logoClick);

    panel_board1 = makePanel(panel_board, QStringLiteral("panel_board1"), {7, 33, 683, 472}, true, maroon);
    // The board takes the keyboard for playing with the arrow keys.
    panel_board1->setFocusPolicy(Qt::StrongFocus);
    panel_board1->setAccessibleName(QStringLiteral("Board"));
    panel_board1->installEventFilter(this);

    // Behind the right-hand panels.
    auto *banner = new Picture(
        QStringLiteral(":/banner.png"),
        [](QPainter &p, const QRect &r) {
            p.setPen(maroon);
            p.setFont(pixelFont(30, true));
            p.translate(r.center());
            p.rotate(-90);
            p.drawText(QRect(-r.height() / 2, -r.width() / 2, r.height(), r.width()), Qt::AlignCenter,
                       QStringLiteral("QUENVALE"));
        },
        panel_board1);
    banner->setObjectName(QStringLiteral("image_banner"));
    banner->setGeometry(520, 16, 110, 329);
    banner->setAttribute(Qt::WA_TransparentForMouseEvents);

    buildCells(panel_board1);
    buildScores(panel_board1);
    buildNamePanel(panel_board1);
    buildGameOverPanel(panel_board1);
    buildContinuePanel(panel_board1);
    buildLineScorePanel(panel_board1);
    buildUpdatePanel(panel_board1);
}

void Tmain::buildCells(QWidget *board)
{
    for (int row = 1; row <= 5; ++row) {
        for (int col = 1; col <= 5; ++col) {
            auto *c = new CardImage(imagelist_cards, board);
            c->setObjectName(QString::fromStdString(qv::GameFlow::cellName(row, col)));
            c->move(cellX[col], row == 5 && col == 1 ? 359 : cellY[row]);
            c->setPlaceName(QStringLiteral("Row %1, column %2").arg(row).arg(col));
            if (row <= 4 && col <= 4) {
                c->setMarked(true);
                c->setClickable(true);
                connect(c, &CardImage::clicked, this, &Tmain::card_11Click);
            }
        }
    }
    highlight_ = new CellHighlight(board);
    highlight_->setObjectName(QStringLiteral("board_highlight"));

    auto *image_nextcard = new CardImage(imagelist_cards, board);
    image_nextcard->setObjectName(QStringLiteral("image_nextcard"));
    image_nextcard->move(16, 38);
    image_nextcard->setPlaceName(QStringLiteral("Next card"));
    image_nextcard->showCard(qv::cardBack);
    makeLabel(board, QStringLiteral("label_cardtype"), QStringLiteral("Next Card"), {16, 23},
              pixelFont(11, true), maroon, {57, 13}, Qt::AlignHCenter | Qt::AlignTop);
}

void Tmain::buildScores(QWidget *board)
{
    for (int line : qv::boardLines) {
        auto *label = new ClickLabel(board);
        label->setObjectName(QString::fromStdString(qv::GameFlow::lineLabelName(line)));
        label->setFont(pixelFont(19));
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, maroon);
        label->setPalette(pal);
        // The line number travels as the label's hint; it is never displayed.
        label->setProperty("hint", QString::number(line));
        if (line <= 4) {
            label->setGeometry(432, 40 + (line - 1) * 88, 64, 24);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setAccessibleName(QStringLiteral("Score of row %1").arg(line));
        } else {
            label->setGeometry(102 + (line - 6) * 64, 443, 64, 24);
            label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setAccessibleName(QStringLiteral("Score of column %1").arg(line - 5));
        }
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &ClickLabel::clicked, this, &Tmain::label_linescore1Click);
    }

    const QFont caption = pixelFont(13);
    makeLabel(board, QStringLiteral("label_roundscaption"), QStringLiteral("Rounds Played"), {8, 385},
              caption, Qt::black);
    makeLabel(board, QStringLiteral("label_totalcaption"), QStringLiteral("Running Total"), {8, 425},
              caption, Qt::black);
    makeLabel(board, QStringLiteral("label_scorecaption"), QStringLiteral("Hands Total"), {424, 425},
              caption, Qt::black);
    const QFont value = pixelFont(21, true);
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    makeLabel(board, QStringLiteral("label_rounds"), QStringLiteral("0"), {8, 400}, value, maroon, {82, 24},
              centred)
        ->setAccessibleName(QStringLiteral("Rounds Played"));
    makeLabel(board, QStringLiteral("label_total"), QStringLiteral("0"), {8, 440}, value, maroon, {82, 24},
              centred)
        ->setAccessibleName(QStringLiteral("Running Total"));
    makeLabel(board, QStringLiteral("label_score"), QStringLiteral("0"), {426, 440}, value, maroon,
              {72, 24}, centred)
        ->setAccessibleName(QStringLiteral("Hands Total"));

    QLabel *label_breakdown = makeLabel(
        board, QStringLiteral("label_breakdown"),
        QStringLiteral("Press on the line's score in order to see a breakdown of the score."), {8, 169},
        pixelFont(13), Qt::black, {81, 88});
    label_breakdown->setWordWrap(true);

    auto *button_start = makeButton(board, QStringLiteral("button_start"), QStringLiteral("start"),
                                    QStringLiteral("Start Game"), {515, 376});
    connect(button_start, &QAbstractButton::clicked, this, &Tmain::button_startClick);
}

void Tmain::buildNamePanel(QWidget *board)
{
    panel_name = makePanel(board, QStringLiteral("panel_name"), {98, 38, 263, 137}, false, maroon);
    makeHeading(panel_name, QStringLiteral("ENTER YOUR NAME"), {0, 12, 263, 26}, pixelFont(19, true));
    edit_aname = makeNameEdit(panel_name, QStringLiteral("edit_aname"), {51, 46});
    connect(edit_aname, &QLineEdit::returnPressed, this, &Tmain::button_namedoneClick);
    connect(makeButton(panel_name, QStringLiteral("button_namedone"), QStringLiteral("done"),
                       QStringLiteral("Done"), {5, 90}),
            &QAbstractButton::clicked, this, &Tmain::button_namedoneClick);
    connect(makeButton(panel_name, QStringLiteral("button_namecancel"), QStringLiteral("close"),
                       QStringLiteral("Close"), {133, 90}),
            &QAbstractButton::clicked, this, &Tmain::button_namecancelClick);
}

void Tmain::buildGameOverPanel(QWidget *board)
{
    TFlatPanel *panel_over = makePanel(board, QStringLiteral("panel_over"), {483, 19, 191, 311}, false, maroon);
    panel_over->hide();
    // Both copies maroon: the second one pixel right and two up.
    makeHeading(panel_over, QStringLiteral("GAME OVER"), {0, 6, 191, 32}, pixelFont(24, true), false, 1, -2,
                maroon);
    makeHeading(panel_over, QStringLiteral("You didn't earn enough points to continue."), {6, 38, 179, 34},
                pixelFont(13, true), true);
    QLabel *label_score1 = makeLabel(panel_over, QStringLiteral("label_score1"), QStringLiteral("Your Score: "),
                                     {4, 74}, pixelFont(19, true), Qt::red, {183, 24},
                                     Qt::AlignHCenter | Qt::AlignTop);
    label_score1->setAccessibleName(QStringLiteral("Your Score"));
    makeHeading(panel_over, QStringLiteral("Enter Your Name"), {0, 99, 191, 24}, pixelFont(19, true));
    edit_name = makeNameEdit(panel_over, QStringLiteral("edit_name"), {16, 124});
    edit_name->setText(QStringLiteral("Guest"));
    connect(makeButton(panel_over, QStringLiteral("button_sendscore"), QStringLiteral("sendscore"),
                       QStringLiteral("SEND SCORE"), {19, 163}, 160),
            &QAbstractButton::clicked, this, &Tmain::button_sendscoreClick);
    connect(makeButton(panel_over, QStringLiteral("button_highscores"), QStringLiteral("highscores"),
                       QStringLiteral("High Scores"), {36, 211}),
            &QAbstractButton::clicked, this, &Tmain::button_highscoresClick);
    connect(makeButton(panel_over, QStringLiteral("button_cancel"), QStringLiteral("close"),
                       QStringLiteral("Close"), {35, 257}),
            &QAbstractButton::clicked, this, &Tmain::button_cancelClick);

    TFlatPanel *panel_wait = makePanel(panel_over, QStringLiteral("panel_wait"), {3, 160, 185, 46}, false,
                                       windowColour);
    panel_wait->hide();
    QLabel *label_wait = makeLabel(panel_wait, QStringLiteral("label_wait"),
                                   QStringLiteral("Posting Scores, Please Wait.."), {2, 2},
                                   pixelFont(16, true), maroon, {181, 42}, Qt::AlignCenter);
    label_wait->setWordWrap(true);
}

void Tmain::buildContinuePanel(QWidget *board)
{
    TFlatPanel *panel_continue = makePanel(board, QStringLiteral("panel_continue"), {482, 19, 192, 142}, false,
                                           maroon);
    panel_continue->hide();
    makeHeading(panel_continue, QStringLiteral("You earned enough points to continue.."), {4, 8, 184, 78},
                pixelFont(19, true), true);
    connect(makeButton(panel_continue, QStringLiteral("button_start2"), QStringLiteral("continue"),
                       QStringLiteral("Continue"), {36, 91}),
            &QAbstractButton::clicked, this, &Tmain::button_start2Click);
}

void Tmain::buildLineScorePanel(QWidget *board)
{
    TFlatPanel *panel_linescore = makePanel(board, QStringLiteral("panel_linescore"), {96, 108, 332, 221},
                                            false, maroon);
    panel_linescore->hide();
    const QFont bold16 = pixelFont(16, true);
    makeLabel(panel_linescore, QStringLiteral("label_ls2"), QStringLiteral("Line Score"), {9, 7}, bold16, grey,
              {200, 19});
    makeLabel(panel_linescore, QStringLiteral("label_ls1"), QStringLiteral("Line Score"), {10, 7}, bold16,
              maroon, {200, 19});
    for (int k = 1; k <= 5; ++k) {
        auto *c = new CardImage(imagelist_cards, panel_linescore);
        c->setObjectName(QStringLiteral("card_ls%1").arg(k));
        c->move(8 + (k - 1) * 64, 26);
        c->setPlaceName(QStringLiteral("Card %1 of the line").arg(k));
    }
    static const char *const categories[] = {"Nob:", "Sets:", "Runs:", "Flush:", "Fifteen:"};
    static const int captionTops[] = {111, 131, 151, 171, 191};
    static const int valueTops[] = {111, 131, 152, 172, 192};
    for (int k = 0; k < 5; ++k) {
        makeLabel(panel_linescore, QStringLiteral("label_category%1").arg(k + 1),
                  QLatin1String(categories[k]), {27, captionTops[k]}, bold16, maroon);
        makeLabel(panel_linescore, QStringLiteral("label_line%1").arg(k + 1), QStringLiteral("0"),
                  {93, valueTops[k]}, bold16, maroon, {60, 19})
            ->setAccessibleName(QLatin1String(categories[k]).chopped(1));
    }
    makeLabel(panel_linescore, QStringLiteral("label_totalheading"), QStringLiteral("TOTAL"), {233, 116},
              bold16, maroon);
    auto *rule = new QWidget(panel_linescore);
    rule->setObjectName(QStringLiteral("shape_rule"));
    rule->setGeometry(224, 136, 73, 2);
    rule->setAutoFillBackground(true);
    QPalette pal = rule->palette();
    pal.setColor(QPalette::Window, maroon);
    rule->setPalette(pal);
    // Centred under the rule.
    makeLabel(panel_linescore, QStringLiteral("label_line6"), QString(), {218, 140}, pixelFont(21, true),
              maroon, {85, 26}, Qt::AlignHCenter | Qt::AlignTop)
        ->setAccessibleName(QStringLiteral("Line total"));
    connect(makeButton(panel_linescore, QStringLiteral("Image1"), QStringLiteral("close"),
                       QStringLiteral("Close"), {200, 175}),
            &QAbstractButton::clicked, this, &Tmain::Image1Click);
}

void Tmain::buildUpdatePanel(QWidget *board)
{
    TFlatPanel *panel_update = makePanel(board, QStringLiteral("panel_update"), {173, 136, 329, 161}, false,
                                         maroon);
    panel_update->hide();
    makeHeading(panel_update, QStringLiteral("Update Available"), {0, 10, 329, 26}, pixelFont(19, true), false,
                2, 0);
    makeHeading(panel_update, QStringLiteral("Would you like to update now?"), {0, 46, 329, 22},
                pixelFont(16, true));
    connect(makeButton(panel_update, QStringLiteral("button_updateyes"), QStringLiteral("continue"),
                       QStringLiteral("Continue"), {27, 90}),
            &QAbstractButton::clicked, this, &Tmain::button_updateyesClick);
    connect(makeButton(panel_update, QStringLiteral("button_updatecancel"), QStringLiteral("cancel"),
                       QStringLiteral("Cancel"), {171, 90}),
            &QAbstractButton::clicked, this, &Tmain::button_updatecancelClick);
    makeLabel(panel_update, QStringLiteral("label_update"), QString(), {4, 137}, pixelFont(16), Qt::black,
              {321, 20}, Qt::AlignHCenter | Qt::AlignTop);
}

// ---- Creation, settings and closing ----------------------------------------------

void Tmain::FormCreate()
{
    game_.generator().seedFromClock();
    loadinifile();
    playsounds("entered");
    panel_name->show();
    panel_name->raise();
    edit_aname->setFocus();
    game_.FormCreate();
}

QRect Tmain::windowBounds() const
{
    // The frame's top-left corner and the size inside the frame: the window system
    // tells the frame's size only once the window is on screen, and these two are
    // what move() and resize() take back, so the saved bounds never creep.
    return {pos(), size()};
}

void Tmain::setWindowBounds(const QRect &bounds)
{
    move(bounds.topLeft());
    resize(bounds.size()); // the client area's minimum size still applies
}

void Tmain::loadinifile()
{
    const Settings s = loadSettings(settingsFilePath());
    loadedBounds_ = QRect(s.left, s.top, s.width, s.height);
    setWindowBounds(loadedBounds_);
    PlaySounds1->setChecked(s.sounds);
    edit_name->setText(s.name);
    edit_aname->setText(edit_name->text());
    updatecheck->setChecked(s.update);
    server_ = s.server;
    webSite_ = s.webSite;
}

bool Tmain::saveinifile()
{
    return saveinifile(windowBounds());
}

bool Tmain::saveinifile(const QRect &bounds)
{
    Settings s;
    s.left = bounds.x();
    s.top = bounds.y();
    s.width = bounds.width();
    s.height = bounds.height();
    s.name = edit_name->text();
    s.sounds = PlaySounds1->isChecked();
    s.update = updatecheck->isChecked();
    const QString path = settingsFilePath();
    if (saveSettings(path, s))
        return true;
    if (reportError_)
        reportError_(settingsWriteErrorText(path));
    return false;
}

void Tmain::FormClose()
{
    QRect bounds = windowBounds();
    if (bounds != loadedBounds_) {
        // A window larger than the work area (a maximised one) is saved a little
        // smaller, so the next start opens a normal window.
        const QRect area = platform::workArea(screen());
        const QSize outer = frameGeometry().size();
        if (!area.isEmpty() && outer.width() > area.width())
            bounds.setWidth(bounds.width() - 3);
        if (!area.isEmpty() && outer.height() > area.height())
            bounds.setHeight(bounds.height() - 3);
    }
    // A failed save has been reported; the program still ends.
    saveinifile(bounds);
    emit closed();
}

void Tmain::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

// ---- qv::GameView ---------------------------------------------------------------

// Only the window's own controls: the other windows are its children too.
QWidget *Tmain::control(std::string_view name) const
{
    return centralWidget()->findChild<QWidget *>(text(name));
}

CardImage *Tmain::cell(int row, int col) const
{
    return qobject_cast<CardImage *>(control(qv::GameFlow::cellName(row, col)));
}

void Tmain::setVisible(std::string_view name, bool visible)
{
    if (QWidget *w = control(name))
        w->setVisible(visible);
}

void Tmain::setCaption(std::string_view name, std::string_view caption)
{
    if (auto *label = qobject_cast<QLabel *>(control(name)))
        label->setText(text(caption));
}

void Tmain::setTag(std::string_view name, int tag)
{
    if (QWidget *w = control(name))
        ::setTag(w, tag);
}

void Tmain::showCard(std::string_view name, int card)
{
    if (auto *c = qobject_cast<CardImage *>(control(name)))
        c->showCard(card);
}

void Tmain::clearCard(std::string_view name)
{
    if (auto *c = qobject_cast<CardImage *>(control(name)))
        c->clearCard();
}

void Tmain::setTimer2(bool enabled)
{
    if (enabled)
        Timer2->start();
    else
        Timer2->stop();
}

std::string Tmain::playerName() const
{
    return edit_name->text().toStdString();
}

// ---- Online: high scores and updates ----------------------------------------------

void Tmain::setHighScoreWindow(Thighscore *highscore)
{
    highscore_ = highscore;
    highscore->setServer(server_);
    // The reply to a post, even one that comes after "Posting Failed.".
    connect(highscore, &Thighscore::scorePosted, this, [this] {
        control("panel_over")->hide();
        Timer1->stop();
    });
}

void Tmain::button_sendscoreClick()
{
    if (edit_name->text().isEmpty())
        edit_name->setText(QStringLiteral("Guest"));
    if (highscore_)
        highscore_->sendscore(edit_name->text(), postingDate(QDate::currentDate()),
                              QString::number(tag(control("label_total"))));
    postingWait_.start();
    Timer1->start();
    QWidget *panel_wait = control("panel_wait");
    panel_wait->show();
    panel_wait->raise();
}

void Tmain::Timer1Timer()
{
    const bool failed = postingWait_.tick();
    setCaption("label_wait", postingWait_.caption().toStdString());
    if (failed) {
        // Stopped first, so no tick runs while the message is up.
        Timer1->stop();
        reportError_(QStringLiteral("Posting Failed."));
    }
}

void Tmain::button_highscoresClick()
{
    if (!highscore_)
        return;
    highscore_->loadit();
    highscore_->showWindow();
}

void Tmain::ViewHighScoreList1Click()
{
    button_highscoresClick();
}

void Tmain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tmain::FormShow()
{
    if (updatecheck->isChecked())
        startupdatecheck();
}

void Tmain::CheckforUpdateNow1Click()
{
    startupdatecheck();
}

void Tmain::startupdatecheck()
{
    checkupdate->URL = versionAddress(server_, QLatin1String(kProductId));
    checkupdate->StartFetch();
}

void Tmain::checkupdateDoneString(const QByteArray &result)
{
    if (!updateOffered(result, QString::fromLatin1(qv::programVersion)))
        return;
    QWidget *panel_update = control("panel_update");
    panel_update->show();
    panel_update->raise();
}

void Tmain::button_updatecancelClick()
{
    control("panel_update")->hide();
}

void Tmain::button_updateyesClick()
{
    control("button_updateyes")->hide();
    control("button_updatecancel")->hide();
    setCaption("label_update", "Updating. Please Wait...");
    SelfUpdate::backupProgram();
    downloadit();
}

void Tmain::downloadit()
{
    SelfUpdate update([this](const QString &status) { setCaption("label_update", status.toStdString()); },
                      reportError_);
    // Failed: the program's file is back, and Cancel puts the panel away.
    if (!update.downloadit(*getupdate, server_, QLatin1String(kProductId)))
        control("button_updatecancel")->show();
}

// ---- Sounds ---------------------------------------------------------------------

void Tmain::playsounds(std::string_view name)
{
    if (!PlaySounds1->isChecked())
        return;
    if (soundOutput_) {
        soundOutput_->playsounds(name);
        return;
    }
    if (!effects_)
        effects_ = new EffectPlayer(this);
    effects_->playsounds(name);
}

void Tmain::PlaySounds1Click()
{
    // The menu item has already inverted its check mark.
    saveinifile();
}

void Tmain::updatecheckClick()
{
    saveinifile();
}

// ---- The game -------------------------------------------------------------------

void Tmain::button_startClick()
{
    game_.button_startClick();
}

void Tmain::StartGame1Click()
{
    game_.StartGame1Click();
}

void Tmain::card_11Click()
{
    const auto *c = qobject_cast<const CardImage *>(sender());
    if (!c)
        return;
    const QString name = c->objectName(); // "card_" + row + column
    const int row = name.at(5).digitValue();
    const int col = name.at(6).digitValue();
    keyCell_ = {row, col}; // the keyboard carries on from the clicked cell
    highlight_->hide();
    game_.card_11Click(row, col);
}

void Tmain::Timer2Timer()
{
    game_.Timer2Timer();
}

void Tmain::button_start2Click()
{
    game_.button_start2Click();
}

void Tmain::button_cancelClick()
{
    game_.button_cancelClick();
}

void Tmain::label_linescore1Click()
{
    const auto *sender = qobject_cast<const QLabel *>(this->sender());
    if (!sender)
        return;
    const QString hint = sender->property("hint").toString();
    const int line = hint.toInt();
    if (line < 1 || line > 9 || line == 5)
        return;
    const std::string title = "Line Score:" + hint.toStdString();
    setCaption("label_ls1", title);
    setCaption("label_ls2", title);
    for (int k = 1; k <= 5; ++k) {
        const CardImage *source = line <= 4 ? cell(line, k) : cell(k, line - 5);
        showCard("card_ls" + std::to_string(k), tag(source));
    }
    setCaption("label_line6", sender->text().toStdString());
    const qv::CategoryPoints &points = game_.board().linebreakdown.at(line - 1);
    for (int k = 1; k <= 5; ++k)
        setCaption("label_line" + std::to_string(k), std::to_string(points[k - 1]));
    control("panel_linescore")->show();
}

void Tmain::Image1Click()
{
    control("panel_linescore")->hide();
}

// ---- Name panel and menu commands -------------------------------------------------

void Tmain::button_namedoneClick()
{
    edit_name->setText(edit_aname->text());
    panel_name->hide();
    panel_board1->setFocus();
}

void Tmain::button_namecancelClick()
{
    panel_name->hide();
    panel_board1->setFocus();
}

void Tmain::ChangeName1Click()
{
    panel_name->show();
    panel_name->raise();
    edit_aname->setFocus();
}

void Tmain::ResetScreenLocation1Click()
{
    setWindowBounds({defaultLeft, defaultTop, defaultWidth, defaultHeight});
}

void Tmain::Exit1Click()
{
    close();
}

void Tmain::showWindow(QWidget *window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void Tmain::About1Click()
{
    showWindow(about_);
}

void Tmain::Help2Click()
{
    showWindow(help_);
}

void Tmain::TallyList1Click()
{
    showWindow(tallylist_);
}

void Tmain::image_logoClick()
{
    if (about_)
        about_->URL1()->open();
}

// ---- Keyboard play --------------------------------------------------------------

bool Tmain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == panel_board1) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return boardKey(static_cast<QKeyEvent *>(event)->key());
        case QEvent::FocusIn: {
            // Tabbing onto the board shows the chosen cell at once; a mouse player
            // never sees the frame until a key is pressed.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                moveKeyboardCell(0, 0);
            break;
        }
        case QEvent::FocusOut:
            highlight_->hide();
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tmain::moveKeyboardCell(int dRow, int dCol)
{
    keyCell_.setX(std::clamp(keyCell_.x() + dRow, 1, 4));
    keyCell_.setY(std::clamp(keyCell_.y() + dCol, 1, 4));
    CardImage *c = cell(keyCell_.x(), keyCell_.y());
    highlight_->frameCell(c->pos());
    highlight_->show();
    // Screen readers hear the chosen cell through the board's description.
    panel_board1->setAccessibleDescription(c->accessibleName());
}

bool Tmain::boardKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
        moveKeyboardCell(0, -1);
        return true;
    case Qt::Key_Right:
        moveKeyboardCell(0, 1);
        return true;
    case Qt::Key_Up:
        moveKeyboardCell(-1, 0);
        return true;
    case Qt::Key_Down:
        moveKeyboardCell(1, 0);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        // Never place a card on a cell the player cannot see chosen.
        if (!highlight_->isHidden())
            game_.card_11Click(keyCell_.x(), keyCell_.y());
        moveKeyboardCell(0, 0); // shows the frame, and tells what the cell holds now
        return true;
    default:
        return false;
    }
}
