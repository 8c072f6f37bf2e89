#include "ui/mainform.h"

#include "net/httpclient.h"
#include "platform/paths.h"
#include "net/httpget.h"
#include "widgets/boardhost.h"
#include "widgets/flatpanel.h"
#include "widgets/lbbackground.h"
#include "widgets/look.h"

#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QShowEvent>
#include <QTimer>

void Tmain::TallyForward::addtomineincrease(Counter counter)
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
    : QMainWindow(parent),
      savedGame_(platform::dataFilePath(QStringLiteral("quenvalegame.txt")),
                 [this](const QString &message) { reportError_(message); }),
      history_(platform::dataFilePath(QStringLiteral("quenvalehistory.db")),
               [this](const QString &message) { reportError_(message); }),
      game_(*this, *this, tally_), soundOutput_(soundOutput)
{
    game_.addListener(savedGame_);
    game_.addListener(history_);
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
    checkupdate->OnError = [this](THTTPGet *) { checkupdateError(); };
    getupdate = new THttpClient(this);
    getupdate->setObjectName(QStringLiteral("getupdate"));

    reportError_ = [this](const QString &message) {
        QMessageBox::critical(this, QStringLiteral("Quenvale"), message);
    };
    reportNotice_ = [this](const QString &message) {
        QMessageBox::information(this, QStringLiteral("Quenvale"), message);
    };

    buildMenu();
    buildBoard();
    // At the default size the board is drawn at its design size; larger, larger.
    board_.client->setDesignWindowSize({defaultWidth, defaultHeight});
    setWindowBounds({defaultLeft, defaultTop, defaultWidth, defaultHeight});
    FormCreate();
}

Tmain::~Tmain() = default;

void Tmain::setErrorReporter(std::function<void(const QString &)> report)
{
    reportError_ = std::move(report);
}

void Tmain::setNoticeReporter(std::function<void(const QString &)> report)
{
    reportNotice_ = std::move(report);
}

void Tmain::FormCreate()
{
    game_.generator().seedFromClock();
    loadinifile();
    playsounds("entered");
    ChangeName1Click(); // the name panel, in front
    game_.FormCreate();
}

void Tmain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tmain::FormShow()
{
    if (menu_.updatecheck->isChecked())
        startupdatecheck();
}

void Tmain::showWindow(QWidget *window)
{
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}
