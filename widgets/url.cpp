#include "widgets/url.h"

#include "platform/desktop.h"

#include <QUrl>

TURL::TURL(QObject *parent) : QObject(parent) {}

QString TURL::prefix(TURLType type)
{
    switch (type) {
    case utFile: return QStringLiteral("file://");
    case utFtp: return QStringLiteral("ftp://");
    case utGopher: return QStringLiteral("gopher://");
    case utHttp: return QStringLiteral("http://");
    case utHttps: return QStringLiteral("https://");
    case utMailto: return QStringLiteral("mailto:");
    case utNews: return QStringLiteral("news:");
    case utTelnet: return QStringLiteral("telnet:");
    case utWais: return QStringLiteral("wais:");
    case utnone: break;
    }
    return {};
}

QString TURL::address() const
{
    return url_.isEmpty() ? QString() : prefix(type_) + url_;
}

bool TURL::open() const
{
    const QString text = address();
    if (text.isEmpty())
        return false;
    const QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid())
        return false;
    return platform::openUrl(url);
}
