// The main window's online flows: posting a score with its wait, the high-score
// list, the update check and the self-update.
#include "ui/mainform.h"

#include "net/httpclient.h"
#include "net/httpget.h"
#include "net/updatecheck.h"
#include "ui/highscoreform.h"
#include "ui/settings.h"
#include "widgets/flatpanel.h"
#include "widgets/picturebutton.h"
#include "version.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <utility>

void Tmain::setHighScoreWindow(Thighscore *highscore)
{
    highscore_ = highscore;
    highscore->setServer(server_);
    // The reply to a post, even one that comes after "Posting Failed.".
    connect(highscore, &Thighscore::scorePosted, this, [this] {
        panels_.panel_over->hide();
        Timer1->stop();
    });
    // Refused, or no connection at all: no need to wait out the forty seconds.
    // After the wait has already failed there is nothing more to say.
    connect(highscore, &Thighscore::postFailed, this, [this] {
        if (Timer1->isActive())
            postingFailed();
    });
}

void Tmain::button_sendscoreClick()
{
    if (panels_.edit_name->text().isEmpty())
        panels_.edit_name->setText(QStringLiteral("Guest"));
    if (highscore_)
        highscore_->sendscore(panels_.edit_name->text(), postingDate(QDate::currentDate()),
                              QString::number(game_.runningTotal()));
    postingWait_.start();
    Timer1->start();
    panels_.panel_wait->show();
    panels_.panel_wait->raise();
}

void Tmain::Timer1Timer()
{
    const bool failed = postingWait_.tick();
    panels_.label_wait->setText(postingWait_.caption());
    if (failed)
        postingFailed();
}

void Tmain::postingFailed()
{
    // Stopped first, so no tick runs while the message is up.
    Timer1->stop();
    // SEND SCORE comes back from under the wait panel: the score is not lost
    // and can be posted again.
    panels_.panel_wait->hide();
    reportError_(QStringLiteral("Posting Failed."));
}

void Tmain::button_highscoresClick()
{
    if (!highscore_)
        return;
    // After a ranked game, the list its score is on.
    if (lastGameRanked_ && panels_.panel_over->isVisible())
        highscore_->loadRankedList();
    else
        highscore_->loadit();
    highscore_->showWindow();
}

void Tmain::ViewHighScoreList1Click()
{
    button_highscoresClick();
}

void Tmain::CheckforUpdateNow1Click()
{
    // Asked for, so the answer is told even when there is nothing to offer.
    updateCheckAsked_ = true;
    startupdatecheck();
}

void Tmain::startupdatecheck()
{
    checkupdate->URL = versionAddress(server_, QLatin1String(kProductId));
    checkupdate->StartFetch();
}

void Tmain::checkupdateDoneString(const QByteArray &result)
{
    const bool asked = std::exchange(updateCheckAsked_, false);
    const QString running = QString::fromLatin1(qv::programVersion);
    const QString version = offeredVersion(checkupdate->StatusCode(), result, running);
    if (version.isEmpty()) {
        if (!asked)
            return;
        if (checkupdate->StatusCode() != 200)
            reportNotice_(QStringLiteral("Unable to check for updates: the server answered with status %1.")
                              .arg(checkupdate->StatusCode()));
        else if (result.trimmed() == running.toUtf8())
            reportNotice_(QStringLiteral("You have the newest version of Quenvale (%1).").arg(running));
        else
            reportNotice_(QStringLiteral("Unable to check for updates: the server's answer is not a version number."));
        return;
    }
    panels_.label_update->setText(QStringLiteral("Version %1 is available.").arg(version));
    panels_.panel_update->show();
    panels_.panel_update->raise();
}

void Tmain::checkupdateError()
{
    // The automatic check stays silent.
    if (std::exchange(updateCheckAsked_, false))
        reportNotice_(QStringLiteral("Unable to check for updates: %1.").arg(checkupdate->ErrorText()));
}

void Tmain::button_updatecancelClick()
{
    panels_.panel_update->hide();
}

void Tmain::button_updateyesClick()
{
    panels_.button_updateyes->hide();
    panels_.button_updatecancel->hide();
    panels_.label_update->setText(QStringLiteral("Updating. Please Wait..."));
    downloadit();
}

void Tmain::downloadit()
{
    SelfUpdate update([this](const QString &status) { panels_.label_update->setText(status); }, reportError_);
    // The program ends as soon as the installer runs: nothing of this session is lost.
    update.beforeInstalling = [this] { saveSettingsAndTally(); };
    // Failed: the program's file is back, and Cancel puts the panel away.
    if (!update.downloadit(*getupdate, server_, QLatin1String(kProductId)))
        panels_.button_updatecancel->show();
}
