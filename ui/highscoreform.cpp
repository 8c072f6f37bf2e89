#include "ui/highscoreform.h"

#include "net/httpget.h"
#include "net/pagebound.h"
#include "net/rankedclient.h"
#include "net/scoreposting.h"
#include "ui/settings.h"
#include "widgets/centring.h"
#include "widgets/flatpanel.h"
#include "widgets/htmlview.h"
#include "widgets/lbbackground.h"
#include "widgets/look.h"
#include "widgets/picture.h"
#include "widgets/picturebutton.h"
#include "widgets/url.h"

#include <QLabel>
#include <QShowEvent>
#include <QTextDocument>

#include <utility>

namespace {

// Only pages on the web and mail addresses go to the desktop: a page must not
// be able to open local files or start programs through a link.
bool isSafeLink(const QString &target)
{
    const QUrl url(target, QUrl::TolerantMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

} // namespace

Thighscore::Thighscore(const QPixmap &backgroundTile, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), server_(Settings().server)
{
    setObjectName(QStringLiteral("highscore"));
    setWindowTitle(QStringLiteral("Quenvale - High Scores"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(603, 561);
    look::setWindowColour(this);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);

    LbBackground1 = new TLbBackground(this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(6, 9, 97, 322);
    Image1->setPixmap(loadPicture(QStringLiteral(":/highscore_banner.png"), devicePixelRatioF()));

    panel_main = new TFlatPanel(this);
    panel_main->setObjectName(QStringLiteral("panel_main"));
    panel_main->setGeometry(112, 8, 481, 507);
    QPalette panelPal = panel_main->palette();
    panelPal.setColor(QPalette::Window, QColor(64, 36, 174));
    panel_main->setPalette(panelPal);
    panel_main->setFrameColor(Qt::white);

    displayhtml = new THtmlView(panel_main);
    displayhtml->setObjectName(QStringLiteral("displayhtml"));
    displayhtml->setGeometry(0, 0, 481, 507);
    displayhtml->OnLinkClick = [this](THtmlView *sender, const QString &src, bool &handled) {
        displayhtmlLinkClick(sender, src, handled);
    };

    button_done = new PictureButton(QStringLiteral(":/buttons/done.png"), QStringLiteral("Done"), this);
    button_done->setObjectName(QStringLiteral("button_done"));
    button_done->setGeometry(467, 518, 126, 40);
    connect(button_done, &QAbstractButton::clicked, this, &Thighscore::button_doneClick);

    URL1 = new TURL(this);
    URL1->setURLType(TURL::utnone);

    sendit = new THTTPGet(this);
    sendit->setObjectName(QStringLiteral("sendit"));
    sendit->OnDoneString = [this](THTTPGet *, const QByteArray &result) { senditDoneString(result); };
    sendit->OnError = [this](THTTPGet *) { senditError(); };
    getit = new THTTPGet(this);
    getit->setObjectName(QStringLiteral("getit"));
    getit->OnDoneString = [this](THTTPGet *, const QByteArray &result) { getitDoneString(result); };
    getit->OnError = [this](THTTPGet *) { getitError(); };

    FormCreate(backgroundTile);
}

void Thighscore::FormCreate(const QPixmap &backgroundTile)
{
    LbBackground1->setImage(backgroundTile);
}

void Thighscore::loadit()
{
    getit->PostQuery.clear();
    getit->URL = highScorePageAddress(server_, QLatin1String(kProductId));
    getit->StartFetch();
    // Never a blank window while the first page is on its way.
    if (displayhtml->document()->isEmpty())
        displayhtml->LoadFromString(QStringLiteral("<p>Loading the high-score list...</p>"));
}

void Thighscore::loadRankedList()
{
    getit->PostQuery.clear();
    getit->URL = rankedPageAddress(server_, QLatin1String(kProductId));
    getit->StartFetch();
    if (displayhtml->document()->isEmpty())
        displayhtml->LoadFromString(QStringLiteral("<p>Loading the ranked list...</p>"));
}

void Thighscore::sendscore(const QString &name, const QString &date, const QString &score)
{
    const QString address = scorePostAddress(server_, QLatin1String(kProductId), name, date, score);
    if (!sendit->Busy()) {
        sendit->URL = address;
        sendit->StartFetch();
        return;
    }
    // A try after "Posting Failed." while the first post still hangs: that one
    // is given up, and this one goes out as soon as it has ended.
    pendingPost_ = address;
    sendit->AbortFetch();
}

void Thighscore::startPendingPost()
{
    // The component is idle only once its completion handler has returned.
    QMetaObject::invokeMethod(
        this,
        [this] {
            sendit->URL = std::exchange(pendingPost_, QString());
            sendit->StartFetch();
        },
        Qt::QueuedConnection);
}

void Thighscore::senditDoneString(const QByteArray &)
{
    if (!pendingPost_.isEmpty()) {
        startPendingPost();
        return;
    }
    if (!sendit->Accepted()) {
        emit postFailed();
        return;
    }
    emit scorePosted();
    loadit();
    showWindow();
}

void Thighscore::senditError()
{
    if (!pendingPost_.isEmpty())
        startPendingPost();
    else
        emit postFailed();
}

void Thighscore::getitDoneString(const QByteArray &result)
{
    if (getit->Accepted())
        showPage(result);
    else
        showPageFailure(QStringLiteral("the server answered with status %1").arg(getit->StatusCode()));
}

void Thighscore::showPage(const QByteArray &page)
{
    const qv::BoundedPage bounded = qv::boundPage(THtmlView::decodePage(page).toStdString());
    displayhtml->LoadFromString(QString::fromStdString(bounded.html));
}

void Thighscore::getitError()
{
    showPageFailure(getit->ErrorText());
}

void Thighscore::showPageFailure(const QString &reason)
{
    displayhtml->LoadFromString(
        QStringLiteral("<p>The high-score list could not be loaded: %1.</p>"
                       "<p>The list will load here once the score server can be reached; try again later.</p>")
            .arg(reason.toHtmlEscaped()));
}

void Thighscore::displayhtmlLinkClick(THtmlView *, const QString &SRC, bool &)
{
    if (!isSafeLink(SRC))
        return;
    URL1->setURL(SRC);
    URL1->open();
}

void Thighscore::button_doneClick()
{
    close();
}

void Thighscore::showWindow()
{
    show();
    raise();
    activateWindow();
}

void Thighscore::showEvent(QShowEvent *event)
{
    // Centred on the desktop the first time it opens; afterwards where the
    // player left it.
    if (!placed_ && !event->spontaneous()) {
        placed_ = true;
        centreOnScreen(this);
    }
    QWidget::showEvent(event);
}
