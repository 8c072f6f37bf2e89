#include "net/httpget.h"

#include "net/httpclient.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// The worker hands each progress event to the owner's thread and blocks here
// until it has been handled, or until it is told to stop: it never waits on
// the owner's event loop alone, so stopping and joining cannot deadlock.
struct ProgressHandOff
{
    TOnProgressEvent onProgress;
    std::mutex mutex;
    std::condition_variable changed;
    bool pending = false;
    bool stop = false;

    void handled()
    {
        {
            std::lock_guard lock(mutex);
            pending = false;
        }
        changed.notify_all();
    }
};

const QString stoppedText = QStringLiteral("the fetch was stopped");

// What OnError's ErrorText says for the way a transfer ended; reason is what
// the reader itself refused, if anything.
QString failureText(CURLcode code, const CurlApi *curl, const QString &reason)
{
    if (!curl)
        return QStringLiteral("the network library could not be loaded");
    if (!reason.isEmpty())
        return reason;
    switch (code) {
    case CURLE_OK:
        return QStringLiteral("the reply was empty");
    case CURLE_ABORTED_BY_CALLBACK:
        return stoppedText;
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("the server's name could not be found");
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("the server could not be reached");
    case CURLE_GOT_NOTHING:
        return QStringLiteral("the server closed the connection without a reply");
    default:
        return QString::fromUtf8(curl->easy_strerror(code));
    }
}

} // namespace

class THTTPGetThread
{
public:
    // Takes its own copies of the request, so later changes to the component
    // do not reach a fetch already under way.
    explicit THTTPGetThread(THTTPGet *owner)
        : owner_(owner),
          acceptTypes_(owner->AcceptTypes.toUtf8()),
          agent_(owner->Agent.toUtf8()),
          url_(owner->URL),
          userName_(owner->UserName.toUtf8()),
          password_(owner->Password.toUtf8()),
          postQuery_(owner->PostQuery.toUtf8()),
          contentType_(owner->ContentType.toUtf8()),
          referer_(owner->Referer.toUtf8()),
          binaryData_(owner->BinaryData),
          useCache_(owner->UseCache),
          handOff_(std::make_shared<ProgressHandOff>())
    {
        handOff_->onProgress = owner->OnProgress;
    }

    ~THTTPGetThread()
    {
        stop();
        if (thread_.joinable())
            thread_.join();
        if (headers_)
            transfer_.curl()->slist_free_all(headers_);
    }

    void start() { thread_ = std::thread([this] { run(); }); }

    void stop()
    {
        {
            std::lock_guard lock(handOff_->mutex);
            handOff_->stop = true;
        }
        handOff_->changed.notify_all();
        transfer_.interrupt();
    }

    bool stopRequested() const { return transfer_.interrupted(); }

private:
    void run()
    {
        // Without libcurl nothing is read, and the fetch fails like a lost connection.
        CURLcode code = CURLE_ABORTED_BY_CALLBACK;
        if (!stopRequested() && transfer_.open()) {
            configure(*transfer_.curl());
            code = transfer_.perform();
        }
        const bool success = !stopRequested() && reason_.isEmpty() && readed_ > 0;
        const QString error = success           ? QString()
                              : stopRequested() ? stoppedText
                                                : failureText(code, transfer_.curl(), reason_);
        // Posted to the owner, so Qt drops it if the owner is destroyed first.
        QMetaObject::invokeMethod(
            owner_,
            [owner = owner_, success, status = status_, error, body = std::move(body_)] {
                owner->fetchDone(success, status, error, body);
            },
            Qt::QueuedConnection);
    }

