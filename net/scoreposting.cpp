#include "net/scoreposting.h"

#include <QUrl>

namespace {

QString queryValue(const QString &text)
{
    // Everything but letters, digits and "-._~" is escaped, spaces and "+"
    // included, so the server's decoding gives back exactly this text.
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

} // namespace

QString scorePostAddress(const QString &server, const QString &product, const QString &name, const QString &date,
                         const QString &score)
{
    return server + QStringLiteral("cgi-bin/") + product + QStringLiteral(".cgi?name=")
           + queryValue(name) + QStringLiteral("&date=") + queryValue(date) + QStringLiteral("&score=")
           + queryValue(score);
}

QString highScorePageAddress(const QString &server, const QString &product)
{
    return server + QStringLiteral("counter/") + product + QStringLiteral(".shtml");
}

QString dateSeparator(const QLocale &locale)
{
    // Qt names no separator of its own, so read it off a formatted date: the
    // first mark between the numbers. A month spelled out ("22 Nov 2003" in
    // the C locale) is no separator.
    const QString sample = locale.toString(QDate(2003, 11, 22), QLocale::ShortFormat);
    for (const QChar c : sample) {
        if (!c.isLetterOrNumber() && !c.isSpace() && c.category() != QChar::Other_Format)
            return QString(c);
    }
    return QStringLiteral("/");
}

QString postingDate(const QDate &date, const QLocale &locale)
{
    const QString sep = dateSeparator(locale);
    return QString::number(date.month()) + sep + QString::number(date.day()) + sep
           + QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
}

void PostingWait::start()
{
    countdown_ = ticks;
    dots_ = 0;
}

bool PostingWait::tick()
{
    --countdown_;
    if (++dots_ > 5)
        dots_ = 1;
    return countdown_ == 0;
}

QString PostingWait::caption() const
{
    return QStringLiteral("Posting Score, Please Wait") + QString(dots_, QLatin1Char('.'));
}
