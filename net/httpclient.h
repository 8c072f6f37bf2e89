// The blocking HTTP/1.0 download client, and the libcurl plumbing it shares
// with the fetch component.
#pragma once

#include "net/curlapi.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <stdexcept>

class QIODevice;

// The curl address for one of the program's addresses: "http://" (any letter
// case) may be left out, "https://" selects TLS, a port may follow the host,
// and a missing path means "/".
QByteArray httpRequestAddress(const QString &url);

// One libcurl transfer run on the calling (worker) thread that any other
// thread can interrupt at once, even while it waits for the network.
class CurlTransfer
{
public:
    CurlTransfer() = default;
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer &) = delete;
    CurlTransfer &operator=(const CurlTransfer &) = delete;

    // Loads libcurl if need be (the first time takes a while, so a worker does
    // it) and makes the handles; false when that fails.
    bool open();
    // Null until open() has succeeded.
    const CurlApi *curl() const { return curl_; }
    CURL *easy() const { return easy_; }
    // Runs the transfer to its end; CURLE_ABORTED_BY_CALLBACK once interrupted.
    CURLcode perform();
    void interrupt();
    bool interrupted() const { return stop_.load(); }

private:
    const CurlApi *curl_ = nullptr;
    CURL *easy_ = nullptr;
    CURLM *multi_ = nullptr;
    std::mutex mutex_; // open() against interrupt() from another thread
    std::atomic<bool> stop_{false};
};

class EHttpException : public std::runtime_error
{
public:
    EHttpException(const QString &message, int errorCode);
    QString Message() const { return QString::fromUtf8(what()); }
    int ErrorCode() const { return errorCode_; }

private:
    int errorCode_;
};

// Downloads one address into RcvdStream. Get blocks its caller but keeps the
// caller's events flowing, so the windows stay usable while it runs; the
// transfer itself runs on a worker thread.
class THttpClient : public QObject
{
    Q_OBJECT
public:
    explicit THttpClient(QObject *parent = nullptr);
    ~THttpClient() override;

    QString URL;
    QString Agent = QStringLiteral("Mozilla/3.0 (compatible)");
    QString Accept = QStringLiteral("image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    QString RequestVer = QStringLiteral("1.0");
    bool NoCache = false;
    QIODevice *RcvdStream = nullptr;
    // A larger body fails rather than fill the disk.
    std::int64_t MaxSize = std::int64_t(256) << 20;

    // Throws EHttpException on any failure; the stream keeps what was written.
    void Get();
    int StatusCode() const { return statusCode_; }

private:
    struct Job;
    Job *running_ = nullptr;
    int statusCode_ = 0;
};
