#pragma once
// Posting a finished game's score: the addresses on the score server, the
// posted date, and the wait of the game-over panel while the reply is due.
// No widgets here; the main window shows what these work out. server is the
// server base address ("http://host/"), product the product identifier
// ("quenvale") that names the script and the page.

#include <QDate>
#include <QLocale>
#include <QString>

// The score script with the three query values, each percent-encoded, so what
// the player typed arrives as one value, exactly as typed, whatever it holds.
QString scorePostAddress(const QString &server, const QString &product, const QString &name, const QString &date,
                         const QString &score);

// The high-score page.
QString highScorePageAddress(const QString &server, const QString &product);

// "m/d/yy": month and day without leading zeros and the year's last two digits,
// separated by the locale's date separator.
QString postingDate(const QDate &date, const QLocale &locale = QLocale());

// The separator the locale's short date format puts between its numbers ("/"
// when it shows none).
QString dateSeparator(const QLocale &locale);

// The countdown behind Timer1: forty one-second ticks, one to five dots after
// the wait text, and "Posting Failed." when the last tick comes without a reply.
class PostingWait {
public:
    static constexpr int ticks = 40;

    void start();
    // One tick; true exactly when this tick ends the wait in failure.
    bool tick();
    // What label_wait shows after the latest tick.
    QString caption() const;
    int countdown() const { return countdown_; }
    int dots() const { return dots_; }

private:
    int countdown_ = 0;
    int dots_ = 0;
};
