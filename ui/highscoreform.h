#pragma once
// The high-score window: the server's high-score page in a page viewer, and the
// two fetches behind it, sendit (posts a score) and getit (fetches the page).
// Created once at start and hidden until shown; closing it only hides it.

#include <QByteArray>
#include <QWidget>

class PictureButton;
class QLabel;
class TFlatPanel;
class THTTPGet;
class THtmlView;
class TLbBackground;
class TURL;

class Thighscore : public QWidget {
    Q_OBJECT
public:
    // backgroundTile is the main window's background picture.
    explicit Thighscore(const QPixmap &backgroundTile, QWidget *parent = nullptr);

    // The server base address ("http://host/"); the settings' value by default.
    void setServer(const QString &server) { server_ = server; }
    QString server() const { return server_; }

    // Fetches the high-score page into the viewer.
    void loadit();
    // Fetches the page of the best ranked scores into the viewer instead.
    void loadRankedList();
    // Posts one score; a reply that accepts it (any 2xx status) opens the
    // window. A post made while an earlier one still waits for its reply
    // replaces it.
    void sendscore(const QString &name, const QString &date, const QString &score);
    void senditDoneString(const QByteArray &result);
    void senditError();
    void getitDoneString(const QByteArray &result);
    void getitError();
    // A fetched page into the viewer, cut to what the viewer can lay out at
    // once (see net/pagebound.h).
    void showPage(const QByteArray &page);
    void displayhtmlLinkClick(THtmlView *Sender, const QString &SRC, bool &Handled);
    void button_doneClick();
    // Makes the window visible and brings it to the front.
    void showWindow();

    THtmlView *viewer() const { return displayhtml; }
    THTTPGet *senditFetch() const { return sendit; }
    THTTPGet *getitFetch() const { return getit; }

signals:
    // A posted score was accepted: the main window ends its wait.
    void scorePosted();
    // A posted score was refused (a reply other than 2xx), or the request
    // could not be made (no connection, unknown host, no reply).
    void postFailed();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate(const QPixmap &backgroundTile);
    // A short plain page in the viewer instead of the list: what went wrong.
    void showPageFailure(const QString &reason);
    void startPendingPost();

    QString server_;
    QString pendingPost_; // the address of a post waiting for the previous one to end
    bool placed_ = false;
    TLbBackground *LbBackground1 = nullptr;
    QLabel *Image1 = nullptr;
    TFlatPanel *panel_main = nullptr;
    THtmlView *displayhtml = nullptr;
    PictureButton *button_done = nullptr;
    TURL *URL1 = nullptr;
    THTTPGet *sendit = nullptr;
    THTTPGet *getit = nullptr;
};
