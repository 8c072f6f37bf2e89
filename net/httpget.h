// THTTPGet: fetches one address on a worker thread of its own and reports the
// body, as raw bytes, back on the thread that owns the component.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class THTTPGet;
class THTTPGetThread;

using TOnProgressEvent = std::function<void(THTTPGet *Sender, qint32 TotalSize, qint32 Readed)>;
using TOnDoneStringEvent = std::function<void(THTTPGet *Sender, const QByteArray &Result)>;
using TNotifyEvent = std::function<void(THTTPGet *Sender)>;

class THTTPGet : public QObject
{
    Q_OBJECT
public:
    // A body beyond this fails the fetch instead of filling memory.
    static constexpr qint32 MaxBodySize = 16 << 20;

    explicit THTTPGet(QObject *parent = nullptr);
    ~THTTPGet() override;

    QString AcceptTypes = QStringLiteral("*/*");
    QString Agent = QStringLiteral("Quenvale HTTPGet");
    bool BinaryData = false;
    QString URL;
    bool UseCache = false;
    QString UserName;
    QString Password;
    QString PostQuery;
    // The media type of a non-empty PostQuery, which is then sent as a POST body.
    QString ContentType = QStringLiteral("application/x-www-form-urlencoded");
    QString Referer;
    bool WaitThread = false;
    TOnProgressEvent OnProgress;
    TOnDoneStringEvent OnDoneString;
    TNotifyEvent OnError;

    // Ignored while a fetch runs; otherwise starts one and returns at once.
    void StartFetch();
    // The running fetch ends as a failure; the component is busy until then.
    void AbortFetch();
    // From StartFetch until the completion handler has returned.
    bool Busy() const { return worker_ != nullptr; }

    // The HTTP status of the reply the completion is about (0 when none came),
    // for OnDoneString to tell an accepted request from a refused one.
    int StatusCode() const { return statusCode_; }
    // The reply's status is a 2xx one: the server did what was asked.
    bool Accepted() const { return statusCode_ >= 200 && statusCode_ <= 299; }
    // Why the fetch failed, in a few plain words ("the server refused the
    // connection"), for OnError.
    QString ErrorText() const { return errorText_; }

private:
    friend class THTTPGetThread;
    void fetchDone(bool success, int statusCode, const QString &errorText, const QByteArray &body);

    std::unique_ptr<THTTPGetThread> worker_;
    int statusCode_ = 0;
    QString errorText_;
};
