#pragma once
// A web link that is not drawn: an address without its scheme and the kind of
// link, which picks the scheme. open() hands the full address to the desktop's
// default handler (through platform::openUrl, so tests can replace it).

#include <QObject>
#include <QString>

class TURL : public QObject {
    Q_OBJECT
public:
    enum TURLType { utFile, utFtp, utGopher, utHttp, utHttps, utMailto, utNews, utTelnet, utWais, utnone };

    explicit TURL(QObject *parent = nullptr);

    QString URL() const { return url_; }
    void setURL(const QString &url) { url_ = url; }
    TURLType URLType() const { return type_; }
    void setURLType(TURLType type) { type_ = type; }

    static QString prefix(TURLType type);
    // The address handed to the desktop: the prefix of URLType, then URL.
    // Empty when URL is empty.
    QString address() const;

    // True when the address was handed over. An empty or unparsable address
    // opens nothing. Callers may ignore the result: a failure shows nothing.
    bool open() const;

private:
    QString url_;
    TURLType type_ = utHttp;
};