    void configure(const CurlApi &curl)
    {
        CURL *easy = transfer_.easy();
        const QByteArray address = httpRequestAddress(url_);
        curl.easy_setopt(easy, CURLOPT_URL, address.constData());
        curl.easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
        if (!agent_.isEmpty())
            curl.easy_setopt(easy, CURLOPT_USERAGENT, agent_.constData());
        headers_ = curl.slist_append(headers_, "Accept: " + acceptTypes_);
        if (!useCache_) {
            headers_ = curl.slist_append(headers_, "Cache-Control: no-cache");
            headers_ = curl.slist_append(headers_, "Pragma: no-cache");
        }
        if (!postQuery_.isEmpty()) {
            headers_ = curl.slist_append(headers_, "Content-Type: " + contentType_);
            curl.easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(postQuery_.size()));
            curl.easy_setopt(easy, CURLOPT_POSTFIELDS, postQuery_.constData());
        }
        curl.easy_setopt(easy, CURLOPT_HTTPHEADER, headers_);
        if (!userName_.isEmpty() || !password_.isEmpty()) {
            curl.easy_setopt(easy, CURLOPT_USERNAME, userName_.constData());
            curl.easy_setopt(easy, CURLOPT_PASSWORD, password_.constData());
        }
        if (!referer_.isEmpty())
            curl.easy_setopt(easy, CURLOPT_REFERER, referer_.constData());
        // Reads of at most 1025 bytes, each followed by a progress event.
        curl.easy_setopt(easy, CURLOPT_BUFFERSIZE, 1025L);
        curl.easy_setopt(easy, CURLOPT_HEADERFUNCTION, &THTTPGetThread::header);
        curl.easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl.easy_setopt(easy, CURLOPT_WRITEFUNCTION, &THTTPGetThread::body);
        curl.easy_setopt(easy, CURLOPT_WRITEDATA, this);
    }

    void refuse(const QString &reason) { reason_ = reason; }

    // Returning anything but size ends the transfer as failed.
    static size_t header(char *data, size_t, size_t size, void *user)
    {
        auto *self = static_cast<THTTPGetThread *>(user);
        const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
        if (line.startsWith("HTTP/")) {
            // "HTTP/1.0 404 Not Found": a later status line (after a redirect) wins.
            const QList<QByteArray> parts = line.split(' ');
            self->status_ = parts.size() > 1 ? parts[1].toInt() : 0;
            self->hasLength_ = false;
            self->totalSize_ = 0;
        } else if (line.toLower().startsWith("content-length:")) {
            // A value that is not a plain decimal number counts as no length.
            const QByteArray value = line.mid(15).trimmed();
            bool ok = !value.isEmpty()
                && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            const qint64 length = ok ? value.toLongLong(&ok) : 0;
            if (ok && length > THTTPGet::MaxBodySize) {
                self->refuse(QStringLiteral("the reply was too large"));
                return 0;
            }
            self->hasLength_ = ok;
            self->totalSize_ = ok ? qint32(length) : 0;
        } else if (line.isEmpty()) {
            if (self->stopRequested())
                return 0;
            if (!self->hasLength_ && self->binaryData_) {
                self->refuse(QStringLiteral("the reply did not give its length"));
                return 0;
            }
        }
        return size;
    }

    static size_t body(char *data, size_t, size_t size, void *user)
    {
        auto *self = static_cast<THTTPGetThread *>(user);
        if (self->stopRequested())
            return 0;
        if (qint64(self->readed_) + qint64(size) > THTTPGet::MaxBodySize) {
            self->refuse(QStringLiteral("the reply was too large"));
            return 0;
        }
        self->body_.append(data, qsizetype(size));
        self->readed_ += qint32(size);
        if (self->handOff_->onProgress && !self->reportProgress())
            return 0;
        return size;
    }

    // Runs OnProgress on the owner's thread and waits for it, unless stopped.
    bool reportProgress()
    {
        std::unique_lock lock(handOff_->mutex);
        if (handOff_->stop)
            return false;
        handOff_->pending = true;
        QMetaObject::invokeMethod(
            owner_,
            [handOff = handOff_, owner = owner_, total = totalSize_, readed = readed_] {
                struct Ack
                {
                    ProgressHandOff &handOff;
                    ~Ack() { handOff.handled(); }
                } ack{*handOff};
                handOff->onProgress(owner, total, readed);
            },
            Qt::QueuedConnection);
        handOff_->changed.wait(lock, [this] { return !handOff_->pending || handOff_->stop; });
        return !handOff_->stop;
    }

    THTTPGet *owner_;
    QByteArray acceptTypes_, agent_;
    QString url_;
    QByteArray userName_, password_, postQuery_, contentType_, referer_;
    bool binaryData_, useCache_;
    std::shared_ptr<ProgressHandOff> handOff_;

    // Touched only by the worker while it runs.
    CurlTransfer transfer_;
    curl_slist *headers_ = nullptr;
    bool hasLength_ = false;
    QString reason_; // what the reader refused; empty while all is well
    int status_ = 0;
    qint32 totalSize_ = 0;
    qint32 readed_ = 0;
    QByteArray body_;

    std::thread thread_;
};

THTTPGet::THTTPGet(QObject *parent)
    : QObject(parent)
{
}

THTTPGet::~THTTPGet()
{
    AbortFetch();
    worker_.reset();
}

void THTTPGet::StartFetch()
{
    if (worker_)
        return;
    worker_ = std::make_unique<THTTPGetThread>(this);
    worker_->start();
    if (WaitThread)
        QCoreApplication::processEvents();
}

void THTTPGet::AbortFetch()
{
    if (worker_)
        worker_->stop();
}

void THTTPGet::fetchDone(bool success, int statusCode, const QString &errorText, const QByteArray &body)
{
    if (!worker_)
        return;
    const bool ok = success && !worker_->stopRequested();
    statusCode_ = statusCode;
    errorText_ = ok ? QString() : errorText.isEmpty() ? stoppedText : errorText;
    // Busy until the handler has returned, so a StartFetch inside it is ignored.
    struct Idle
    {
        QPointer<THTTPGet> self;
        ~Idle()
        {
            if (self)
                self->worker_.reset();
        }
    } idle{this};
    if (ok) {
        if (OnDoneString)
            OnDoneString(this, body);
    } else if (OnError) {
        OnError(this);
    }
}
